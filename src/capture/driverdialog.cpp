#include "capture/driverdialog.h"

#include "app/applicationstate.h"
#include "app/controlpanel.h"
#include "app/mainwindow.h"
#include "app/messages.h"
#include "app/toolwindows.h"
#include "capture/capturecontroller.h"
#include "capture/capturepeers.h"
#include "settings/sound.h"
#include "store/captureloop.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
// The platform lists at most this many drivers.
constexpr int MaxDrivers = 10;
} // namespace

DriverDialog::DriverDialog(MainWindow &mainWindow, CaptureController &controller, CaptureLoop &loop,
                           ToolWindows &tools, Messages &messages, CapturePeers &peers)
    : CaptureToolWindow(mainWindow, QStringLiteral("  Videocapture driver "), QSize(395, 124)),
      m_controller(controller), m_loop(loop), m_tools(tools), m_messages(messages), m_peers(peers)
{
    setObjectName("driverDialog");
    buildLayout();
    connect(m_list, &QComboBox::activated, this,
            [this](int index) { m_main.state().DriverIndex = index; });
    connect(m_ok, &QPushButton::clicked, this, &DriverDialog::confirm);
    connect(m_cancel, &QPushButton::clicked, this, &DriverDialog::cancel);
    connect(m_main.panel()->driver, &QPushButton::clicked, this, &DriverDialog::open);
    tools.add(ToolWindows::Role::Driver, this);
}

void DriverDialog::buildLayout()
{
    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(8, 8, 379, 72);
    m_list = new QComboBox(frame);
    m_list->setObjectName("driverList");
    m_list->setAccessibleName("Video Capture Driver");
    m_list->setGeometry(20, 24, 339, 24);
    m_ok = new QPushButton("OK", this);
    m_ok->setObjectName("ok");
    m_ok->setGeometry(216, 90, 80, 26);
    m_ok->setDefault(true);
    m_cancel = new QPushButton("Cancel", this);
    m_cancel->setObjectName("cancel");
    m_cancel->setGeometry(304, 90, 80, 26);
}

void DriverDialog::listDrivers()
{
    QStringList drivers = m_controller.session().service().driverDescriptions();
    if (drivers.size() > MaxDrivers)
        drivers = drivers.mid(0, MaxDrivers);
    m_list->clear();
    m_list->addItems(drivers);
}

void DriverDialog::open()
{
    using Role = ToolWindows::Role;
    m_main.clickSound().play();
    m_loop.pause(true);
    m_tools.hide({Role::Delete, Role::Reset, Role::ProgramInfo, Role::CustomSettings, Role::About,
                  Role::TimerMotionMenu, Role::CapturePreferences});
    listDrivers();
    // The list shows the driver that "OK" will connect: the one picked last.
    const int index = m_main.state().DriverIndex;
    m_list->setCurrentIndex(index >= 0 && index < m_list->count() ? index : 0);
    showCentred();
}

void DriverDialog::confirm()
{
    using Role = ToolWindows::Role;
    m_main.clickSound().play();
    if (m_list->currentIndex() < 0) {
        m_messages.information(QStringLiteral("No video capture driver found."));
        return;
    }
    ApplicationState &state = m_main.state();
    if (state.CaptureRunning)
        m_loop.startStop();
    ControlPanel *panel = m_main.panel();
    panel->driver->setEnabled(false);
    m_tools.hide({Role::CapturePreferences, Role::ProgramInfo, Role::CustomSettings, Role::About});
    hide();
    m_main.loadingPanel()->show();
    m_main.loadingPanel()->raise();
    m_main.repaint();
    state.FormatApplied = false;
    state.DriverChosen = true;
    state.FormatChosen = false;
    const bool connected = connectSelected();
    m_peers.deactivateMotionDetection();
    setFontColour(panel->prog, colourValue(1));
    showLivePicture();
    panel->driver->setEnabled(true);
    m_main.loadingPanel()->hide();
    const QString entry = m_list->currentText();
    m_main.setStatusPanel(0, QStringLiteral("Videodriver :") + entry);
    if (!connected) {
        m_messages.error(QStringLiteral("Could not connect to ") + entry + QStringLiteral(": ") +
                         m_controller.session().lastError());
    }
}

// Connects the entry shown; a failed connect leaves no capture window, so that later grabs
// are skipped.
bool DriverDialog::connectSelected()
{
    m_main.state().DriverIndex = m_list->currentIndex();
    CaptureSession &session = m_controller.session();
    const ControlPanel *panel = m_main.panel();
    session.DisconnectDriver();
    const bool connected = session.ConnectDriver(
        panel->overlay->isChecked(), panel->preview->isChecked(), panel->fit->isChecked());
    session.SetFrameCallback();
    session.ApplyPreviewRate();
    session.ClearFrameCallback();
    return connected;
}

void DriverDialog::showLivePicture()
{
    ControlPanel *panel = m_main.panel();
    panel->preview->setChecked(true);
    panel->overlay->setChecked(false);
    m_main.videoCover()->hide();
    redrawVideoArea();
}

void DriverDialog::cancel()
{
    m_main.clickSound().play();
    hide();
    redrawVideoArea();
}

void DriverDialog::closeEvent(QCloseEvent *event)
{
    event->ignore();
    cancel();
}
