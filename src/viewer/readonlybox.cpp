#include "viewer/readonlybox.h"

#include <QPaintEvent>
#include <QPainter>

ReadOnlyBox::ReadOnlyBox(const QString &text, QWidget *parent) : QLineEdit(text, parent)
{
    setReadOnly(true);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Numbers and plain words: laid out without a shaping engine, at half the cost of a step's
    // new text. Family and size still follow the window's font.
    QFont plain;
    plain.setStyleStrategy(QFont::PreferNoShaping);
    setFont(plain);
}

void ReadOnlyBox::showText(const QString &text)
{
    if (text == this->text())
        return;
    setText(text);
    setCursorPosition(0);
}

void ReadOnlyBox::paintEvent(QPaintEvent *event)
{
    {
        // Painted over itself, a frame's smoothed corners would darken with each new text.
        QPainter painter(this);
        const QWidget *under = parentWidget();
        painter.fillRect(event->rect(), under->palette().brush(under->backgroundRole()));
    }
    QLineEdit::paintEvent(event);
}
