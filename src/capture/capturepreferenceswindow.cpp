#include "capture/capturepreferenceswindow.h"

#include "app/applicationstate.h"
#include "app/controlpanel.h"
#include "app/mainwindow.h"
#include "app/messages.h"
#include "app/toolwindows.h"
#include "capture/capturecontroller.h"
#include "capture/captureformatcontrols.h"
#include "capture/capturepeers.h"
#include "capture/capturesettings.h"
#include "capture/capturestatustexts.h"
#include "settings/sound.h"
#include "store/captureloop.h"
#include "store/picturestore.h"

#include <QCloseEvent>
#include <QFile>
#include <QPushButton>

CapturePreferencesWindow::CapturePreferencesWindow(MainWindow &mainWindow,
                                                   CaptureController &controller, CaptureLoop &loop,
                                                   CaptureSettings &settings, ToolWindows &tools,
                                                   Messages &messages, CapturePeers &peers)
    : CaptureToolWindow(mainWindow, QStringLiteral(" Capture  preferences"), QSize(356, 211)),
      m_controller(controller), m_loop(loop), m_settings(settings), m_tools(tools),
      m_messages(messages), m_peers(peers)
{
    setObjectName("capturePreferences");
    m_controls = new CaptureFormatControls(settings, this);
    m_ok = new QPushButton("OK", this);
    m_ok->setObjectName("ok");
    m_ok->setGeometry(176, 172, 80, 26);
    m_cancel = new QPushButton("Cancel", this);
    m_cancel->setObjectName("cancel");
    m_cancel->setGeometry(264, 172, 80, 26);
    connect(m_ok, &QPushButton::clicked, this, &CapturePreferencesWindow::confirm);
    connect(m_cancel, &QPushButton::clicked, this, &CapturePreferencesWindow::cancel);
    connect(m_main.panel()->format, &QPushButton::clicked, this, &CapturePreferencesWindow::open);
    tools.add(ToolWindows::Role::CapturePreferences, this);
}

void CapturePreferencesWindow::open()
{
    using Role = ToolWindows::Role;
    m_main.clickSound().play();
    const ApplicationState &state = m_main.state();
    if (state.FormatChosen)
        m_controls->showSize(m_settings.FrameWidth, m_settings.FrameHeight);
    if (!state.DriverChosen) {
        m_messages.information(QStringLiteral(" Select a videodriver first ! "));
        return;
    }
    m_tools.hide({Role::Reset, Role::Delete, Role::TimerMotionMenu, Role::ProgramInfo,
                  Role::CustomSettings, Role::About, Role::Driver});
    showCentred();
    m_loop.pause(true);
}

void CapturePreferencesWindow::confirm()
{
    m_main.clickSound().play();
    hide();
    m_controls->settleQuality();
    if (m_main.state().FormatApplied)
        reapply();
    else
        firstTimeSetUp();
}

// A later "OK": the format is applied again, without a test picture.
void CapturePreferencesWindow::reapply()
{
    CaptureSession &session = m_controller.session();
    m_peers.resetMotionEventCount();
    session.ApplyVideoFormat();
    session.ApplyPreviewRate();
    session.ClearFrameCallback();
    m_peers.clearActivationHints();
    m_main.panel()->overlay->setChecked(false);
    showStatusTexts();
}

// The first "OK" after a driver choice: the format is applied, a test picture is stored and
// the numbering starts again at 0, so that the first captured picture replaces it.
void CapturePreferencesWindow::firstTimeSetUp()
{
    CaptureSession &session = m_controller.session();
    ApplicationState &state = m_main.state();
    showStatusTexts();
    m_peers.resetMotionEventCount();
    session.ApplyVideoFormat();
    session.ApplyPreviewRate();
    m_peers.clearActivationHints();
    m_main.panel()->overlay->setChecked(false);
    state.FormatChosen = true;
    state.FormatApplied = true;
    const QString grabError = testGrab();
    session.ApplyPreviewRate();
    session.ApplyVideoFormat();
    session.ClearFrameCallback();
    state.PictureCounter = 0;
    const QString directory = QString::number(state.CurrentDirectory);
    m_main.panel()->picturePathBox->setText(directory + QStringLiteral("/capture.jpg"));
    QFile::remove(directory + QStringLiteral("/capture-1.jpg"));
    if (!grabError.isEmpty())
        m_messages.error(grabError);
}

// Why the test picture could not be stored, or nothing when it was.
QString CapturePreferencesWindow::testGrab()
{
    CaptureSession &session = m_controller.session();
    const ApplicationState &state = m_main.state();
    const QString path = PictureStore::PicturePath(state.CurrentDirectory, state.PictureCounter);
    session.SetFrameCallback();
    const CaptureSession::Grab grab = session.GrabFrame();
    session.ClearFrameCallback();
    if (grab.ok())
        return {};
    // A failed store names its file already; a grab that brought no frame does not.
    const QString detail = grab.status == CaptureSession::Grab::Status::Failed
                               ? grab.message
                               : path + QStringLiteral(": ") + grab.message;
    return QStringLiteral("Could not store the test picture ") + detail;
}

void CapturePreferencesWindow::showStatusTexts()
{
    m_main.setStatusPanel(
        1, CaptureStatusTexts::resolution(m_settings.FrameWidth, m_settings.FrameHeight));
    m_main.setStatusPanel(2, CaptureStatusTexts::quality(m_controls->qualityText()));
    m_main.setStatusPanel(3, CaptureStatusTexts::colourScale(m_controls->greyscaleSelected()));
}

void CapturePreferencesWindow::cancel()
{
    m_main.clickSound().play();
    m_main.panel()->driver->setEnabled(true);
    if (m_settings.CustomSize)
        m_controls->toggleCustomSize();
    hide();
    redrawVideoArea();
}

void CapturePreferencesWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();
    cancel();
}
