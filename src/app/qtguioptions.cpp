#include "app/qtguioptions.h"

#include <array>

namespace {
// Taken by the GUI application, the widgets or the X11 platform, each with the word after it.
constexpr std::array withValue{"platform",
                               "platformpluginpath",
                               "platformtheme",
                               "plugin",
                               "qwindowgeometry",
                               "qwindowtitle",
                               "qwindowicon",
                               "geometry",
                               "title",
                               "icon",
                               "session",
                               "style",
                               "stylesheet",
                               "display",
                               "name",
                               "visual",
                               "qmljsdebugger"};
constexpr std::array alone{"reverse", "testability", "widgetcount", "sync", "nograb", "dograb"};
// Also written with "=" and the value in the same word.
constexpr std::array joined{"style=", "stylesheet=", "qmljsdebugger="};

template <std::size_t N> bool among(const QString &word, const std::array<const char *, N> &names)
{
    for (const char *name : names) {
        if (word == QLatin1String(name))
            return true;
    }
    return false;
}

bool joinedValue(const QString &word)
{
    for (const char *prefix : joined) {
        if (word.startsWith(QLatin1String(prefix)))
            return true;
    }
    return false;
}
} // namespace

QtGuiOptionsRemoved removeQtGuiOptions(const QStringList &arguments)
{
    QtGuiOptionsRemoved result;
    result.arguments = arguments.mid(0, 1);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        // Qt takes its options wherever they stand, after "--" too. It reads "--platform" as
        // "-platform"; our own long options are not among its names.
        const QString word = argument.startsWith(QLatin1String("--")) ? argument.mid(2)
                             : argument.startsWith(QLatin1Char('-'))  ? argument.mid(1)
                                                                      : QString();
        if (among(word, withValue) && i + 1 < arguments.size()) {
            ++i;
        } else if (!among(word, alone) && !joinedValue(word)) {
            result.arguments += argument;
            result.undecided =
                result.undecided || (argument.size() > 2 && argument[0] == QLatin1Char('-') &&
                                     argument[1] != QLatin1Char('-'));
        }
    }
    return result;
}
