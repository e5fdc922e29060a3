#pragma once
// The options a Qt GUI application takes out of its arguments for itself, recognised before
// such an application (and with it a display) exists.

#include <QStringList>

struct QtGuiOptionsRemoved
{
    QStringList arguments; // the program's name and the arguments left for the program
    /// A word with one dash is left (-sync): a platform plugin may take it as its own, so
    /// only the GUI application can tell whether it is a mistake.
    bool undecided = false;
};

/// The arguments without Qt's own window options (-platform NAME, -style=NAME, --reverse ...),
/// as the GUI application leaves them.
QtGuiOptionsRemoved removeQtGuiOptions(const QStringList &arguments);
