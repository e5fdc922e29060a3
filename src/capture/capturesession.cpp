#include "capture/capturesession.h"

#include "app/applicationstate.h"
#include "capture/capturesettings.h"
#include "capture/framescanner.h"
#include "store/picturestore.h"

#include <QWidget>

CaptureSession::CaptureSession(CaptureService &service, ApplicationState &state,
                               CaptureSettings &settings, QWidget *mainWindow, QWidget *videoArea)
    : m_service(service), m_state(state), m_settings(settings), m_mainWindow(mainWindow),
      m_videoArea(videoArea)
{}

VideoHeader CaptureSession::videoHeader() const
{
    return VideoHeader::make(m_settings.FrameWidth, m_settings.FrameHeight, m_settings.BitCount);
}

bool CaptureSession::ConnectDriver(bool overlay, bool preview, bool scale)
{
    m_settings.CreationWidth = m_mainWindow->frameGeometry().width();
    m_settings.CreationHeight = m_mainWindow->frameGeometry().height();
    bool connected = false;
    m_lastError.clear();
    if (m_service.createWindow(m_videoArea,
                               QSize(m_settings.CreationWidth, m_settings.CreationHeight))) {
        connected = m_service.connectDriver(m_state.DriverIndex);
    }
    if (connected) {
        m_service.setVideoFormat(videoHeader());
        m_service.setOverlay(overlay);
        m_service.setPreview(preview);
        m_service.setScale(scale);
        if (m_service.setUserData(reinterpret_cast<std::uintptr_t>(this)))
            SetFrameCallback();
    } else {
        m_lastError = m_service.lastError();
        m_service.destroyWindow();
    }
    m_buffers.rebuild(videoHeader());
    return connected;
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
    m_buffers.rebuild(videoHeader());
}

void CaptureSession::ApplyPreviewRate()
{
    m_service.setPreviewRate(m_settings.PreviewRateMs);
    m_service.setPreview(true);
}

void CaptureSession::SetFrameCallback()
{
    m_service.setFrameCallback([this](const CapturedFrame &frame) { frameCallback(frame); });
}

void CaptureSession::ClearFrameCallback()
{
    m_service.setFrameCallback({});
}

CaptureSession::Grab CaptureSession::GrabFrame()
{
    m_lastFrame = Grab{Grab::Status::NoFrame, {}};
    if (!m_service.grabFrame()) {
        const QString reason = m_service.lastError();
        return Grab{Grab::Status::NoFrame, reason.isEmpty() ? QStringLiteral("no frame") : reason};
    }
    return m_lastFrame;
}

void CaptureSession::ShowSourceDialog(QWidget *parent)
{
    m_service.showSourceDialog(parent);
    m_videoArea->update();
}

bool CaptureSession::frameCallback(const CapturedFrame &frame)
{
    if (m_service.userData() != reinterpret_cast<std::uintptr_t>(this)) {
        emit sessionMissing();
        return false;
    }
    handleFrame(frame);
    return true;
}

void CaptureSession::handleFrame(const CapturedFrame &frame)
{
    const std::span<const std::uint8_t> bytes(frame.data, frame.size);
    if (m_scanner && m_scanner->scanArmed()) {
        if (m_buffers.copyFrame(bytes) != FrameBuffers::CopyResult::Copied) {
            m_lastFrame = Grab{Grab::Status::Failed, QStringLiteral("the frame is incomplete")};
            return;
        }
        m_scanner->scanFrame(m_buffers.bitmap());
        m_lastFrame = Grab{Grab::Status::Scanned, {}};
        return;
    }
    const QString path =
        PictureStore::PicturePath(m_state.CurrentDirectory, m_state.PictureCounter);
    const WriteResult result =
        m_writer.store(bytes, m_buffers, m_settings.JpegQuality, m_settings.Greyscale, path);
    if (result.ok()) {
        m_lastFrame = Grab{Grab::Status::Stored, {}};
        return;
    }
    m_lastFrame = Grab{Grab::Status::Failed, result.message()};
    emit pictureFailed(result.message());
}
