#pragma once
// The whole program as it starts, in a fresh working directory that holds the two sounds, with
// its messages recorded instead of shown. Helpers drive it through its windows as a user does:
// "Driver" with the test scene, "Format" with "OK", the arrows, "Prog.", "Start". The tests and
// the benchmarks share it; it needs Qt Widgets only, not Qt Test.

#include "app/application.h"
#include "capture/capturecontroller.h"
#include "capture/captureformatcontrols.h"
#include "capture/capturepreferenceswindow.h"
#include "capture/capturesettings.h"
#include "capture/driverdialog.h"
#include "capture/jpegdecoder.h"
#include "capture/service/linuxcaptureservice.h"
#include "capture/service/testsceneoptions.h"
#include "common/panelparts.h"
#include "common/recordedmessages.h"
#include "common/tempworkdir.h"
#include "programs/timermotionmenu.h"
#include "shell/applicationstate.h"
#include "shell/mainwindow.h"
#include "shell/toolwindows.h"
#include "store/captureloop.h"
#include "store/intervalcontrols.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QToolButton>

#include <memory>

struct CaptureApp
{
    TempWorkDir dir;
    std::unique_ptr<Application> app;
    RecordedMessages *messages = nullptr; // owned by app
    std::unique_ptr<PanelParts> parts;    // once started

    CaptureApp()
    {
        const QString data = QStringLiteral(VARDELLA_SOURCE_DIR "/data/");
        for (const char *name : {"click.wav", "alarm.wav"})
            QFile::copy(data + name, name);
        makeApp();
    }

    /// A new program in the same working directory and with the same settings file, as the
    /// next start after this one ended (the windows' "Exit" is not part of it).
    bool restart(QString *error)
    {
        parts.reset();
        app.reset();
        makeApp();
        return start(error);
    }

    /// Where "Start as left" keeps the settings: in the working directory, never the user's.
    QString settingsFile() const { return dir.path() + QStringLiteral("/config/vardella.conf"); }
    ~CaptureApp()
    {
        parts.reset();
        app.reset(); // before the working directory goes
    }

    /// Builds the windows; false with the reason in error when the program would not start.
    bool start(QString *error)
    {
        if (!app->start(error))
            return false;
        parts = std::make_unique<PanelParts>(&app->mainWindow());
        return true;
    }

    void makeApp()
    {
        app = std::make_unique<Application>(*qApp);
        auto recorded = std::make_unique<RecordedMessages>();
        messages = recorded.get();
        app->setMessages(std::move(recorded));
        app->setSettingsFile(settingsFile());
    }

    MainWindow &main() { return app->mainWindow(); }
    const PanelParts *panel() const { return parts.get(); }
    ApplicationState &state() { return app->state(); }
    CaptureLoop &loop() { return app->captureLoop(); }
    ThreadedTimer &captureTimer() { return app->captureTimer(); }
    template <class W> W *tool(ToolWindows::Role role)
    {
        return qobject_cast<W *>(app->toolWindows().window(role));
    }
    TimerMotionMenu *menu() { return tool<TimerMotionMenu>(ToolWindows::Role::TimerMotionMenu); }
    TestSceneOptions &scene()
    {
        return static_cast<LinuxCaptureService &>(app->captureService()).testSceneOptions();
    }

    static QPushButton *button(QWidget *window, const char *name)
    {
        return window->findChild<QPushButton *>(name);
    }

    /// A pick in a drop-down list, as the user makes it.
    static void pick(QComboBox *list, int index)
    {
        list->setCurrentIndex(index);
        emit list->activated(index);
    }

    /// Presses one of the arrows times times.
    static void press(UpDownControl *arrows, UpDownControl::Direction direction, int times = 1)
    {
        auto *b = arrows->findChild<QToolButton *>(
            direction == UpDownControl::Direction::Up ? "up" : "down");
        for (int i = 0; i < times; ++i)
            b->click();
    }

    /// "Driver", the test scene, "OK".
    bool chooseTestScene()
    {
        panel()->driver->click();
        auto *dialog = tool<DriverDialog>(ToolWindows::Role::Driver);
        if (!dialog)
            return false;
        const int entry = dialog->driverList()->findText(LinuxCaptureService::TestSceneName);
        if (entry < 0)
            return false;
        pick(dialog->driverList(), entry);
        button(dialog, "ok")->click();
        return messages->errors.isEmpty();
    }

    /// "Format", an optional pick in the size list, "OK" (which stores the test picture).
    bool confirmFormat(int sizeEntry = -1)
    {
        panel()->format->click();
        auto *preferences = tool<CapturePreferencesWindow>(ToolWindows::Role::CapturePreferences);
        if (!preferences)
            return false;
        if (sizeEntry >= 0)
            pick(preferences->controls().sizeList, sizeEntry);
        button(preferences, "ok")->click();
        return state().FormatChosen() && messages->errors.isEmpty();
    }

    /// Started, the test scene connected and the format confirmed, as before any capture.
    bool ready(QString *error, int sizeEntry = -1)
    {
        if (!start(error))
            return false;
        if (!chooseTestScene() || !confirmFormat(sizeEntry)) {
            *error = QStringLiteral("driver or format: ") + messages->errors.join('\n');
            return false;
        }
        return true;
    }

    /// "Prog.", "Activate MD", "OK".
    void arm()
    {
        panel()->prog->click();
        part<QCheckBox>(menu(), "activateMD")->setChecked(true);
        button(menu(), "okButton")->click();
    }

    /// "Start", then the capture timer is held still so that the test alone gives the ticks.
    void startHeld()
    {
        panel()->start->click();
        captureTimer().setEnabled(false);
    }

    void ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            loop().captureTick();
    }

    /// The stored picture at path, decoded; null when it is missing or damaged.
    static QImage picture(const QString &path)
    {
        return JpegDecoder().read(path).value_or(QImage());
    }
};
