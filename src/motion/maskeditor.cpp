#include "motion/maskeditor.h"

#include "motion/maskview.h"
#include "motion/motioncapture.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int RefreshMs = 200;
}

MaskEditor::MaskEditor(QWidget *parent, CaptureView &view, MotionCapture &motion)
    : CaptureToolWindow(parent, view, "Cells to ignore", QSize(340, 300)), m_motion(motion)
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
    refreshPicture();
    m_refresh.start();
    showCentred();
}

// The detector's working picture is the stretched frame while nothing is drawn over it.
void MaskEditor::refreshPicture()
{
    m_view->setPicture(m_motion.engine().WorkBitmap());
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
