#include "capture/service/linuxcaptureservice.h"

#include "capture/camerasizes.h"

#include "capture/service/capturedevicelist.h"
#include "capture/service/frameworker.h"
#include "capture/service/libv4l2deviceio.h"
#include "capture/service/testscenesource.h"
#include "capture/service/v4l2camera.h"

#include <QDateTime>
#include <QScopeGuard>

namespace {
constexpr int MaxSide = 8192;
constexpr int DefaultPreviewRate = 66;
} // namespace

const QString LinuxCaptureService::TestSceneName = QStringLiteral("Vardella test scene");

LinuxCaptureService::LinuxCaptureService(std::shared_ptr<DeviceIo> io, QObject *parent)
    : CaptureService(parent), m_io(io ? std::move(io) : std::make_shared<LibV4l2DeviceIo>()),
      m_sceneOptions(std::make_shared<TestSceneOptions>())
{
    m_previewTimer.setInterval(m_previewRate);
    connect(&m_previewTimer, &QTimer::timeout, this, &LinuxCaptureService::onPreviewTick);
}

LinuxCaptureService::~LinuxCaptureService()
{
    destroyWindow();
}

Result<> LinuxCaptureService::requireWindow() const
{
    if (!windowExists())
        return failure(QStringLiteral("There is no capture window"));
    return {};
}

// A window with a driver connected.
Result<> LinuxCaptureService::requireDriver() const
{
    if (Result<> window = requireWindow(); !window)
        return window;
    if (!m_source)
        return failure(QStringLiteral("No capture driver is connected"));
    return {};
}

// While a frame is handed to the callback, nothing may pull the connection from under it.
Result<> LinuxCaptureService::requireIdle() const
{
    if (m_delivering)
        return failure(QStringLiteral("A frame is being handed over"));
    return {};
}

std::vector<LinuxCaptureService::Driver> LinuxCaptureService::drivers()
{
    std::vector<Driver> list;
    for (const CaptureDeviceInfo &device : CaptureDeviceList::find(*m_io))
        list.push_back({device.description, device.path, device.card});
    list.push_back({TestSceneName, QString(), QString()});
    if (list.size() > MaxDrivers)
        list.resize(MaxDrivers);
    return list;
}

QStringList LinuxCaptureService::driverDescriptions()
{
    // Connecting by index means the entry of this list, even if devices come and go meanwhile.
    m_drivers = drivers();
    QStringList descriptions;
    for (const Driver &driver : m_drivers)
        descriptions << driver.description;
    return descriptions;
}

Result<> LinuxCaptureService::createWindow(QSize size)
{
    destroyWindow();
    if (size.isEmpty())
        return failure(QStringLiteral("A capture window needs a width and a height"));
    // Like any new capture window, this one starts with no live picture and its own settings.
    m_scale = false;
    m_previewRate = DefaultPreviewRate;
    m_previewTimer.setInterval(m_previewRate);
    m_userData = 0;
    m_callback = nullptr;
    if (!m_displayFactory) {
        m_windowlessOpen = true;
        return {};
    }
    m_display = m_displayFactory(size);
    m_window = m_display->displayObject();
    // The video area may take the window with it; the connection must not outlive it.
    connect(m_window, &QObject::destroyed, this, [this] {
        m_display = nullptr;
        teardown();
    });
    return {};
}

bool LinuxCaptureService::windowExists() const
{
    return !m_window.isNull() || m_windowlessOpen;
}

QWidget *LinuxCaptureService::window() const
{
    return m_window ? m_display->displayWidget() : nullptr;
}

void LinuxCaptureService::destroyWindow()
{
    teardown();
    m_windowlessOpen = false;
    delete m_window.data();
    m_display = nullptr;
}

std::unique_ptr<FrameSource> LinuxCaptureService::makeSource(const Driver &driver) const
{
    if (driver.path.isEmpty())
        return std::make_unique<TestSceneSource>(m_sceneOptions);
    return std::make_unique<V4l2Camera>(m_io, driver.path);
}

