#pragma once
// Finds the V4L2 video capture devices, in ascending device number.

#include <QString>

#include <vector>

class DeviceIo;

struct CaptureDeviceInfo
{
    QString path;        // "/dev/video0"
    QString card;        // the card name, which stays when the device comes back elsewhere
    QString description; // card name, a blank, driver version "major.minor.patch"
};

class CaptureDeviceList
{
public:
    /// The nodes that can capture video; metadata-only and unreadable nodes are left out.
    static std::vector<CaptureDeviceInfo> find(DeviceIo &io);

    /// The device number of "/dev/videoN", or -1 for any other name.
    static int deviceNumber(const QString &path);
    /// Kernel version word 0x00MMmmpp as "MM.mm.pp".
    static QString versionText(unsigned version);
};
