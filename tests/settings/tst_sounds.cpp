// The sounds: which wave files are accepted at start, and the play rules.
#include "common/fakesound.h"
#include "common/tempworkdir.h"
#include "settings/wavefile.h"

#include <QFile>
#include <QTest>

namespace {
QByteArray le32(quint32 v)
{
    QByteArray b(4, 0);
    for (int i = 0; i < 4; ++i)
        b[i] = char((v >> (8 * i)) & 0xff);
    return b;
}

QByteArray fmtChunk(quint16 format, quint16 bits)
{
    QByteArray body;
    body += char(format & 0xff);
    body += char(format >> 8);
    body += QByteArray("\x01\x00", 2);     // channels
    body += le32(22050) + le32(44100);     // rate, bytes per second
    body += QByteArray("\x02\x00", 2);     // block align
    body += char(bits) + QByteArray(1, 0); // bits per sample
    return "fmt " + le32(quint32(body.size())) + body;
}

QByteArray wave(const QByteArray &chunks)
{
    return "RIFF" + le32(quint32(4 + chunks.size())) + "WAVE" + chunks;
}

void write(const QString &name, const QByteArray &bytes)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
} // namespace

class TestSounds : public QObject
{
    Q_OBJECT
private slots:
    void shippedSoundsAreValid_data();
    void shippedSoundsAreValid();
    void badFilesAreRefusedWithReason_data();
    void badFilesAreRefusedWithReason();
    void locatePrefersWorkingDirectory();
    void soundIsNotRestartedWhilePlaying();
    void switchedOffSoundStaysSilent();
};

void TestSounds::shippedSoundsAreValid_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("click") << "click.wav";
    QTest::newRow("alarm") << "alarm.wav";
}

void TestSounds::shippedSoundsAreValid()
{
    QFETCH(QString, name);
    const QString path = qEnvironmentVariable("VARDELLA_SOURCE_DIR") + "/data/" + name;
    const Result<> check = WaveFile::check(path);
    QVERIFY2(check, qPrintable(check ? QString() : check.error()));
}

void TestSounds::badFilesAreRefusedWithReason_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    const QByteArray data = "data" + le32(4) + QByteArray(4, 1);
    QTest::newRow("valid") << wave(fmtChunk(1, 16) + data) << "";
    QTest::newRow("empty") << QByteArray() << "it is not a RIFF/WAVE file";
    QTest::newRow("text") << QByteArray("hello, this is not a sound")
                          << "it is not a RIFF/WAVE file";
    QTest::newRow("riff but avi") << QByteArray("RIFF\x10\0\0\0AVI LIST", 16)
                                  << "it is not a RIFF/WAVE file";
    QTest::newRow("no format") << wave(data) << "the sound data comes before its format";
    QTest::newRow("compressed") << wave(fmtChunk(2, 4) + data) << "it is not PCM sound (format 2)";
    QTest::newRow("no data") << wave(fmtChunk(1, 16)) << "it holds no sound data";
    QTest::newRow("truncated format")
        << wave(fmtChunk(1, 16).left(14)) << "the format chunk is truncated";
    QTest::newRow("odd bits") << wave(fmtChunk(1, 12) + data)
                              << "its sample format is not supported";
}

void TestSounds::badFilesAreRefusedWithReason()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    TempWorkDir dir;
    write("sound.wav", bytes);
    const Result<> check = WaveFile::check("sound.wav");
    QCOMPARE(check.has_value(), reason.isEmpty());
    QCOMPARE(check ? QString() : check.error(), reason);
}

void TestSounds::locatePrefersWorkingDirectory()
{
    TempWorkDir dir;
    QDir().mkdir("share");
    write("share/click.wav", "x");
    QCOMPARE(WaveFile::locate("click.wav", {dir.path(), dir.path() + "/share"}),
             dir.path() + "/share/click.wav");
    write("click.wav", "x");
    QCOMPARE(WaveFile::locate("click.wav", {dir.path(), dir.path() + "/share"}),
             dir.path() + "/click.wav");
    QCOMPARE(WaveFile::locate("alarm.wav", {dir.path()}), QString("alarm.wav"));
    QVERIFY(!WaveFile::check(WaveFile::locate("alarm.wav", {dir.path()})));
}

void TestSounds::soundIsNotRestartedWhilePlaying()
{
    FakeSound s;
    s.sound.play();
    s.sound.play(); // a second button pressed in quick succession
    QCOMPARE(s.backend->plays, 1);
    s.backend->playing = false; // the first click has ended
    s.sound.play();
    QCOMPARE(s.backend->plays, 2);
}

void TestSounds::switchedOffSoundStaysSilent()
{
    FakeSound s;
    s.sound.setOn(false);
    s.sound.play();
    QCOMPARE(s.backend->plays, 0);
    s.sound.setOn(true);
    s.sound.play();
    QCOMPARE(s.backend->plays, 1);
}

QTEST_GUILESS_MAIN(TestSounds)
#include "tst_sounds.moc"
