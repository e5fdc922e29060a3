// A run on a disk that fills up: numbering starts again at 0 before a picture would take the
// space kept free, or when a write finds the disk full, and the run stops only when even
// picture 0 cannot be written. The capture core runs without widgets over a fake camera.
#include "app/capturecore.h"
#include "capture/atomicfilewriter.h"
#include "capture/capturesession.h"
#include "capture/jpegdecoder.h"
#include "capture/picturewriter.h"
#include "common/fakecaptureservice.h"
#include "common/fakesound.h"
#include "common/recordedmessages.h"
#include "common/tempworkdir.h"
#include "shell/clocksource.h"
#include "store/captureloop.h"
#include "store/keepfree.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <cerrno>
#include <unistd.h>

namespace {
constexpr qint64 MB = KeepFree::BytesPerMegabyte;

struct SetSpace : StoreSpace
{
    qint64 available = 100000 * MB;
    int asked = 0;
    std::optional<qint64> availableBytes() override
    {
        ++asked;
        return available;
    }
    QString mountPoint() override { return QStringLiteral("/media/x"); }
};

// A disk that refuses the next `full` writes, as a full one does.
struct FillingDisk
{
    int full = 0;
    int writes = 0;
    AtomicFileWriter writer()
    {
        return AtomicFileWriter([this](int fd, const void *data, std::size_t size) {
            ++writes;
            if (full > 0) {
                --full;
                errno = ENOSPC;
                return ssize_t(-1);
            }
            return ::write(fd, data, size);
        });
    }
};

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList notes(const QSignalSpy &spy)
{
    QStringList found;
    for (const QList<QVariant> &args : spy) {
        if (args.first().toString().startsWith(QLatin1String("Store limited")))
            found << args.first().toString();
    }
    return found;
}
} // namespace

class TestCaptureLoopKeepFree : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void limitRestartsNumbering();
    void fullDiskMakesRoom_data();
    void fullDiskMakesRoom();
    void previewFrameOnFullDiskWaitsForTheTick();

private:
    CaptureLoop &loop() { return m_core->loop(); }
    ApplicationState &state() { return m_core->state(); }
    /// The counter at number, in its directory, with old pictures at 0 and at number.
    void standAt(int number);

    std::unique_ptr<TempWorkDir> m_dir;
    FakeSound m_click;
    FakeSound m_alarm;
    SystemClock m_clock;
    FakeCaptureService m_service;
    RecordedMessages m_messages;
    SetSpace m_space;
    FillingDisk m_disk;
    std::unique_ptr<CaptureCore> m_core;
};

void TestCaptureLoopKeepFree::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    m_messages = {};
    m_space = {};
    m_disk = {};
    m_core = std::make_unique<CaptureCore>(CaptureCore::Services{
        m_service, m_clock, m_click.sound, m_alarm.sound, m_messages, &m_space});
    m_core->session().setPictureWriter(PictureWriter(m_disk.writer()));
    m_core->captureTimer().setEnabled(false); // the test gives the ticks
    state().setFormatChosen(true);
    m_service.setUserData(reinterpret_cast<std::uintptr_t>(&m_core->session()));
}

void TestCaptureLoopKeepFree::cleanup()
{
    m_core.reset();
    m_dir.reset();
}

void TestCaptureLoopKeepFree::standAt(int number)
{
    const int directory = PictureStore::DirectoryOfPicture(number);
    QDir().mkpath(QString::number(directory));
    QDir().mkpath("1");
    for (const QString &path :
         {QStringLiteral("1/capture0.jpg"), PictureStore::PicturePath(directory, number)}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("old " + path.toUtf8());
    }
    state().setPictureCounter(PictureStore::SelectDirectoryForPicture(state(), number));
}

void TestCaptureLoopKeepFree::limitRestartsNumbering()
{
    QSignalSpy said(&loop(), &CaptureLoop::statusNote);
    QSignalSpy written(&loop(), &CaptureLoop::pictureWritten);
    QSignalSpy restarted(&loop(), &CaptureLoop::firstPictureStored);
    QCOMPARE(loop().keepFreeMegabytes(), 200);
    const int maxFrames = state().MaxFrames();
    const int userMaxFrames = state().UserMaxFrames();
    loop().startStop();
    m_core->captureTimer().setEnabled(false);
    loop().captureTick();
    loop().captureTick();
    loop().captureTick();
    QCOMPARE(state().PictureCounter(), 3);
    const qint64 picture = written.last().first().value<StoredPicture>().bytes;
    QVERIFY(picture > 0);
    QCOMPARE(m_space.asked, 2); // once a picture, picture 0 aside

    // Picture 3 would leave one byte less than 200 MB free: it becomes picture 0.
    m_space.available = 200 * MB + picture - 1;
    loop().captureTick();
    QCOMPARE(written.last().first().value<StoredPicture>().path, "1/capture0.jpg");
    QVERIFY(!QFile::exists("1/capture3.jpg"));
    QVERIFY(JpegDecoder().read("1/capture0.jpg"));
    QCOMPARE(state().PictureCounter(), 1);
    QCOMPARE(restarted.count(), 2); // as after the maximum frame count
    QCOMPARE(notes(said),
             QStringList{"Store limited at picture 3: keeping 200 MB free on /media/x"});
    QCOMPARE(state().MaxFrames(), maxFrames); // the counter limits shown stay
    QCOMPARE(state().UserMaxFrames(), userMaxFrames);
    // Picture 1 replaces one of its size: it fits.
    loop().captureTick();
    QCOMPARE(written.last().first().value<StoredPicture>().number, 1);
    // Less room than kept, whatever is replaced: numbering restarts, said no more.
    m_space.available = 200 * MB - 1;
    loop().captureTick();
    QCOMPARE(written.last().first().value<StoredPicture>().number, 0);
    QCOMPARE(notes(said).size(), 1);

    // Switched off, the file system is not even asked.
    loop().setKeepFreeMegabytes(0);
    m_space.available = 0;
    const int asked = m_space.asked;
    loop().captureTick();
    QCOMPARE(written.last().first().value<StoredPicture>().number, 1);
    QCOMPARE(m_space.asked, asked);
    // A new run says it again.
    loop().setKeepFreeMegabytes(1);
    loop().startStop();
    loop().startStop();
    m_core->captureTimer().setEnabled(false);
    loop().captureTick();
    QCOMPARE(notes(said).size(), 2);
    QCOMPARE(notes(said).last(), "Store limited at picture 2: keeping 1 MB free on /media/x");
    QVERIFY(state().CaptureRunning());
    QVERIFY(m_messages.errors.isEmpty());
}

