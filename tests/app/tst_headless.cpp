// The program without a display, started as from a shell: pictures at the asked interval, the
// lines it prints, its refusals of bad options, one program per store, and its end on SIGTERM.
#include "app/programrun.h"
#include "common/exifreader.h"
#include "common/tempworkdir.h"
#include "vardella_version.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>

#include <csignal>

namespace {
// No display at all: neither X nor Wayland nor a platform chosen for it.
void noDisplay(QProcessEnvironment &env)
{
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
}

Outcome headless(const QStringList &arguments, int milliseconds = 30000)
{
    return runFor(milliseconds, QStringList{"--headless"} + arguments, program(), noDisplay);
}

QStringList picturesIn(const QString &directory)
{
    return QDir(directory).entryList({"capture*.jpg"}, QDir::Files, QDir::Name);
}

// The program on a tmpfs of size, mounted at mount in a mount namespace of our own (in a user
// namespace unless we are root), which ends with the program: the tmpfs' files are copied to
// copy. Exit status 97: no tmpfs could be mounted.
Outcome onSmallDisk(const QString &size, const QString &mount, const QString &copy,
                    const QStringList &arguments)
{
    const QString script = QStringLiteral(R"(mount -t tmpfs -o size="$1" tmpfs "$2" || exit 97
"$4" --headless "$2" "${@:5}"; status=$?
cp -a "$2/." "$3/" || exit 98
exit $status)");
    return runFor(60000,
                  QStringList{"-rm", "bash", "-c", script, "bash", size, mount, copy, program()} +
                      arguments,
                  "unshare", noDisplay);
}
} // namespace

class TestHeadless : public QObject
{
    Q_OBJECT
private slots:
    void storesCountPicturesAndEnds();
    void motionStartsABatch();
    void picturesBeforeMotionAndMask();
    void timestampOnlyWhenAsked();
    void picturesCarryExif_data();
    void picturesCarryExif();
    void commandsPerPictureAndAtStop();
    void refusesBadOptions_data();
    void refusesBadOptions();
    void oneProgramPerStoreAndSigterm();
    void sunProgramSaysTheDay_data();
    void sunProgramSaysTheDay();
    void configFileAndStartAsLeft();
    void smallDiskKeepsCapturing_data();
    void smallDiskKeepsCapturing();

private:
    TempWorkDir m_dir;
};

void TestHeadless::storesCountPicturesAndEnds()
{
    const Outcome run = headless({"--interval", "0.1", "--count", "20", "--verbose", "store"});
    QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.errors));
    QCOMPARE(picturesIn("store/1").size(), 20);
    QVERIFY(QFile::exists("store/1/capture19.jpg"));
    const QStringList lines = run.output.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.filter(" picture 1/capture").size(), 20);
    QVERIFY(lines.first().endsWith("capture started"));
    QVERIFY(lines.last().endsWith("capture stopped"));
    // Nothing printed without --verbose.
    const Outcome quiet = headless({"--interval", "0.1", "--count", "2", "quiet"});
    QVERIFY2(quiet.finished && quiet.exitCode == 0, qPrintable(quiet.errors));
    QVERIFY(quiet.output.isEmpty());
}

void TestHeadless::motionStartsABatch()
{
    // The test scene's box moves: the second report starts a batch of ten pictures.
    const Outcome run = headless({"--motion", "10", "--grid", "20", "--interval", "0.1", "--count",
                                  "10", "--verbose", "--size", "160x120", "motion"});
    QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.errors + run.output));
    QVERIFY2(run.output.contains("motion: 10 pictures from picture 0"), qPrintable(run.output));
    QCOMPARE(picturesIn("motion/1").size(), 10);
}

