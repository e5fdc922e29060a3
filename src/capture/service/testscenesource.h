#pragma once
// The built-in source "Vardella test scene": draws the scene at a steady 25 frames a second.

#include "capture/service/framesource.h"
#include "capture/service/testscene.h"
#include "capture/service/testsceneoptions.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

class TestSceneSource : public FrameSource
{
public:
    static constexpr std::chrono::milliseconds FramePeriod{40};
    enum ControlId : std::uint32_t
    {
        MotionControl = 1,
        NoiseControl = 2,
        ClockControl = 3,
        LightSwitchControl = 4,
    };

    explicit TestSceneSource(std::shared_ptr<TestSceneOptions> options);

    Result<> open() override;
    Result<> start(const VideoHeader &header) override;
    ReadResult readFrame(QImage &frame) override;
    void interrupt() override;
    void stop() override;
    void close() override;
    /// The scene draws any size; it offers the high-definition ones a webcam has.
    std::vector<QSize> frameSizes() override { return {{1280, 720}, {1920, 1080}}; }
    std::vector<SourceControl> controls() override;
    Result<> setControl(std::uint32_t id, int value) override;

private:
    using Clock = std::chrono::steady_clock;

    std::shared_ptr<TestSceneOptions> m_options;
    TestScene m_scene;
    QSize m_size;
    Clock::time_point m_started;
    Clock::time_point m_next;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_interrupted = false;
};
