#include "capture/service/capturewidget.h"

#include <QPainter>

CaptureWidget::CaptureWidget(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("captureWindow"));
    setWindowTitle(QStringLiteral("Capture Window"));
    setAttribute(Qt::WA_OpaquePaintEvent); // paintEvent covers every pixel
}

CaptureDisplayFactory CaptureWidget::factory()
{
    return [](QSize size) {
        auto *window = new CaptureWidget();
        window->resize(size);
        return window;
    };
}

namespace {
// Blue, green, red bytes become the 32-bit pixels 0xffRRGGBB: one pass, no intermediate image.
void convertBgrRow(const uchar *in, quint32 *out, int width)
{
    for (int x = 0; x < width; ++x, in += 3)
        out[x] = 0xff000000u | quint32(in[2]) << 16 | quint32(in[1]) << 8 | in[0];
}
} // namespace

void CaptureWidget::showFrame(const QImage &frame)
{
    if (frame.format() != QImage::Format_BGR888) {
        m_picture = frame.convertToFormat(QImage::Format_RGB32);
    } else {
        // The last picture's memory is reused unless someone still holds that picture.
        if (m_picture.size() != frame.size() || !m_picture.isDetached())
            m_picture = QImage(frame.size(), QImage::Format_RGB32);
        for (int y = 0; y < frame.height(); ++y)
            convertBgrRow(frame.constScanLine(y),
                          reinterpret_cast<quint32 *>(m_picture.scanLine(y)), frame.width());
    }
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
