#pragma once
// One setting of a video source, as its settings dialog shows it.

#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

struct SourceControl
{
    enum class Kind
    {
        Integer, // a slider
        Boolean, // a check box
        Menu,    // a list
    };

    std::uint32_t id = 0;
    QString name;
    Kind kind = Kind::Integer;
    int minimum = 0;
    int maximum = 0;
    int step = 1;
    int defaultValue = 0;
    int value = 0;
    bool enabled = true; // false while the device ignores it (read-only or inactive)
    std::vector<std::pair<int, QString>> menu; // value and text of each entry of a list
};
