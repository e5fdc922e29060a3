#pragma once
// Real JPEG pictures in the store below the working directory, each of its own grey level so
// that a test can tell which one is on show.

#include "capture/jpegencoder.h"
#include "shell/picturenames.h"

#include <QDir>
#include <QFile>

/// Stores pictures first to last (a small size keeps it quick); false when one was not written.
inline bool storePictures(int first, int last, QSize size = QSize(64, 48))
{
    for (int n = first; n <= last; ++n) {
        QImage picture(size, QImage::Format_RGB888);
        picture.fill(QColor::fromRgb(n % 256, n % 256, n % 256));
        std::vector<std::uint8_t> data;
        const int directory = PictureStore::DirectoryOfPicture(n);
        QDir().mkpath(QString::number(directory));
        QFile file(PictureStore::PicturePath(directory, n));
        if (!JpegEncoder(90).encode(picture, data) || !file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char *>(data.data()), qint64(data.size())) !=
                qint64(data.size()))
            return false;
    }
    return true;
}

/// The grey level of a picture as shown: the level it was stored with, give or take JPEG's loss.
inline int greyOf(const QImage &picture)
{
    return picture.isNull() ? -1 : qGray(picture.pixel(picture.width() / 2, picture.height() / 2));
}
