#include "capture/capturesession.h"

#include "capture/capturesettings.h"
#include "capture/filereleaser.h"
#include "capture/framescanner.h"
#include "shell/applicationstate.h"
#include "shell/picturenames.h"
#include "shell/videohost.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>

namespace {
// The file's modification time becomes time; its access time stays.
QString setModified(const QString &path, const QDateTime &time)
{
    const qint64 ms = time.toMSecsSinceEpoch();
    const timespec times[2] = {{0, UTIME_OMIT}, {ms / 1000, (ms % 1000) * 1000000}};
    if (utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0)
        return {};
    return QString::fromLocal8Bit(std::strerror(errno));
}
} // namespace

CaptureSession::CaptureSession(CaptureService &service, ApplicationState &state,
                               CaptureSettings &settings)
    : m_service(service), m_state(state), m_settings(settings),
      m_started(QDateTime::currentDateTime())
{
    // The picture a capture replaces is freed apart from the capture tick, held meanwhile in
    // the store's own directory, out of the numbered ones.
    AtomicFileWriter writer;
    writer.setReleaser(std::make_shared<FileReleaser>(), QStringLiteral("."));
    m_writer = PictureWriter(std::move(writer));
}

VideoHeader CaptureSession::videoHeader() const
{
    return VideoHeader::make(m_settings.FrameWidth, m_settings.FrameHeight, m_settings.BitCount);
}

bool CaptureSession::ownsWindow() const
{
    return m_service.userData() == reinterpret_cast<std::uintptr_t>(this);
}

Result<> CaptureSession::ConnectDriver(bool overlay, bool preview, bool scale)
{
    const QSize size =
        m_host ? m_host->captureWindowSize() : QSize(m_settings.FrameWidth, m_settings.FrameHeight);
    m_settings.CreationWidth = size.width();
    m_settings.CreationHeight = size.height();
    Result<> connected = m_service.createWindow(size);
    if (connected) {
        if (QWidget *window = m_service.window(); window && m_host) // none without a display
            m_host->embedCaptureWindow(window);
        connected = m_service.connectDriver(m_state.DriverIndex());
    }
    if (!connected) {
        m_service.destroyWindow();
        return connected;
    }
    m_service.setVideoFormat(videoHeader());
    m_service.setOverlay(overlay);
    m_service.setPreview(preview);
    m_service.setScale(scale);
    if (m_service.setUserData(reinterpret_cast<std::uintptr_t>(this)))
        SetFrameCallback();
    return {};
}

void CaptureSession::DisconnectDriver()
{
    if (!m_service.windowExists())
        return;
    m_service.stop();
    m_service.setFrameCallback({});
    m_service.disconnectDriver();
    m_service.destroyWindow();
}

void CaptureSession::ApplyVideoFormat()
{
    m_service.setVideoFormat(videoHeader());
}

void CaptureSession::ApplyPreviewRate()
{
    m_service.setPreviewRate(m_settings.PreviewRateMs);
    m_service.setPreview(true);
}

void CaptureSession::SetFrameCallback()
{
    m_service.setFrameCallback([this](const QImage &frame) { previewFrame(frame); });
}

void CaptureSession::ClearFrameCallback()
{
    m_service.setFrameCallback({});
}

CaptureSession::GrabResult CaptureSession::GrabFrame(int number, const QString &path)
{
    m_unstored = QImage(); // only this grab's frame may be stored again
    Result<QImage> frame = m_service.grabFrame();
    if (!frame)
        return std::unexpected(GrabFailure{false, frame.error()});
    if (!ownsWindow()) {
        emit sessionMissing();
        return std::unexpected(GrabFailure{}); // sessionMissing has said what is wrong
    }
    return handleFrame(*frame, number, path);
}

void CaptureSession::addFrameSink(FrameSink *sink)
{
    m_sinks.push_back(sink);
}

