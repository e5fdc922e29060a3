// The settings kept between runs: what is written comes back, and a file with a bad value is
// refused as a whole, naming the key.
#include "common/tempworkdir.h"
#include "settings/savedsettings.h"

#include <QFile>
#include <QTest>

class TestSavedSettings : public QObject
{
    Q_OBJECT
private slots:
    void everyValueComesBack()
    {
        TempWorkDir dir;
        SavedSettings s;
        s.startAsLeft = true;
        s.driver = QStringLiteral("UVC Camera (046d:0825)");
        s.size = QSize(640, 480);
        s.quality = 85;
        s.greyscale = true;
        s.timeStamp = true;
        s.intervalSeconds = 0.35;
        s.maxFrames = 12345;
        s.framesStep = 100;
        s.keepFreeMb = 0;
        s.grid = 7;
        s.framesAfterMotion = 30000;
        s.motionOn = true;
        s.picturesBeforeMotion = 50;
        s.ignoreLightAbove = 35;
        s.timerFrom = QTime(7, 5);
        s.timerTo = QTime(23, 59);
        s.timerOn = true;
        s.timerStartSun = DayTime(DayTime::Anchor::Sunrise, -30);
        s.timerEndSun = DayTime(DayTime::Anchor::Sunset, 15);
        s.timerPlace = SunPlace{52.52, -13.4};
        s.buttonSoundOff = true;
        s.motionSound = false;
        s.skin = false;
        s.eventCommands = {{"picture", "rclone copyto %f remote:cam/%n.jpg"},
                           {"motion-end", "sh -c \"echo %e; echo done\""}};
        s.running = SavedSettings::Running::TimerProgram;
        s.webOn = true;
        s.webAddress = "0.0.0.0";
        s.webPort = 8443;
        s.webRealm = "Vardella web view 0f3a";
        s.webHash = "00112233445566778899aabbccddeeff";
        const QString path = dir.path() + "/config/Vardella/vardella.conf";
        QVERIFY(s.save(path));
        const Result<SavedSettings> back = SavedSettings::load(path);
        QVERIFY2(back, qPrintable(back.error()));
        QVERIFY(*back == s);

        // Written again with less: nothing of the earlier file lingers.
        SavedSettings plain;
        plain.eventCommands = {{"picture", ""}};
        QVERIFY(plain.save(path));
        const Result<SavedSettings> again = SavedSettings::load(path);
        QVERIFY(again);
        QVERIFY(again->eventCommands.isEmpty());
        QVERIFY(!again->timerFrom.isValid());
        QVERIFY(*again == SavedSettings());
        // The web view off: the file holds nothing of it, as before there was one.
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(!written.readAll().contains("Web"));
    }

    void missingFileGivesTheDefaults()
    {
        TempWorkDir dir;
        const Result<SavedSettings> s = SavedSettings::load(dir.path() + "/none.conf");
        QVERIFY(s);
        QVERIFY(*s == SavedSettings());
        QVERIFY(!s->startAsLeft);
    }

    void badValueRefusesTheFile_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("line");
        QTest::newRow("flag") << "Run"
                              << "StartAsLeft=yes";
        QTest::newRow("running") << "Run"
                                 << "Running=sometimes";
        QTest::newRow("quality 101") << "Capture"
                                     << "Quality=101";
        QTest::newRow("quality text") << "Capture"
                                      << "Quality=high";
        QTest::newRow("size") << "Capture"
                              << "Size=640*480";
        QTest::newRow("size negative") << "Capture"
                                       << "Size=-640x480";
        QTest::newRow("interval short") << "Store"
                                        << "Interval=0.05";
        QTest::newRow("interval decimals") << "Store"
                                           << "Interval=1.005";
        QTest::newRow("interval long") << "Store"
                                       << "Interval=1000";
        QTest::newRow("max past the store") << "Store"
                                            << "MaxFrames=320001";
        QTest::newRow("keep free negative") << "Store"
                                            << "KeepFree=-1";
        QTest::newRow("grid") << "Motion"
                              << "Grid=101";
        QTest::newRow("frames") << "Motion"
                                << "Frames=9";
        QTest::newRow("pictures before motion") << "Motion"
                                                << "PicturesBefore=51";
        QTest::newRow("time") << "TimerProgram"
                              << "From=25:00";
        QTest::newRow("sun") << "TimerProgram"
                             << "StartSun=dawn";
        QTest::newRow("sun offset") << "TimerProgram"
                                    << "EndSun=sunset+721";
        QTest::newRow("place") << "TimerProgram"
                               << "Where=91,13.4";
        QTest::newRow("web port 0") << "Web"
                                    << "Port=0";
        QTest::newRow("web port past the last") << "Web"
                                                << "Port=65536";
        QTest::newRow("web hash not hex") << "Web"
                                          << "Hash=0011223344556677889Xaabbccddeeff";
        QTest::newRow("web hash short") << "Web"
                                        << "Hash=0011";
    }
    void badValueRefusesTheFile()
    {
        QFETCH(QString, group);
        QFETCH(QString, line);
        TempWorkDir dir;
        QFile file(dir.path() + "/v.conf");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[Run]\nStartAsLeft=true\n[%1]\n%2\n").arg(group, line).toUtf8());
        file.close();
        const Result<SavedSettings> s = SavedSettings::load(file.fileName());
        QVERIFY(!s);
        const QString key = group + '/' + line.section('=', 0, 0);
        QVERIFY2(s.error().contains(key) && s.error().contains(file.fileName()),
                 qPrintable(s.error()));
    }

    void timerProgramNeedsBothTimes()
    {
        TempWorkDir dir;
        QFile file(dir.path() + "/v.conf");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[TimerProgram]\nFrom=7:00\nOn=true\n");
        file.close();
        QVERIFY(!SavedSettings::load(file.fileName()));
        // A sun time is nothing without the place whose sun it follows.
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[TimerProgram]\nFrom=7:00\nTo=8:00\nStartSun=sunrise\n");
        file.close();
        const Result<SavedSettings> s = SavedSettings::load(file.fileName());
        QVERIFY(!s);
        QVERIFY2(s.error().contains("place"), qPrintable(s.error()));
    }

    void saveNamesWhatFailed()
    {
        TempWorkDir dir;
        QFile blocker(dir.path() + "/file");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const Result<> saved = SavedSettings().save(dir.path() + "/file/Vardella/vardella.conf");
        QVERIFY(!saved);
        QVERIFY2(saved.error().contains(dir.path() + "/file/Vardella"), qPrintable(saved.error()));
    }

    void defaultPathFollowsXdg()
    {
        qputenv("XDG_CONFIG_HOME", "/tmp/xdg-test");
        QCOMPARE(SavedSettings::defaultPath(),
                 QStringLiteral("/tmp/xdg-test/Vardella/vardella.conf"));
        qputenv("XDG_CONFIG_HOME", "relative");
        QVERIFY(SavedSettings::defaultPath().endsWith("/.config/Vardella/vardella.conf"));
        QVERIFY(SavedSettings::defaultPath().startsWith('/'));
    }
};

QTEST_GUILESS_MAIN(TestSavedSettings)
#include "tst_savedsettings.moc"
