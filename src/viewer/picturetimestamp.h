#pragma once
// The time stamp of a stored picture as the viewer, the full-screen view and printing show it:
// the file's modification time in local time, the locale's short date and long time.

#include "shell/result.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

/// The stamp text of a local time to the second (truncated): short date, a blank, long time;
/// a time within the first second of the day shows the date alone.
QString TimeStampText(const QDateTime &local, const QLocale &locale = QLocale());

/// The stamp of picture n in directory d; fails, naming the file, when it is not there.
Result<QString> PictureTimeStamp(int directory, int n);
