// The program as started from a shell: it refuses to start without its two sounds, says
// which file and why, and otherwise comes up and creates the first picture directory.
#include "common/tempworkdir.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <csignal>

namespace {
QString program()
{
    return qEnvironmentVariable("VARDELLA_BINARY_DIR") + "/bin/vardella";
}

void copySound(const QString &name)
{
    QVERIFY(QFile::copy(qEnvironmentVariable("VARDELLA_SOURCE_DIR") + "/data/" + name, name));
}

struct Outcome
{
    bool finished = false;
    int exitCode = -1;
    QString errors;
};

Outcome runFor(int milliseconds)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.start(program(), {});
    Outcome outcome;
    if (!process.waitForStarted(10000))
        return outcome;
    outcome.finished = process.waitForFinished(milliseconds);
    if (outcome.finished) {
        outcome.exitCode = process.exitCode();
    } else {
        process.kill();
        process.waitForFinished(5000);
    }
    outcome.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return outcome;
}
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(QFile::exists(program())); }
    void refusesWithoutSounds_data();
    void refusesWithoutSounds();
    void startsWithBothSounds();
    void terminationSignalEndsThroughExitRoutine_data();
    void terminationSignalEndsThroughExitRoutine();
};

void TestStartup::refusesWithoutSounds_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QByteArray>("brokenAlarm");
    QTest::addColumn<QString>("message");
    QTest::newRow("none") << QStringList() << QByteArray()
                          << "\"click.wav\": the file does not exist";
    QTest::newRow("no alarm") << QStringList{"click.wav"} << QByteArray()
                              << "\"alarm.wav\": the file does not exist";
    QTest::newRow("broken alarm") << QStringList{"click.wav"} << QByteArray("not a sound")
                                  << "\"alarm.wav\": it is not a RIFF/WAVE file";
}

void TestStartup::refusesWithoutSounds()
{
    QFETCH(QStringList, present);
    QFETCH(QByteArray, brokenAlarm);
    QFETCH(QString, message);
    TempWorkDir dir;
    for (const QString &name : present)
        copySound(name);
    if (!brokenAlarm.isEmpty()) {
        QFile f("alarm.wav");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(brokenAlarm);
    }
    const Outcome outcome = runFor(20000);
    QVERIFY(outcome.finished);
    QCOMPARE(outcome.exitCode, 1);
    QVERIFY2(outcome.errors.contains(message), qPrintable(outcome.errors));
    QVERIFY(!dir.exists("1")); // no window was built
}

void TestStartup::startsWithBothSounds()
{
    TempWorkDir dir;
    copySound("click.wav");
    copySound("alarm.wav");
    const Outcome outcome = runFor(3000);
    QVERIFY2(!outcome.finished, qPrintable(outcome.errors));
    QVERIFY(dir.exists("1"));
}

void TestStartup::terminationSignalEndsThroughExitRoutine_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestStartup::terminationSignalEndsThroughExitRoutine()
{
    QFETCH(int, signal);
    TempWorkDir dir;
    copySound("click.wav");
    copySound("alarm.wav");
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.start(program(), {});
    QVERIFY(process.waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(dir.exists("1"), 20000);
    QFile placeholder("1/capture.jpg");
    QVERIFY(placeholder.open(QIODevice::WriteOnly));
    placeholder.close();
    QTest::qWait(500); // the event loop runs by now
    ::kill(pid_t(process.processId()), signal);
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    // Closing deleted the placeholder, and the end removed the emptied directory.
    QVERIFY(!dir.exists("1"));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
