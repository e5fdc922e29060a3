#include "store/intervalcontrols.h"

#include "app/applicationstate.h"
#include "app/controlpanel.h"
#include "app/mainwindow.h"
#include "capture/capturesettings.h"
#include "settings/sound.h"
#include "store/capturerunhooks.h"
#include "store/controltexts.h"
#include "store/timeradjustment.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {
constexpr double FineStep = 0.05;
constexpr double ShortestInterval = 0.1;
} // namespace

IntervalControls::IntervalControls(MainWindow &mainWindow, const CaptureSettings &settings)
    : m_main(mainWindow), m_settings(settings), m_hooks(&CaptureRunHooks::none())
{
    ControlPanel *panel = m_main.panel();
    connect(panel->intervalArrows, &UpDownControl::clicked, this,
            [this](int position) { intervalArrowMoved(position); });
    connect(panel->finePlus, &QPushButton::clicked, this, &IntervalControls::finePlus);
    connect(panel->fineMinus, &QPushButton::clicked, this, &IntervalControls::fineMinus);
    connect(panel->step, &QPushButton::clicked, this, &IntervalControls::toggleStepMode);
    connect(panel->maxArrows, &UpDownControl::changing, this,
            [this](int position) { maxArrowsMoved(position, false); });
    connect(panel->maxArrows, &UpDownControl::clicked, this,
            [this](int position) { maxArrowsMoved(position, true); });
    connect(panel->stepArrows, &UpDownControl::changing, this,
            [this](int position) { stepArrowsMoved(position, false); });
    connect(panel->stepArrows, &UpDownControl::clicked, this,
            [this](int position) { stepArrowsMoved(position, true); });
}

void IntervalControls::setHooks(CaptureRunHooks *hooks)
{
    m_hooks = hooks ? hooks : &CaptureRunHooks::none();
}

void IntervalControls::setPeriod(int milliseconds)
{
    m_main.captureTimer().setInterval(static_cast<quint32>(std::max(milliseconds, 0)));
}

void IntervalControls::AdjustTimerPeriod()
{
    setPeriod(TimerAdjustment::AdjustTimerPeriod(m_requestedMs, m_settings.SizeListIndex,
                                                 m_settings.FrameWidth));
}

void IntervalControls::showInterval()
{
    m_main.panel()->intervalBox->setText(ControlTexts::intervalBox(m_intervalSeconds, QLocale()));
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
    m_main.clickSound().play();
    m_intervalSeconds = seconds;
    showInterval();
    m_main.panel()->intervalArrows->setPosition(static_cast<int>(std::lround(seconds)));
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
    ApplicationState &state = m_main.state();
    ControlPanel *panel = m_main.panel();
    state.MaxFrames = 10 * position;
    state.UserMaxFrames = 10 * position;
    panel->maxStepBox->setText(ControlTexts::maxBox(state.UserMaxFrames));
    panel->maxArrows->show();
    panel->stepArrows->hide();
    if (afterMove)
        m_hooks->restartMotionBatch();
}

void IntervalControls::toggleStepMode()
{
    m_main.clickSound().play();
    ControlPanel *panel = m_main.panel();
    m_stepMode = !m_stepMode;
    panel->step->setText(m_stepMode ? QStringLiteral("Frms") : QStringLiteral("Step"));
    panel->maxStepBox->setText(m_stepMode ? ControlTexts::stepBox(panel->maxArrows->increment())
                                          : ControlTexts::maxBox(m_main.state().UserMaxFrames));
    panel->stepArrows->setVisible(m_stepMode);
    panel->maxArrows->setVisible(!m_stepMode);
}

void IntervalControls::stepArrowsMoved(int position, bool afterMove)
{
    ControlPanel *panel = m_main.panel();
    panel->maxArrows->setIncrement(position);
    panel->maxStepBox->setText(ControlTexts::stepBox(position));
    if (afterMove)
        m_hooks->setMotionFramesStep(10 * position);
}
