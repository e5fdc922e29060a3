#include "viewer/picturesource.h"

#include "capture/jpegdecoder.h"
#include "shell/picturenames.h"
#include "viewer/picturetimestamp.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

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

QSize drawnSize(QSize picture, QSize box)
{
    const QSize size = picture.scaled(box, Qt::KeepAspectRatio);
    if (box.width() - size.width() <= 1 && box.height() - size.height() <= 1)
        return box;
    return size;
}

QByteArray PictureSource::fileIdentity(int, int) const
{
    return {};
}

void PictureSource::readAhead(int, int, QSize) {}

QByteArray StorePictures::fileIdentity(int directory, int n) const
{
    // The writer puts every new picture in its place as a file of its own: device and inode
    // tell them apart; size and times guard against a rewrite in place.
    struct stat st = {};
    if (::stat(QFile::encodeName(PictureStore::PicturePath(directory, n)).constData(), &st) != 0)
        return {};
    const qint64 fields[] = {qint64(st.st_dev),          qint64(st.st_ino),
                             qint64(st.st_size),         qint64(st.st_mtim.tv_sec),
                             qint64(st.st_mtim.tv_nsec), qint64(st.st_ctim.tv_nsec)};
    return QByteArray(reinterpret_cast<const char *>(fields), sizeof fields);
}

Result<QString> StorePictures::timeStamp(int directory, int n) const
{
    return PictureTimeStamp(directory, n);
}
