#include "capture/service/capturedevicelist.h"

#include "capture/service/deviceio.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <optional>

namespace {

std::optional<CaptureDeviceInfo> probe(DeviceIo &io, const QString &path)
{
    const int fd = io.open(path, O_RDWR | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    v4l2_capability cap{};
    const bool queried = io.ioctl(fd, VIDIOC_QUERYCAP, &cap) == 0;
    io.close(fd);
    if (!queried)
        return std::nullopt;
    // A camera also exposes metadata nodes; only device_caps tells them apart.
    const unsigned caps =
        (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
    if (!(caps & V4L2_CAP_VIDEO_CAPTURE))
        return std::nullopt;
    const auto *card = reinterpret_cast<const char *>(cap.card);
    const QString name = QString::fromUtf8(card, int(strnlen(card, sizeof cap.card)));
    return CaptureDeviceInfo{path, name, name + ' ' + CaptureDeviceList::versionText(cap.version)};
}

} // namespace

std::vector<CaptureDeviceInfo> CaptureDeviceList::find(DeviceIo &io)
{
    QStringList nodes;
    for (const QString &node : io.deviceNodes()) {
        if (deviceNumber(node) >= 0)
            nodes << node;
    }
    std::sort(nodes.begin(), nodes.end(),
              [](const QString &a, const QString &b) { return deviceNumber(a) < deviceNumber(b); });
    std::vector<CaptureDeviceInfo> found;
    for (const QString &node : nodes) {
        if (auto info = probe(io, node))
            found.push_back(*info);
    }
    return found;
}

int CaptureDeviceList::deviceNumber(const QString &path)
{
    static const QRegularExpression pattern(QStringLiteral("(?:^|/)video(\\d+)$"));
    const auto match = pattern.match(path);
    if (!match.hasMatch())
        return -1;
    bool ok = false;
    const int n = match.captured(1).toInt(&ok);
    return ok ? n : -1;
}

QString CaptureDeviceList::versionText(unsigned version)
{
    return QStringLiteral("%1.%2.%3")
        .arg((version >> 16) & 0xff)
        .arg((version >> 8) & 0xff)
        .arg(version & 0xff);
}