void CaptureSession::removeFrameSink(FrameSink *sink)
{
    std::erase(m_sinks, sink);
}

void CaptureSession::previewFrame(const QImage &frame)
{
    if (!ownsWindow()) {
        emit sessionMissing();
        return;
    }
    const int number = m_state.PictureCounter();
    // While the scan is armed, live frames are analysed, as its own grabs are.
    const QString path = m_scanner && m_scanner->scanArmed()
                             ? QString()
                             : PictureStore::PicturePath(m_state.CurrentDirectory(), number);
    const GrabResult handled = handleFrame(frame, number, path);
    if (!handled)
        emit pictureFailed(handled.error().reason, handled.error().noSpace);
}

CaptureSession::GrabResult CaptureSession::handleFrame(const QImage &frame, int number,
                                                       const QString &path)
{
    // The frame has just arrived: now is its grab time.
    const QDateTime grabbed = m_clock->now();
    for (FrameSink *sink : m_sinks)
        sink->takeFrame(frame, grabbed);
    // A grab for the motion scan names no picture: its frame is analysed, never stored.
    if (path.isEmpty()) {
        if (m_scanner)
            m_scanner->takeFrame(frame, grabbed);
        return StoredPicture{};
    }
    return store(frame, grabbed, number, path);
}

CaptureSession::GrabResult CaptureSession::StoreAgain(int number, const QString &path)
{
    if (m_unstored.isNull())
        return std::unexpected(GrabFailure{false, QStringLiteral("no frame to store")});
    const QImage frame = m_unstored;
    return store(frame, m_unstoredGrabbed, number, path, m_unstoredEarlier);
}

CaptureSession::GrabResult CaptureSession::StoreEarlier(const QImage &frame,
                                                        const QDateTime &grabbed, int number,
                                                        const QString &path)
{
    m_unstored = QImage();
    return store(frame, grabbed, number, path, true);
}

CaptureSession::GrabResult CaptureSession::store(const QImage &frame, const QDateTime &grabbed,
                                                 int number, const QString &path, bool earlier)
{
    noteEarlierRun(path);
    const Result<qint64> stored =
        m_writer.store(frame, videoHeader(), m_settings.JpegQuality, m_settings.Greyscale, path,
                       {grabbed, m_service.connectedDriver(), m_timeStamp});
    if (!stored) {
        // Kept, so that the caller may store it under another number (shared, not copied).
        m_unstored = frame;
        m_unstoredGrabbed = grabbed;
        m_unstoredEarlier = earlier;
        return std::unexpected(
            GrabFailure{true, whyNotStored(path, stored.error()), m_writer.lastStoreOutOfSpace()});
    }
    m_unstored = QImage();
    if (earlier) {
        if (const QString why = setModified(path, grabbed); !why.isEmpty())
            return std::unexpected(
                GrabFailure{true, QStringLiteral("%1: its time cannot be set: %2").arg(path, why)});
    }
    return StoredPicture{number, path, grabbed, *stored};
}

// A directory that could not be made shows only as a missing file; its own reason is the one
// the user can act on.
QString CaptureSession::whyNotStored(const QString &path, const QString &message) const
{
    if (QFileInfo::exists(QString::number(m_state.CurrentDirectory())))
        return message;
    if (const Result<> made = PictureStore::CreateDirectory(m_state.CurrentDirectory()); !made)
        return path + QStringLiteral(": the directory \"%1\" cannot be created: %2")
                          .arg(m_state.CurrentDirectory())
                          .arg(made.error());
    return message;
}

// The first picture of this program that replaces one of an earlier run is worth a word:
// numbering starts again at 0 at every start.
void CaptureSession::noteEarlierRun(const QString &path)
{
    if (m_earlierRunNoted)
        return;
    const QFileInfo existing(path);
    if (existing.exists() && existing.lastModified() < m_started) {
        m_earlierRunNoted = true;
        emit earlierRunOverwritten(path);
    }
}
