// The program as started from a shell: it refuses to start without its two sounds, says
// which file and why, and otherwise comes up and creates the first picture directory, in the
// working directory or in the store directory named on the command line. A store directory
// serves one program at a time; a killed program's lock and leftovers do not stand in the way.
#include "app/programrun.h"
#include "common/tempworkdir.h"
#include "vardella_version.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {
// Starts the program and waits until it runs its event loop, some time after its first picture
// directory appears in the store directory; false when it ends instead.
bool startUntilUp(QProcess &process, const QString &binary, const QStringList &arguments,
                  const QString &store, const QString &home = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    if (!home.isEmpty()) { // where the Pictures folder is looked for
        env.insert("HOME", home);
        env.insert("XDG_CONFIG_HOME", home + "/.config");
    }
    process.setProcessEnvironment(env);
    process.start(binary, arguments);
    if (!process.waitForStarted(10000))
        return false;
    QTest::qWaitFor(
        [&] { return QDir(store).exists("1") || process.state() == QProcess::NotRunning; }, 20000);
    QTest::qWait(500); // the event loop, and with it the handling of SIGTERM, runs by now
    return process.state() == QProcess::Running;
}

// Ends a program as the desktop does at log-out; its exit status, or -1 when it hangs.
int terminate(QProcess &process)
{
    ::kill(pid_t(process.processId()), SIGTERM);
    return process.waitForFinished(20000) ? process.exitCode() : -1;
}

void touch(const QString &path)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void refusesWithoutSounds_data();
    void refusesWithoutSounds();
    void startsWithBothSounds();
    void terminationSignalEndsThroughExitRoutine_data();
    void terminationSignalEndsThroughExitRoutine();
    void startsInStoreDirectory_data();
    void startsInStoreDirectory();
    void refusesStoreDirectory_data();
    void refusesStoreDirectory();
    void refusesStoreInUse_data();
    void refusesStoreInUse();
    void takesOverStoreOfKilledProgram();
    void answersWithoutDisplay_data();
    void answersWithoutDisplay();

private:
    // A store directory holds no sounds, so the program is copied into an installed layout
    // whose data folder has them, as an installed program finds them.
    QTemporaryDir m_installed;
    QString m_installedProgram;
};

void TestStartup::initTestCase()
{
    QVERIFY(QFile::exists(program()));
    QVERIFY(m_installed.isValid());
    const QDir root(m_installed.path());
    QVERIFY(root.mkpath("bin"));
    m_installedProgram = root.filePath("bin/vardella");
    QVERIFY(QFile::copy(program(), m_installedProgram));
    const QString data = root.filePath(QStringLiteral("bin/") + Product::dataDirFromBinary);
    QVERIFY(root.mkpath(data));
    for (const char *name : {"click.wav", "alarm.wav"})
        QVERIFY(QFile::copy(qEnvironmentVariable("VARDELLA_SOURCE_DIR") + "/data/" + name,
                            data + '/' + name));
}

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

void TestStartup::startsInStoreDirectory_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("store");
    QTest::newRow("missing, with parents") << QStringList{"a/b/store"} << "a/b/store";
    QTest::newRow("after Qt's own option")
        << QStringList{"-platform", "offscreen", "store"} << "store";
    QTest::newRow("pictures folder") << QStringList{"--pictures"} << "home/Pictures/Vardella";
}

void TestStartup::startsInStoreDirectory()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, store);
    TempWorkDir dir;
    QProcess process;
    QVERIFY2(startUntilUp(process, m_installedProgram, arguments, store, dir.path() + "/home") &&
                 dir.exists(store + "/1"),
             qPrintable(QString::fromLocal8Bit(process.readAllStandardError())));
    QVERIFY(!dir.exists("1"));
    QCOMPARE(terminate(process), 0);
    // The end removes the empty picture directory from the store directory, not elsewhere.
    QVERIFY(!dir.exists(store + "/1"));
    QVERIFY(dir.exists(store));
}

void TestStartup::refusesStoreDirectory_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("below a regular file")
        << QStringList{"plain/store"}
        << "Cannot use the store directory \"plain/store\": not a directory.";
    QTest::newRow("two directories")
        << QStringList{"one", "two"} << "Give one store directory at most.";
    QTest::newRow("directory and --pictures")
        << QStringList{"one", "--pictures"}
        << "Give either a store directory or --pictures, not both.";
}

void TestStartup::refusesStoreDirectory()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    TempWorkDir dir;
    copySound("click.wav");
    copySound("alarm.wav");
    QFile plain("plain");
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    const Outcome outcome = runFor(20000, arguments);
    QVERIFY(outcome.finished);
    QCOMPARE(outcome.exitCode, 1);
    QVERIFY2(outcome.errors.contains("vardella: " + message), qPrintable(outcome.errors));
    QVERIFY(!dir.exists("1"));
    QVERIFY(!dir.exists("one"));
}

