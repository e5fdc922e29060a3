#include "motion/motionview.h"

#include "motion/maskview.h"
#include "motion/tmj.h"

#include <QPainter>
#include <QResizeEvent>

MotionView::MotionView(TMJ &engine, QWidget *parent) : QWidget(parent), m_engine(engine)
{
    setObjectName(QStringLiteral("motionView"));
    setAccessibleName(QStringLiteral("Motion detection view"));
    resize(engine.Width(), engine.Height());
    m_engine.SetRepaintHandler([this] { repaint(); });
}

MotionView::~MotionView()
{
    m_engine.SetRepaintHandler({});
}

QSize MotionView::sizeHint() const
{
    return {m_engine.Width(), m_engine.Height()};
}

void MotionView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    m_engine.Paint(painter);
    MaskView::paintIgnored(painter, QRect(0, 0, m_engine.Width(), m_engine.Height()),
                           m_engine.IgnoredCells(), m_engine.Rows(), m_engine.Columns());
}

// The next picture is analysed at the size the control has now.
void MotionView::resizeEvent(QResizeEvent *event)
{
    m_engine.SetSize(event->size().width(), event->size().height());
    QWidget::resizeEvent(event);
}
