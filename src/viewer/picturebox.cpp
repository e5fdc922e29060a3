#include "viewer/picturebox.h"

#include <QPainter>

PictureBox::PictureBox(const QString &hint, QSize preferred, QWidget *parent)
    : QAbstractButton(parent), m_preferred(preferred)
{
    setToolTip(hint);
    setAccessibleName(hint);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
}

void PictureBox::setPicture(const QImage &picture)
{
    m_picture = picture;
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_picture.isNull())
        painter.fillRect(rect(), palette().color(QPalette::Dark));
    else
        painter.drawImage(rect(), m_picture);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
}
