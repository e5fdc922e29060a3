#pragma once
// The invisible capture controller: holds the capture session and keeps the live picture in
// step with the main window's "Preview", "Overlay" and "Fit " boxes and its "Input " button.
// Setting one of those boxes from code runs its reaction whenever its state changes.

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
    /// dialogParent is the window the video source dialog opens over.
    CaptureController(CaptureService &service, CaptureSettings &settings, ApplicationState &state,
                      CaptureView &view, VideoHost &host, QWidget *dialogParent, Sound &click,
                      ToolWindows &tools, Messages &messages);
    ~CaptureController() override;

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
    CaptureSession m_session;
};
