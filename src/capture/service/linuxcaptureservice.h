#pragma once
// The capture service on Linux: V4L2 cameras through libv4l2, then the built-in test scene.
// A capture thread keeps the newest frame; frames reach the program, and the capture window
// is painted, only on the user-interface thread.

#include "capture/captureservice.h"
#include "capture/service/capturedisplay.h"

#include <QImage>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <memory>
#include <vector>

class DeviceIo;
class FrameSource;
class FrameWorker;
struct TestSceneOptions;

class LinuxCaptureService : public CaptureService
{
    Q_OBJECT
public:
    static const QString TestSceneName; // "Vardella test scene"
    static constexpr int MaxDrivers = 10;

    /// io reaches the devices (libv4l2 when null); tests pass a fake.
    explicit LinuxCaptureService(std::shared_ptr<DeviceIo> io = nullptr, QObject *parent = nullptr);
    /// Where capture windows come from. Without one (the program without a display) the
    /// capture "window" is only a state, no widget is made, and the live picture is not drawn.
    void setDisplayFactory(CaptureDisplayFactory factory) { m_displayFactory = std::move(factory); }
    ~LinuxCaptureService() override;

    QStringList driverDescriptions() override;
    QString connectedDriver() const override { return m_sourceName; }
    QList<QSize> cameraSizes() const override { return m_cameraSizes; }
    Result<> createWindow(QSize size) override;
    bool windowExists() const override;
    QWidget *window() const override;
    void destroyWindow() override;
    Result<> connectDriver(int index) override;
    Result<> disconnectDriver() override;
    Result<> stop() override;
    Result<> setVideoFormat(const VideoHeader &header) override;
    Result<> setPreview(bool on) override;
    Result<> setOverlay(bool on) override;
    Result<> setScale(bool on) override;
    Result<> setPreviewRate(int milliseconds) override;
    Result<> setUserData(std::uintptr_t value) override;
    std::uintptr_t userData() const override;
    Result<> setFrameCallback(FrameCallback callback) override;
    Result<QImage> grabFrame() override;
    Result<> reconnectLostDevice() override;
    Result<SourceSettings> sourceSettings() override;
    /// The test scene's options, kept across connections.
    TestSceneOptions &testSceneOptions() { return *m_sceneOptions; }

    bool isConnected() const { return m_source != nullptr; }
    bool isPreviewing() const { return m_preview; }
    bool isOverlaying() const { return m_overlay; }
    int previewRate() const { return m_previewRate; }
    VideoHeader videoFormat() const { return m_header; }
    /// How long grabFrame waits for a fresh frame before it fails (2 s).
    void setGrabTimeout(std::chrono::milliseconds timeout) { m_grabTimeout = timeout; }
    /// How long a streaming source may send nothing before it counts as lost, from the next
    /// start of its frames on. The default lies below three grab time-outs, so that grabs
    /// that keep waiting in vain meet the loss before they end a run as failed grabs.
    void setSilenceLimit(std::chrono::milliseconds limit) { m_silenceLimit = limit; }

private:
    struct Driver
    {
        QString description;
        QString path; // empty for the test scene
        QString card; // the camera's card name; empty for the test scene
    };

    std::vector<Driver> drivers();
    Result<> requireWindow() const;
    Result<> requireDriver() const;
    Result<> requireIdle() const;
    std::unique_ptr<FrameSource> makeSource(const Driver &driver) const;
    Result<> startSource();
    void stopWorker();
    void teardown();
    void onWorkerNotified();
    void onPreviewTick();
    void reportLost();
    std::unique_ptr<FrameSource> openLostSource(QString *description);
    Result<> reopenSilentSource();
    Result<> takeFreshFrame();
    void showFront();
    void deliverFront();

    std::shared_ptr<DeviceIo> m_io;
    std::shared_ptr<TestSceneOptions> m_sceneOptions;
    std::vector<Driver> m_drivers; // as last listed
    CaptureDisplayFactory m_displayFactory;
    CaptureDisplay *m_display = nullptr;
    QPointer<QObject> m_window;    // the display's object, which may go with the video area
    bool m_windowlessOpen = false; // the window a service without displays stands in for
    std::unique_ptr<FrameSource> m_source;
    QList<QSize> m_cameraSizes;
    QString m_sourceName;
    QString m_sourceCard; // how a lost camera is known when it comes back
    std::unique_ptr<FrameWorker> m_worker;
    VideoHeader m_header;
    QImage m_front; // the frame the program and the window see
    std::uint64_t m_frontSequence = 0;
    std::uint64_t m_givenSequence = 0; // the last frame handed to the callback
    bool m_preview = false;
    bool m_overlay = false;
    bool m_scale = false;
    bool m_delivering = false;
    bool m_lostReported = false;
    bool m_silentLoss = false; // the loss reported was a source that went silent
    int m_previewRate = 66;
    QTimer m_previewTimer;
    std::uintptr_t m_userData = 0;
    FrameCallback m_callback;
    QString m_sourceError; // why the connected source delivers no frames
    std::chrono::milliseconds m_grabTimeout{2000};
    std::chrono::milliseconds m_silenceLimit{5000};
};
