// The program as started from a shell: it refuses to start without its two sounds, says
// which file and why, and otherwise comes up and creates the first picture directory.
#include "common/tempworkdir.h"

#include <QFile>
#include <QProcess>
#include <QTest>

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

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
