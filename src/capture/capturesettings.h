#pragma once
// How frames are requested from the driver and how pictures are encoded. Changed at once by
// the capture preferences' controls; applied by their "OK" and by every driver connect.

#include <QString>

struct CaptureSettings
{
    int FrameWidth = 320;
    int FrameHeight = 240;
    int BitCount = 24;
    /// The quality box's text as typed; the encoder limits the number to 1..100.
    int JpegQuality = 100;
    bool Greyscale = false;
    int PreviewRateMs = 33;
    int CreationWidth = 784;
    int CreationHeight = 482;
    bool CustomSize = false;
    /// The entry selected in the size list: -1 none, 0 "640 x 480", 1 "320 x 240",
    /// 2 "160 x 120", 3 "  80   x 60", 4 the empty entry.
    int SizeListIndex = -1;
};