void TestCaptureLoopKeepFree::fullDiskMakesRoom_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("oldAtNumber"); // an earlier picture there, as once the ring wrapped
    QTest::addColumn<int>("full");         // writes that find the disk full
    QTest::addColumn<int>("stored");       // the number stored; -1: the run stops
    QTest::addColumn<int>("writes");
    QTest::newRow("end of the ring, room at 0") << 5 << false << 1 << 0 << 2;
    QTest::newRow("end of the ring, room once 0 is gone") << 5 << false << 2 << 0 << 3;
    QTest::newRow("nothing can be freed") << 5 << false << 3 << -1 << 3;
    QTest::newRow("the replaced picture gives room") << 5 << true << 1 << 5 << 2;
    QTest::newRow("replaced picture too small") << 5 << true << 2 << 0 << 3;
    QTest::newRow("already at 0") << 0 << true << 1 << 0 << 2;
    QTest::newRow("already at 0, nothing can be freed") << 0 << true << 2 << -1 << 2;
    QTest::newRow("end of the ring in directory 2") << 5001 << false << 1 << 0 << 2;
}

void TestCaptureLoopKeepFree::fullDiskMakesRoom()
{
    QFETCH(int, number);
    QFETCH(bool, oldAtNumber);
    QFETCH(int, full);
    QFETCH(int, stored);
    QFETCH(int, writes);
    loop().setKeepFreeMegabytes(0); // the disk itself says it is full
    standAt(number);
    const int directory = PictureStore::DirectoryOfPicture(number);
    if (!oldAtNumber)
        QVERIFY(QFile::remove(PictureStore::PicturePath(directory, number)));
    QSignalSpy said(&loop(), &CaptureLoop::statusNote);
    QSignalSpy written(&loop(), &CaptureLoop::pictureWritten);
    loop().startStop();
    m_core->captureTimer().setEnabled(false);
    m_disk.full = full;
    loop().captureTick();
    QCOMPARE(m_disk.writes, writes);
    for (const QString &d : {QStringLiteral("1"), QString::number(directory)})
        QCOMPARE(QDir(d).entryList(QDir::Files | QDir::Hidden).filter(".tmp"), QStringList());
    QCOMPARE(state().CaptureRunning(), stored >= 0);
    if (stored < 0) {
        QCOMPARE(written.count(), 0);
        QTRY_COMPARE(m_messages.errors,
                     QStringList{"Capture stopped: the picture 1/capture0.jpg: No space left "
                                 "on device"});
        return;
    }
    QCOMPARE(written.count(), 1);
    const StoredPicture picture = written.first().first().value<StoredPicture>();
    QCOMPARE(picture.number, stored);
    QVERIFY(JpegDecoder().read(picture.path));
    QCOMPARE(state().PictureCounter(), stored + 1);
    const QStringList expected{QStringLiteral("Store limited at picture %1: no space left on "
                                              "/media/x")
                                   .arg(number)};
    QCOMPARE(notes(said), stored == 0 && number > 0 ? expected : QStringList());
    if (stored > 0)
        QCOMPARE(contents("1/capture0.jpg"), "old 1/capture0.jpg");
    QVERIFY(m_messages.errors.isEmpty());
}

// The live frames between Start and the first tick are stored as the current picture; a full
// disk there leaves it to the tick to make room.
void TestCaptureLoopKeepFree::previewFrameOnFullDiskWaitsForTheTick()
{
    loop().startStop();
    m_core->captureTimer().setEnabled(false);
    m_disk.full = 1;
    m_service.deliverPreview(FakeCaptureService::frame());
    QCOMPARE(m_disk.writes, 1);
    QTest::qWait(10);
    QVERIFY(state().CaptureRunning());
    QVERIFY(m_messages.errors.isEmpty());
}

QTEST_GUILESS_MAIN(TestCaptureLoopKeepFree)
#include "tst_captureloop_keepfree.moc"
