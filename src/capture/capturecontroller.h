#pragma once
// The invisible capture controller: keeps the capture run's live picture in step with the main
// window's "Preview", "Overlay" and "Fit " boxes and its "Input " button. Setting one of those
// boxes from code runs its reaction whenever its state changes.

#include "capture/capturesession.h"

#include <QObject>

class CaptureView;
class Messages;
class QWidget;
class Sound;
class ToolWindows;
class VideoHost;

class CaptureController : public QObject
{
    Q_OBJECT
public:
    /// dialogParent is the window the video source dialog opens over; the capture window of
    /// session goes into host's video area.
    CaptureController(CaptureSession &session, ApplicationState &state, CaptureView &view,
                      VideoHost &host, QWidget *dialogParent, Sound &click, ToolWindows &tools,
                      Messages &messages);

    CaptureSession &session() { return m_session; }

    void PreviewModeChanged();
    void OverlayModeChanged();
    void FitModeChanged();
    void BlackVideoArea();
    void LivePicture();
    /// The "Input " button.
    void showInputDialog();

private:
    CaptureView &m_view;
    ApplicationState &m_state;
    QWidget *m_dialogParent;
    Sound &m_click;
    ToolWindows &m_tools;
    Messages &m_messages;
    CaptureSession &m_session;
};
