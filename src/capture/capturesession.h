#pragma once
// The program's single connection to a capture driver: one capture window in the main window's
// video area, and the frame handler that stores or analyses each frame.

#include "capture/captureservice.h"
#include "capture/picturewriter.h"
#include "capture/storedpicture.h"
#include "shell/clocksource.h"
#include "shell/result.h"

#include <QDateTime>
#include <QImage>
#include <QObject>
#include <QString>

#include <vector>

class FrameScanner;
class FrameSink;
class VideoHost;
struct ApplicationState;
struct CaptureSettings;

class CaptureSession : public QObject
{
    Q_OBJECT
public:
    /// Without a video host the capture window has the frame's size and is shown nowhere.
    CaptureSession(CaptureService &service, ApplicationState &state, CaptureSettings &settings);

    /// host takes the capture window into the video area and gives its creation size.
    void setVideoHost(VideoHost *host) { m_host = host; }

    void setScanner(FrameScanner *scanner) { m_scanner = scanner; }
    /// Every frame the session handles, stored or analysed, goes to sink first, until it is
    /// removed; sink must outlive that.
    void addFrameSink(FrameSink *sink);
    void removeFrameSink(FrameSink *sink);
    CaptureService &service() { return m_service; }
    bool hasWindow() const { return m_service.windowExists(); }
    /// Whether stored pictures carry the time of their grab in a corner (off at start).
    /// Frames for the motion scan are never stamped.
    void setTimeStamp(bool on) { m_timeStamp = on; }
    bool timeStamp() const { return m_timeStamp; }
    /// Where the grab time is read; the system clock unless set. clock must outlive the session.
    void setClock(const ClockSource &clock) { m_clock = &clock; }

    /// Connects the driver at DriverIndex with the display switches given; fails with the
    /// reason when no window could be made or the driver refused (no window is left then).
    Result<> ConnectDriver(bool overlay, bool preview, bool scale);
    void DisconnectDriver();
    void ApplyVideoFormat();
    void ApplyPreviewRate();
    /// While the frame callback is registered, each preview frame is handled like a grabbed
    /// one: stored as the current picture, or analysed while the scanner is armed.
    void SetFrameCallback();
    void ClearFrameCallback();
    /// Why a grab gave no picture: no frame came (the camera), or the frame could not be
    /// stored (the disk); reason is worded for the user.
    struct GrabFailure
    {
        bool frameCame = false;
        QString reason;
        bool noSpace = false; // the file system had no room for the picture
    };
    using GrabResult = std::expected<StoredPicture, GrabFailure>;
    /// Grabs one fresh frame. When this returns, the frame has been stored as picture number
    /// at path, or, without a path, analysed by the motion scanner and never stored.
    GrabResult GrabFrame(int number = 0, const QString &path = {});
    /// Stores the frame of the last grab, which could not be stored, as picture number at path
    /// instead; its grab time stays. Fails when that grab's frame was stored or none came.
    GrabResult StoreAgain(int number, const QString &path);
    /// Stores a frame of an earlier grab (kept from before a motion) as picture number at
    /// path, as a grab's frame is stored; the file's modification time is its grab time, so
    /// that it sorts before the pictures taken after it.
    GrabResult StoreEarlier(const QImage &frame, const QDateTime &grabbed, int number,
                            const QString &path);
    /// The bytes of one uncompressed frame of the chosen format.
    qint64 frameBytes() const { return videoHeader().imageSize(); }
    /// Where pictures are written; tests give one whose disk fills up.
    void setPictureWriter(PictureWriter writer) { m_writer = std::move(writer); }
    void PreviewOn() { m_service.setPreview(true); }
    void PreviewOff() { m_service.setPreview(false); }
    void OverlayOn() { m_service.setOverlay(true); }
    void OverlayOff() { m_service.setOverlay(false); }
    void SetScale(bool on) { m_service.setScale(on); }

signals:
    /// The capture window holds no session: its frames are not ours to handle.
    void sessionMissing();
    /// A frame could not be stored; message names the file and the reason. noSpace: the file
    /// system had no room for it.
    void pictureFailed(const QString &message, bool noSpace);
    /// The picture about to be stored replaces one from before this program started; said once.
    void earlierRunOverwritten(const QString &path);

private:
    VideoHeader videoHeader() const;
    bool ownsWindow() const;
    void previewFrame(const QImage &frame);
    GrabResult handleFrame(const QImage &frame, int number, const QString &path);
    GrabResult store(const QImage &frame, const QDateTime &grabbed, int number, const QString &path,
                     bool earlier = false);
    QString whyNotStored(const QString &path, const QString &message) const;
    void noteEarlierRun(const QString &path);

    CaptureService &m_service;
    ApplicationState &m_state;
    CaptureSettings &m_settings;
    VideoHost *m_host = nullptr;
    FrameScanner *m_scanner = nullptr;
    std::vector<FrameSink *> m_sinks;
    PictureWriter m_writer;
    QDateTime m_started; // pictures older than this are an earlier run's
    QImage m_unstored;   // the last grabbed frame while it could not be stored
    QDateTime m_unstoredGrabbed;
    bool m_unstoredEarlier = false; // its file takes its grab time
    bool m_earlierRunNoted = false;
    bool m_timeStamp = false;
    SystemClock m_systemClock;
    const ClockSource *m_clock = &m_systemClock;
};
