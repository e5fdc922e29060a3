#include "shell/updowncontrol.h"

#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

UpDownControl::UpDownControl(int minimum, int maximum, int increment, int position, QWidget *parent)
    : QWidget(parent), m_minimum(minimum), m_maximum(maximum), m_increment(increment),
      m_position(std::clamp(position, minimum, maximum)), m_up(new QToolButton(this)),
      m_down(new QToolButton(this))
{
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    m_up->setObjectName("up");
    m_down->setObjectName("down");
    m_up->setAccessibleName("up");
    m_down->setAccessibleName("down");
    m_up->setAutoRepeat(true);
    m_down->setAutoRepeat(true);
    for (QToolButton *b : {m_up, m_down})
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_up);
    layout->addWidget(m_down);
    connect(m_up, &QToolButton::clicked, this, [this] { press(Direction::Up); });
    connect(m_down, &QToolButton::clicked, this, [this] { press(Direction::Down); });
}

void UpDownControl::setPosition(int position)
{
    m_position = std::clamp(position, m_minimum, m_maximum);
}

void UpDownControl::setMaximum(int maximum)
{
    m_maximum = std::max(maximum, m_minimum);
    m_position = std::min(m_position, m_maximum);
}

int UpDownControl::stepped(Direction direction) const
{
    const long long next = direction == Direction::Up ? 1LL * m_position + m_increment
                                                      : 1LL * m_position - m_increment;
    return static_cast<int>(std::clamp<long long>(next, m_minimum, m_maximum));
}

void UpDownControl::press(Direction direction)
{
    emit changing(m_position, direction);
    m_position = stepped(direction);
    emit clicked(m_position, direction);
}
