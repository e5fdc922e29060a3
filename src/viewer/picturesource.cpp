#include "viewer/picturesource.h"

#include "capture/jpegdecoder.h"
#include "shell/picturenames.h"
#include "viewer/picturetimestamp.h"

#include <QFileInfo>

bool StorePictures::exists(int directory, int n) const
{
    return QFileInfo::exists(PictureStore::PicturePath(directory, n));
}

Result<QImage> StorePictures::load(int directory, int n) const
{
    const QString path = PictureStore::PicturePath(directory, n);
    Result<QImage> picture = JpegDecoder().read(path);
    if (!picture)
        return failure(QStringLiteral("Cannot show picture \"%1\": %2").arg(path, picture.error()));
    return picture;
}

Result<QString> StorePictures::timeStamp(int directory, int n) const
{
    return PictureTimeStamp(directory, n);
}
