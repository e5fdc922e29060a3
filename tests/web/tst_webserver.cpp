// The web view's server against curl: what it answers, what it refuses, and that neither a
// flood of connections nor clients that send their requests a byte at a time take it down.
#include "common/tempworkdir.h"
#include "web/webclient.h"
#include "web/weblive.h"
#include "web/webpictures.h"
#include "web/webserver.h"
#include "web/webstatus.h"
#include "web/webtls.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <atomic>
#include <memory>
#include <thread>

namespace {
class FakeRun : public WebRun
{
public:
    WebStatus status() override
    {
        WebStatus s;
        s.running = true;
        s.counter = 42;
        s.lastNumber = 41;
        s.lastPath = "1/capture41.jpg";
        s.lastTime = QDateTime(QDate(2026, 12, 8), QTime(21, 40, 3, 250), QTimeZone(3600));
        return s;
    }
    void start() override { ++starts; }
    void stop() override { ++stops; }

    std::atomic<int> starts = 0;
    std::atomic<int> stops = 0;
};

Result<WebAddress> address(const char *text)
{
    return WebAddress::parse(QString::fromLatin1(text));
}

WebCredentials password(const char *text)
{
    QByteArray p(text);
    return *WebCredentials::fromPassword(p);
}
} // namespace

class TestWebServer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void answersAndRefuses_data();
    void answersAndRefuses();
    void refusesToListen();
    void thumbnailsFollowTheirFiles();
    void survivesFloodsAndSlowClients();
    void listsTheStoreOnly();
    void streamsWhileWatched();
    void servesHttps_data();
    void servesHttps();

private:
    TempWorkDir m_store;
    QTemporaryDir m_outside;
    FakeRun m_run;
    std::unique_ptr<WebPictures> m_pictures;
    WebLive m_live;
    // Open: loopback, no password. Locked: all addresses, a password. Guarded: loopback with one.
    std::unique_ptr<WebServer> m_open, m_locked, m_guarded;
};

void TestWebServer::initTestCase()
{
    if (!haveCurl())
        QSKIP("curl is not installed (Debian curl)");
    // A store: a picture, a damaged one, links out of the store and within it, a directory
    // where a picture would be, a directory that is a link out of the store.
    QVERIFY(QDir().mkpath("1/capture3.jpg") && QDir().mkpath("3"));
    QImage picture(640, 480, QImage::Format_RGB888);
    picture.fill(Qt::darkCyan);
    QVERIFY(picture.save("1/capture0.jpg", "JPEG"));
    QFile damaged("1/capture4.jpg");
    QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("\xff\xd8 not a picture") > 0);
    damaged.close();
    const QString secret = m_outside.filePath("secret.jpg");
    QVERIFY(picture.save(secret, "JPEG"));
    QVERIFY(QFile::link(secret, "1/capture1.jpg"));
    QVERIFY(QFile::link("capture0.jpg", "1/capture2.jpg"));
    QVERIFY(QFile::link("../1/capture0.jpg", "3/capture10000.jpg"));
    QVERIFY(QFile::link(m_outside.path(), "2"));
    QVERIFY(QFile::copy(secret, m_outside.filePath("capture5000.jpg")));
    m_pictures = std::make_unique<WebPictures>(m_store.path());

    m_open = std::make_unique<WebServer>(m_run, *m_pictures, m_live, *address("127.0.0.1:0"));
    m_locked = std::make_unique<WebServer>(m_run, *m_pictures, m_live, *address("0.0.0.0:0"),
                                           password("pass word"));
    m_guarded = std::make_unique<WebServer>(m_run, *m_pictures, m_live, *address("127.0.0.1:0"),
                                            password("pass word"));
    for (WebServer *server : {m_open.get(), m_locked.get(), m_guarded.get()}) {
        const Result<> listening = server->listen();
        // The message is formed even when the check passes.
        QVERIFY2(listening, qPrintable(listening ? QString() : listening.error()));
    }
}

