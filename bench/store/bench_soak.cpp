// A long run of the whole program over the test scene at the shortest interval (0.10 s), at
// 640 x 480, with the max. frames raised so that the store keeps every picture of the run.
// Counters: resident memory and open files before "Start" and after the run, CPU time per
// picture over the run (all threads), the mean period, and how many of the pictures the store
// should hold decode. A leak of memory or of file descriptors shows as a growth between start
// and end; a broken picture as decoded < expected.
//
// 10,000 pictures by default, about 17 minutes; VARDELLA_SOAK_PICTURES=300 and the like for a
// quick try.
#include "benchprogram.h"
#include "capture/jpegdecoder.h"
#include "store/captureloop.h"

#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int ShortestIntervalMs = 100;

int picturesToTake()
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("VARDELLA_SOAK_PICTURES", &ok);
    return ok && n > 0 ? std::min(n, PictureStore::StoreCapacity) : 10000;
}

double residentKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmRSS:"))
            return std::stod(line.substr(6));
    return -1;
}

// Counts the descriptor used for the listing too, at start and end alike.
double openFiles()
{
    std::error_code error;
    double count = 0;
    for (std::filesystem::directory_iterator it("/proc/self/fd", error), end; !error && it != end;
         it.increment(error))
        ++count;
    return count;
}

double cpuSeconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// The max. frames arrows in tenths, pressed up until the ring holds at least pictures.
bool keepAll(BenchProgram &program, int pictures)
{
    UpDownControl *arrows = program.panel()->maxArrows;
    while (program.state().MaxFrames() < pictures && arrows->position() < arrows->maximum())
        program.press(arrows, UpDownControl::Direction::Up);
    return program.state().MaxFrames() >= pictures;
}

// Runs capture until pictures are stored, capture stops on its own, or well past the time the
// run should take. Returns the pictures stored.
int captureRun(BenchProgram &program, int pictures)
{
    Application &app = *program.app;
    int stored = 0;
    QEventLoop loop;
    const QMetaObject::Connection seen =
        QObject::connect(&app.captureLoop(), &CaptureLoop::pictureStored, &loop, [&] {
            if (++stored == pictures)
                loop.quit();
        });
    QTimer stopped;
    QObject::connect(&stopped, &QTimer::timeout, &loop, [&] {
        if (!app.state().CaptureRunning())
            loop.quit();
    });
    stopped.start(500);
    QTimer::singleShot(2 * pictures * ShortestIntervalMs + 60000, &loop, &QEventLoop::quit);
    QPushButton *start = program.panel()->start;
    start->click();
    loop.exec();
    if (app.state().CaptureRunning())
        start->click();
    QObject::disconnect(seen);
    return stored;
}

int decodingPictures(int expected)
{
    const JpegDecoder decoder;
    int decoded = 0;
    for (int n = 0; n < expected; ++n) {
        const Result<QImage> picture =
            decoder.read(PictureStore::PicturePath(PictureStore::DirectoryOfPicture(n), n));
        if (picture && picture->size() == QSize(640, 480))
            ++decoded;
    }
    return decoded;
}

void BM_Soak(benchmark::State &run)
{
    const int pictures = picturesToTake();
    BenchProgram program(Size640x480);
    if (!program.failure().empty()) {
        run.SkipWithError(program.failure().c_str());
        return;
    }
    if (!program.requestInterval(ShortestIntervalMs) || !keepAll(program, pictures)) {
        run.SkipWithError("the controls cannot set the interval or the max. frames");
        return;
    }
    for (auto _ : run) {
        run.counters["rss_start_kib"] = residentKiB();
        run.counters["open_files_start"] = openFiles();
        const double cpuStart = cpuSeconds();
        const auto wallStart = std::chrono::steady_clock::now();
        const int stored = captureRun(program, pictures);
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
        const double cpu = cpuSeconds() - cpuStart;
        run.counters["rss_end_kib"] = residentKiB();
        run.counters["open_files_end"] = openFiles();
        run.SetIterationTime(wall);
        run.counters["pictures_stored"] = stored;
        run.counters["cpu_ms_per_picture"] = stored > 0 ? 1000 * cpu / stored : 0;
        run.counters["mean_period_ms"] = stored > 0 ? 1000 * wall / stored : 0;
        run.counters["pictures_expected"] = pictures;
        run.counters["pictures_decoded"] = decodingPictures(pictures);
        run.counters["errors"] = program.errors();
        if (stored != pictures || program.errors() > 0)
            run.SkipWithError("the run stopped before its last picture");
    }
}
BENCHMARK(BM_Soak)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
} // namespace

int main(int argc, char **argv)
{
    return runQtBenchmarks(argc, argv);
}
