#pragma once
// What one video is made of: a range of stored pictures, its speed, its quality and its file.

#include "shell/result.h"

#include <QString>

struct VideoSettings
{
    static constexpr int DefaultFramesPerSecond = 25;
    static constexpr int MinFramesPerSecond = 1;
    static constexpr int MaxFramesPerSecond = 120;
    static constexpr int DefaultCrf = 23;
    static constexpr int MinCrf = 0;
    static constexpr int MaxCrf = 51;
    // Deflicker's moving average runs over this many pictures; 0 leaves the brightness alone.
    static constexpr int DefaultDeflicker = 5;
    static constexpr int MinDeflicker = 2;
    static constexpr int MaxDeflicker = 129;

    int first = 0; // picture numbers, both included
    int last = 0;
    int framesPerSecond = DefaultFramesPerSecond;
    int crf = DefaultCrf;
    QString output;
    bool replace = false; // the user agreed to replace an existing output file
    int deflicker = 0;    // pictures in the brightness's moving average; 0: off

    int pictureCount() const { return last - first + 1; }

    /// Fails with a message for the user when a number is out of its range, the range is
    /// reversed, the output file is unnamed, its folder is missing, or it exists and replace is
    /// off.
    Result<> check() const;
};
