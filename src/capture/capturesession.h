#pragma once
// The program's single connection to a capture driver: one capture window in the main window's
// video area, the frame buffers, and the frame handler that stores or analyses each frame.

#include "capture/captureservice.h"
#include "capture/framebuffers.h"
#include "capture/picturewriter.h"

#include <QObject>
#include <QString>

class FrameScanner;
class QWidget;
struct ApplicationState;
struct CaptureSettings;

class CaptureSession : public QObject
{
    Q_OBJECT
public:
    /// What one grab came to.
    struct Grab
    {
        enum class Status
        {
            Stored,
            Scanned,
            NoFrame,
            Failed
        };
        Status status = Status::NoFrame;
        QString message; // why, for NoFrame and Failed
        bool ok() const { return status == Status::Stored || status == Status::Scanned; }
    };

    /// mainWindow gives the capture window its creation size; videoArea is its parent.
    CaptureSession(CaptureService &service, ApplicationState &state, CaptureSettings &settings,
                   QWidget *mainWindow, QWidget *videoArea);

    void setScanner(FrameScanner *scanner) { m_scanner = scanner; }
    CaptureService &service() { return m_service; }
    const FrameBuffers &buffers() const { return m_buffers; }
    bool hasWindow() const { return m_service.windowExists(); }

    /// Connects the driver at DriverIndex with the display switches given; false with the
    /// reason in lastError() when no window could be made or the driver refused.
    bool ConnectDriver(bool overlay, bool preview, bool scale);
    void DisconnectDriver();
    void ApplyVideoFormat();
    void ApplyPreviewRate();
    void SetFrameCallback();
    void ClearFrameCallback();
    /// Grabs one frame through the registered frame callback; the picture is written (or the
    /// frame analysed) when this returns.
    Grab GrabFrame();
    void PreviewOn() { m_service.setPreview(true); }
    void PreviewOff() { m_service.setPreview(false); }
    void OverlayOn() { m_service.setOverlay(true); }
    void OverlayOff() { m_service.setOverlay(false); }
    void SetScale(bool on) { m_service.setScale(on); }
    void ShowSourceDialog(QWidget *parent);

    QString lastError() const { return m_lastError; }

signals:
    /// The frame callback found no session in the capture window.
    void sessionMissing();
    /// A frame could not be stored; message names the file and the reason.
    void pictureFailed(const QString &message);

private:
    VideoHeader videoHeader() const;
    bool frameCallback(const CapturedFrame &frame);
    void handleFrame(const CapturedFrame &frame);

    CaptureService &m_service;
    ApplicationState &m_state;
    CaptureSettings &m_settings;
    QWidget *m_mainWindow;
    QWidget *m_videoArea;
    FrameScanner *m_scanner = nullptr;
    FrameBuffers m_buffers;
    PictureWriter m_writer;
    QString m_lastError;
    Grab m_lastFrame; // what the frame handler made of the last frame
};
