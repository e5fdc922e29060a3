#include "viewer/picturesource.h"

#include "capture/jpegdecoder.h"
#include "shell/picturenames.h"
#include "viewer/picturetimestamp.h"

#include <QFileInfo>

bool StorePictures::exists(int directory, int n) const
{
    return QFileInfo::exists(PictureStore::PicturePath(directory, n));
}

namespace {
// Scaled pictures are for the screen: decoded in the format painting takes as it is.
Result<QImage> decodeStored(int directory, int n, QSize box)
{
    const QString path = PictureStore::PicturePath(directory, n);
    JpegDecoder decoder;
    decoder.setMinimumSize(box);
    decoder.setForPainting(box.isValid());
    Result<QImage> picture = decoder.read(path);
    if (!picture)
        return failure(QStringLiteral("Cannot show picture \"%1\": %2").arg(path, picture.error()));
    return picture;
}
} // namespace

Result<QImage> PictureSource::loadScaled(int directory, int n, QSize) const
{
    return load(directory, n);
}

Result<QImage> StorePictures::load(int directory, int n) const
{
    return decodeStored(directory, n, QSize());
}

Result<QImage> StorePictures::loadScaled(int directory, int n, QSize box) const
{
    return decodeStored(directory, n, box);
}

Result<QString> StorePictures::timeStamp(int directory, int n) const
{
    return PictureTimeStamp(directory, n);
}
