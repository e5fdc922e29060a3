#include "store/intervalcontrols.h"

#include "shell/applicationstate.h"
#include "shell/controltexts.h"
#include "shell/sound.h"
#include "shell/storeview.h"
#include "store/intervalmodel.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {
constexpr double FineStep = 0.05;
constexpr double ShortestInterval = 0.1;
} // namespace

IntervalControls::IntervalControls(StoreView &view, ApplicationState &state, Sound &click,
                                   IntervalModel &interval)
    : m_view(view), m_state(state), m_click(click), m_interval(interval)
{
    connect(&m_interval, &IntervalModel::changed, this, &IntervalControls::showInterval);
}

double IntervalControls::intervalSeconds() const
{
    return m_interval.seconds();
}

int IntervalControls::requestedIntervalMs() const
{
    return m_interval.requestedMs();
}

void IntervalControls::showInterval(double seconds)
{
    m_view.showIntervalText(ControlTexts::intervalBox(seconds, QLocale()));
    m_view.setIntervalArrowsPosition(static_cast<int>(std::lround(seconds)));
}

void IntervalControls::intervalArrowMoved(int position)
{
    // The press leaves the period at exactly the whole seconds shown.
    m_interval.setSeconds(position);
}

void IntervalControls::fine(double seconds)
{
    m_click.play();
    m_interval.setSeconds(seconds);
}

void IntervalControls::finePlus()
{
    fine(m_interval.seconds() + FineStep);
}

void IntervalControls::fineMinus()
{
    // Computed in single precision, as the seconds box always was; never below 0.1 s.
    const float v = static_cast<float>(m_interval.seconds()) - static_cast<float>(FineStep);
    fine(v <= ShortestInterval ? ShortestInterval : static_cast<double>(v));
}

void IntervalControls::maxArrowsMoved(int position, bool afterMove)
{
    m_state.setMaxFrames(10 * position);
    m_state.setUserMaxFrames(10 * position);
    m_view.showMaxStepText(ControlTexts::maxBox(m_state.UserMaxFrames()));
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
                                      : ControlTexts::maxBox(m_state.UserMaxFrames()));
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
    m_state.setMaxFrames(10 * m_view.maxArrowsPosition());
    m_view.showMaxStepText(ControlTexts::maxBox(m_state.MaxFrames()));
}

int IntervalControls::maxFrames() const
{
    return 10 * m_view.maxArrowsPosition();
}

int IntervalControls::framesStep() const
{
    return 10 * m_view.maxArrowsIncrement();
}

void IntervalControls::restoreMaxAndStep(int maxFrames, int framesStep)
{
    // The arrows count tens of pictures: 1 to 32000 for the maximum, 1 to 10000 for the step.
    const int step = std::clamp(framesStep / 10, 1, 10000);
    m_view.setMaxArrowsIncrement(step);
    emit framesStepChanged(10 * step);
    const int max = std::clamp(maxFrames / 10, 1, 32000);
    m_view.setMaxArrowsPosition(max);
    maxArrowsMoved(max, true);
}
