#include "app/runpresenter.h"

#include "app/capturecore.h"
#include "capture/capturesession.h"
#include "motion/motioncapture.h"
#include "shell/controltexts.h"
#include "shell/motionhost.h"
#include "shell/storeview.h"
#include "store/captureloop.h"

namespace {
constexpr int IdleColour = 1;
constexpr int RunningColour = 235;
} // namespace

RunPresenter::RunPresenter(CaptureCore &core, StoreView &view, MotionHost &motionView)
    : m_core(core), m_view(view)
{
    CaptureLoop *loop = &core.loop();
    connect(loop, &CaptureLoop::started, this, &RunPresenter::runStarted);
    connect(loop, &CaptureLoop::stopped, this, &RunPresenter::runStopped);
    connect(loop, &CaptureLoop::paused, this, [this](bool withCaption) {
        if (withCaption)
            m_view.showStartCaption(QStringLiteral("Start"), IdleColour);
    });
    connect(loop, &CaptureLoop::grabbing, this,
            [this](const QString &path) { m_view.showPicturePath(path); });
    connect(loop, &CaptureLoop::counterAdvanced, this,
            [this](int counter) { m_view.showFramesText(ControlTexts::framesBox(counter)); });
    connect(loop, &CaptureLoop::statusNote, this,
            [this](const QString &text) { m_view.showStatusNote(text); });
    connect(loop, &CaptureLoop::cameraBack, this, [this] {
        if (m_view.isPreviewChecked())
            m_core.session().PreviewOn();
    });
    connect(&core, &CaptureCore::clockTicked, this, [this] {
        m_view.showTimeText(QStringLiteral("Systemtime = ") + m_core.state().clockText());
    });

    MotionCapture *motion = &core.motion();
    MotionHost *host = &motionView;
    connect(motion, &MotionCapture::indicatorChanged, this,
            [host](MotionHost::Indicator state) { host->showMotionIndicator(state); });
    connect(motion, &MotionCapture::indicatorBoxShown, this,
            [host](bool shown) { host->setMotionIndicatorBoxShown(shown); });
    connect(motion, &MotionCapture::statusNote, this,
            [host](const QString &text) { host->showStatusNote(text); });
}

void RunPresenter::runStarted()
{
    ApplicationState &state = m_core.state();
    m_view.showStartCaption(QStringLiteral("stop!"), RunningColour);
    m_view.showStatusNote({});
    m_view.showTimeText(QStringLiteral("Start time =  ") + state.clockText());
    if (m_view.isPreviewChecked())
        m_view.setOverlayEnabled(false);
    // An overlay run shows the preview, and the overlay comes back when it ends.
    if (m_view.isOverlayChecked()) {
        m_view.setOverlayEnabled(false);
        m_view.setPreviewChecked(true);
        state.setOverlayWasOn(true);
    }
}

void RunPresenter::runStopped()
{
    m_view.showStartCaption(QStringLiteral("start"), IdleColour);
    m_view.setOverlayEnabled(true);
    if (m_core.state().OverlayWasOn())
        m_view.setOverlayChecked(true);
}
