#include "shell/motionindicator.h"

#include <QCheckBox>
#include <QPainter>
#include <QVBoxLayout>

namespace {
struct Colours
{
    QColor fill;
    QColor outline;
};

Colours coloursOf(MotionIndicator::State state)
{
    switch (state) {
    case MotionIndicator::State::Idle:
        return {QColor(0, 111, 193), QColor(0, 128, 64)};
    case MotionIndicator::State::Armed:
    case MotionIndicator::State::NoMotion:
        return {QColor(0, 255, 0), QColor(0, 128, 0)};
    case MotionIndicator::State::Motion:
        return {QColor(255, 0, 0), QColor(128, 0, 0)};
    }
    return {};
}

const QColor Silver(192, 192, 192);
} // namespace

MotionIndicator::MotionIndicator(QWidget *parent) : QWidget(parent), m_box(new QCheckBox(this))
{
    setObjectName("motionIndicator");
    setToolTip("Motion detection indicator");
    setAccessibleName("M.I.");
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_box->setObjectName("motionIndicatorBox");
    m_box->setToolTip("Motion indicator");
    m_box->setAccessibleName("Motion indicator");
    m_box->setEnabled(false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_box, 0, Qt::AlignCenter);
    describe();
}

void MotionIndicator::setState(State state)
{
    m_state = state;
    describe();
    update();
}

void MotionIndicator::setBoxShown(bool shown)
{
    m_box->setVisible(shown);
    describe();
    update();
}

void MotionIndicator::setBoxChecked(bool checked)
{
    m_box->setChecked(checked);
}

QSize MotionIndicator::sizeHint() const
{
    const int side = m_box->sizeHint().height() + 8;
    return {side, side};
}

void MotionIndicator::describe()
{
    if (!m_box->isHidden()) {
        setAccessibleDescription("not armed");
        return;
    }
    switch (m_state) {
    case State::Idle:
        setAccessibleDescription("not armed");
        break;
    case State::Armed:
        setAccessibleDescription("armed");
        break;
    case State::NoMotion:
        setAccessibleDescription("no motion");
        break;
    case State::Motion:
        setAccessibleDescription("motion");
        break;
    }
}

void MotionIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // The silver box covers the square while detection is not armed.
    const Colours colours =
        m_box->isHidden() ? coloursOf(m_state) : Colours{Silver, Silver.darker(130)};
    painter.setPen(colours.outline);
    painter.setBrush(colours.fill);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
