// 500 stored pictures of 640 x 480 (the test scene with its running clock and a moving box,
// as a run without a camera stores them) into an H.264 video: Vardella's video job against the
// ffmpeg program encoding the same files with the same settings (libx264, preset medium,
// CRF 23, yuv420p, 25 frames per second, MP4 with the index in front), in one run. Goal: at
// least as many pictures per second as ffmpeg, and a file of about the same size.
// Counters: pictures_per_s and the video's size in kB.
#include "../qtbenchmain.h"
#include "capture/jpegencoder.h"
#include "capture/service/testscene.h"
#include "shell/picturenames.h"
#include "video/videojob.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {
constexpr int Pictures = 500;

// The store, written once for every benchmark: one picture every 5 s of the scene's clock.
// Empty when it cannot be written.
QString storePath()
{
    static QTemporaryDir dir;
    static const bool written = [] {
        QDir(dir.path()).mkdir("1");
        TestScene scene;
        QImage frame(640, 480, QImage::Format_BGR888);
        std::vector<std::uint8_t> jpeg;
        const JpegEncoder encoder(90);
        for (int n = 0; n < Pictures; ++n) {
            scene.draw(frame, QTime(9, 0).addSecs(5 * n), 5000LL * n, TestScene::Options{});
            QFile file(dir.filePath(PictureStore::PicturePath(1, n)));
            if (!encoder.encode(frame, jpeg) || !file.open(QIODevice::WriteOnly))
                return false;
            file.write(reinterpret_cast<const char *>(jpeg.data()), qint64(jpeg.size()));
        }
        return true;
    }();
    return written ? dir.path() : QString();
}

void report(benchmark::State &state, const QString &video)
{
    state.counters["pictures_per_s"] =
        benchmark::Counter(Pictures, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["kB"] = double(QFileInfo(video).size()) / 1000.0;
}

void BM_VardellaVideo(benchmark::State &state)
{
    const QDir store(storePath());
    if (store.path().isEmpty() || !QDir::setCurrent(store.path())) {
        state.SkipWithError("cannot write the pictures");
        return;
    }
    const QString video = store.filePath("vardella.mp4");
    VideoSettings settings;
    settings.first = 0;
    settings.last = Pictures - 1;
    settings.output = video;
    settings.replace = true;
    const std::atomic<bool> cancel{false};
    for (auto _ : state) {
        const Result<VideoSummary> made = VideoJob(settings).run({}, cancel);
        if (!made || made->frames != Pictures) {
            state.SkipWithError(made ? "pictures missing" : qPrintable(made.error()));
            return;
        }
    }
    report(state, video);
}

void BM_FfmpegProgram(benchmark::State &state)
{
    const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
    if (ffmpeg.isEmpty()) {
        state.SkipWithError("no ffmpeg program (Debian package ffmpeg)");
        return;
    }
    const QDir store(storePath());
    const QString video = store.filePath("ffmpeg.mp4");
    const QStringList arguments{"-y",
                                "-loglevel",
                                "error",
                                "-framerate",
                                "25",
                                "-start_number",
                                "0",
                                "-i",
                                store.filePath("1/capture%d.jpg"),
                                "-frames:v",
                                QString::number(Pictures),
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
    for (auto _ : state) {
        QProcess process;
        process.start(ffmpeg, arguments);
        if (!process.waitForFinished(600000) || process.exitCode() != 0) {
            state.SkipWithError(process.readAllStandardError().constData());
            return;
        }
    }
    report(state, video);
}
} // namespace

BENCHMARK(BM_VardellaVideo)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_FfmpegProgram)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

int main(int argc, char **argv)
{
    return runQtBenchmarks(argc, argv);
}
