// A long run of the program without a display: VARDELLA_SOAK_PICTURES pictures (default
// 10000) at the shortest interval, 0.1 s, from the test scene at 320 x 240. Reports the CPU
// time per picture (user and system, every thread) and the resident memory soon after the start
// and at the end. Beside it, when installed, the command-line grabber fswebcam does the same
// from its own test source in its loop mode, whose shortest interval is 1 s: it runs for
// VARDELLA_SOAK_FSWEBCAM pictures (default 60), and its figures are per picture as well.
#include "qtbenchmain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <csignal>
#include <sys/resource.h>

namespace {
int envCount(const char *name, int fallback)
{
    const int v = qEnvironmentVariableIntValue(name);
    return v > 0 ? v : fallback;
}

double childCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// Resident memory of a process in kB, 0 when it is gone.
double residentKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble();
    }
    return 0;
}

int picturesIn(const QString &directory)
{
    int n = 0;
    for (const QString &sub : QDir(directory).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        n += int(QDir(directory + '/' + sub).entryList({"*.jpg"}, QDir::Files).size());
    n += int(QDir(directory).entryList({"*.jpg"}, QDir::Files).size());
    return n;
}

struct Figures
{
    double cpuPerPicture = 0;
    double rssStartKb = 0;
    double rssEndKb = 0;
    int pictures = 0;
    bool ok = false;
};

// Runs program until it has stored pictures pictures (or ends by itself), sampling its memory.
Figures soak(const QString &program, const QStringList &arguments, const QString &store,
             int pictures, bool endsByItself)
{
    Figures f;
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    const double cpuBefore = childCpuSeconds();
    process.start(program, arguments);
    if (!process.waitForStarted(10000))
        return f;
    const qint64 pid = process.processId();
    while (process.state() == QProcess::Running) {
        const int stored = picturesIn(store);
        const double rss = residentKb(pid);
        if (f.rssStartKb == 0 && stored >= 10)
            f.rssStartKb = rss;
        if (rss > 0)
            f.rssEndKb = rss;
        if (!endsByItself && stored >= pictures) {
            ::kill(pid_t(pid), SIGTERM);
            break;
        }
        process.waitForFinished(500);
    }
    process.waitForFinished(60000);
    f.pictures = picturesIn(store);
    f.cpuPerPicture = (childCpuSeconds() - cpuBefore) / std::max(1, f.pictures);
    f.ok = f.pictures >= pictures;
    return f;
}

void report(benchmark::State &run, const Figures &f)
{
    run.counters["pictures"] = f.pictures;
    run.counters["cpu_ms_per_picture"] = f.cpuPerPicture * 1000;
    run.counters["rss_start_MB"] = f.rssStartKb / 1024;
    run.counters["rss_end_MB"] = f.rssEndKb / 1024;
}

void BM_VardellaHeadless(benchmark::State &run)
{
    const int pictures = envCount("VARDELLA_SOAK_PICTURES", 10000);
    QTemporaryDir dir;
    for (auto _ : run) {
        const Figures f =
            soak(QStringLiteral(VARDELLA_PROGRAM),
                 {"--headless", "--interval", "0.1", "--count", QString::number(pictures), "--max",
                  QString::number(pictures), "--size", "320x240", dir.path()},
                 dir.path(), pictures, true);
        if (!f.ok)
            run.SkipWithError("the run ended early");
        report(run, f);
    }
}
BENCHMARK(BM_VardellaHeadless)->Iterations(1)->Unit(benchmark::kSecond);

void BM_FswebcamLoop(benchmark::State &run)
{
    const QString fswebcam = QStandardPaths::findExecutable("fswebcam");
    if (fswebcam.isEmpty()) {
        run.SkipWithError("fswebcam is not installed (Debian package fswebcam)");
        return;
    }
    const int pictures = envCount("VARDELLA_SOAK_FSWEBCAM", 60);
    QTemporaryDir dir;
    for (auto _ : run) {
        const Figures f = soak(fswebcam,
                               {"-q", "-d", "TEST", "-r", "320x240", "--no-banner", "--loop", "1",
                                dir.filePath("capture%s.jpg")},
                               dir.path(), pictures, false);
        report(run, f);
    }
}
BENCHMARK(BM_FswebcamLoop)->Iterations(1)->Unit(benchmark::kSecond);
} // namespace

int main(int argc, char **argv)
{
    return runQtBenchmarks(argc, argv);
}
