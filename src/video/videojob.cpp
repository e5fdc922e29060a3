#include "video/videojob.h"

#include "capture/jpegdecoder.h"
#include "shell/picturenames.h"
#include "video/videoencoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <deque>
#include <fcntl.h>
#include <future>
#include <optional>
#include <unistd.h>

namespace {
// Pictures decoded ahead of the encoder on threads of their own, so that the encoder's threads
// never wait for the next one. Four: a picture that waits for a busy core holds up none of the
// three after it; at 1920 x 1080 they are 12 MB of planes.
constexpr std::size_t ReadAhead = 4;

// A stored picture as the encoder takes it: its planes when the file has a common sampling,
// else the decoded picture; neither when it is missing or damaged.
struct StoredPicture
{
    std::optional<JpegPlanes> planes;
    std::optional<QImage> image;
    bool exists = false;

    bool readable() const { return planes || image; }
    QSize size() const { return planes ? planes->size : image->size(); }
};

StoredPicture readPicture(int n)
{
    StoredPicture stored;
    QFile file(PictureStore::PicturePath(PictureStore::DirectoryOfPicture(n), n));
    stored.exists = file.exists();
    if (!file.open(QIODevice::ReadOnly))
        return stored;
    const QByteArray data = file.readAll();
    const JpegDecoder decoder;
    if (Result<JpegPlanes> planes = decoder.decodePlanes(data))
        stored.planes = std::move(*planes);
    else if (Result<QImage> image = decoder.decode(data))
        stored.image = std::move(*image);
    return stored;
}

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

// A new hidden file beside the output, with the permissions the user's umask gives a new file
// (a temporary file's owner-only ones would carry over to the video).
Result<QString> createWorkFile(const QString &output)
{
    const QFileInfo target(output);
    for (int attempt = 0;; ++attempt) {
        const QString path = target.absoluteDir().filePath(
            QStringLiteral(".%1.%2.part")
                .arg(target.fileName())
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST || attempt == 10)
            return failure(QStringLiteral("Cannot create the video file in \"%1\": %2")
                               .arg(target.absolutePath(), qt_error_string(errno)));
    }
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
    std::deque<std::future<StoredPicture>> ahead; // waited for before the encoder goes
    int nextToRead = m_settings.first;
    const int total = m_settings.pictureCount();
    for (int n = m_settings.first; n <= m_settings.last; ++n) {
        if (cancel.load(std::memory_order_relaxed)) {
            summary.cancelled = true;
            return summary;
        }
        while (ahead.size() < ReadAhead && nextToRead <= m_settings.last)
            ahead.push_back(std::async(std::launch::async, readPicture, nextToRead++));
        const StoredPicture stored = ahead.front().get();
        ahead.pop_front();
        if (!stored.readable()) {
            ++(stored.exists ? summary.unreadable : summary.missing);
        } else {
            if (!opened) {
                const Result<> open = encoder.open(
                    work.path, stored.size(),
                    {m_settings.framesPerSecond, m_settings.crf, m_settings.deflicker});
                if (!open)
                    return withName(open.error());
                opened = true;
            }
            const Result<> added =
                stored.planes ? encoder.add(*stored.planes) : encoder.add(*stored.image);
            if (!added)
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
