#pragma once
// The capture windows as the program builds them: a real main window, capture controller,
// capture loop and Linux capture service (its test scene, and fake cameras when a test adds
// them), in a fresh working directory. Tests drive the windows through their buttons.

#include "app/applicationstate.h"
#include "app/controlpanel.h"
#include "app/mainwindow.h"
#include "app/toolwindows.h"
#include "capture/capturecontroller.h"
#include "capture/capturepeers.h"
#include "capture/capturepreferenceswindow.h"
#include "capture/capturesettings.h"
#include "capture/driverdialog.h"
#include "capture/service/linuxcaptureservice.h"
#include "common/fakesound.h"
#include "common/recordedmessages.h"
#include "common/tempworkdir.h"
#include "service/fakedeviceio.h"
#include "store/captureloop.h"
#include "store/intervalcontrols.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <memory>

/// The real service, with a way to hide every driver and to look in while a driver connects.
class ProbeCaptureService : public LinuxCaptureService
{
public:
    using LinuxCaptureService::LinuxCaptureService;

    bool noDrivers = false;
    int connects = 0;
    std::function<void()> onConnect;

    QStringList driverDescriptions() override
    {
        return noDrivers ? QStringList() : LinuxCaptureService::driverDescriptions();
    }
    bool connectDriver(int index) override
    {
        ++connects;
        if (onConnect)
            onConnect();
        return LinuxCaptureService::connectDriver(index);
    }
};

struct RecordingPeers : CapturePeers
{
    int deactivations = 0;
    int countResets = 0;
    int hintClears = 0;
    void deactivateMotionDetection() override { ++deactivations; }
    void resetMotionEventCount() override { ++countResets; }
    void clearActivationHints() override { ++hintClears; }
};

struct CaptureWindowsRig
{
    TempWorkDir dir;
    ApplicationState state;
    FakeSound click;
    ToolWindows tools;
    RecordedMessages messages;
    RecordingPeers peers;
    CaptureSettings settings;
    std::shared_ptr<FakeDeviceIo> io = std::make_shared<FakeDeviceIo>();
    ProbeCaptureService service{io};
    std::unique_ptr<MainWindow> main;
    std::unique_ptr<CaptureController> controller;
    std::unique_ptr<IntervalControls> interval;
    std::unique_ptr<CaptureLoop> loop;
    DriverDialog *driverDialog = nullptr;            // owned by the main window
    CapturePreferencesWindow *preferences = nullptr; // owned by the main window

    CaptureWindowsRig()
    {
        main = std::make_unique<MainWindow>(state, click.sound, tools);
        main->show();
        controller = std::make_unique<CaptureController>(service, settings, *main, tools, messages);
        interval = std::make_unique<IntervalControls>(*main, settings);
        loop = std::make_unique<CaptureLoop>(*main, controller->session(), *interval, messages);
        driverDialog = new DriverDialog(*main, *controller, *loop, tools, messages, peers);
        preferences = new CapturePreferencesWindow(*main, *controller, *loop, settings, tools,
                                                   messages, peers);
    }

    ~CaptureWindowsRig()
    {
        loop.reset();
        interval.reset();
        controller.reset();
        main.reset();
    }

    ControlPanel *panel() const { return main->panel(); }

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