void TestWebServer::answersAndRefuses_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QStringList>("arguments"); // "@" is the server's "http://127.0.0.1:port"
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body"); // a part of it
    QTest::addColumn<int>("starts");
    QTest::addColumn<int>("stops");
    const QStringList post{"-X", "POST"};
    const QStringList right{"--digest", "-u", "vardella:pass word"};
    const QString big = "X-Big: " + QString(20000, 'a');
    const auto row = [](const char *name, const char *server, const QStringList &arguments,
                        int status, const QByteArray &body = {}, int starts = 0, int stops = 0) {
        QTest::newRow(name) << QString(server) << arguments << status << body << starts << stops;
    };
    row("status", "open", QStringList{"@/api/status"}, 200,
        QByteArray(R"("last_picture":{"number":41,"path":"1/capture41.jpg",)"
                   R"("time":"2026-12-08T21:40:03.250+01:00"})"));
    row("start", "open", post + QStringList{"@/api/start"}, 202, QByteArray("start"), 1, 0);
    row("stop, own page", "open", post + QStringList{"-H", "Origin: @", "@/api/stop"}, 202,
        QByteArray("stop"), 0, 1);
    row("stop, other origin", "open",
        post + QStringList{"-H", "Origin: http://evil.example", "@/api/stop"}, 403);
    row("start, cross-site", "open",
        post + QStringList{"-H", "Sec-Fetch-Site: cross-site", "@/api/start"}, 403);
    row("rebound host", "open", QStringList{"-H", "Host: evil.example", "@/api/status"}, 403);
    row("encoded dot dot", "open", post + QStringList{"--path-as-is", "@/x/%2e%2e/api/start"}, 404);
    row("huge header", "open", QStringList{"-H", big, "@/api/status"}, 431);
    row("huge body", "open",
        post + QStringList{"--data-binary", QString(20000, 'a'), "@/api/start"}, 413);
    const QByteArray jpeg("\xff\xd8\xff");
    row("picture", "open", QStringList{"@/store/1/capture0.jpg"}, 200, jpeg);
    row("thumbnail", "open", QStringList{"@/thumbs/1/capture0.jpg"}, 200, jpeg);
    row("link within", "open", QStringList{"@/store/1/capture2.jpg"}, 200, jpeg);
    for (const char *path :
         {"/store/1/capture1.jpg", "/thumbs/1/capture1.jpg", "/store/2/capture5000.jpg",
          "/store/3/capture10000.jpg", "/store/1/capture3.jpg", "/store/1/capture9.jpg",
          "/thumbs/1/capture4.jpg", "/store/1/", "/store/1/%2e%2e/1/capture0.jpg",
          "/store/1/..%2f1/capture0.jpg", "/store/%2e%2e/%2e%2e/etc/passwd", "/store/%2fetc/passwd",
          "/store/1/capture0.jpg%2f", "/etc/passwd"})
        row(path, "open", {"--path-as-is", QString("@") + path}, 404);
    // The pages: security headers, the store's pictures only, nothing but reading.
    row("live page", "open", QStringList{"-i", "@/"}, 200,
        QByteArray("Content-Security-Policy: default-src 'self'"));
    row("style sheet", "open", QStringList{"@/style.css"}, 200, "prefers-color-scheme: dark");
    row("script", "open", QStringList{"@/live.js"}, 200, "/api/status");
    row("gallery", "open", QStringList{"@/pictures"}, 200, "<img src=\"/thumbs/1/capture0.jpg\"");
    row("picture page", "open", QStringList{"@/picture/1/capture0.jpg"}, 200, "download=");
    row("stream", "open", QStringList{"-I", "@/stream.mjpg"}, 200,
        "multipart/x-mixed-replace; boundary=");
    for (const char *path :
         {"/pictures/2", "/pictures/1", "/pictures/02", "/pictures/", "/index.html",
          "/picture/1/capture1.jpg", "/picture/3/capture10000.jpg", "/picture/1/capture9.jpg",
          "/picture/1/", "/style.css/", "/%2e%2e/style.css"})
        row(path, "open", {"--path-as-is", QString("@") + path}, 404);
    row("post gallery", "open", post + QStringList{"@/pictures"}, 405);
    row("post stream", "open", post + QStringList{"@/stream.mjpg"}, 405);
    row("gallery, no password", "locked", QStringList{"@/pictures"}, 401);
    row("stream, no password", "locked", QStringList{"@/stream.mjpg"}, 401);
    row("picture, no password", "locked", QStringList{"@/store/1/capture0.jpg"}, 401);
    row("no password", "locked", QStringList{"@/api/status"}, 401);
    row("wrong password", "locked", QStringList{"--digest", "-u", "vardella:pass", "@/api/status"},
        401);
    row("wrong user", "locked", QStringList{"--digest", "-u", "admin:pass word", "@/api/status"},
        401);
    row("basic auth", "locked", QStringList{"--basic", "-u", "vardella:pass word", "@/api/status"},
        401);
    row("password", "locked", right + QStringList{"@/api/status"}, 200,
        QByteArray(R"("counter":42)"));
    row("lan name, password", "locked", right + QStringList{"-H", "Host: cam.lan", "@/api/status"},
        200);
    row("start, no password", "locked", post + QStringList{"@/api/start"}, 401);
    row("start, password", "locked", post + right + QStringList{"@/api/start"}, 202, QByteArray(),
        1, 0);
    row("start, password, other origin", "locked",
        post + right + QStringList{"-H", "Origin: http://evil.example", "@/api/start"}, 403);
    row("loopback, stop, no password", "guarded", post + QStringList{"@/api/stop"}, 401);
    row("loopback, stop, password", "guarded", post + right + QStringList{"@/api/stop"}, 202,
        QByteArray(), 0, 1);
}

