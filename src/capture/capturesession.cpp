#include "capture/capturesession.h"

#include "capture/capturesettings.h"
#include "capture/framescanner.h"
#include "shell/applicationstate.h"
#include "shell/picturenames.h"
#include "shell/videohost.h"

#include <QWidget>

CaptureSession::CaptureSession(CaptureService &service, ApplicationState &state,
                               CaptureSettings &settings, VideoHost &host)
    : m_service(service), m_state(state), m_settings(settings), m_host(host)
{}

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
    const QSize size = m_host.captureWindowSize();
    m_settings.CreationWidth = size.width();
    m_settings.CreationHeight = size.height();
    Result<> connected = m_service.createWindow(size);
    if (connected) {
        QWidget *window = m_service.window();
        m_host.embedCaptureWindow(window);
        window->show();
        connected = m_service.connectDriver(m_state.DriverIndex);
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

Result<QImage> CaptureSession::GrabFrame()
{
    Result<QImage> frame = m_service.grabFrame();
    if (!frame)
        return frame;
    if (!ownsWindow()) {
        emit sessionMissing();
        return failure(QString()); // sessionMissing has said what is wrong
    }
    handleFrame(*frame);
    return frame;
}

void CaptureSession::ShowSourceDialog(QWidget *parent)
{
    m_service.showSourceDialog(parent);
    if (QWidget *window = m_service.window(); window && window->parentWidget())
        window->parentWidget()->update();
}

void CaptureSession::previewFrame(const QImage &frame)
{
    if (!ownsWindow()) {
        emit sessionMissing();
        return;
    }
    handleFrame(frame);
}

void CaptureSession::handleFrame(const QImage &frame)
{
    if (m_scanner && m_scanner->scanArmed()) {
        m_scanner->scanFrame(frame);
        return;
    }
    const QString path =
        PictureStore::PicturePath(m_state.CurrentDirectory, m_state.PictureCounter);
    const Result<> stored =
        m_writer.store(frame, videoHeader(), m_settings.JpegQuality, m_settings.Greyscale, path);
    if (!stored)
        emit pictureFailed(stored.error());
}