Result<> LinuxCaptureService::connectDriver(int index)
{
    if (Result<> window = requireWindow(); !window)
        return window;
    if (Result<> idle = requireIdle(); !idle)
        return idle;
    teardown();
    if (m_drivers.empty())
        m_drivers = drivers();
    const std::vector<Driver> list = m_drivers;
    if (index < 0 || index >= int(list.size()))
        return failure(QStringLiteral("There is no capture driver number %1").arg(index));
    std::unique_ptr<FrameSource> source = makeSource(list[std::size_t(index)]);
    if (Result<> opened = source->open(); !opened)
        return opened;
    m_source = std::move(source);
    m_cameraSizes = CameraSizes::beyondListed(m_source->frameSizes());
    m_sourceName = list[std::size_t(index)].description;
    m_sourceCard = list[std::size_t(index)].card;
    Result<> started = startSource();
    if (!started)
        teardown();
    return started;
}

Result<> LinuxCaptureService::startSource()
{
    m_frontSequence = 0;
    m_givenSequence = 0;
    m_front = QImage();
    Result<> started = m_source->start(m_header);
    m_sourceError = started ? QString() : started.error();
    if (!started)
        return started;
    // The worker is joined before this service goes, so posting to it stays safe.
    m_worker = std::make_unique<FrameWorker>(
        *m_source, m_header.size(),
        [this] {
            QMetaObject::invokeMethod(this, &LinuxCaptureService::onWorkerNotified,
                                      Qt::QueuedConnection);
        },
        m_silenceLimit);
    m_worker->start();
    return started;
}

void LinuxCaptureService::stopWorker()
{
    if (m_worker) {
        m_worker->stop();
        m_worker.reset();
    }
}

void LinuxCaptureService::teardown()
{
    stopWorker();
    m_previewTimer.stop();
    m_preview = false;
    m_overlay = false;
    if (m_source) {
        m_source->close();
        m_source.reset();
    }
    m_cameraSizes.clear();
    m_sourceName.clear();
    m_sourceCard.clear();
    m_sourceError.clear();
    m_lostReported = false;
    m_silentLoss = false;
}

Result<> LinuxCaptureService::disconnectDriver()
{
    if (Result<> window = requireWindow(); !window)
        return window;
    if (Result<> idle = requireIdle(); !idle)
        return idle;
    Result<> connected = requireDriver();
    teardown();
    return connected;
}

Result<> LinuxCaptureService::stop()
{
    if (Result<> ready = requireWindow(); !ready)
        return ready;
    m_previewTimer.stop();
    m_preview = false;
    m_overlay = false;
    return {};
}

Result<> LinuxCaptureService::setVideoFormat(const VideoHeader &header)
{
    if (Result<> connected = requireDriver(); !connected)
        return connected;
    if (header.width <= 0 || header.height <= 0 || header.width > MaxSide ||
        header.height > MaxSide)
        return failure(QStringLiteral("Frames of %1 x %2 pixels are not supported")
                           .arg(header.width)
                           .arg(header.height));
    if (header.bitCount != 24 || header.planes != 1)
        return failure(QStringLiteral("Only 24-bit frames are supported"));
    if (Result<> idle = requireIdle(); !idle)
        return idle;
    if (header == m_header && m_worker && !m_worker->lost())
        return {}; // restarting would only drop frames while the camera settles again
    stopWorker();
    m_source->stop();
    m_header = header;
    return startSource();
}

Result<> LinuxCaptureService::setPreview(bool on)
{
    if (Result<> ready = on ? requireDriver() : requireWindow(); !ready)
        return ready;
    m_preview = on;
    if (on) {
        m_overlay = false; // the two exclude each other, as in a capture window
        m_previewTimer.start(m_previewRate);
    } else {
        m_previewTimer.stop();
    }
    return {};
}

Result<> LinuxCaptureService::setOverlay(bool on)
{
    if (Result<> ready = on ? requireDriver() : requireWindow(); !ready)
        return ready;
    m_overlay = on;
    if (on) {
        m_preview = false;
        m_previewTimer.stop();
        if (m_worker && !m_delivering && m_worker->takeNewer(m_frontSequence, m_front))
            showFront();
    }
    return {};
}

