#include "store/intervalcontrols.h"

#include "shell/applicationstate.h"
#include "shell/controltexts.h"
#include "shell/sound.h"
#include "shell/storeview.h"
#include "shell/timer/threadedtimer.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {
constexpr double FineStep = 0.05;
constexpr double ShortestInterval = 0.1;
} // namespace

IntervalControls::IntervalControls(StoreView &view, ApplicationState &state, Sound &click,
                                   ThreadedTimer &timer)
    : m_view(view), m_state(state), m_click(click), m_timer(timer)
{}

void IntervalControls::setPeriod(int milliseconds)
{
    m_timer.setInterval(static_cast<quint32>(std::max(milliseconds, 0)));
}

void IntervalControls::AdjustTimerPeriod()
{
    // The timer keeps the run on a grid of the requested interval, so the wait is the request
    // itself: nothing is taken off for the time a tick costs.
    setPeriod(m_requestedMs);
}

void IntervalControls::showInterval()
{
    m_view.showIntervalText(ControlTexts::intervalBox(m_intervalSeconds, QLocale()));
}

void IntervalControls::intervalArrowMoved(int position)
{
    // The press leaves the period at exactly the whole seconds shown; the adjustment follows
    // at the next Start or "Fine" press.
    m_intervalSeconds = position;
    showInterval();
    setPeriod(position * 1000);
    m_requestedMs = position * 1000;
}

void IntervalControls::fine(double seconds)
{
    m_click.play();
    setInterval(seconds);
}

void IntervalControls::setInterval(double seconds)
{
    m_intervalSeconds = seconds;
    showInterval();
    m_view.setIntervalArrowsPosition(static_cast<int>(std::lround(seconds)));
    // The seconds only ever hold multiples of 50 ms; rounding drops the binary fraction error
    // that truncation would turn into a lost millisecond (5.05 s is 5049.999... ms).
    m_requestedMs = static_cast<int>(std::llround(seconds * 1000));
    AdjustTimerPeriod();
}

void IntervalControls::finePlus()
{
    fine(m_intervalSeconds + FineStep);
}

void IntervalControls::fineMinus()
{
    // Computed in single precision, as the seconds box always was; never below 0.1 s.
    const float v = static_cast<float>(m_intervalSeconds) - static_cast<float>(FineStep);
    fine(v <= ShortestInterval ? ShortestInterval : static_cast<double>(v));
}

void IntervalControls::maxArrowsMoved(int position, bool afterMove)
{
    m_state.MaxFrames = 10 * position;
    m_state.UserMaxFrames = 10 * position;
    m_view.showMaxStepText(ControlTexts::maxBox(m_state.UserMaxFrames));
    m_view.showStepMode(stepCaption(), false);
    if (afterMove)
        emit maxFramesChanged();
}

QString IntervalControls::stepCaption() const
{
    return m_stepMode ? QStringLiteral("Frms") : QStringLiteral("Step");
}

void IntervalControls::toggleStepMode()
{
    m_click.play();
    m_stepMode = !m_stepMode;
    m_view.showMaxStepText(m_stepMode ? ControlTexts::stepBox(m_view.maxArrowsIncrement())
                                      : ControlTexts::maxBox(m_state.UserMaxFrames));
    m_view.showStepMode(stepCaption(), m_stepMode);
}

void IntervalControls::stepArrowsMoved(int position, bool afterMove)
{
    m_view.setMaxArrowsIncrement(position);
    m_view.showMaxStepText(ControlTexts::stepBox(position));
    if (afterMove)
        emit framesStepChanged(10 * position);
}

void IntervalControls::reapplyMaxFrames()
{
    // The user's own maximum stays as it is: the Delete and Reset dialogs copy it later.
    m_state.MaxFrames = 10 * m_view.maxArrowsPosition();
    m_view.showMaxStepText(ControlTexts::maxBox(m_state.MaxFrames));
}
