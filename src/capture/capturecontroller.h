#pragma once
// The invisible capture controller: holds the capture session and keeps the live picture in
// step with the main window's "Preview", "Overlay" and "Fit " boxes and its "Input " button.
// Setting one of those boxes from code runs its reaction whenever its state changes.

#include "capture/capturesession.h"

#include <QObject>

class MainWindow;
class Messages;
class ToolWindows;

class CaptureController : public QObject
{
    Q_OBJECT
public:
    CaptureController(CaptureService &service, CaptureSettings &settings, MainWindow &mainWindow,
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
    void repaintVideoArea();

    MainWindow &m_main;
    ToolWindows &m_tools;
    Messages &m_messages;
    CaptureSession m_session;
};
