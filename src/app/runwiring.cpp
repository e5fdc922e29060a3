#include "app/runwiring.h"

#include "motion/motioncapture.h"
#include "programs/timerprogramrunner.h"
#include "store/captureloop.h"

void wireCaptureRun(CaptureLoop &loop, MotionCapture &motion, TimerProgramRunner &timer)
{
    QObject::connect(&loop, &CaptureLoop::started, &motion, &MotionCapture::captureStarted);
    QObject::connect(&loop, &CaptureLoop::stopped, &motion, &MotionCapture::captureStopped);
    QObject::connect(&loop, &CaptureLoop::firstPictureStored, &motion,
                     &MotionCapture::numberingRestarted);
    QObject::connect(&loop, &CaptureLoop::pictureStored, &timer, &TimerProgramRunner::endCheck);
    // The program's end time still ends a run whose camera is away.
    QObject::connect(&loop, &CaptureLoop::pictureSkipped, &timer, &TimerProgramRunner::endCheck);
    QObject::connect(&loop, &CaptureLoop::pictureStored, &motion, &MotionCapture::batchCheck);
}
