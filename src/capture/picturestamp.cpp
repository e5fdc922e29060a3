#include "capture/picturestamp.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace {
// Below about ten pixels the digits of a stamp blur into each other once JPEG has smoothed them.
constexpr int MinimumPixelSize = 10;
// Where even that is wider than the picture (80 x 60), the text shrinks, but not below this.
constexpr int SmallestPixelSize = 6;
// The band darkens the scene instead of hiding it; at this opacity white text keeps a
// contrast of more than 6:1 even where the scene is white.
constexpr int BandAlpha = 180;

QFont stampFont(int pixelSize)
{
    QFont font;
    font.setPixelSize(pixelSize);
    font.setBold(true); // thin strokes vanish in chroma subsampling
    return font;
}
} // namespace

QString PictureStamp::text(const QDateTime &time, const QLocale &locale)
{
    const QString format =
        locale.dateFormat(QLocale::ShortFormat) + u' ' + locale.timeFormat(QLocale::LongFormat);
    return locale.toString(time, format);
}

int PictureStamp::textPixelSize(int pictureHeight)
{
    return std::max(MinimumPixelSize, pictureHeight / 20);
}

bool PictureStamp::canDraw()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

QRect PictureStamp::draw(QImage &picture, const QString &text)
{
    QFont font = stampFont(textPixelSize(picture.height()));
    int padding = 0;
    const auto bandSize = [&] {
        const QFontMetrics metrics(font);
        padding = std::max(2, font.pixelSize() / 4);
        return QSize(metrics.horizontalAdvance(text) + 2 * padding, metrics.height() + 2 * padding);
    };
    QSize band = bandSize();
    if (band.width() > picture.width()) {
        const int fitting = font.pixelSize() * picture.width() / band.width();
        font.setPixelSize(std::max(SmallestPixelSize, fitting));
        band = bandSize();
    }
    const QRect area(QPoint(picture.width() - band.width(), picture.height() - band.height()),
                     band);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.fillRect(area, QColor(0, 0, 0, BandAlpha));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(area.marginsRemoved(QMargins(padding, 0, padding, 0)),
                     Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, text);
    return area.intersected(picture.rect());
}

const QImage &PictureStamp::stamped(const QImage &frame, const QString &text)
{
    if (m_copy.size() != frame.size() || m_copy.format() != frame.format())
        m_copy = QImage(frame.size(), frame.format());
    // Row by row: a frame made around a device buffer may have its own row length.
    const auto rowBytes = std::size_t(std::min(frame.bytesPerLine(), m_copy.bytesPerLine()));
    for (int y = 0; y < frame.height(); ++y)
        std::memcpy(m_copy.scanLine(y), frame.constScanLine(y), rowBytes);
    draw(m_copy, text);
    return m_copy;
}