// Three frames from before the motion open the batch, numbered first and timed before the
// pictures after it; a mask over the whole picture leaves nothing to move.
void TestHeadless::picturesBeforeMotionAndMask()
{
    const Outcome run =
        headless({"--motion", "10", "--pre-capture", "3", "--sensitivity", "20", "--interval",
                  "0.1", "--count", "13", "--verbose", "--size", "160x120", "before"});
    QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.errors + run.output));
    QVERIFY2(run.output.contains("motion: 10 pictures from picture 0"), qPrintable(run.output));
    QCOMPARE(picturesIn("before/1").size(), 13);
    const auto time = [](int n) {
        return QFileInfo(QStringLiteral("before/1/capture%1.jpg").arg(n)).lastModified();
    };
    QVERIFY(time(0) < time(1) && time(1) < time(2) && time(2) < time(3));
    QCOMPARE(QImage("before/1/capture0.jpg").size(), QSize(160, 120));

    QImage black(4, 3, QImage::Format_Grayscale8);
    black.fill(0);
    QVERIFY(black.save("black.png"));
    const Outcome masked = headless(
        {"--motion", "10", "--mask", "black.png", "--interval", "0.1", "--verbose", "masked"},
        3000);
    QVERIFY2(masked.output.contains("motion detection armed"), qPrintable(masked.output));
    QVERIFY2(!masked.output.contains("capture started"), qPrintable(masked.output));
    QVERIFY(picturesIn("masked/1").isEmpty());
}

void TestHeadless::timestampOnlyWhenAsked()
{
    // The lower right corner of the test scene is light; the stamp puts a dark band there.
    const auto corner = [](const QString &path) {
        const QImage picture(path);
        return picture.isNull() ? -1
                                : qGray(picture.pixel(picture.width() - 3, picture.height() - 3));
    };
    for (const char *store : {"plain", "stamped"}) {
        QStringList arguments{"--interval", "0.1", "--count", "1", store};
        if (QByteArray(store) == "stamped")
            arguments.prepend("--timestamp");
        const Outcome run = headless(arguments);
        QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.errors));
    }
    QVERIFY(corner("plain/1/capture0.jpg") > 150);
    QVERIFY(corner("stamped/1/capture0.jpg") < 90);
}

void TestHeadless::picturesCarryExif_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QSize>("size");
    QTest::newRow("plain") << QStringList{} << QSize(160, 120);
    QTest::newRow("stamped") << QStringList{"--timestamp"} << QSize(160, 120);
    QTest::newRow("the camera's full HD")
        << QStringList{"--size", "1920x1080"} << QSize(1920, 1080);
}

// Each picture tells its grab time in the program's local zone, to the millisecond, and the
// driver that took it.
void TestHeadless::picturesCarryExif()
{
    QFETCH(QStringList, arguments);
    QFETCH(QSize, size);
    if (!haveExiftool())
        QSKIP("exiftool is needed (Debian package libimage-exiftool-perl)");
    const QString store = QTest::currentDataTag();
    const QDateTime before = QDateTime::currentDateTimeUtc().addMSecs(-1);
    const Outcome run =
        runFor(30000,
               QStringList{"--headless", "--driver", "Vardella test scene", "--size", "160x120",
                           "--interval", "0.1", "--count", "2", store} +
                   arguments,
               program(), [](QProcessEnvironment &env) {
                   noDisplay(env);
                   env.insert("TZ", "XST-5:30");
               });
    const QDateTime after = QDateTime::currentDateTimeUtc();
    QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.errors));
    QDateTime previous = before;
    for (const QString &picture : {store + "/1/capture0.jpg", store + "/1/capture1.jpg"}) {
        const QVariantMap tags = exifTags(picture);
        QCOMPARE(tags.value("Validate").toString(), "OK");
        QCOMPARE(tags.value("Make").toString(), "Vardella test scene");
        QCOMPARE(tags.value("Model").toString(), "Vardella test scene");
        QCOMPARE(tags.value("Software").toString(),
                 QString(Product::name) + ' ' + Product::version);
        QCOMPARE(tags.value("ExifImageWidth").toInt(), size.width());
        QCOMPARE(tags.value("ExifImageHeight").toInt(), size.height());
        const QString taken = tags.value("SubSecDateTimeOriginal").toString();
        QVERIFY2(taken.endsWith("+05:30"), qPrintable(taken));
        const QDateTime time = QDateTime::fromString(taken, "yyyy:MM:dd HH:mm:ss.zzzt");
        QVERIFY2(time.isValid() && previous < time && time <= after, qPrintable(taken));
        previous = time;
    }
}

