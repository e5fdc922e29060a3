#include "capture/capturecontroller.h"

#include "app/applicationstate.h"
#include "app/controlpanel.h"
#include "app/mainwindow.h"
#include "app/messages.h"
#include "app/toolwindows.h"
#include "settings/sound.h"

CaptureController::CaptureController(CaptureService &service, CaptureSettings &settings,
                                     MainWindow &mainWindow, ToolWindows &tools, Messages &messages)
    : m_main(mainWindow), m_tools(tools), m_messages(messages),
      m_session(service, mainWindow.state(), settings, &mainWindow, mainWindow.videoArea())
{
    ControlPanel *panel = m_main.panel();
    connect(panel->preview, &QCheckBox::toggled, this, &CaptureController::PreviewModeChanged);
    connect(panel->overlay, &QCheckBox::toggled, this, &CaptureController::OverlayModeChanged);
    connect(panel->fit, &QCheckBox::toggled, this, &CaptureController::FitModeChanged);
    connect(panel->input, &QPushButton::clicked, this, &CaptureController::showInputDialog);
    connect(&m_main, &MainWindow::previewReactionNeeded, this,
            &CaptureController::PreviewModeChanged);
    connect(&m_main, &MainWindow::overlayReactionNeeded, this,
            &CaptureController::OverlayModeChanged);
    connect(&m_session, &CaptureSession::sessionMissing, this,
            [this] { m_main.panel()->timeBox->setText(QStringLiteral("foutcode 1")); });
}

CaptureController::~CaptureController()
{
    m_session.DisconnectDriver();
}

void CaptureController::repaintVideoArea()
{
    m_main.videoArea()->repaint();
    m_main.update();
}

void CaptureController::PreviewModeChanged()
{
    ControlPanel *panel = m_main.panel();
    if (!panel->preview->isChecked()) {
        m_session.PreviewOff();
        return;
    }
    m_main.state().OverlayWasOn = false;
    if (panel->overlay->isChecked())
        panel->overlay->setChecked(false);
    QWidget *video = m_main.videoArea();
    if (m_main.state().CaptureRunning) {
        video->hide();
        m_session.OverlayOff();
        m_session.PreviewOff();
        panel->fit->setEnabled(true);
        panel->overlay->setChecked(false);
        m_session.PreviewOn();
        m_session.ApplyPreviewRate();
        repaintVideoArea();
        video->show();
        panel->preview->setChecked(true);
    } else {
        m_session.PreviewOn();
        repaintVideoArea();
        video->show();
        panel->overlay->setChecked(false);
        panel->preview->setChecked(true);
    }
}

void CaptureController::OverlayModeChanged()
{
    ControlPanel *panel = m_main.panel();
    QWidget *video = m_main.videoArea();
    if (panel->overlay->isChecked()) {
        BlackVideoArea();
        if (m_main.isMaximized())
            m_main.fillVideoArea();
        video->hide();
        m_session.OverlayOff();
        m_session.PreviewOff();
        repaintVideoArea();
        video->show();
        m_session.OverlayOn();
        panel->preview->setChecked(false);
        return;
    }
    m_session.OverlayOff();
    panel->preview->setChecked(true);
    if (m_main.state().CaptureRunning) {
        panel->preview->setChecked(false);
        LivePicture();
    }
}

void CaptureController::FitModeChanged()
{
    if (m_main.panel()->fit->isChecked()) {
        m_session.SetScale(true);
        m_main.update();
        return;
    }
    m_main.update();
    PreviewModeChanged();
    m_session.SetScale(false);
}

void CaptureController::BlackVideoArea()
{
    QWidget *video = m_main.videoArea();
    QPalette black = video->palette();
    black.setColor(QPalette::Window, Qt::black);
    video->setPalette(black);
    repaintVideoArea();
}

void CaptureController::LivePicture()
{
    BlackVideoArea();
    m_session.OverlayOn();
}

void CaptureController::showInputDialog()
{
    using Role = ToolWindows::Role;
    m_main.clickSound().play();
    if (!m_main.state().DriverChosen) {
        m_messages.information("Select a driver and/or videoformat first !");
        return;
    }
    m_tools.hide({Role::Delete, Role::Reset, Role::CapturePreferences, Role::ProgramInfo,
                  Role::CustomSettings, Role::About, Role::TimerMotionMenu, Role::Driver});
    ControlPanel *panel = m_main.panel();
    const bool overlayWasChecked = panel->overlay->isChecked();
    m_session.PreviewOn();
    m_session.ShowSourceDialog(&m_main);
    OverlayModeChanged();
    m_main.update();
    if (overlayWasChecked)
        panel->overlay->setChecked(true);
    panel->driver->setEnabled(true);
}
