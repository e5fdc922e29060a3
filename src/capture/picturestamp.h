#pragma once
// The grab time drawn into the lower right corner of a stored picture: light text on a dark
// band, so that it reads over bright and dark scenes alike, its size following the picture's
// height. Drawing needs the fonts of a QGuiApplication (the offscreen platform will do).

#include <QDateTime>
#include <QImage>
#include <QLocale>
#include <QRect>
#include <QString>

class PictureStamp
{
public:
    /// The text of a grab time: the locale's short date, a blank and its long time.
    static QString text(const QDateTime &time, const QLocale &locale = QLocale());

    /// The font's pixel size on a picture of that height: a twentieth of it, never below a
    /// size whose digits still read in a JPEG.
    static int textPixelSize(int pictureHeight);

    /// Whether text can be drawn: fonts come with a QGuiApplication, and without one drawing
    /// would end the process.
    static bool canDraw();

    /// Draws text in place into picture's lower right corner and returns the band it covers.
    /// Text too wide for a small picture is drawn smaller; what still does not fit loses its
    /// left end.
    static QRect draw(QImage &picture, const QString &text);

    /// A copy of frame with text drawn into it; frame itself is never written to, since the
    /// capture worker and the live picture share its pixels. The copy lives in this object,
    /// reused from picture to picture, and is valid until the next call.
    const QImage &stamped(const QImage &frame, const QString &text);

private:
    QImage m_copy;
};
