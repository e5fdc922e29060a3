#include "shell/picturenames.h"

#include <QDir>

namespace PictureStore {

int DirectoryOfPicture(int n)
{
    return n / PicturesPerDirectory + 1;
}

QString PicturePath(int directory, int n)
{
    return QString::number(directory) + QStringLiteral("/capture") + QString::number(n) +
           QStringLiteral(".jpg");
}

void CreateDirectory(int directory)
{
    QDir().mkdir(QString::number(directory));
}

void RemoveEmptyDirectories()
{
    QDir cwd;
    for (int d = 1; d <= DirectoryCount; ++d)
        cwd.rmdir(QString::number(d)); // refuses directories that still hold files
}

} // namespace PictureStore
