#include "viewer/readonlybox.h"

#include <QPaintEvent>
#include <QPainter>

ReadOnlyBox::ReadOnlyBox(const QString &text, QWidget *parent) : QLineEdit(text, parent)
{
    setReadOnly(true);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
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
