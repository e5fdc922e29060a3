#include "capture/service/capturewidget.h"

#include <QPainter>
#include <QtEndian>

#include <cstring>

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
// Each pixel but the last is read as four bytes, its three and the next pixel's first: the low
// three bytes of a little-endian word are blue, green and red, where Format_RGB32 wants them.
void convertBgrRow(const uchar *in, quint32 *out, int width)
{
    int x = 0;
    for (; x + 1 < width; ++x, in += 3) {
        quint32 word;
        std::memcpy(&word, in, sizeof word);
        out[x] = 0xff000000u | qFromLittleEndian(word);
    }
    if (x < width) // the last: its fourth byte may lie past the frame
        out[x] = 0xff000000u | quint32(in[2]) << 16 | quint32(in[1]) << 8 | in[0];
}

// The same, picking the source pixel under each target pixel's centre, as an unsmoothed
// stretch does; columns holds the byte offset of each target column's source pixel.
void convertBgrRowScaled(const uchar *in, quint32 *out, const std::vector<int> &columns)
{
    const std::size_t last = columns.size() - 1; // its fourth byte may lie past the frame
    for (std::size_t x = 0; x < last; ++x) {
        quint32 word;
        std::memcpy(&word, in + columns[x], sizeof word);
        out[x] = 0xff000000u | qFromLittleEndian(word);
    }
    const uchar *p = in + columns[last];
    out[last] = 0xff000000u | quint32(p[2]) << 16 | quint32(p[1]) << 8 | p[0];
}
} // namespace

QSize CaptureWidget::shownSize(QSize frame) const
{
    // Stretched, a frame larger than the window is converted at the window's size, so that
    // neither the conversion nor the painting touches pixels that never reach the screen; a
    // smaller one keeps its size and is enlarged as it is painted. Unscaled, only the part
    // at the top left that the window shows is converted.
    if (m_scaled)
        return frame.width() > width() || frame.height() > height() ? size() : frame;
    return frame.boundedTo(size());
}

void CaptureWidget::showFrame(const QImage &frame)
{
    const QSize target = shownSize(frame.size());
    if (frame.format() != QImage::Format_BGR888 || target.isEmpty()) {
        m_picture = frame.convertToFormat(QImage::Format_RGB32);
    } else {
        // The last picture's memory is reused unless someone still holds that picture.
        if (m_picture.size() != target || !m_picture.isDetached())
            m_picture = QImage(target, QImage::Format_RGB32);
        if (m_scaled && target != frame.size())
            convertScaled(frame);
        else
            for (int y = 0; y < target.height(); ++y)
                convertBgrRow(frame.constScanLine(y),
                              reinterpret_cast<quint32 *>(m_picture.scanLine(y)), target.width());
    }
    update();
}

void CaptureWidget::convertScaled(const QImage &frame)
{
    const int w = m_picture.width();
    const int h = m_picture.height();
    if (m_columnsFrom != frame.width() || int(m_columns.size()) != w) {
        m_columns.resize(std::size_t(w));
        for (int x = 0; x < w; ++x)
            m_columns[std::size_t(x)] = 3 * int((2LL * x + 1) * frame.width() / (2LL * w));
        m_columnsFrom = frame.width();
    }
    for (int y = 0; y < h; ++y) {
        const int from = int((2LL * y + 1) * frame.height() / (2LL * h));
        convertBgrRowScaled(frame.constScanLine(from),
                            reinterpret_cast<quint32 *>(m_picture.scanLine(y)), m_columns);
    }
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
