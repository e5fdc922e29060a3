// A page of the web view's store served over HTTP, as a browser loads it: the page and its 20
// thumbnails, each on a connection of its own, from a store of 10,000 pictures whose newest 20
// are camera-sized (1280 x 720). Warm: everything cached (goal: under 50 ms). After a new
// picture: its directory of 5,000 read again and one thumbnail made. Cold: a fresh cache, every
// thumbnail decoded at 1/8 of its size.
#include "benchmain.h"
#include "capture/jpegencoder.h"
#include "loopback.h"
#include "shell/picturenames.h"
#include "web/weblive.h"
#include "web/webpages.h"
#include "web/webpictures.h"
#include "web/webserver.h"
#include "web/webstatus.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <random>

namespace {
constexpr int Stored = 10000;
constexpr int Large = 20;

class IdleRun : public WebRun
{
public:
    WebStatus status() override { return {}; }
    void start() override {}
    void stop() override {}
};

QByteArray cameraPicture(int variant)
{
    std::mt19937 random(variant);
    std::normal_distribution<float> noise(0.0f, 6.0f);
    QImage frame(1280, 720, QImage::Format_RGB888);
    for (int y = 0; y < frame.height(); ++y) {
        std::uint8_t *row = frame.scanLine(y);
        for (int x = 0; x < frame.width(); ++x)
            for (int c = 0; c < 3; ++c)
                row[3 * x + c] = std::uint8_t(std::clamp(
                    float((x * (c + 1) / 5 + y * (3 - c) / 3 + 7 * variant) % 256) + noise(random),
                    0.0f, 255.0f));
    }
    std::vector<std::uint8_t> data;
    (void)JpegEncoder(100).encode(frame, data);
    return QByteArray(reinterpret_cast<const char *>(data.data()), qsizetype(data.size()));
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// One GET on a connection of its own; the bytes of the answer, or none when it is no 200.
qsizetype get(quint16 port, const QByteArray &path)
{
    const int fd = connectLoopback(port);
    if (fd < 0)
        return 0;
    const QByteArray request =
        "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    (void)::send(fd, request.constData(), size_t(request.size()), MSG_NOSIGNAL);
    QByteArray answer;
    char buffer[65536];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
        answer.append(buffer, n);
    ::close(fd);
    return answer.startsWith("HTTP/1.1 200") ? answer.size() : 0;
}

struct Store
{
    Store()
    {
        QDir::setCurrent(dir.path());
        const QByteArray small(2000, 'x'); // listed only: never opened by the page
        for (int n = 0; n < Stored; ++n) {
            const int d = PictureStore::DirectoryOfPicture(n);
            QDir().mkpath(QString::number(d));
            write(PictureStore::PicturePath(d, n), n >= Stored - Large ? cameraPicture(n) : small);
        }
        pictures = std::make_unique<WebPictures>(dir.path());
        server =
            std::make_unique<WebServer>(run, *pictures, live, *WebAddress::parse("127.0.0.1:0"));
        ok = bool(server->listen());
    }
    // The page and its thumbnails; the bytes received.
    qsizetype loadPage()
    {
        const quint16 port = server->address().port();
        qsizetype bytes = get(port, "/pictures");
        for (int n = Stored - 1; n >= Stored - Large; --n)
            bytes += get(port, "/thumbs/" + QFile::encodeName(PictureStore::PicturePath(
                                                PictureStore::DirectoryOfPicture(n), n)));
        return bytes;
    }

    QTemporaryDir dir;
    IdleRun run;
    WebLive live;
    std::unique_ptr<WebPictures> pictures;
    std::unique_ptr<WebServer> server;
    bool ok = false;
};

Store &store()
{
    static Store s;
    return s;
}

void BM_PageWarm(benchmark::State &state)
{
    Store &s = store();
    if (!s.ok || s.loadPage() == 0) {
        state.SkipWithError("the server does not answer");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(s.loadPage());
}
BENCHMARK(BM_PageWarm)->Unit(benchmark::kMillisecond);

void BM_PageAfterNewPicture(benchmark::State &state)
{
    Store &s = store();
    const QByteArray picture = cameraPicture(1);
    int n = Stored - 1;
    for (auto _ : state) {
        state.PauseTiming();
        // The newest picture written anew, as the writer does: renamed into place.
        const QString path = PictureStore::PicturePath(PictureStore::DirectoryOfPicture(n), n);
        write(path + ".tmp", picture);
        QFile::remove(path);
        QFile::rename(path + ".tmp", path);
        state.ResumeTiming();
        benchmark::DoNotOptimize(s.loadPage());
    }
}
BENCHMARK(BM_PageAfterNewPicture)->Unit(benchmark::kMillisecond);

void BM_PageCold(benchmark::State &state)
{
    Store &s = store();
    for (auto _ : state) {
        state.PauseTiming();
        s.server.reset();
        s.pictures = std::make_unique<WebPictures>(s.dir.path());
        s.server = std::make_unique<WebServer>(s.run, *s.pictures, s.live,
                                               *WebAddress::parse("127.0.0.1:0"));
        s.ok = bool(s.server->listen());
        state.ResumeTiming();
        benchmark::DoNotOptimize(s.loadPage());
    }
}
BENCHMARK(BM_PageCold)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char **argv)
{
    return runBenchmarksIn<QCoreApplication>(argc, argv);
}
