#pragma once
// Runs the daily timer program against a capture run: the clock tick's start check and the
// end check after each stored picture and once a second, on a clock that tests can set. Used by the
// timer-motion menu and by the program without a display alike.

#include "programs/timerprogram.h"

#include <QObject>

class CaptureRunControl;
class ClockSource;
struct ApplicationState;

class TimerProgramRunner : public QObject
{
    Q_OBJECT
public:
    TimerProgramRunner(ApplicationState &state, CaptureRunControl &run, const ClockSource &clock);

    TimerProgram &program() { return m_program; }
    const TimerProgram &program() const { return m_program; }

    /// The clock tick's check: capture starts when the start time has come.
    void startCheck();
    /// After each stored picture and once a second while capture runs: capture stops when the
    /// end time has come.
    void endCheck();
    /// At the start of a run that continues the last one: capture starts again when the
    /// program's time has begun and not yet ended.
    void resume();
    /// Says the day's times (dayPlanned) when the program follows the sun and the day is new.
    void announceDay();
    /// Today's times of the program as set, in the words of dayPlanned.
    QString todayText();

signals:
    /// The program starts capture now: its start line is due (the date is stamped).
    void starting();
    /// The program stopped capture at stopTime ("9:05:03").
    void stopped(const QString &stopTime);
    /// A new day's times of a program that follows the sun, in one line; polar when the sun
    /// does not rise or does not set that day.
    void dayPlanned(const QString &text, bool polar);

private:
    ApplicationState &m_state;
    CaptureRunControl &m_run;
    const ClockSource &m_clock;
    TimerProgram m_program;
    QDate m_announced;
};