Result<> LinuxCaptureService::setScale(bool on)
{
    if (Result<> ready = requireWindow(); !ready)
        return ready;
    m_scale = on;
    if (m_window)
        m_display->setScaled(on);
    return {};
}

Result<> LinuxCaptureService::setPreviewRate(int milliseconds)
{
    if (Result<> ready = requireWindow(); !ready)
        return ready;
    if (milliseconds <= 0)
        return failure(QStringLiteral("The preview rate must be at least 1 ms"));
    m_previewRate = milliseconds;
    m_previewTimer.setInterval(milliseconds);
    return {};
}

Result<> LinuxCaptureService::setUserData(std::uintptr_t value)
{
    if (Result<> ready = requireWindow(); !ready)
        return ready;
    m_userData = value;
    return {};
}

std::uintptr_t LinuxCaptureService::userData() const
{
    return windowExists() ? m_userData : 0;
}

Result<> LinuxCaptureService::setFrameCallback(FrameCallback callback)
{
    if (Result<> ready = requireWindow(); !ready)
        return ready;
    m_callback = std::move(callback);
    return {};
}

Result<QImage> LinuxCaptureService::grabFrame()
{
    if (Result<> connected = requireDriver(); !connected)
        return std::unexpected(connected.error());
    if (Result<> idle = requireIdle(); !idle)
        return std::unexpected(idle.error());
    // A grab ends the live picture, as a capture window's grab does.
    m_previewTimer.stop();
    m_preview = false;
    m_overlay = false;
    if (!m_worker)
        return failure(m_sourceError.isEmpty() ? QStringLiteral("The driver delivers no frames")
                                               : m_sourceError);
    if (Result<> fresh = takeFreshFrame(); !fresh) {
        // Said before the failure is returned, so that the caller knows this grab met a loss.
        if (m_worker->lost())
            reportLost();
        return std::unexpected(fresh.error());
    }
    showFront();
    m_givenSequence = m_frontSequence;
    return m_front;
}

// The newest frame not yet given to the program; waits only when there is none.
Result<> LinuxCaptureService::takeFreshFrame()
{
    m_worker->takeNewer(m_frontSequence, m_front);
    if (m_frontSequence > m_givenSequence)
        return {};
    if (!m_worker->waitForNewer(m_frontSequence, m_grabTimeout)) {
        if (m_worker->lost())
            return failure(m_worker->lostReason());
        return failure(QStringLiteral("No frame arrived within %1 ms").arg(m_grabTimeout.count()));
    }
    m_worker->takeNewer(m_frontSequence, m_front);
    return {};
}

void LinuxCaptureService::showFront()
{
    if (m_window)
        m_display->takeFrame(m_front, QDateTime()); // the live picture needs no time
}

void LinuxCaptureService::deliverFront()
{
    m_givenSequence = m_frontSequence;
    if (!m_callback)
        return;
    // A copy: the callback may clear or replace itself while it runs.
    const FrameCallback callback = m_callback;
    m_delivering = true;
    const auto done = qScopeGuard([this] { m_delivering = false; });
    callback(m_front);
}

void LinuxCaptureService::onPreviewTick()
{
    if (!m_worker || !m_preview || m_delivering)
        return;
    if (!m_worker->takeNewer(m_frontSequence, m_front))
        return;
    showFront();
    if (m_callback)
        deliverFront();
}

void LinuxCaptureService::onWorkerNotified()
{
    if (!m_worker)
        return; // a notice of a worker that has gone since
    m_worker->acknowledge();
    if (m_worker->lost()) {
        reportLost();
        return;
    }
    // A source opened again after it went silent is back with its first frame.
    if (m_lostReported && m_silentLoss && m_worker->newestSequence() > 0) {
        m_lostReported = false;
        m_silentLoss = false;
    }
    // Overlay shows every frame, at the device's own rate.
    if (m_overlay && !m_delivering && m_worker->takeNewer(m_frontSequence, m_front))
        showFront();
}

