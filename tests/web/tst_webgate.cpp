// The web view's rules: the addresses it listens on, and which requests it refuses before
// doing any work for them.
#include "web/webaddress.h"
#include "web/webcredentials.h"
#include "web/webgate.h"

#include <QCryptographicHash>
#include <QTemporaryFile>
#include <QTest>

class TestWebGate : public QObject
{
    Q_OBJECT
private slots:
    void parsesAddresses_data();
    void parsesAddresses();
    void judgesRequests_data();
    void judgesRequests();
    void readsPasswordFiles_data();
    void readsPasswordFiles();
};

void TestWebGate::parsesAddresses_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("text"); // empty: refused
    QTest::addColumn<bool>("loopback");
    QTest::addColumn<bool>("wildcard");
    QTest::newRow("port only") << "8080"
                               << "127.0.0.1:8080" << true << false;
    QTest::newRow("loopback net") << "127.0.0.2:80"
                                  << "127.0.0.2:80" << true << false;
    QTest::newRow("localhost") << "localhost:8080"
                               << "127.0.0.1:8080" << true << false;
    QTest::newRow("all v4") << "0.0.0.0:8080"
                            << "0.0.0.0:8080" << false << true;
    QTest::newRow("lan") << "192.168.1.5:8080"
                         << "192.168.1.5:8080" << false << false;
    QTest::newRow("v6 loopback") << "[::1]:8080"
                                 << "[::1]:8080" << true << false;
    QTest::newRow("all v6") << "[::]:8080"
                            << "[::]:8080" << false << true;
    QTest::newRow("v4 mapped") << "[::ffff:127.0.0.1]:80"
                               << "[::ffff:127.0.0.1]:80" << false << false;
    QTest::newRow("port too big") << "65536"
                                  << "" << false << false;
    QTest::newRow("signed port") << "+80"
                                 << "" << false << false;
    QTest::newRow("no port") << "127.0.0.1:"
                             << "" << false << false;
    QTest::newRow("name") << "example.com:80"
                          << "" << false << false;
    QTest::newRow("short v4") << "127.1:80"
                              << "" << false << false;
    QTest::newRow("v6 unbracketed") << "::1:8080"
                                    << "" << false << false;
    QTest::newRow("v6 no port") << "[::1]"
                                << "" << false << false;
    QTest::newRow("empty") << ""
                           << "" << false << false;
}

void TestWebGate::parsesAddresses()
{
    QFETCH(QString, given);
    QFETCH(QString, text);
    const Result<WebAddress> address = WebAddress::parse(given);
    QCOMPARE(address.has_value(), !text.isEmpty());
    if (!address) {
        QVERIFY2(address.error().contains("--web"), qPrintable(address.error()));
        return;
    }
    QCOMPARE(address->text(), text);
    QTEST(address->loopback(), "loopback");
    QTEST(address->wildcard(), "wildcard");
}

