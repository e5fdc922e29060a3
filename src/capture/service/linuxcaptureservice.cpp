#include "capture/service/linuxcaptureservice.h"

#include "capture/service/capturedevicelist.h"
#include "capture/service/capturewidget.h"
#include "capture/service/frameworker.h"
#include "capture/service/libv4l2deviceio.h"
#include "capture/service/sourcedialog.h"
#include "capture/service/testscenesource.h"
#include "capture/service/v4l2camera.h"

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

bool LinuxCaptureService::fail(const QString &reason)
{
    m_lastError = reason;
    return false;
}

bool LinuxCaptureService::requireWindow()
{
    return m_window || fail(QStringLiteral("There is no capture window"));
}

bool LinuxCaptureService::requireDriver()
{
    return m_source || fail(QStringLiteral("No capture driver is connected"));
}

QString LinuxCaptureService::lastError() const
{
    return m_lastError;
}

std::vector<LinuxCaptureService::Driver> LinuxCaptureService::drivers()
{
    std::vector<Driver> list;
    for (const CaptureDeviceInfo &device : CaptureDeviceList::find(*m_io))
        list.push_back({device.description, device.path});
    list.push_back({TestSceneName, QString()});
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

bool LinuxCaptureService::createWindow(QWidget *parent, QSize size)
{
    destroyWindow();
    if (size.isEmpty())
        return fail(QStringLiteral("A capture window needs a width and a height"));
    // Like any new capture window, this one starts with no live picture and its own settings.
    m_scale = false;
    m_previewRate = DefaultPreviewRate;
    m_previewTimer.setInterval(m_previewRate);
    m_userData = 0;
    m_callback = nullptr;
    m_window = new CaptureWidget(parent);
    m_window->setGeometry(QRect(QPoint(0, 0), size));
    // The video area may take the window with it; the connection must not outlive it.
    connect(m_window, &QObject::destroyed, this, [this] { teardown(); });
    m_window->show();
    return true;
}

bool LinuxCaptureService::windowExists() const
{
    return !m_window.isNull();
}

QWidget *LinuxCaptureService::window() const
{
    return m_window.data();
}

void LinuxCaptureService::destroyWindow()
{
    teardown();
    delete m_window.data();
}

std::unique_ptr<FrameSource> LinuxCaptureService::makeSource(const Driver &driver) const
{
    if (driver.path.isEmpty())
        return std::make_unique<TestSceneSource>(m_sceneOptions);
    return std::make_unique<V4l2Camera>(m_io, driver.path);
}

bool LinuxCaptureService::connectDriver(int index)
{
    if (!requireWindow())
        return false;
    if (m_delivering)
        return fail(QStringLiteral("A frame is being handed over"));
    teardown();
    if (m_drivers.empty())
        m_drivers = drivers();
    const std::vector<Driver> list = m_drivers;
    if (index < 0 || index >= int(list.size()))
        return fail(QStringLiteral("There is no capture driver number %1").arg(index));
    std::unique_ptr<FrameSource> source = makeSource(list[std::size_t(index)]);
    const CaptureResult opened = source->open();
    if (!opened)
        return fail(opened.reason);
    m_source = std::move(source);
    m_sourceName = list[std::size_t(index)].description;
    const CaptureResult started = startSource();
    if (!started) {
        teardown();
        return fail(started.reason);
    }
    return true;
}

CaptureResult LinuxCaptureService::startSource()
{
    m_frontSequence = 0;
    m_givenSequence = 0;
    m_front.assign(m_header.imageSize(), 0);
    const CaptureResult started = m_source->start(m_header);
    m_sourceError = started.reason;
    if (!started)
        return started;
    // The worker is joined before this service goes, so posting to it stays safe.
    m_worker = std::make_unique<FrameWorker>(*m_source, m_header.imageSize(), [this] {
        QMetaObject::invokeMethod(this, &LinuxCaptureService::onWorkerNotified,
                                  Qt::QueuedConnection);
    });
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
    m_sourceName.clear();
    m_sourceError.clear();
    m_lostReported = false;
}

bool LinuxCaptureService::disconnectDriver()
{
    if (!requireWindow())
        return false;
    if (m_delivering)
        return fail(QStringLiteral("A frame is being handed over"));
    const bool wasConnected = m_source != nullptr;
    teardown();
    return wasConnected || fail(QStringLiteral("No capture driver is connected"));
}

bool LinuxCaptureService::stop()
{
    if (!requireWindow())
        return false;
    m_previewTimer.stop();
    m_preview = false;
    m_overlay = false;
    return true;
}

bool LinuxCaptureService::setVideoFormat(const VideoHeader &header)
{
    if (!requireWindow() || !requireDriver())
        return false;
    if (header.width <= 0 || header.height <= 0 || header.width > MaxSide ||
        header.height > MaxSide)
        return fail(QStringLiteral("Frames of %1 x %2 pixels are not supported")
                        .arg(header.width)
                        .arg(header.height));
    if (header.bitCount != 24 || header.planes != 1)
        return fail(QStringLiteral("Only 24-bit frames are supported"));
    if (m_delivering)
        return fail(QStringLiteral("A frame is being handed over"));
    if (header == m_header && m_worker && !m_worker->lost())
        return true; // restarting would only drop frames while the camera settles again
    stopWorker();
    m_source->stop();
    m_header = header;
    const CaptureResult started = startSource();
    return started || fail(started.reason);
}

bool LinuxCaptureService::setPreview(bool on)
{
    if (!requireWindow())
        return false;
    if (on && !requireDriver())
        return false;
    m_preview = on;
    if (on) {
        m_overlay = false; // the two exclude each other, as in a capture window
        m_previewTimer.start(m_previewRate);
    } else {
        m_previewTimer.stop();
    }
    return true;
}

bool LinuxCaptureService::setOverlay(bool on)
{
    if (!requireWindow())
        return false;
    if (on && !requireDriver())
        return false;
    m_overlay = on;
    if (on) {
        m_preview = false;
        m_previewTimer.stop();
        if (m_worker && !m_delivering && m_worker->takeNewer(m_frontSequence, m_front))
            showFront();
    }
    return true;
}

bool LinuxCaptureService::setScale(bool on)
{
    if (!requireWindow())
        return false;
    m_scale = on;
    m_window->setScaled(on);
    return true;
}

bool LinuxCaptureService::setPreviewRate(int milliseconds)
{
    if (!requireWindow())
        return false;
    if (milliseconds <= 0)
        return fail(QStringLiteral("The preview rate must be at least 1 ms"));
    m_previewRate = milliseconds;
    m_previewTimer.setInterval(milliseconds);
    return true;
}

bool LinuxCaptureService::setUserData(std::uintptr_t value)
{
    if (!requireWindow())
        return false;
    m_userData = value;
    return true;
}

std::uintptr_t LinuxCaptureService::userData() const
{
    return m_window ? m_userData : 0;
}

bool LinuxCaptureService::setFrameCallback(FrameCallback callback)
{
    if (!requireWindow())
        return false;
    m_callback = std::move(callback);
    return true;
}

bool LinuxCaptureService::grabFrame()
{
    if (!requireWindow() || !requireDriver())
        return false;
    if (m_delivering)
        return fail(QStringLiteral("A frame is being handed over"));
    // A grab ends the live picture, as a capture window's grab does.
    m_previewTimer.stop();
    m_preview = false;
    m_overlay = false;
    if (!m_worker)
        return fail(m_sourceError.isEmpty() ? QStringLiteral("The driver delivers no frames")
                                            : m_sourceError);
    if (!takeFreshFrame())
        return false;
    showFront();
    deliverFront();
    return true;
}

// The newest frame not yet given to the program; waits only when there is none.
bool LinuxCaptureService::takeFreshFrame()
{
    m_worker->takeNewer(m_frontSequence, m_front);
    if (m_frontSequence > m_givenSequence)
        return true;
    if (!m_worker->waitForNewer(m_frontSequence, m_grabTimeout)) {
        if (m_worker->lost())
            return fail(m_worker->lostReason());
        return fail(QStringLiteral("No frame arrived within %1 ms").arg(m_grabTimeout.count()));
    }
    return m_worker->takeNewer(m_frontSequence, m_front);
}

void LinuxCaptureService::showFront()
{
    if (m_window)
        m_window->showFrame(m_front.data(), m_header);
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
    callback(CapturedFrame{m_front.data(), m_front.size()});
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
    // Overlay shows every frame, at the device's own rate.
    if (m_overlay && !m_delivering && m_worker->takeNewer(m_frontSequence, m_front))
        showFront();
}

void LinuxCaptureService::reportLost()
{
    if (m_lostReported)
        return;
    m_lostReported = true;
    m_sourceError = m_worker->lostReason();
    m_lastError = m_sourceError;
    m_previewTimer.stop();
    m_preview = false;
    m_overlay = false;
    stopWorker();
    emit deviceLost(m_sourceError);
}

std::unique_ptr<SourceDialog> LinuxCaptureService::createSourceDialog(QWidget *parent)
{
    if (!requireWindow() || !requireDriver())
        return nullptr;
    // The dialog may outlive the connection; it then finds no source and changes nothing.
    const QPointer<LinuxCaptureService> self(this);
    FrameSource *source = m_source.get();
    auto connected = [self, source] { return self && self->m_source.get() == source; };
    auto read = [connected, source] {
        return connected() ? source->controls() : std::vector<SourceControl>{};
    };
    auto write = [connected, source](std::uint32_t id, int value) {
        if (!connected())
            return CaptureResult::failure(QStringLiteral("No capture driver is connected"));
        return source->setControl(id, value);
    };
    return std::make_unique<SourceDialog>(m_sourceName, read, write, parent);
}

bool LinuxCaptureService::showSourceDialog(QWidget *parent)
{
    const std::unique_ptr<SourceDialog> dialog = createSourceDialog(parent);
    if (!dialog)
        return false;
    dialog->exec();
    if (m_window)
        m_window->update();
    return true;
}
