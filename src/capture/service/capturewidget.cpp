#include "capture/service/capturewidget.h"

#include <QPainter>

#include <cstring>

CaptureWidget::CaptureWidget(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("captureWindow"));
    setWindowTitle(QStringLiteral("Capture Window"));
    setAttribute(Qt::WA_OpaquePaintEvent); // paintEvent covers every pixel
}

void CaptureWidget::showFrame(const std::uint8_t *frame, const VideoHeader &header)
{
    const QSize size(header.width, header.height);
    if (m_picture.size() != size)
        m_picture = QImage(size, QImage::Format_BGR888);
    const std::size_t stride = header.rowStride();
    const std::size_t rowBytes = std::size_t(header.width) * 3;
    for (int y = 0; y < header.height; ++y)
        std::memcpy(m_picture.scanLine(y), frame + std::size_t(header.height - 1 - y) * stride,
                    rowBytes);
    update();
}

void CaptureWidget::setScaled(bool on)
{
    if (on == m_scaled)
        return;
    m_scaled = on;
    update();
}

void CaptureWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_picture.isNull() || !m_scaled)
        painter.fillRect(rect(), Qt::black);
    if (m_picture.isNull())
        return;
    if (m_scaled)
        painter.drawImage(rect(), m_picture);
    else
        painter.drawImage(QPoint(0, 0), m_picture);
}