void TestHeadless::commandsPerPictureAndAtStop()
{
    const Outcome run = headless({"--interval", "0.5", "--count", "5", "--verbose", "--on-picture",
                                  R"(sh -c "echo %n >> LOG; echo said-%n")", "--on-stop",
                                  "sh -c \"echo stop >> LOG\"", "commands"});
    QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.errors));
    QFile log("commands/LOG");
    QVERIFY(log.open(QIODevice::ReadOnly));
    // The last picture's command and the stop's run side by side.
    QStringList lines = QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
    lines.sort();
    QCOMPARE(lines, QStringList({"0", "1", "2", "3", "4", "stop"}));
    // A command's output goes to standard error, away from the program's own lines.
    QVERIFY2(run.errors.contains("said-4"), qPrintable(run.errors));
    QVERIFY(!run.output.contains("said-"));
}

void TestHeadless::refusesBadOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("size") << QStringList{"--size", "123x45"}
                          << "choose 640x480, 320x240, 160x120 or 80x60";
    QTest::newRow("size beyond full HD")
        << QStringList{"--size", "2560x1440"} << "choose 640x480, 320x240, 160x120 or 80x60.";
    QTest::newRow("size the camera lacks")
        << QStringList{"--size", "1000x700"}
        << "\"1000x700\" is not offered; choose 640x480, 320x240, 160x120, 80x60, 1280x720 or "
           "1920x1080.";
    QTest::newRow("interval too short") << QStringList{"--interval", "0.05"} << "--interval must";
    QTest::newRow("three decimals") << QStringList{"--interval", "1.234"} << "two decimals";
    QTest::newRow("unknown") << QStringList{"--bogus"} << "Unknown option 'bogus'";
    QTest::newRow("half a program") << QStringList{"--from", "10:00"} << "--from and --to";
    QTest::newRow("motion batch") << QStringList{"--motion", "5"} << "--motion must";
    QTest::newRow("sensitivity beyond the slider")
        << QStringList{"--sensitivity", "101"}
        << "--sensitivity must be a whole number from 1 to 100, not \"101\".";
    QTest::newRow("sensitivity against the grid")
        << QStringList{"--motion", "10", "--grid", "30", "--sensitivity", "20"}
        << "--sensitivity and --grid set the same grid";
    QTest::newRow("mask that cannot be read")
        << QStringList{"--motion", "10", "--mask", "nowhere.pgm"}
        << "--mask: The mask \"nowhere.pgm\" cannot be read: ";
    QTest::newRow("light switch without motion")
        << QStringList{"--light-switch", "30"} << "--light-switch goes with --motion.";
    QTest::newRow("pictures before motion beyond 50")
        << QStringList{"--motion", "10", "--pre-capture", "51"}
        << "--pre-capture must be a whole number from 0 to 50, not \"51\".";
    QTest::newRow("driver") << QStringList{"--driver", "9"} << "There is no capture driver \"9\"";
    QTest::newRow("open quote") << QStringList{"--on-motion", R"(sh -c "echo)"}
                                << "--on-motion cannot be run: a double quote (\") is not closed";
    QTest::newRow("no program") << QStringList{"--on-failure", " "}
                                << "of --on-failure cannot be run: it names no program";
    QTest::newRow("sun without a place") << QStringList{"--from", "sunrise", "--to", "18:00"}
                                         << "needs the place: --where LATITUDE,LONGITUDE";
    QTest::newRow("sun offset") << QStringList{"--from",   "7:00",    "--to",
                                               "sunset+x", "--where", "52.5,13.4"}
                                << "--to: \"sunset+x\" is not sunrise or sunset with an offset";
    QTest::newRow("offset beyond half a day")
        << QStringList{"--from", "sunrise-721", "--to", "sunset", "--where", "52.5,13.4"}
        << "of at most 720 minutes";
    QTest::newRow("place") << QStringList{"--from", "sunrise", "--to", "sunset", "--where", "91,0"}
                           << "--where: The place \"91,0\" has a latitude beyond 90°";
    QTest::newRow("place alone") << QStringList{"--where", "52.5,13.4"}
                                 << "--where goes with --from or --to given as sunrise or sunset.";
    QTest::newRow("certificate alone") << QStringList{"--web-cert", "a.crt", "--web-key", "a.key"}
                                       << "--web-cert goes with --web.";
    QTest::newRow("certificate without key") << QStringList{"--web", "0", "--web-cert", "a.crt"}
                                             << "--web-cert and --web-key go together.";
    QTest::newRow("unreadable certificate")
        << QStringList{"--web", "0", "--web-cert", "no.crt", "--web-key", "no.key"}
        << "Cannot read the certificate file \"no.crt\"";
}

