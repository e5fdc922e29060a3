#include "viewer/picturetimestamp.h"

#include "shell/picturenames.h"

#include <QFileInfo>

QString TimeStampText(const QDateTime &local, const QLocale &locale)
{
    // To the second the picture was stored: truncated, never rounded up into the next one.
    const QTime exact = local.time();
    const QTime time(exact.hour(), exact.minute(), exact.second());
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
