// The live picture's cost to the run: the program without a display captures the test scene at
// 1280 x 720 every 0.5 s for VARDELLA_STREAM_SECONDS (default 30) seconds, once with no viewer
// and once with 10 clients reading /stream.mjpg, side by side. Reported for each: the mean
// period's deviation from 0.5 s and the worst single gap (from --verbose), the process's CPU
// time (user and system, every thread) per picture, the frames each client received, and the
// CPU the stream added per streamed frame (against the run without viewers); beside them one
// compression of such a frame in this process, the most the stream may add per frame. Goals:
// deviation within 0.5 %, the CPU added per streamed frame about one compression.
#include "benchmain.h"
#include "capture/jpegencoder.h"
#include "loopback.h"
#include "web/weblive.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTime>

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <thread>
#include <vector>

namespace {
constexpr double Period = 0.5;

int seconds()
{
    const int v = qEnvironmentVariableIntValue("VARDELLA_STREAM_SECONDS");
    return v > 0 ? v : 30;
}

// User and system time of a running process, in seconds.
double cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    // The fields after the command's closing parenthesis; utime and stime are 14 and 15.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / sysconf(_SC_CLK_TCK);
}

// Clients that read the live picture until told to stop; frames counted by their boundaries.
class Watchers
{
public:
    Watchers(quint16 port, int count) : m_frames(std::size_t(count), 0)
    {
        for (int i = 0; i < count; ++i) {
            const int fd = connectLoopback(port);
            if (fd < 0)
                continue;
            const char request[] = "GET /stream.mjpg HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
            (void)::send(fd, request, sizeof request - 1, MSG_NOSIGNAL);
            m_fds.push_back(fd);
        }
        m_thread = std::thread([this] { read(); });
    }
    ~Watchers()
    {
        m_stop = true;
        m_thread.join();
        for (int fd : m_fds)
            ::close(fd);
    }
    int connected() const { return int(m_fds.size()); }
    /// The fewest frames any client received.
    int fewestFrames() const
    {
        return m_fds.empty() ? 0
                             : *std::min_element(m_frames.begin(), m_frames.begin() + m_fds.size());
    }

private:
    void read()
    {
        const QByteArray boundary = "--vardellaframe\r\n";
        std::vector<QByteArray> tails(m_fds.size());
        std::vector<pollfd> polls;
        for (int fd : m_fds)
            polls.push_back({fd, POLLIN, 0});
        char buffer[65536];
        while (!m_stop) {
            if (::poll(polls.data(), polls.size(), 100) <= 0)
                continue;
            for (std::size_t i = 0; i < polls.size(); ++i) {
                if (!(polls[i].revents & POLLIN))
                    continue;
                const ssize_t n = ::recv(polls[i].fd, buffer, sizeof buffer, 0);
                if (n <= 0) {
                    polls[i].fd = -1; // ended
                    continue;
                }
                QByteArray seen = tails[i] + QByteArray(buffer, n);
                m_frames[i] += int(seen.count(boundary));
                tails[i] = seen.right(boundary.size() - 1);
            }
        }
    }

    std::vector<int> m_fds;
    std::vector<int> m_frames; // of the reading thread until it has ended
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

struct Run
{
    bool ok = false;
    double meanPeriod = 0;
    double worstGap = 0;
    int pictures = 0;
    double cpu = 0;
    int frames = 0;
};

Run capture(int clients)
{
    Run run;
    QTemporaryDir dir;
    for (const char *sound : {"click.wav", "alarm.wav"})
        QFile::copy(QStringLiteral(VARDELLA_SOURCE_DIR_BENCH "/data/") + sound,
                    dir.filePath(sound));
    QProcess program;
    program.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    program.setProcessEnvironment(env);
    program.start(VARDELLA_PROGRAM, {"--headless", "--web", "127.0.0.1:0", "--interval", "0.5",
                                     "--size", "1280x720", "--verbose", "store"});
    if (!program.waitForStarted(10000))
        return run;
    QByteArray said;
    const QRegularExpression url(R"(Web view at http://127\.0\.0\.1:(\d+)/)");
    for (int i = 0; i < 100 && !url.match(said).hasMatch(); ++i) {
        program.waitForReadyRead(100);
        said += program.readAllStandardError();
    }
    const quint16 port = url.match(said).captured(1).toUShort();
    if (port == 0)
        return run;
    const qint64 pid = program.processId();
    QByteArray output;
    {
        Watchers watchers(port, clients);
        QElapsedTimer clock;
        clock.start();
        const double cpuBefore = cpuSeconds(pid);
        while (clock.elapsed() < seconds() * 1000) {
            program.waitForReadyRead(200);
            output += program.readAllStandardOutput();
        }
        run.cpu = cpuSeconds(pid) - cpuBefore;
        run.frames = watchers.fewestFrames();
        run.ok = watchers.connected() == clients;
    }
    ::kill(pid_t(pid), SIGTERM);
    program.waitForFinished(10000);
    output += program.readAllStandardOutput();
    QList<QTime> times;
    for (const QByteArray &line : output.split('\n'))
        if (line.contains(" picture "))
            times << QTime::fromString(QString::fromLatin1(line.left(12)), "HH:mm:ss.zzz");
    run.pictures = int(times.size());
    if (times.size() < 3)
        return Run{};
    for (qsizetype i = 1; i < times.size(); ++i)
        run.worstGap =
            std::max(run.worstGap, std::abs(times[i - 1].msecsTo(times[i]) / 1000.0 - Period));
    run.meanPeriod = times.first().msecsTo(times.last()) / 1000.0 / double(times.size() - 1);
    return run;
}

// The run without viewers, for the runs with them to compare with.
double g_cpuWithout = -1;
int g_picturesWithout = 0;

void report(benchmark::State &state, const Run &run)
{
    state.counters["period_dev_%"] = 100.0 * std::abs(run.meanPeriod - Period) / Period;
    state.counters["worst_gap_ms"] = run.worstGap * 1000.0;
    state.counters["pictures"] = run.pictures;
    state.counters["cpu_s"] = run.cpu;
    state.counters["frames_per_client"] = run.frames;
    state.counters["cpu_ms_per_picture"] = run.pictures > 0 ? 1000.0 * run.cpu / run.pictures : 0;
    if (run.frames > 0 && g_cpuWithout >= 0 && g_picturesWithout > 0) {
        // The CPU the stream added, per frame each client received.
        const double without = g_cpuWithout / g_picturesWithout * run.pictures;
        state.counters["added_cpu_ms_per_frame"] = 1000.0 * (run.cpu - without) / run.frames;
    }
}

void BM_CaptureWithViewers(benchmark::State &state)
{
    const int clients = int(state.range(0));
    Run run;
    for (auto _ : state)
        run = capture(clients);
    if (!run.ok)
        state.SkipWithError("the program did not run or serve as expected");
    if (clients == 0) {
        g_cpuWithout = run.cpu;
        g_picturesWithout = run.pictures;
    }
    report(state, run);
}
BENCHMARK(BM_CaptureWithViewers)->Arg(0)->Arg(10)->Iterations(1)->Unit(benchmark::kSecond);

// One compression of a 1280 x 720 frame as the live picture makes it.
void BM_CompressOneFrame(benchmark::State &state)
{
    QImage frame(1280, 720, QImage::Format_RGB888);
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            frame.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
    std::vector<std::uint8_t> out;
    for (auto _ : state)
        benchmark::DoNotOptimize(JpegEncoder(WebLive::Quality).encode(frame, out));
}
BENCHMARK(BM_CompressOneFrame)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char **argv)
{
    return runBenchmarksIn<QCoreApplication>(argc, argv);
}