void TestHeadless::refusesBadOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const Outcome run = headless(arguments + QStringList{"bad"}, 10000);
    QVERIFY(run.finished);
    QVERIFY(run.exitCode != 0);
    QVERIFY2(run.errors.contains(message), qPrintable(run.errors));
    QVERIFY(picturesIn("bad/1").isEmpty());
}

void TestHeadless::oneProgramPerStoreAndSigterm()
{
    QProcess first;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    noDisplay(env);
    first.setProcessEnvironment(env);
    first.start(program(), {"--headless", "--interval", "0.2", "--verbose", "shared"});
    QVERIFY(first.waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists("shared/1/capture1.jpg"), 20000);
    const Outcome second = headless({"--count", "1", "shared"}, 10000);
    QVERIFY(second.finished && second.exitCode != 0);
    QVERIFY2(second.errors.contains("is already using the store directory"),
             qPrintable(second.errors));

    ::kill(pid_t(first.processId()), SIGTERM);
    QVERIFY(first.waitForFinished(20000));
    QCOMPARE(first.exitCode(), 0);
    QVERIFY(QString::fromLocal8Bit(first.readAllStandardOutput()).contains("capture stopped"));
    QVERIFY(!QFile::exists("shared/.vardella.lock"));
}

void TestHeadless::sunProgramSaysTheDay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("verbose") << QStringList{"--verbose"};
    QTest::newRow("quiet") << QStringList{};
}

// Today's sunrise and sunset, and the program's times that follow them; a day without either
// is said even without --verbose.
void TestHeadless::sunProgramSaysTheDay()
{
    QFETCH(QStringList, arguments);
    const bool verbose = !arguments.isEmpty();
    const Outcome berlin = headless(QStringList{"--from", "sunrise-30", "--to", "sunset+15",
                                                "--where", "52.52,13.40", "berlin"} +
                                        arguments,
                                    2500);
    const QRegularExpression day(
        R"(timer program: (\S+) sunrise (\d+):(\d\d), sunset (\d+):(\d\d) )"
        R"(at 52\.52,13\.4; from (\d+):(\d\d) to (\d+):(\d\d)\n)");
    const QRegularExpressionMatch said = day.match(berlin.output);
    QCOMPARE(said.hasMatch(), verbose);
    QVERIFY2(!berlin.errors.contains("timer program"), qPrintable(berlin.errors));
    if (verbose) {
        QCOMPARE(said.captured(1), QDate::currentDate().toString(Qt::ISODate));
        const auto minute = [&](int n) {
            return said.captured(n).toInt() * 60 + said.captured(n + 1).toInt();
        };
        QCOMPARE(minute(6), minute(2) - 30);
        QCOMPARE(minute(8), minute(4) + 15);
        QVERIFY(minute(2) > 3 * 60 && minute(4) < 22 * 60);
    }

    // Near the pole the sun stays up through the northern summer and away in the winter.
    const int month = QDate::currentDate().month();
    if (month == 3 || month == 9)
        QSKIP("Near an equinox the sun may rise and set near the pole");
    const QString polar = month > 3 && month < 9
                              ? "polar day at 89.9,0: the sun does not set; from 0:00, no end today"
                              : "polar night at 89.9,0: the sun does not rise; no start today, "
                                "to 0:00";
    const Outcome pole = headless(
        QStringList{"--from", "sunrise", "--to", "sunset", "--where", "89.9,0", "pole"} + arguments,
        2500);
    QVERIFY2(pole.errors.contains(polar), qPrintable(pole.errors));
    QVERIFY(!pole.output.contains(polar));
}

