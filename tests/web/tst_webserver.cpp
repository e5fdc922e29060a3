// The web view's server against curl: what it answers, what it refuses, and that neither a
// flood of connections nor clients that send their requests a byte at a time take it down.
#include "common/tempworkdir.h"
#include "web/webclient.h"
#include "web/webpictures.h"
#include "web/webserver.h"
#include "web/webstatus.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QTest>
#include <QTimeZone>

#include <atomic>
#include <memory>

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

private:
    TempWorkDir m_store;
    QTemporaryDir m_outside;
    FakeRun m_run;
    std::unique_ptr<WebPictures> m_pictures;
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

    m_open = std::make_unique<WebServer>(m_run, *m_pictures, *address("127.0.0.1:0"));
    m_locked = std::make_unique<WebServer>(m_run, *m_pictures, *address("0.0.0.0:0"),
                                           password("pass word"));
    m_guarded = std::make_unique<WebServer>(m_run, *m_pictures, *address("127.0.0.1:0"),
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
    WebServer second(m_run, *m_pictures, taken);
    const Result<> refused = second.listen();
    QVERIFY(!refused);
    QVERIFY2(refused.error().contains(QStringLiteral("the port %1 is taken").arg(taken.port())),
             qPrintable(refused.error()));
    // Beyond this machine only with a password.
    WebServer open(m_run, *m_pictures, *address("0.0.0.0:0"));
    const Result<> unguarded = open.listen();
    QVERIFY(!unguarded && unguarded.error().contains("needs a password"));
    QVERIFY(!open.listening());
}

void TestWebServer::survivesFloodsAndSlowClients()
{
    WebServer::Limits limits;
    limits.headers = std::chrono::seconds(2);
    WebServer server(m_run, *m_pictures, *address("127.0.0.1:0"), std::nullopt, limits);
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

QTEST_GUILESS_MAIN(TestWebServer)
#include "tst_webserver.moc"
