#include "video/videodefaults.h"

#include "shell/picturenames.h"

#include <QDir>
#include <QFileInfo>

namespace VideoDefaults {

int lastOfUnbrokenRun(int first, const std::function<bool(int)> &exists)
{
    int last = first;
    if (!exists(first))
        return first;
    while (last + 1 < PictureStore::StoreCapacity && exists(last + 1))
        ++last;
    return last;
}

int lastOfUnbrokenRun(int first)
{
    return lastOfUnbrokenRun(first, [](int n) {
        return QFileInfo::exists(PictureStore::PicturePath(PictureStore::DirectoryOfPicture(n), n));
    });
}

QString fileName(const QDateTime &firstPictureTime)
{
    return QStringLiteral("vardella-") +
           firstPictureTime.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")) +
           QStringLiteral(".mp4");
}

QString outputPath(int first)
{
    const QFileInfo picture(
        PictureStore::PicturePath(PictureStore::DirectoryOfPicture(first), first));
    const QDateTime taken =
        picture.exists() ? picture.lastModified() : QDateTime::currentDateTime();
    // Beside the pictures it is made of: the store directory is the working directory.
    return QDir::current().absoluteFilePath(fileName(taken));
}

} // namespace VideoDefaults