void TestStartup::refusesStoreInUse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("store");
    QTest::newRow("working directory") << QStringList() << ".";
    QTest::newRow("named directory") << QStringList{"a/store"} << "a/store";
}

void TestStartup::refusesStoreInUse()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, store);
    TempWorkDir dir;
    QProcess first;
    QVERIFY2(startUntilUp(first, m_installedProgram, arguments, store),
             qPrintable(QString::fromLocal8Bit(first.readAllStandardError())));
    // A picture the first one is writing: the second must not take it for a leftover.
    const QString writing = store + "/1/.capture0.jpg.k3j9x.tmp";
    touch(writing);

    const Outcome second = runFor(20000, arguments, m_installedProgram);
    QVERIFY(second.finished);
    QCOMPARE(second.exitCode, 1);
    const QString message = QStringLiteral("vardella: Another Vardella (process %1) is already "
                                           "using the store directory \"%2\".")
                                .arg(first.processId())
                                .arg(QDir(store).canonicalPath());
    QVERIFY2(second.errors.contains(message), qPrintable(second.errors));
    QCOMPARE(first.state(), QProcess::Running);
    QVERIFY(QFile::exists(writing));

    // Its end removes what is left of the write, the emptied directory and the lock.
    QCOMPARE(terminate(first), 0);
    QVERIFY(!dir.exists(store + "/1"));
    QVERIFY(!dir.exists(store + "/.vardella.lock"));
}

void TestStartup::takesOverStoreOfKilledProgram()
{
    TempWorkDir dir;
    QProcess killed;
    QVERIFY2(startUntilUp(killed, m_installedProgram, {}, "."),
             qPrintable(QString::fromLocal8Bit(killed.readAllStandardError())));
    const QString leftover = "1/.capture7.jpg.0zx81.tmp";
    touch(leftover);
    touch("1/notes.txt");
    ::kill(pid_t(killed.processId()), SIGKILL);
    QVERIFY(killed.waitForFinished(20000));
    QVERIFY(dir.exists(".vardella.lock")); // left behind by the kill

    QProcess next;
    QVERIFY2(startUntilUp(next, m_installedProgram, {}, "."),
             qPrintable(QString::fromLocal8Bit(next.readAllStandardError())));
    QVERIFY(!dir.exists(leftover));
    QVERIFY(dir.exists("1/notes.txt"));
    QFile lock(".vardella.lock");
    QVERIFY(lock.open(QIODevice::ReadOnly));
    QCOMPARE(lock.readLine().trimmed(), QByteArray::number(next.processId()));
    QCOMPARE(terminate(next), 0);
}

void TestStartup::answersWithoutDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("errors");
    const QString version = QString(Product::name) + ' ' + Product::version + '\n';
    QTest::newRow("help") << QStringList{"--help"} << 0 << "[options] [DIRECTORY]"
                          << "";
    QTest::newRow("help says which sensitivity is more")
        << QStringList{"--help"} << 0 << "as --grid. Higher is more sensitive: smaller"
        << "";
    QTest::newRow("version") << QStringList{"--version"} << 0 << version << "";
    QTest::newRow("version after Qt's options")
        << QStringList{"-platform", "xcb", "--reverse", "-style=fusion", "-v"} << 0 << version
        << "";
    QTest::newRow("unknown option") << QStringList{"--colour"} << 1 << ""
                                    << "Vardella: Unknown option 'colour'.";
    QTest::newRow("value missing") << QStringList{"--pictures", "--driver"} << 1 << ""
                                   << "Vardella: Missing value after '--driver'.";
    QTest::newRow("two directories, one Qt's value")
        << QStringList{"-style", "fusion", "one", "two"} << 1 << ""
        << "vardella: Give one store directory at most.";
    QTest::newRow("option of the program without a display")
        << QStringList{"--interval", "5"} << 1 << ""
        << "vardella: These options need --headless.";
}

// Answered as from a terminal with no display at all, and with Qt told to use X11 there.
void TestStartup::answersWithoutDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QFETCH(QString, errors);
    TempWorkDir dir;
    for (const char *platform : {"", "xcb"}) {
        const Outcome outcome = runFor(20000, arguments, program(), [&](QProcessEnvironment &env) {
            for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
                env.remove(name);
            if (*platform)
                env.insert("QT_QPA_PLATFORM", platform);
        });
        QVERIFY2(outcome.finished && outcome.exitCode == exitCode, qPrintable(outcome.errors));
        QVERIFY2(outcome.output.contains(output), qPrintable(outcome.output));
        QVERIFY2(errors.isEmpty() ? outcome.errors.isEmpty() : outcome.errors.contains(errors),
                 qPrintable(outcome.errors));
        QVERIFY(!dir.exists("1") && !dir.exists("one"));
    }
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