void TestWebServer::answersAndRefuses()
{
    QFETCH(QString, server);
    QFETCH(QStringList, arguments);
    WebServer &s = server == "open" ? *m_open : server == "locked" ? *m_locked : *m_guarded;
    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(s.address().port());
    arguments.replaceInStrings("@", base);
    const int starts = m_run.starts;
    const int stops = m_run.stops;
    const Reply reply = curl(arguments);
    QTEST(reply.status, "status");
    QFETCH(QByteArray, body);
    QVERIFY2(reply.body.contains(body), reply.body.constData());
    QTEST(m_run.starts - starts, "starts");
    QTEST(m_run.stops - stops, "stops");
}

void TestWebServer::refusesToListen()
{
    // The port of a server that listens already.
    WebAddress taken = *address("127.0.0.1:0");
    taken.setPort(m_open->address().port());
    WebServer second(m_run, *m_pictures, m_live, taken);
    const Result<> refused = second.listen();
    QVERIFY(!refused);
    QVERIFY2(refused.error().contains(QStringLiteral("the port %1 is taken").arg(taken.port())),
             qPrintable(refused.error()));
    // Beyond this machine only with a password.
    WebServer open(m_run, *m_pictures, m_live, *address("0.0.0.0:0"));
    const Result<> unguarded = open.listen();
    QVERIFY(!unguarded && unguarded.error().contains("needs a password"));
    QVERIFY(!open.listening());
}

