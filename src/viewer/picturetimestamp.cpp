#include "viewer/picturetimestamp.h"

#include "shell/picturenames.h"

#include <QFileInfo>

QString TimeStampText(const QDateTime &local, const QLocale &locale)
{
    // Two-second resolution, as the store's time stamps were first kept.
    const QTime exact = local.time();
    const QTime time(exact.hour(), exact.minute(), exact.second() & ~1);
    const QString date = locale.toString(local.date(), QLocale::ShortFormat);
    if (time == QTime(0, 0))
        return date;
    return date + u' ' + locale.toString(time, QLocale::LongFormat);
}

Result<QString> PictureTimeStamp(int directory, int n)
{
    const QString path = PictureStore::PicturePath(directory, n);
    const QFileInfo file(path);
    const QDateTime modified = file.lastModified();
    if (!file.exists() || !modified.isValid())
        return failure(QStringLiteral("Cannot read the time of picture \"%1\": the file does "
                                      "not exist.")
                           .arg(path));
    return TimeStampText(modified.toLocalTime());
}
