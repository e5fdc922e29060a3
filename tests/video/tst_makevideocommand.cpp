// "vardella --make-video": the program run as a user runs it, without a display or sounds;
// the video it makes, what it says on standard error, and its refusals.
#include "common/tempworkdir.h"
#include "videopictures.h"

#include <QProcess>
#include <QTest>

namespace {
struct Run
{
    int status = -1;
    QString errors;
};

// Starts the program in the working directory, with no display and no Qt platform set.
void start(QProcess &process, const QStringList &arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    process.setProcessEnvironment(env);
    process.start(qEnvironmentVariable("VARDELLA_BINARY_DIR") + "/bin/vardella", arguments);
}

Run finish(QProcess &process)
{
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardError())};
}

Run vardella(const QStringList &arguments)
{
    QProcess process;
    start(process, arguments);
    return finish(process);
}
} // namespace

class TestMakeVideoCommand : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_dir = std::make_unique<TempWorkDir>(); }
    void cleanup() { m_dir.reset(); }

    void makesTheVideoHeadless()
    {
        QVERIFY(QDir().mkdir("store"));
        QDir::setCurrent("store");
        for (int n = 4990; n <= 5019; ++n)
            QVERIFY(writePicture(n, QSize(96, 64)));
        QDir::setCurrent("..");
        const Run run =
            vardella({"--make-video", "4990", "5019", "out.mp4", "--fps", "10", "store"});
        QVERIFY2(run.status == 0, qPrintable(run.errors));
        QVERIFY2(run.errors.contains("30 of 30 pictures"), qPrintable(run.errors));
        QVERIFY2(run.errors.endsWith("Made \"" + m_dir->path() +
                                     "/out.mp4\": 30 pictures, none "
                                     "skipped.\n"),
                 qPrintable(run.errors));
        const VideoContents video = readVideo("out.mp4");
        QCOMPARE(video.colours.size(), 30);
        QCOMPARE(video.framesPerSecond, 10.0);
        QVERIFY(!QFile::exists("store/.vardella.lock")); // reading takes no lock
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("too few") << QStringList{"--make-video", "1", "out.mp4"}
                                 << "--make-video needs FIRST LAST OUT.mp4.";
        QTest::newRow("not a number") << QStringList{"--make-video", "1", "x", "out.mp4"}
                                      << "LAST must be a whole number, not \"x\".";
        QTest::newRow("bad fps") << QStringList{"--make-video", "0", "1", "out.mp4", "--fps", "0"}
                                 << "Frames per second run from 1 to 120.";
        QTest::newRow("bad deflicker")
            << QStringList{"--make-video", "0", "1", "out.mp4", "--deflicker", "1"}
            << "Deflicker averages over 2 to 129 pictures.";
        QTest::newRow("existing") << QStringList{"--make-video", "0", "1", "old.mp4"}
                                  << "exists already; choose another name or remove it first.";
        QTest::newRow("no store") << QStringList{"--make-video", "0", "1", "out.mp4", "none"}
                                  << "The store directory \"none\" does not exist.";
        QTest::newRow("no pictures") << QStringList{"--make-video", "0", "1", "out.mp4"}
                                     << "None of the pictures 0 to 1 could be read";
        QTest::newRow("fps alone") << QStringList{"--fps", "5", "-platform", "offscreen"}
                                   << "--fps and --crf go with --make-video.";
        QTest::newRow("deflicker alone")
            << QStringList{"--deflicker", "5", "-platform", "offscreen"}
            << "--deflicker goes with --make-video.";
    }
    void refusals()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QFile old("old.mp4");
        QVERIFY(old.open(QIODevice::WriteOnly));
        const Run run = vardella(arguments);
        QCOMPARE(run.status, 1);
        QVERIFY2(run.errors.contains(message), qPrintable(run.errors));
        QVERIFY(!QFile::exists("out.mp4"));
    }

    void terminationCancels()
    {
        for (int n = 0; n < 400; ++n)
            QVERIFY(writePicture(n, QSize(320, 240), true));
        QProcess process;
        start(process, {"--make-video", "0", "399", "out.mp4"});
        process.setReadChannel(QProcess::StandardError);
        QVERIFY(process.waitForReadyRead(20000)); // the first progress line
        process.terminate();
        const Run run = finish(process);
        QCOMPARE(run.status, 1);
        QVERIFY2(run.errors.contains("cancelled; no video was made."), qPrintable(run.errors));
        QCOMPARE(QDir().entryList({"*.mp4*", ".*.mp4*"}, QDir::Files | QDir::Hidden),
                 QStringList());
    }

private:
    std::unique_ptr<TempWorkDir> m_dir;
};

QTEST_GUILESS_MAIN(TestMakeVideoCommand)
#include "tst_makevideocommand.moc"
