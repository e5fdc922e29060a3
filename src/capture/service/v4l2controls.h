#pragma once
// Reads and sets a V4L2 device's own controls (brightness, contrast, exposure, ...).

#include "capture/sourcecontrol.h"
#include "shell/result.h"

#include <vector>

class DeviceIo;

class V4l2Controls
{
public:
    /// Every integer, boolean and menu control the device offers, in the device's order;
    /// disabled ones and those of other types are left out.
    static std::vector<SourceControl> query(DeviceIo &io, int fd);
    static Result<> set(DeviceIo &io, int fd, std::uint32_t id, int value);
};
