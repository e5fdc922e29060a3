// The web view of the program without a display, attacked while it captures: capture keeps its
// period, Start/stop works from the web only as asked, and nothing in the store changes.
#include "app/programrun.h"
#include "common/tempworkdir.h"
#include "web/webclient.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QTime>

#include <csignal>

class TestWebHeadless : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void captureGoesOnUnderAttack();
    void portTakenCaptureGoesOn();
    void liveBetweenPictures();

private:
    TempWorkDir m_dir;
    QProcess m_program;
    quint16 m_port = 0;
};

namespace {
QStringList storeFiles(const QString &store)
{
    QStringList files;
    QDirIterator it(store, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next().mid(store.size() + 1);
    return files;
}

// The time of each "picture" line of --verbose, split into runs at each stop.
QList<QList<QTime>> pictureTimes(const QString &output)
{
    QList<QList<QTime>> runs{{}};
    for (const QString &line : output.split('\n', Qt::SkipEmptyParts)) {
        if (line.endsWith("capture stopped"))
            runs.append(QList<QTime>());
        else if (line.contains(" picture "))
            runs.last() << QTime::fromString(line.left(12), "HH:mm:ss.zzz");
    }
    return runs;
}

// The port the program says its web view listens on; 0 when it says none in 10 s.
quint16 webPort(QProcess &program)
{
    QByteArray said;
    const QRegularExpression url(R"(Web view at http://127\.0\.0\.1:(\d+)/)");
    for (int i = 0; i < 100 && !url.match(said).hasMatch(); ++i) {
        program.waitForReadyRead(100);
        said += program.readAllStandardError();
    }
    return url.match(said).captured(1).toUShort();
}

QProcessEnvironment noDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    return env;
}
} // namespace

void TestWebHeadless::initTestCase()
{
    if (!haveCurl())
        QSKIP("curl is not installed (Debian curl)");
    // A picture of an earlier run, which the web must leave as it is.
    QVERIFY(QDir().mkpath("store/7"));
    QFile seeded("store/7/capture3.jpg");
    QVERIFY(seeded.open(QIODevice::WriteOnly) && seeded.write("earlier") == 7);
    seeded.close();
    m_program.setProcessEnvironment(noDisplay());
    m_program.start(program(), {"--headless", "--web", "127.0.0.1:0", "--interval", "0.5",
                                "--verbose", "store"});
    QVERIFY(m_program.waitForStarted());
    m_port = webPort(m_program);
    QVERIFY(m_port != 0);
}

void TestWebHeadless::captureGoesOnUnderAttack()
{
    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(m_port);
    const QStringList before = storeFiles("store");
    const QList<int> flood = parallel(base + "/api/status", 200);
    QCOMPARE(flood.count(200) + flood.count(0), 200);
    QVERIFY(flood.count(200) >= 32);
    QCOMPARE(slowClients(m_port, 40, 10, 30000), 40);
    const QStringList post{"-X", "POST"};
    QCOMPARE(
        curl(post + QStringList{"-H", "Origin: http://evil.example", base + "/api/stop"}).status,
        403);
    QVERIFY(curl({base + "/api/status"}).body.contains(R"("running":true)"));
    QCOMPARE(curl(post + QStringList{base + "/api/stop"}).status, 202);
    QTRY_VERIFY_WITH_TIMEOUT(curl({base + "/api/status"}).body.contains(R"("state":"stopped")"),
                             5000);
    QCOMPARE(curl(post + QStringList{base + "/api/start"}).status, 202);
    QTRY_VERIFY_WITH_TIMEOUT(curl({base + "/api/status"}).body.contains(R"("running":true)"), 5000);
    QTest::qWait(1500);
    ::kill(m_program.processId(), SIGTERM);
    QVERIFY(m_program.waitForFinished(10000));
    QCOMPARE(m_program.exitCode(), 0);

    // Every picture came on its due time: no tick of the 0.5 s period was lost.
    const QList<QList<QTime>> runs = pictureTimes(m_program.readAllStandardOutput());
    QCOMPARE(runs.size(), 3); // the stop and the end
    QVERIFY2(runs[0].size() >= 20, qPrintable(QString::number(runs[0].size())));
    QVERIFY(runs[1].size() >= 2);
    for (const QList<QTime> &run : runs) {
        for (qsizetype i = 1; i < run.size(); ++i) {
            const int gap = run[i - 1].msecsTo(run[i]);
            QVERIFY2(gap > 250 && gap < 750, qPrintable(QString::number(gap)));
        }
    }
    // Nothing but the run's own pictures appeared; the earlier one is untouched.
    const QRegularExpression own(R"(^(\d+/capture\d+\.jpg|\.vardella\.lock)$)");
    for (const QString &file : storeFiles("store"))
        QVERIFY2(own.match(file).hasMatch(), qPrintable(file));
    QVERIFY(before.contains("7/capture3.jpg"));
    QFile seeded("store/7/capture3.jpg");
    QVERIFY(seeded.open(QIODevice::ReadOnly));
    QCOMPARE(seeded.readAll(), QByteArray("earlier"));
}

void TestWebHeadless::portTakenCaptureGoesOn()
{
    // A server of our own holds the port: the program says so and captures all the same.
    QProcess holder;
    holder.setProcessEnvironment(noDisplay());
    holder.start(program(), {"--headless", "--web", "127.0.0.1:0", "--interval", "5", "held"});
    QVERIFY(holder.waitForStarted());
    const QString port = QString::number(webPort(holder));
    QVERIFY(port != "0");
    const Outcome run =
        runFor(30000, {"--headless", "--web", port, "--interval", "0.1", "--count", "3", "second"});
    ::kill(holder.processId(), SIGTERM);
    holder.waitForFinished(10000);
    QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.errors));
    QVERIFY2(run.errors.contains("The web view cannot listen on 127.0.0.1:" + port + ": the port " +
                                 port + " is taken."),
             qPrintable(run.errors));
    QCOMPARE(QDir("second/1").entryList({"capture*.jpg"}).size(), 3);
}

// A picture a minute: the live picture still moves at its own pace while someone watches, and
// the store gets no picture for it.
void TestWebHeadless::liveBetweenPictures()
{
    QProcess slow;
    slow.setProcessEnvironment(noDisplay());
    slow.start(program(), {"--headless", "--web", "127.0.0.1:0", "--interval", "60", "slow"});
    QVERIFY(slow.waitForStarted());
    const quint16 port = webPort(slow);
    QVERIFY(port != 0);
    const Reply stream =
        curl({"--max-time", "3", QStringLiteral("http://127.0.0.1:%1/stream.mjpg").arg(port)});
    ::kill(slow.processId(), SIGTERM);
    QVERIFY(slow.waitForFinished(10000));
    // Each part of the stream is one frame; the scene's clock makes every new one differ.
    const QByteArray boundary = "--vardellaframe\r\n";
    QSet<QByteArray> frames;
    for (qsizetype at = stream.body.indexOf(boundary); at >= 0;) {
        const qsizetype next = stream.body.indexOf(boundary, at + 1);
        if (next > 0) // the last part may be cut short
            frames.insert(stream.body.mid(at, next - at));
        at = next;
    }
    QVERIFY2(frames.size() >= 8, qPrintable(QString::number(frames.size())));
    QCOMPARE(QDir("slow/1").entryList({"capture*.jpg"}).size(), 0); // the first is a minute away
}

QTEST_GUILESS_MAIN(TestWebHeadless)
#include "tst_webheadless.moc"
