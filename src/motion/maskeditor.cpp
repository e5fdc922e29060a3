#include "motion/maskeditor.h"

#include "capture/capturesession.h"
#include "motion/maskview.h"
#include "motion/motioncapture.h"
#include "shell/applicationstate.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int RefreshMs = 200;
}

MaskEditor::MaskEditor(QWidget *parent, CaptureView &view, MotionCapture &motion,
                       CaptureSession &session, const ApplicationState &state)
    : CaptureToolWindow(parent, view, "Cells to ignore", QSize(340, 300)), m_motion(motion),
      m_session(session), m_state(state)
{
    setObjectName("maskEditor");
    m_view = new MaskView(this);
    auto *ok = new QPushButton("OK", this);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    auto *cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("cancelButton");
    connect(ok, &QPushButton::clicked, this, &MaskEditor::ok);
    connect(cancel, &QPushButton::clicked, this, &MaskEditor::cancel);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(ok, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel, QDialogButtonBox::RejectRole);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addWidget(buttons);
    m_refresh.setInterval(RefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &MaskEditor::refreshPicture);
}

void MaskEditor::open()
{
    TMJ &engine = m_motion.engine();
    m_view->setMask(m_motion.mask(), engine.Rows(), engine.Columns());
    if (m_motion.scanArmed() || m_state.CaptureRunning())
        m_view->setPicture(engine.WorkBitmap());
    else
        grabPicture();
    m_refresh.start();
    showCentred();
}

// The detector's working picture is the stretched frame while nothing is drawn over it.
void MaskEditor::refreshPicture()
{
    if (m_motion.scanArmed())
        m_view->setPicture(m_motion.engine().WorkBitmap());
}

// Not through the session's grab: that frame would go to the detector. The grab stops the live
// picture, which comes back as after a capture.
void MaskEditor::grabPicture()
{
    if (!m_session.hasWindow())
        return;
    const Result<QImage> frame = m_session.service().grabFrame();
    m_session.PreviewOn();
    m_view->setPicture(frame ? *frame : m_motion.engine().WorkBitmap());
}

void MaskEditor::ok()
{
    m_motion.setMask(m_view->mask());
    hide();
}

void MaskEditor::cancel()
{
    hide();
}

void MaskEditor::hideEvent(QHideEvent *event)
{
    m_refresh.stop();
    CaptureToolWindow::hideEvent(event);
}
