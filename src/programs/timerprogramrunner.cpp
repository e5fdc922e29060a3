#include "programs/timerprogramrunner.h"

#include "capture/captureruncontrol.h"
#include "shell/applicationstate.h"
#include "shell/clocksource.h"

TimerProgramRunner::TimerProgramRunner(ApplicationState &state, CaptureRunControl &run,
                                       const ClockSource &clock)
    : m_state(state), m_run(run), m_clock(clock)
{}

void TimerProgramRunner::announceDay()
{
    const QDateTime now = m_clock.now();
    if (!m_program.active() || !m_program.followsSun() || m_announced == now.date())
        return;
    m_announced = now.date();
    const TimerProgram::Day &day = m_program.dayOf(now);
    emit dayPlanned(m_program.dayText(day), day.sun.day != SunTimes::Day::RisesAndSets);
}

QString TimerProgramRunner::todayText()
{
    return m_program.dayText(m_program.dayOf(m_clock.now()));
}

void TimerProgramRunner::startCheck()
{
    announceDay();
    const QDateTime now = m_clock.now();
    if (!m_program.startDue(now))
        return;
    m_state.refreshMonthDay(now.date());
    emit starting();
    m_run.startStop();
}

void TimerProgramRunner::resume()
{
    const QDateTime now = m_clock.now();
    if (m_state.CaptureRunning() || !m_program.resumeDue(now))
        return;
    m_state.refreshMonthDay(now.date());
    emit starting();
    m_run.startStop();
}

void TimerProgramRunner::endCheck()
{
    announceDay();
    const QDateTime now = m_clock.now();
    if (!m_program.endDue(now))
        return;
    m_run.startStop();
    emit stopped(now.time().toString(QStringLiteral("H:mm:ss")));
}