void LinuxCaptureService::reportLost()
{
    const bool silent = m_worker->wentSilent();
    m_sourceError = m_worker->lostReason();
    m_previewTimer.stop();
    m_preview = false;
    m_overlay = false;
    stopWorker();
    // A source opened again that stays silent is still the loss said before.
    if (m_lostReported)
        return;
    m_lostReported = true;
    m_silentLoss = silent;
    emit deviceLost(m_sourceError);
}

// The lost camera, opened under whatever node carries its card name now; description is set
// to its driver list entry. Null when no such device opens.
std::unique_ptr<FrameSource> LinuxCaptureService::openLostSource(QString *description)
{
    for (const CaptureDeviceInfo &device : CaptureDeviceList::find(*m_io)) {
        if (device.card != m_sourceCard)
            continue;
        auto camera = std::make_unique<V4l2Camera>(m_io, device.path);
        if (!camera->open())
            continue;
        *description = device.description;
        return camera;
    }
    return nullptr;
}

// A source that went silent is still there: it is opened again, and is back only once it
// sends a frame, so that a driver that hangs again is not taken for back at every opening.
Result<> LinuxCaptureService::reopenSilentSource()
{
    if (m_worker && !m_worker->lost()) {
        if (m_worker->newestSequence() == 0)
            return failure(QStringLiteral("%1 has sent no picture since it was opened again")
                               .arg(m_sourceName));
        m_lostReported = false;
        m_silentLoss = false;
        return {};
    }
    stopWorker();
    QString description = m_sourceName;
    std::unique_ptr<FrameSource> source =
        m_sourceCard.isEmpty() ? makeSource({m_sourceName, {}, {}}) : openLostSource(&description);
    if (!source)
        return failure(QStringLiteral("No device named %1 is present").arg(m_sourceCard));
    if (m_sourceCard.isEmpty()) {
        if (Result<> opened = source->open(); !opened)
            return opened;
    }
    m_source->close();
    m_source = std::move(source);
    m_sourceName = description;
    if (Result<> started = startSource(); !started)
        return started;
    return failure(QStringLiteral("%1 has sent no picture yet").arg(m_sourceName));
}

Result<> LinuxCaptureService::reconnectLostDevice()
{
    if (Result<> connected = requireDriver(); !connected)
        return connected;
    if (Result<> idle = requireIdle(); !idle)
        return idle;
    if (!m_lostReported)
        return {};
    if (m_silentLoss)
        return reopenSilentSource();
    if (m_sourceCard.isEmpty())
        return failure(QStringLiteral("%1 cannot come back").arg(m_sourceName));
    // A camera that was unplugged and plugged in again usually gets another device number.
    QString description;
    std::unique_ptr<FrameSource> camera = openLostSource(&description);
    if (!camera)
        return failure(QStringLiteral("No device named %1 is present").arg(m_sourceCard));
    m_source->close();
    m_source = std::move(camera);
    m_sourceName = description;
    Result<> started = startSource();
    // Still lost when it would not stream: the next attempt starts over.
    m_lostReported = !started;
    return started;
}

Result<CaptureService::SourceSettings> LinuxCaptureService::sourceSettings()
{
    if (Result<> connected = requireDriver(); !connected)
        return failure(connected.error());
    // A dialog may outlive the connection; it then finds no source and changes nothing.
    const QPointer<LinuxCaptureService> self(this);
    FrameSource *source = m_source.get();
    auto connected = [self, source] { return self && self->m_source.get() == source; };
    SourceSettings settings;
    settings.name = m_sourceName;
    settings.read = [connected, source] {
        return connected() ? source->controls() : std::vector<SourceControl>{};
    };
    settings.write = [connected, source](std::uint32_t id, int value) {
        if (!connected())
            return Result<>(failure(QStringLiteral("No capture driver is connected")));
        return source->setControl(id, value);
    };
    return settings;
}
