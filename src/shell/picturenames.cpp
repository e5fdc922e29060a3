#include "shell/picturenames.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <sys/stat.h>

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

Result<> CreateDirectory(int directory)
{
    // mkdir itself, for the reason QDir would not give.
    if (::mkdir(QFile::encodeName(QString::number(directory)).constData(), 0777) != 0 &&
        errno != EEXIST)
        return failure(qt_error_string(errno));
    return {};
}

void RemoveEmptyDirectories()
{
    QDir cwd;
    for (int d = 1; d <= DirectoryCount; ++d)
        cwd.rmdir(QString::number(d)); // refuses directories that still hold files
}

void RemoveLeftoverTemporaries()
{
    // Exactly the writer's own names (lower-case base-36 suffix): a look-alike is the user's.
    static const QRegularExpression own(
        QStringLiteral("^\\.capture[0-9]*\\.jpg\\.[0-9a-z]+\\.tmp$"));
    for (int d = 1; d <= DirectoryCount; ++d) {
        QDir directory(QString::number(d));
        const QStringList candidates = directory.entryList(
            {QStringLiteral(".capture*.tmp")}, QDir::Files | QDir::Hidden | QDir::System);
        for (const QString &name : candidates) {
            if (own.match(name).hasMatch())
                directory.remove(name); // a failure leaves a hidden file, nothing worse
        }
    }
    // Replaced pictures wait in the store's own directory to be freed.
    static const QRegularExpression replaced(
        QStringLiteral("^\\.replaced\\.capture[0-9]*\\.jpg\\.[0-9a-z]+\\.tmp$"));
    QDir store;
    const QStringList waiting = store.entryList({QStringLiteral(".replaced.capture*.tmp")},
                                                QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : waiting) {
        if (replaced.match(name).hasMatch())
            store.remove(name);
    }
}

} // namespace PictureStore
