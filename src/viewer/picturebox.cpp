#include "viewer/picturebox.h"

#include "viewer/picturesource.h"

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
    coverChanged();
    update();
}

QRect PictureBox::fitted() const
{
    const QSize size = drawnSize(m_picture.size(), this->size());
    return QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

void PictureBox::coverChanged()
{
    // A picture that covers the box hides whatever lies beneath: nothing there is painted.
    setAttribute(Qt::WA_OpaquePaintEvent, !m_picture.isNull() && fitted() == rect());
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    coverChanged();
    QAbstractButton::resizeEvent(event);
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_picture.isNull())
        painter.fillRect(rect(), palette().color(QPalette::Dark));
    else // in its own proportions, centred: a 4:3 picture in a wider box is not stretched
        painter.drawImage(fitted(), m_picture);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
}
