#pragma once
// A capture service without a window or a device: grabs hand out a grey frame, and the test
// delivers preview frames by hand.

#include "capture/captureservice.h"

struct FakeCaptureService : CaptureService
{
    FrameCallback callback;
    std::uintptr_t data = 0;
    bool previewing = false;
    bool deviceAbsent = false; // a lost device that has not come back

    /// A frame of the requested size, filled with one grey level.
    static QImage frame(int grey = 128, QSize size = QSize(320, 240))
    {
        QImage image(size, QImage::Format_BGR888);
        image.fill(QColor(grey, grey, grey));
        return image;
    }
    /// A live picture frame reaching the frame callback, as the preview timer delivers it.
    void deliverPreview(const QImage &image)
    {
        if (callback)
            callback(image);
    }

    QStringList driverDescriptions() override { return {QStringLiteral("fake")}; }
    QString connectedDriver() const override { return QStringLiteral("fake"); }
    Result<> createWindow(QSize) override { return {}; }
    bool windowExists() const override { return true; }
    QWidget *window() const override { return nullptr; }
    void destroyWindow() override {}
    Result<> connectDriver(int) override { return {}; }
    Result<> disconnectDriver() override { return {}; }
    Result<> stop() override { return {}; }
    Result<> setVideoFormat(const VideoHeader &) override { return {}; }
    Result<> setPreview(bool on) override
    {
        previewing = on;
        return {};
    }
    Result<> setOverlay(bool) override { return {}; }
    Result<> setScale(bool) override { return {}; }
    Result<> setPreviewRate(int) override { return {}; }
    Result<> setUserData(std::uintptr_t value) override
    {
        data = value;
        return {};
    }
    std::uintptr_t userData() const override { return data; }
    Result<> setFrameCallback(FrameCallback f) override
    {
        callback = std::move(f);
        return {};
    }
    Result<QImage> grabFrame() override
    {
        previewing = false;
        return frame();
    }
    Result<> reconnectLostDevice() override
    {
        return deviceAbsent ? failure("absent") : Result<>();
    }
    Result<SourceSettings> sourceSettings() override
    {
        return failure(QStringLiteral("No settings"));
    }
};
