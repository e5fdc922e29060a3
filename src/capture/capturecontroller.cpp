#include "capture/capturecontroller.h"

#include "capture/sourcedialog.h"
#include "shell/applicationstate.h"
#include "shell/captureview.h"
#include "shell/messages.h"
#include "shell/sound.h"
#include "shell/toolwindows.h"

#include <QWidget>

CaptureController::CaptureController(CaptureSession &session, ApplicationState &state,
                                     CaptureView &view, VideoHost &host, QWidget *dialogParent,
                                     Sound &click, ToolWindows &tools, Messages &messages)
    : m_view(view), m_state(state), m_dialogParent(dialogParent), m_click(click), m_tools(tools),
      m_messages(messages), m_session(session)
{
    m_session.setVideoHost(&host);
    connect(&m_session, &CaptureSession::sessionMissing, this,
            [this] { m_view.showTimeText(QStringLiteral("foutcode 1")); });
}

void CaptureController::PreviewModeChanged()
{
    if (!m_view.isPreviewChecked()) {
        m_session.PreviewOff();
        return;
    }
    m_state.setOverlayWasOn(false);
    if (m_view.isOverlayChecked())
        m_view.setOverlayChecked(false);
    if (m_state.CaptureRunning()) {
        m_view.setVideoAreaVisible(false);
        m_session.OverlayOff();
        m_session.PreviewOff();
        m_view.setFitEnabled(true);
        m_view.setOverlayChecked(false);
        m_session.PreviewOn();
        m_session.ApplyPreviewRate();
        m_view.repaintVideoArea();
        m_view.setVideoAreaVisible(true);
        m_view.setPreviewChecked(true);
    } else {
        m_session.PreviewOn();
        m_view.repaintVideoArea();
        m_view.setVideoAreaVisible(true);
        m_view.setOverlayChecked(false);
        m_view.setPreviewChecked(true);
    }
}

void CaptureController::OverlayModeChanged()
{
    if (m_view.isOverlayChecked()) {
        BlackVideoArea();
        if (m_view.isMaximized())
            m_view.fillVideoArea();
        m_view.setVideoAreaVisible(false);
        m_session.OverlayOff();
        m_session.PreviewOff();
        m_view.repaintVideoArea();
        m_view.setVideoAreaVisible(true);
        m_session.OverlayOn();
        m_view.setPreviewChecked(false);
        return;
    }
    m_session.OverlayOff();
    m_view.setPreviewChecked(true);
    if (m_state.CaptureRunning()) {
        m_view.setPreviewChecked(false);
        LivePicture();
    }
}

void CaptureController::FitModeChanged()
{
    if (m_view.isFitChecked()) {
        m_session.SetScale(true);
        m_view.repaintVideoArea();
        return;
    }
    m_view.repaintVideoArea();
    PreviewModeChanged();
    m_session.SetScale(false);
}

void CaptureController::BlackVideoArea()
{
    m_view.blackVideoArea();
}

void CaptureController::LivePicture()
{
    BlackVideoArea();
    m_session.OverlayOn();
}

void CaptureController::showInputDialog()
{
    if (!m_state.DriverChosen()) {
        m_click.play();
        m_messages.information("Select a driver and/or videoformat first !");
        return;
    }
    m_tools.makeRoomFor(ToolWindows::Role::VideoSource);
    const bool overlayWasChecked = m_view.isOverlayChecked();
    m_session.PreviewOn();
    if (const std::unique_ptr<SourceDialog> dialog =
            SourceDialog::create(m_session.service(), m_dialogParent))
        dialog->exec();
    if (QWidget *window = m_session.service().window()) {
        window->update();
        if (window->parentWidget())
            window->parentWidget()->update();
    }
    OverlayModeChanged();
    m_view.repaintVideoArea();
    if (overlayWasChecked)
        m_view.setOverlayChecked(true);
    m_view.setDriverEnabled(true);
}
