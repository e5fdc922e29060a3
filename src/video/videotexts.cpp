#include "video/videotexts.h"

#include "video/videojob.h"

namespace VideoTexts {

QString duration(qint64 seconds)
{
    const qint64 hours = seconds / 3600;
    const QString minutesAndSeconds =
        QStringLiteral("%1:%2")
            .arg(hours ? (seconds / 60) % 60 : seconds / 60, hours ? 2 : 1, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return hours ? QString::number(hours) + QLatin1Char(':') + minutesAndSeconds
                 : minutesAndSeconds;
}

QString progress(int done, int total, qint64 elapsedMs)
{
    const QString counted = QStringLiteral("%1 of %2 pictures").arg(done).arg(total);
    if (done <= 0 || elapsedMs <= 0 || done >= total)
        return counted;
    const qint64 leftMs = elapsedMs * (total - done) / done;
    return counted + QStringLiteral(", %1 left").arg(duration((leftMs + 999) / 1000));
}

QString summary(const VideoSummary &summary)
{
    QString text =
        QStringLiteral("Made \"%1\": %2 pictures").arg(summary.output).arg(summary.frames);
    if (summary.skipped() == 0)
        return text + QStringLiteral(", none skipped.");
    return text + QStringLiteral(", %1 skipped (%2 missing, %3 unreadable).")
                      .arg(summary.skipped())
                      .arg(summary.missing)
                      .arg(summary.unreadable);
}

} // namespace VideoTexts
