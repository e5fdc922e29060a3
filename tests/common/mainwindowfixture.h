#pragma once
// The main window alone, as the program builds it for its dialogs: in a fresh working
// directory, with its state, a fake click sound and the tool windows that share the click.

#include "common/fakesound.h"
#include "common/panelparts.h"
#include "common/tempworkdir.h"
#include "shell/applicationstate.h"
#include "shell/mainwindow.h"
#include "shell/toolwindows.h"

#include <QAbstractButton>
#include <QTest>

struct MainWindowFixture
{
    TempWorkDir dir;
    ApplicationState state;
    FakeSound click;
    ToolWindows tools;
    MainWindow window{state, click.sound}; // owns the dialogs a test parents to it
    PanelParts parts{&window};

    MainWindowFixture() { tools.setClick(click.sound); }

    /// Shows the window; false when it never became exposed.
    bool show()
    {
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }
    /// A click on a button; the fake click sound has ended by then.
    void press(QAbstractButton *button)
    {
        click.backend->playing = false;
        QTest::mouseClick(button, Qt::LeftButton);
    }
};
