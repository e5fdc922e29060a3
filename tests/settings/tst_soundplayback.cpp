// The sounds through a real audio server: a private PulseAudio with a null sink, started by
// the test itself. A sound ends by itself, so that the next request plays it again.
#include "settings/qtsoundbackend.h"
#include "shell/sound.h"

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString soundFile(const char *name)
{
    return qEnvironmentVariable("VARDELLA_SOURCE_DIR") + "/data/" + name;
}
} // namespace

class TestSoundPlayback : public QObject
{
    Q_OBJECT
public:
    explicit TestSoundPlayback(bool serverRunning) : m_serverRunning(serverRunning) {}

private slots:
    void initTestCase();
    void clickEndsByItself();
    void alarmPlaysForItsLengthThenEnds();

private:
    bool m_serverRunning;
};

void TestSoundPlayback::initTestCase()
{
    if (!m_serverRunning)
        QSKIP("pulseaudio is not installed or did not start: real playback is not checked");
    QVERIFY(audioOutputAvailable());
}

void TestSoundPlayback::clickEndsByItself()
{
    QtSoundBackend probe(soundFile("click.wav"));
    probe.play();
    QTRY_VERIFY_WITH_TIMEOUT(probe.isPlaying(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!probe.isPlaying(), 5000);
}

void TestSoundPlayback::alarmPlaysForItsLengthThenEnds()
{
    // The play rule relies on the output telling when a sound has ended; Qt reports "playing"
    // for ever where no device is there, which is why such machines get a silent backend.
    auto *backend = new QtSoundBackend(soundFile("alarm.wav"));
    Sound alarm{std::unique_ptr<SoundBackend>(backend)};
    alarm.play();
    QTRY_VERIFY_WITH_TIMEOUT(backend->isPlaying(), 5000);
    QTest::qWait(300);
    QVERIFY(backend->isPlaying()); // the alarm lasts about a second
    alarm.play();                  // still playing: left alone
    QTRY_VERIFY_WITH_TIMEOUT(!backend->isPlaying(), 10000);
}

int main(int argc, char *argv[])
{
    // The server must run before Qt Multimedia looks for audio devices.
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    const QString pulseaudio = QStandardPaths::findExecutable("pulseaudio");
    bool running = false;
    if (!pulseaudio.isEmpty()) {
        running = QProcess::execute(pulseaudio,
                                    {"-n", "--daemonize=yes", "--exit-idle-time=-1", "-L",
                                     "module-null-sink", "-L", "module-native-protocol-unix"}) == 0;
    }
    int result = 0;
    {
        QGuiApplication app(argc, argv); // sounds need no widgets
        TestSoundPlayback test(running);
        result = QTest::qExec(&test, argc, argv);
    }
    if (running)
        QProcess::execute(pulseaudio, {"--kill"});
    return result;
}

#include "tst_soundplayback.moc"
