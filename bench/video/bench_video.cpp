// Stored pictures of the test scene (its running clock and a moving box, as a run without a
// camera stores them) into an H.264 video: Vardella's video job against the ffmpeg program
// encoding the same files with the same settings (libx264, preset medium, CRF 23, yuv420p, 25
// frames per second, MP4 with the index in front, threads as the cores allow), the two in turn
// in one benchmark: 500 pictures of 640 x 480 and 200 of 1920 x 1080. Limit: at least as many
// pictures per second as ffmpeg (ratio >= 1), with a file of about the same size.
#include "../qtbenchmain.h"
#include "capture/jpegencoder.h"
#include "capture/service/testscene.h"
#include "shell/picturenames.h"
#include "video/videojob.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <map>
#include <memory>

namespace {
// One store per size, written once: one picture every 5 s of the scene's clock. Empty when it
// cannot be written.
QString storePath(QSize size, int pictures)
{
    static std::map<std::pair<int, int>, std::unique_ptr<QTemporaryDir>> stores;
    auto &dir = stores[{size.width(), size.height()}];
    if (dir)
        return dir->path();
    dir = std::make_unique<QTemporaryDir>();
    QDir(dir->path()).mkdir("1");
    TestScene scene;
    QImage frame(size, QImage::Format_BGR888);
    std::vector<std::uint8_t> jpeg;
    const JpegEncoder encoder(90);
    for (int n = 0; n < pictures; ++n) {
        scene.draw(frame, QTime(9, 0).addSecs(5 * n), 5000LL * n, TestScene::Options{});
        QFile file(dir->filePath(PictureStore::PicturePath(1, n)));
        if (!encoder.encode(frame, jpeg) || !file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char *>(jpeg.data()), qint64(jpeg.size())) < 0) {
            dir.reset();
            return {};
        }
    }
    return dir->path();
}

QStringList ffmpegArguments(const QDir &store, int pictures, const QString &video)
{
    return {"-y",
            "-loglevel",
            "error",
            "-framerate",
            "25",
            "-start_number",
            "0",
            "-i",
            store.filePath("1/capture%d.jpg"),
            "-frames:v",
            QString::number(pictures),
            "-c:v",
            "libx264",
            "-preset",
            "medium",
            "-crf",
            "23",
            "-pix_fmt",
            "yuv420p",
            "-movflags",
            "+faststart",
            video};
}

double seconds(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e9;
}

// w, h, pictures.
void BM_VideoVsFfmpeg(benchmark::State &state)
{
    const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
    if (ffmpeg.isEmpty()) {
        state.SkipWithError("no ffmpeg program (Debian package ffmpeg)");
        return;
    }
    const int pictures = int(state.range(2));
    const QDir store(storePath(QSize(int(state.range(0)), int(state.range(1))), pictures));
    if (store.path().isEmpty() || store.path() == "." || !QDir::setCurrent(store.path())) {
        state.SkipWithError("cannot write the pictures");
        return;
    }
    const QString video = store.filePath("vardella.mp4");
    const QString theirs = store.filePath("ffmpeg.mp4");
    VideoSettings settings;
    settings.first = 0;
    settings.last = pictures - 1;
    settings.output = video;
    settings.replace = true;
    const std::atomic<bool> cancel{false};
    double ours = 0.0, program = 0.0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        const Result<VideoSummary> made = VideoJob(settings).run({}, cancel);
        ours += seconds(clock);
        if (!made || made->frames != pictures) {
            state.SkipWithError(made ? "pictures missing" : qPrintable(made.error()));
            return;
        }
        clock.restart();
        QProcess process;
        process.start(ffmpeg, ffmpegArguments(store, pictures, theirs));
        if (!process.waitForFinished(600000) || process.exitCode() != 0) {
            state.SkipWithError(process.readAllStandardError().constData());
            return;
        }
        program += seconds(clock);
    }
    const double runs = double(state.iterations());
    state.counters["pictures_per_s"] = pictures * runs / ours;
    state.counters["ffmpeg_pictures_per_s"] = pictures * runs / program;
    state.counters["ratio"] = program / ours;
    state.counters["limit"] = 1.0;
    state.counters["kB"] = double(QFileInfo(video).size()) / 1000.0;
    state.counters["ffmpeg_kB"] = double(QFileInfo(theirs).size()) / 1000.0;
}
} // namespace

BENCHMARK(BM_VideoVsFfmpeg)
    ->Args({640, 480, 500})
    ->Args({1920, 1080, 200})
    ->ArgNames({"w", "h", "pictures"})
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(3);

int main(int argc, char **argv)
{
    return runQtBenchmarks(argc, argv);
}
