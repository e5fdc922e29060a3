#include "capture/service/v4l2controls.h"

#include "capture/service/deviceio.h"

#include <cerrno>
#include <cstring>
#include <linux/videodev2.h>
#include <optional>

namespace {

QString textOf(const std::uint8_t *bytes, std::size_t size)
{
    const auto *chars = reinterpret_cast<const char *>(bytes);
    return QString::fromUtf8(chars, int(strnlen(chars, size)));
}

std::optional<SourceControl::Kind> kindOf(std::uint32_t type)
{
    switch (type) {
    case V4L2_CTRL_TYPE_INTEGER:
        return SourceControl::Kind::Integer;
    case V4L2_CTRL_TYPE_BOOLEAN:
        return SourceControl::Kind::Boolean;
    case V4L2_CTRL_TYPE_MENU:
    case V4L2_CTRL_TYPE_INTEGER_MENU:
        return SourceControl::Kind::Menu;
    default:
        return std::nullopt;
    }
}

void readMenu(DeviceIo &io, int fd, const v4l2_queryctrl &q, SourceControl &control)
{
    for (int index = q.minimum; index <= q.maximum; ++index) {
        v4l2_querymenu item{};
        item.id = q.id;
        item.index = std::uint32_t(index);
        // Drivers leave gaps in their menus; a missing entry is simply not offered.
        if (io.ioctl(fd, VIDIOC_QUERYMENU, &item) != 0)
            continue;
        const QString text = q.type == V4L2_CTRL_TYPE_INTEGER_MENU
                                 ? QString::number(item.value)
                                 : textOf(item.name, sizeof item.name);
        control.menu.emplace_back(index, text);
    }
}

SourceControl controlOf(DeviceIo &io, int fd, const v4l2_queryctrl &q, SourceControl::Kind kind)
{
    SourceControl control;
    control.id = q.id;
    control.name = textOf(q.name, sizeof q.name);
    control.kind = kind;
    control.minimum = q.minimum;
    control.maximum = q.maximum;
    control.step = q.step > 0 ? q.step : 1;
    control.defaultValue = q.default_value;
    control.value = q.default_value;
    control.enabled =
        !(q.flags & (V4L2_CTRL_FLAG_READ_ONLY | V4L2_CTRL_FLAG_INACTIVE | V4L2_CTRL_FLAG_GRABBED));
    v4l2_control current{q.id, 0};
    if (io.ioctl(fd, VIDIOC_G_CTRL, &current) == 0)
        control.value = current.value;
    if (kind == SourceControl::Kind::Menu)
        readMenu(io, fd, q, control);
    return control;
}

void addIfShown(DeviceIo &io, int fd, const v4l2_queryctrl &q, std::vector<SourceControl> &list)
{
    if (q.flags & V4L2_CTRL_FLAG_DISABLED)
        return;
    if (const auto kind = kindOf(q.type))
        list.push_back(controlOf(io, fd, q, *kind));
}

void queryRange(DeviceIo &io, int fd, std::uint32_t first, std::uint32_t end,
                std::vector<SourceControl> &list)
{
    for (std::uint32_t id = first; id < end; ++id) {
        v4l2_queryctrl q{};
        q.id = id;
        if (io.ioctl(fd, VIDIOC_QUERYCTRL, &q) == 0)
            addIfShown(io, fd, q, list);
    }
}

// Older drivers do not know V4L2_CTRL_FLAG_NEXT_CTRL: ask for the user and camera controls
// by id, then the private ones until the first gap.
std::vector<SourceControl> queryById(DeviceIo &io, int fd)
{
    std::vector<SourceControl> list;
    queryRange(io, fd, V4L2_CID_BASE, V4L2_CID_LASTP1, list);
    queryRange(io, fd, V4L2_CID_CAMERA_CLASS_BASE, V4L2_CID_CAMERA_CLASS_BASE + 64, list);
    for (std::uint32_t id = V4L2_CID_PRIVATE_BASE; id < V4L2_CID_PRIVATE_BASE + 256; ++id) {
        v4l2_queryctrl q{};
        q.id = id;
        if (io.ioctl(fd, VIDIOC_QUERYCTRL, &q) != 0)
            break;
        addIfShown(io, fd, q, list);
    }
    return list;
}

} // namespace

std::vector<SourceControl> V4l2Controls::query(DeviceIo &io, int fd)
{
    std::vector<SourceControl> list;
    v4l2_queryctrl q{};
    q.id = V4L2_CTRL_FLAG_NEXT_CTRL;
    bool enumerated = false;
    while (io.ioctl(fd, VIDIOC_QUERYCTRL, &q) == 0) {
        enumerated = true;
        addIfShown(io, fd, q, list);
        const std::uint32_t next = q.id | V4L2_CTRL_FLAG_NEXT_CTRL;
        q = v4l2_queryctrl{};
        q.id = next;
    }
    return enumerated ? list : queryById(io, fd);
}

Result<> V4l2Controls::set(DeviceIo &io, int fd, std::uint32_t id, int value)
{
    v4l2_control control{id, value};
    if (io.ioctl(fd, VIDIOC_S_CTRL, &control) == 0)
        return {};
    return failure(QStringLiteral("The device refused the setting: %1")
                       .arg(QString::fromLocal8Bit(strerror(errno))));
}
