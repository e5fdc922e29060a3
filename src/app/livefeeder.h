#pragma once
// Keeps the web view's live picture live while the run grabs seldom or not at all (a long
// interval, a wait for a timer program, capture stopped): while someone watches and no frame
// of the run came for a frame period, one is grabbed for the live picture alone. It is never
// stored, scanned or kept as a picture from before a motion.

#include "capture/framesink.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class CaptureCore;
class WebLive;

class LiveFeeder : public QObject, public FrameSink
{
    Q_OBJECT
public:
    /// core and live must outlive the feeder.
    LiveFeeder(CaptureCore &core, WebLive &live);
    ~LiveFeeder() override;

    /// The run's own frames: none needs grabbing for a while.
    void takeFrame(const QImage &frame, const QDateTime &grabbed) override;

private:
    void tick();

    CaptureCore &m_core;
    WebLive &m_live;
    QTimer m_timer;
    QElapsedTimer m_lastFrame;
    // A camera that is lost is the run's to wait for: grabbing it here would only block.
    bool m_cameraLost = false;
};