void TestWebGate::judgesRequests_data()
{
    QTest::addColumn<bool>("loopback");
    QTest::addColumn<bool>("password");
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<QByteArray>("origin"); // "-": none sent
    QTest::addColumn<QByteArray>("fetchSite");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("route");
    using R = WebGate::Route;
    const QByteArray local = "127.0.0.1:8080";
    const auto row = [](const char *name, bool loopback, bool password, QByteArray method,
                        QByteArray path, QByteArray host, QByteArray origin, QByteArray fetchSite,
                        int status, WebGate::Route route) {
        QTest::newRow(name) << loopback << password << method << path << host << origin << fetchSite
                            << status << int(route);
    };
    row("status", true, false, "GET", "/api/status", local, "-", "", 200, R::Status);
    row("localhost", true, false, "GET", "/api/status", "LocalHost:80", "-", "", 200, R::Status);
    row("v6 host", true, false, "GET", "/api/status", "[::1]:8080", "-", "", 200, R::Status);
    row("no host", true, false, "GET", "/api/status", "", "-", "", 400, R::None);
    row("rebound name", true, false, "GET", "/api/status", "evil.example", "-", "", 403, R::None);
    row("lookalike", true, false, "GET", "/api/status", "127.0.0.1.evil:80", "-", "", 403, R::None);
    row("named, password", true, true, "GET", "/api/status", "cam.lan:80", "-", "", 200, R::Status);
    row("lan name", false, true, "GET", "/api/status", "cam.lan:80", "-", "", 200, R::Status);
    row("post status", true, false, "POST", "/api/status", local, "-", "", 405, R::None);
    row("get start", true, false, "GET", "/api/start", local, "-", "", 405, R::None);
    row("lower-case post", true, false, "post", "/api/stop", local, "-", "", 405, R::None);
    row("start, script", true, false, "POST", "/api/start", local, "-", "", 200, R::Start);
    row("stop, own page", true, false, "POST", "/api/stop", local, "http://127.0.0.1:8080",
        "same-origin", 200, R::Stop);
    row("other origin", true, false, "POST", "/api/stop", local, "http://evil.example", "", 403,
        R::None);
    row("other port", true, false, "POST", "/api/stop", local, "http://127.0.0.1:8081", "", 403,
        R::None);
    row("null origin", true, false, "POST", "/api/stop", local, "null", "", 403, R::None);
    row("empty origin", true, false, "POST", "/api/stop", local, "", "", 403, R::None);
    row("cross-site fetch", true, false, "POST", "/api/start", local, "-", "cross-site", 403,
        R::None);
    row("same-site fetch", false, true, "POST", "/api/start", "cam.lan", "http://cam.lan",
        "same-site", 403, R::None);
    row("unknown", true, false, "GET", "/api/status/", local, "-", "", 404, R::None);
    // Numbered pictures only: the exact names, no other file, no way out, no listing.
    row("picture", true, false, "GET", "/store/64/capture319999.jpg", local, "-", "", 200,
        R::Original);
    row("thumbnail", true, false, "HEAD", "/thumbs/1/capture0.jpg", local, "-", "", 200,
        R::Thumbnail);
    row("post picture", true, false, "POST", "/store/1/capture0.jpg", local, "-", "", 405, R::None);
    for (const char *path : {"/store/0/capture0.jpg",
                             "/store/65/capture0.jpg",
                             "/store/01/capture0.jpg",
                             "/store/1/capture00.jpg",
                             "/store/1/capture320000.jpg",
                             "/store/1/capture-1.jpg",
                             "/store/1/capture+1.jpg",
                             "/store/1/capture 1.jpg",
                             "/store/1/capture1.jpeg",
                             "/store/1/capture1.jpg/",
                             "/store/1/Capture1.jpg",
                             "/store/1/.capture1.jpg.x.tmp",
                             "/store/1/../1/capture1.jpg",
                             "/store/../../etc/passwd",
                             "/store//etc/passwd",
                             "/store/1//capture1.jpg",
                             "/store/1/capture1.jpg?x",
                             "/store/1/",
                             "/store/",
                             "/store",
                             "/1/capture1.jpg",
                             "/thumbs/1/sub/capture1.jpg",
                             "/store/1/capture.jpg"})
        row(path, true, false, "GET", path, local, "-", "", 404, R::None);
}

void TestWebGate::judgesRequests()
{
    QFETCH(bool, loopback);
    QFETCH(bool, password);
    QFETCH(QByteArray, origin);
    WebGate::Request request;
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, host);
    QFETCH(QByteArray, fetchSite);
    request = {method, path, host, origin == "-" ? QByteArray() : origin, fetchSite, origin != "-"};
    const WebGate gate(loopback, password);
    WebGate::Verdict verdict = gate.beforePassword(request);
    if (verdict.status == 200)
        verdict = gate.route(request);
    QTEST(verdict.status, "status");
    QTEST(int(verdict.route), "route");
    const bool picture =
        verdict.route == WebGate::Route::Original || verdict.route == WebGate::Route::Thumbnail;
    QCOMPARE(verdict.picture.has_value(), picture);
    QCOMPARE(verdict.reason.isEmpty(), verdict.status == 200);
    QCOMPARE(verdict.allow.isEmpty(), verdict.status != 405);
}

void TestWebGate::readsPasswordFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("one line") << QByteArray("s3cret\n") << true;
    QTest::newRow("no line end") << QByteArray("s3cret") << true;
    QTest::newRow("crlf and more") << QByteArray("s3cret\r\nsecond\n") << true;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("empty first line") << QByteArray("\ns3cret\n") << false;
}

void TestWebGate::readsPasswordFiles()
{
    QFETCH(QByteArray, content);
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write(content);
    file.close();
    const Result<WebCredentials> read = WebCredentials::fromFile(file.fileName());
    QTEST(read.has_value(), "accepted");
    if (!read) {
        QVERIFY2(read.error().contains(file.fileName()), qPrintable(read.error()));
        return;
    }
    // The hash is that of "s3cret" alone, in a realm salted anew for each server.
    QByteArray same("s3cret");
    const Result<WebCredentials> again = WebCredentials::fromPassword(same);
    QVERIFY(same.isEmpty());
    QVERIFY(read->realm() != again->realm());
    QCOMPARE(read->hash(), QCryptographicHash::hash("vardella:" + read->realm() + ":s3cret",
                                                    QCryptographicHash::Md5));
    const Result<WebCredentials> missing = WebCredentials::fromFile("no/such/file");
    QVERIFY(!missing && missing.error().contains("no/such/file"));
}

QTEST_GUILESS_MAIN(TestWebGate)
#include "tst_webgate.moc"