void TestWebServer::survivesFloodsAndSlowClients()
{
    WebServer::Limits limits;
    limits.headers = std::chrono::seconds(2);
    WebServer server(m_run, *m_pictures, m_live, *address("127.0.0.1:0"), std::nullopt, limits);
    QVERIFY(server.listen());
    const QString status =
        QStringLiteral("http://127.0.0.1:%1/api/status").arg(server.address().port());

    // 200 at once: answered or turned away, none left waiting for long (curl gives up at 15 s),
    // and the server answers afterwards.
    QElapsedTimer clock;
    clock.start();
    const QList<int> flood = parallel(status, 200);
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(flood.size(), 200);
    QVERIFY(flood.count(200) >= 32);
    QCOMPARE(flood.count(200) + flood.count(0), 200);
    QCOMPARE(curl({status}).status, 200);

    // More slow clients than connections: each is cut once its request takes too long (2 s),
    // long before it would have sent its headers (40 s).
    clock.start();
    QCOMPARE(slowClients(server.address().port(), 40, 10, 20000), 40);
    QVERIFY2(clock.elapsed() < 8000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(curl({status}).status, 200);
}

void TestWebServer::thumbnailsFollowTheirFiles()
{
    QImage picture(320, 240, QImage::Format_RGB888);
    picture.fill(Qt::red);
    QVERIFY(QDir().mkpath("9") && picture.save("9/capture40000.jpg", "JPEG"));
    const WebPictures::Picture ref{9, 40000};
    const auto shown = [&] {
        const Result<QByteArray> jpeg = m_pictures->thumbnail(ref);
        return jpeg ? QImage::fromData(*jpeg, "JPEG") : QImage();
    };
    const QImage first = shown();
    QCOMPARE(first.size(), QSize(160, 120));
    QVERIFY(qRed(first.pixel(80, 60)) > 200);
    // A new picture under the same name, as the ring writes it, is a new thumbnail.
    picture.fill(Qt::blue);
    QVERIFY(picture.save("9/capture40000.jpg", "JPEG"));
    QFile file("9/capture40000.jpg");
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(5),
                             QFileDevice::FileModificationTime));
    file.close();
    const QImage second = shown();
    QVERIFY(qBlue(second.pixel(80, 60)) > 200 && qRed(second.pixel(80, 60)) < 60);
    QVERIFY(!m_pictures->thumbnail({9, 40001}));
}

void TestWebServer::listsTheStoreOnly()
{
    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(m_open->address().port());
    const Reply page = curl({base + "/pictures"});
    QCOMPARE(page.status, 200);
    // Plain numbered files of the store only: no link (in or out), no directory, nothing
    // outside.
    QVERIFY(page.body.contains("/picture/1/capture0.jpg"));
    for (const char *absent : {"capture1.jpg", "capture2.jpg", "capture3.jpg", "capture5000.jpg",
                               "capture10000.jpg", "secret"})
        QVERIFY2(!page.body.contains(absent), absent);
}