void TestHeadless::configFileAndStartAsLeft()
{
    const auto writeConfig = [](const QString &name, const QByteArray &text) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    // The file's interval and size hold, the command line's quality wins, and numbering goes
    // on after the newest picture of the earlier run.
    writeConfig("left.conf", "[Run]\nStartAsLeft=true\n[Capture]\nSize=160x120\nQuality=20\n"
                             "[Store]\nInterval=0.10\nMaxFrames=1000\n");
    QVERIFY(QDir().mkpath("left/1"));
    for (const char *name : {"left/1/capture3.jpg", "left/1/capture7.jpg"}) {
        QFile earlier(name);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("x");
        earlier.close();
        QTest::qWait(20); // 7 is the newer one
    }
    const Outcome run =
        headless({"--config", "left.conf", "--quality", "90", "--count", "3", "--verbose", "left"});
    QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.errors));
    QVERIFY2(run.output.contains("numbering goes on at 8"), qPrintable(run.output));
    QCOMPARE(picturesIn("left/1"), QStringList({"capture10.jpg", "capture3.jpg", "capture7.jpg",
                                                "capture8.jpg", "capture9.jpg"}));
    QCOMPARE(QImage("left/1/capture9.jpg").size(), QSize(160, 120));

    // A file with nonsense is said once and ignored: the run starts at 0 with the defaults.
    writeConfig("bad.conf", "[Run]\nStartAsLeft=true\n[Capture]\nQuality=loud\n");
    const Outcome bad =
        headless({"--config", "bad.conf", "--interval", "0.1", "--count", "1", "left"});
    QVERIFY2(bad.finished && bad.exitCode == 0, qPrintable(bad.errors));
    QCOMPARE(bad.errors.count("bad.conf"), 1);
    QVERIFY2(bad.errors.contains("Capture/Quality"), qPrintable(bad.errors));
    QCOMPARE(QImage("left/1/capture0.jpg").size(), QSize(320, 240));

    // A program saved by the windows that ends at sunset: the file's place is followed.
    writeConfig("sun.conf", "[TimerProgram]\nFrom=7:00\nTo=12:00\nOn=true\nEndSun=sunset+15\n"
                            "Where=52.52,13.40\n");
    const Outcome sun = headless({"--config", "sun.conf", "--verbose", "sun"}, 2500);
    QVERIFY2(
        sun.output.contains(QRegularExpression(" at 52\\.52,13\\.4; from 7:00 to \\d+:\\d\\d\n")),
        qPrintable(sun.output + sun.errors));
}

void TestHeadless::smallDiskKeepsCapturing_data()
{
    QTest::addColumn<QString>("size");
    QTest::addColumn<int>("keepFree"); // MB
    QTest::addColumn<QString>("reason");
    QTest::newRow("room kept free") << "4m" << 1 << "keeping 1 MB free on ";
    QTest::newRow("disk full") << "1m" << 0 << "no space left on ";
}

// More pictures than the disk holds: numbering restarts instead of failing, the ring goes on,
// what stays on the disk is whole.
void TestHeadless::smallDiskKeepsCapturing()
{
    QFETCH(QString, size);
    QFETCH(int, keepFree);
    QFETCH(QString, reason);
    const QString mount = m_dir.path() + "/disk" + size, copy = m_dir.path() + "/copy" + size;
    QVERIFY(QDir().mkpath(mount) && QDir().mkpath(copy));
    const int count = 50; // no whole number of rounds of the rings here (about 15 and 45)
    const Outcome run =
        onSmallDisk(size, mount, copy,
                    {"--size", "640x480", "--interval", "0.1", "--count", QString::number(count),
                     "--keep-free", QString::number(keepFree)});
    if (run.exitCode == 97 || run.errors.startsWith("unshare:"))
        QSKIP(qPrintable("No tmpfs can be mounted here (unshare -rm, mount): " + run.errors));
    QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.errors));
    QCOMPARE(run.errors.count("Store limited at picture "), 1); // without --verbose
    QVERIFY2(run.errors.contains(reason + mount), qPrintable(run.errors));
    const QStringList pictures = picturesIn(copy + "/1");
    QVERIFY2(pictures.size() > 1 && pictures.size() < count, qPrintable(pictures.join(' ')));
    for (const QString &name : pictures)
        QVERIFY2(!QImage(copy + "/1/" + name).isNull(), qPrintable(name));
    QCOMPARE(QDir(copy + "/1").entryList(QDir::Files | QDir::Hidden).filter(".tmp"), QStringList());
    const auto modified = [&](qsizetype n) {
        return QFileInfo(copy + QStringLiteral("/1/capture%1.jpg").arg(n)).lastModified();
    };
    QVERIFY(modified(1) > modified(pictures.size() - 1)); // the ring went on after picture 0
}

QTEST_GUILESS_MAIN(TestHeadless)
#include "tst_headless.moc"
