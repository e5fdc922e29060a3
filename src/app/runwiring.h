#pragma once
// The parts that take part in a capture run, connected to its moments in the order the
// capture tick needs them: the timer program's end check before the motion batch check. The
// windows and the program without a display run the same wiring.

class CaptureLoop;
class MotionCapture;
class TimerProgramRunner;

void wireCaptureRun(CaptureLoop &loop, MotionCapture &motion, TimerProgramRunner &timer);