void TestWebServer::streamsWhileWatched()
{
    // Frames of changing colour, faster than the stream's rate, while curl watches for 3 s.
    std::atomic<bool> feeding = true;
    const quint64 encodedBefore = m_live.encodedFrames();
    std::thread feeder([&] {
        for (int i = 0; feeding; ++i) {
            QImage frame(320, 240, QImage::Format_RGB888);
            frame.fill(QColor::fromHsv((i * 37) % 360, 255, 255));
            m_live.takeFrame(frame, QDateTime::currentDateTime());
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    const QString url =
        QStringLiteral("http://127.0.0.1:%1/stream.mjpg").arg(m_open->address().port());
    QProcess watcher;
    watcher.start("curl", {"--noproxy", "*", "-s", "-N", "--max-time", "3", url});
    QVERIFY(watcher.waitForFinished(10000));
    feeding = false;
    feeder.join();
    QTRY_COMPARE_WITH_TIMEOUT(m_live.viewers(), 0, 12000); // the closed connection is freed
    const QByteArray stream = watcher.readAllStandardOutput();
    QSet<QRgb> colours;
    qsizetype at = 0;
    int frames = 0;
    const QByteArray boundary = "--vardellaframe\r\nContent-Type: image/jpeg\r\n";
    while ((at = stream.indexOf(boundary, at)) >= 0) {
        const qsizetype length = stream.indexOf("Content-Length: ", at) + 16;
        const int size = stream.mid(length, stream.indexOf('\r', length) - length).toInt();
        const qsizetype body = stream.indexOf("\r\n\r\n", at) + 4;
        if (body + size > stream.size())
            break; // cut off by curl's time
        const QImage frame = QImage::fromData(stream.mid(body, size), "JPEG");
        QVERIFY(!frame.isNull());
        colours.insert(frame.pixel(frame.width() / 2, frame.height() / 2));
        ++frames;
        at = body + size;
    }
    // About five a second, each compressed once; the first may be the stand-in.
    const quint64 encoded = m_live.encodedFrames() - encodedBefore;
    QVERIFY2(frames >= 5 && frames <= 17, qPrintable(QString::number(frames)));
    QVERIFY2(encoded >= 5 && encoded <= 17, qPrintable(QString::number(encoded)));
    QVERIFY(colours.size() >= 4);
}

namespace {
// A self-signed certificate for 127.0.0.1 and its key, made by openssl (Debian openssl).
bool makeCertificate(const QString &name)
{
    QProcess openssl;
    openssl.start("openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt",
                              "ec_paramgen_curve:prime256v1", "-nodes", "-days", "1", "-subj",
                              "/CN=127.0.0.1", "-keyout", name + ".key", "-out", name + ".crt"});
    return openssl.waitForFinished(30000) && openssl.exitCode() == 0;
}
} // namespace

void TestWebServer::servesHttps_data()
{
    QTest::addColumn<QString>("cert");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("refusal"); // empty: served
    QTest::newRow("its own key") << "a.crt"
                                 << "a.key"
                                 << "";
    QTest::newRow("another's key") << "a.crt"
                                   << "b.key"
                                   << "do not belong together";
    QTest::newRow("key as certificate") << "a.key"
                                        << "a.key"
                                        << "holds no PEM certificate";
    QTest::newRow("certificate as key") << "a.crt"
                                        << "a.crt"
                                        << "holds no PEM key";
    QTest::newRow("no key file") << "a.crt"
                                 << "none.key"
                                 << "Cannot read the key file";
    QTest::newRow("damaged certificate") << "damaged.crt"
                                         << "a.key"
                                         << "do not belong together";
}

void TestWebServer::servesHttps()
{
    if (QStandardPaths::findExecutable("openssl").isEmpty())
        QSKIP("openssl is not installed (Debian openssl)");
    QTemporaryDir dir;
    const QString at = dir.path() + '/';
    QVERIFY(makeCertificate(at + "a") && makeCertificate(at + "b"));
    QFile whole(at + "a.crt"), damaged(at + "damaged.crt");
    QVERIFY(whole.open(QIODevice::ReadOnly) && damaged.open(QIODevice::WriteOnly));
    const QByteArray pem = whole.readAll();
    damaged.write(pem.left(pem.size() / 2) + "\n-----END CERTIFICATE-----\n"); // cut short
    damaged.close();
    QFETCH(QString, cert);
    QFETCH(QString, key);
    QFETCH(QString, refusal);
    Result<WebTls> tls = WebTls::fromFiles(at + cert, at + key);
    WebServer server(m_run, *m_pictures, m_live, *address("127.0.0.1:0"));
    Result<> listening = tls ? Result<>() : failure(tls.error());
    if (tls) {
        server.useTls(*tls);
        listening = server.listen();
    }
    QCOMPARE(bool(listening), refusal.isEmpty());
    if (!listening) {
        QVERIFY2(listening.error().contains(refusal), qPrintable(listening.error()));
        QVERIFY(listening.error().contains(at)); // names the file
        return;
    }
    const QString port = QString::number(server.address().port());
    QCOMPARE(server.url(), "https://127.0.0.1:" + port + "/");
    QCOMPARE(curl({"-k", "https://127.0.0.1:" + port + "/api/status"}).status, 200);
    QCOMPARE(curl({"http://127.0.0.1:" + port + "/api/status"}).status, 0);
    const QStringList post{"-k", "-X", "POST", "-H"};
    const int starts = m_run.starts;
    QCOMPARE(curl(post + QStringList{"Origin: https://127.0.0.1:" + port,
                                     "https://127.0.0.1:" + port + "/api/start"})
                 .status,
             202);
    QCOMPARE(curl(post + QStringList{"Origin: http://127.0.0.1:" + port,
                                     "https://127.0.0.1:" + port + "/api/start"})
                 .status,
             403);
    QCOMPARE(m_run.starts - starts, 1);
}

QTEST_GUILESS_MAIN(TestWebServer)
#include "tst_webserver.moc"
