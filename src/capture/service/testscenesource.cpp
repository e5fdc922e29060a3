#include "capture/service/testscenesource.h"

#include <QTime>

TestSceneSource::TestSceneSource(std::shared_ptr<TestSceneOptions> options)
    : m_options(std::move(options))
{}

Result<> TestSceneSource::open()
{
    return {};
}

Result<> TestSceneSource::start(const VideoHeader &header)
{
    const std::lock_guard lock(m_mutex);
    m_size = header.size();
    m_started = Clock::now();
    m_next = m_started;
    m_interrupted = false;
    return {};
}

FrameSource::ReadResult TestSceneSource::readFrame(QImage &frame)
{
    {
        std::unique_lock lock(m_mutex);
        if (m_wake.wait_until(lock, m_next, [this] { return m_interrupted; }))
            return {};
        const auto now = Clock::now();
        // Keep a steady rate, but do not race to catch up after a stall.
        m_next = (now - m_next > FramePeriod) ? now + FramePeriod : m_next + FramePeriod;
    }
    if (m_options->frozen)
        return {};
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_started);
    const TestScene::Options options{m_options->motion.load(), m_options->noise.load(),
                                     m_options->clock.load(), m_options->dimmed.load()};
    if (!prepareFrame(frame, m_size))
        return outOfMemory(m_size);
    m_scene.draw(frame, QTime::currentTime(), elapsed.count(), options);
    return {Read::Frame, {}};
}

void TestSceneSource::interrupt()
{
    {
        const std::lock_guard lock(m_mutex);
        m_interrupted = true;
    }
    m_wake.notify_all();
}

void TestSceneSource::stop() {}

void TestSceneSource::close() {}

std::vector<SourceControl> TestSceneSource::controls()
{
    SourceControl motion;
    motion.id = MotionControl;
    motion.name = QStringLiteral("Motion");
    motion.kind = SourceControl::Kind::Boolean;
    motion.maximum = 1;
    motion.defaultValue = 1;
    motion.value = m_options->motion ? 1 : 0;
    SourceControl noise = motion;
    noise.id = NoiseControl;
    noise.name = QStringLiteral("Noise");
    noise.defaultValue = 0;
    noise.value = m_options->noise ? 1 : 0;
    SourceControl clock = motion;
    clock.id = ClockControl;
    clock.name = QStringLiteral("Clock");
    clock.value = m_options->clock ? 1 : 0;
    SourceControl light = noise;
    light.id = LightSwitchControl;
    light.name = QStringLiteral("Light switch");
    light.value = m_options->dimmed ? 1 : 0;
    return {motion, noise, clock, light};
}

Result<> TestSceneSource::setControl(std::uint32_t id, int value)
{
    if (id == MotionControl)
        m_options->motion = value != 0;
    else if (id == NoiseControl)
        m_options->noise = value != 0;
    else if (id == ClockControl)
        m_options->clock = value != 0;
    else if (id == LightSwitchControl)
        m_options->dimmed = value != 0;
    else
        return failure(QStringLiteral("The test scene has no setting %1").arg(id));
    return {};
}
