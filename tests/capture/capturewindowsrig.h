#pragma once
// The capture windows as the program builds them: the whole program with the real Linux capture
// service (its test scene, and fake cameras when a test adds them) in a fresh working
// directory, its sounds and messages recorded. Tests drive the windows through their buttons.

#include "app/application.h"
#include "capture/capturecontroller.h"
#include "capture/capturepreferenceswindow.h"
#include "capture/capturesettings.h"
#include "capture/driverdialog.h"
#include "capture/service/capturewidget.h"
#include "capture/service/linuxcaptureservice.h"
#include "common/fakesound.h"
#include "common/panelparts.h"
#include "common/recordedmessages.h"
#include "common/tempworkdir.h"
#include "service/fakedeviceio.h"
#include "shell/applicationstate.h"
#include "shell/mainwindow.h"
#include "shell/toolwindows.h"
#include "store/captureloop.h"

#include <QApplication>

#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <memory>

/// The real service, with a way to hide every driver and to look in while a driver connects.
class ProbeCaptureService : public LinuxCaptureService
{
public:
    explicit ProbeCaptureService(std::shared_ptr<DeviceIo> io) : LinuxCaptureService(std::move(io))
    {
        setDisplayFactory(CaptureWidget::factory());
    }

    bool noDrivers = false;
    int connects = 0;
    std::function<void()> onConnect;

    QStringList driverDescriptions() override
    {
        return noDrivers ? QStringList() : LinuxCaptureService::driverDescriptions();
    }
    Result<> connectDriver(int index) override
    {
        ++connects;
        if (onConnect)
            onConnect();
        return LinuxCaptureService::connectDriver(index);
    }
};

/// What the capture windows told the motion and timer windows, counted.
struct RecordingPeers
{
    int deactivations = 0; // a driver was confirmed: motion detection goes off
    int countResets = 0;   // a format was applied: the motion count starts again
    int hintClears = 0;    // ... and the activation boxes lose their hints
};

struct CaptureWindowsRig
{
    /// The sound, as the program holds it, and its recording backend.
    struct RecordedSound
    {
        FakeSoundBackend *backend = new FakeSoundBackend;
        std::unique_ptr<Sound> take()
        {
            return std::make_unique<Sound>(std::unique_ptr<SoundBackend>(backend));
        }
    };

    TempWorkDir dir;
    std::shared_ptr<FakeDeviceIo> io = std::make_shared<FakeDeviceIo>();
    RecordedSound click;
    RecordedSound alarm;
    RecordingPeers peers;
    RecordedMessages &messages = *new RecordedMessages;          // owned by app
    ProbeCaptureService &service = *new ProbeCaptureService(io); // owned by app
    std::unique_ptr<Application> app = started();
    ApplicationState &state = app->state();
    CaptureSettings &settings = app->captureSettings();
    ToolWindows &tools = app->toolWindows();
    MainWindow *main = nullptr;
    CaptureController *controller = nullptr;
    CaptureLoop *loop = nullptr;
    DriverDialog *driverDialog = nullptr;
    CapturePreferencesWindow *preferences = nullptr;
    std::unique_ptr<PanelParts> parts;

    std::unique_ptr<Application> started()
    {
        auto program = std::make_unique<Application>(*qApp);
        program->setMessages(std::unique_ptr<Messages>(&messages));
        program->setCaptureService(std::unique_ptr<CaptureService>(&service));
        program->setSounds(click.take(), alarm.take());
        QString error;
        if (!program->start(&error))
            qFatal("the program did not start: %s", qPrintable(error));
        return program;
    }

    CaptureWindowsRig()
    {
        main = &app->mainWindow();
        controller = &app->captureController();
        loop = &app->captureLoop();
        driverDialog = qobject_cast<DriverDialog *>(tools.window(ToolWindows::Role::Driver));
        preferences = qobject_cast<CapturePreferencesWindow *>(
            tools.window(ToolWindows::Role::CapturePreferences));
        parts = std::make_unique<PanelParts>(main);
        QObject::connect(driverDialog, &DriverDialog::driverConfirmed,
                         [this] { ++peers.deactivations; });
        QObject::connect(preferences, &CapturePreferencesWindow::formatApplied, [this] {
            ++peers.countResets;
            ++peers.hintClears;
        });
    }

    ~CaptureWindowsRig()
    {
        parts.reset();
        app.reset(); // before the working directory goes
    }

    const PanelParts *panel() const { return parts.get(); }

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

    /// "Driver", an optional pick, "OK".
    void chooseDriver(int entry = -1)
    {
        panel()->driver->click();
        if (entry >= 0)
            pick(driverDialog->driverList(), entry);
        button(driverDialog, "ok")->click();
    }

    /// "Format", "OK".
    void confirmFormat()
    {
        panel()->format->click();
        button(preferences, "ok")->click();
    }
};
