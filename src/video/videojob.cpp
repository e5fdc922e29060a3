#include "video/videojob.h"

#include "capture/jpegdecoder.h"
#include "shell/picturenames.h"
#include "video/videoencoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {
// Removes the hidden work file on every way out but the one that renamed it.
struct WorkFile
{
    QString path;
    bool kept = false;
    ~WorkFile()
    {
        if (!kept && !path.isEmpty())
            QFile::remove(path);
    }
};

Result<QString> createWorkFile(const QString &output)
{
    const QFileInfo target(output);
    QTemporaryFile file(target.absoluteDir().filePath(QStringLiteral(".") + target.fileName() +
                                                      QStringLiteral(".XXXXXX.part")));
    file.setAutoRemove(false);
    if (!file.open())
        return failure(QStringLiteral("Cannot create the video file in \"%1\": %2")
                           .arg(target.absolutePath(), file.errorString()));
    return file.fileName();
}

// The data on the disk before the rename, so that a power cut never leaves a named but
// empty video.
Result<> syncAndRename(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from);
    const int fd = ::open(source.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fdatasync(fd) != 0) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        return failure(qt_error_string(error));
    }
    ::close(fd);
    if (std::rename(source.constData(), QFile::encodeName(to).constData()) != 0)
        return failure(qt_error_string(errno));
    return {};
}

QString noPictureMessage(const VideoSettings &settings, const VideoSummary &summary)
{
    return QStringLiteral("None of the pictures %1 to %2 could be read (%3 missing, %4 "
                          "unreadable); no video was made.")
        .arg(settings.first)
        .arg(settings.last)
        .arg(summary.missing)
        .arg(summary.unreadable);
}
} // namespace

Result<VideoSummary> VideoJob::run(const Progress &progress, const std::atomic<bool> &cancel) const
{
    if (Result<> checked = m_settings.check(); !checked)
        return failure(checked.error());
    const QString output = QFileInfo(m_settings.output).absoluteFilePath();
    auto withName = [&output](const QString &reason) {
        return failure(QStringLiteral("\"%1\": %2").arg(output, reason));
    };
    const Result<QString> created = createWorkFile(output);
    if (!created)
        return failure(created.error());
    WorkFile work{*created};

    VideoSummary summary;
    summary.output = output;
    VideoEncoder encoder;
    bool opened = false;
    const JpegDecoder decoder;
    const int total = m_settings.pictureCount();
    for (int n = m_settings.first; n <= m_settings.last; ++n) {
        if (cancel.load(std::memory_order_relaxed)) {
            summary.cancelled = true;
            return summary;
        }
        const QString path = PictureStore::PicturePath(PictureStore::DirectoryOfPicture(n), n);
        const Result<QImage> picture = decoder.read(path);
        if (!picture) {
            ++(QFileInfo::exists(path) ? summary.unreadable : summary.missing);
        } else {
            if (!opened) {
                const Result<> open = encoder.open(work.path, picture->size(),
                                                   {m_settings.framesPerSecond, m_settings.crf});
                if (!open)
                    return withName(open.error());
                opened = true;
            }
            if (const Result<> added = encoder.add(*picture); !added)
                return withName(added.error());
        }
        if (progress)
            progress(n - m_settings.first + 1, total);
    }
    if (!opened)
        return failure(noPictureMessage(m_settings, summary));
    if (const Result<> finished = encoder.finish(); !finished)
        return withName(finished.error());
    if (const Result<> renamed = syncAndRename(work.path, output); !renamed)
        return withName(renamed.error());
    work.kept = true;
    summary.frames = encoder.frameCount();
    return summary;
}
