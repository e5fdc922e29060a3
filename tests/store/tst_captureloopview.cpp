// The capture core, without widgets, against a recorded view and a capture service without a
// window: what Start/stop shows and switches, the pictures a run stores, and how a run ends
// when a picture cannot be written or the device goes away, and how it keeps room free on a
// file system of any size and makes room on a full one.
#include "app/capturecore.h"
#include "app/runpresenter.h"
#include "capture/capturesession.h"
#include "capture/jpegdecoder.h"
#include "common/fakecaptureservice.h"
#include "common/fakesound.h"
#include "common/fakestoreview.h"
#include "common/recordedmessages.h"
#include "common/tempworkdir.h"
#include "shell/clocksource.h"
#include "store/captureloop.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

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
} // namespace

class TestCaptureLoopView : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startAndStopShowTheRun();
    void overlayRunShowsPreviewAndComesBack();
    void ticksStoreNumberedPictures();
    void previewFramesRewriteTheFirstPicture();
    void unwritablePictureEndsTheRun_data();
    void unwritablePictureEndsTheRun();
    void lostDeviceEndsTheRun();
    void skippedPicturesAreShown();
    void overwritingAnEarlierRunIsSaidOnce();
    void keepFreeRestartsNumbering();
    void fullDiskMakesRoom_data();
    void fullDiskMakesRoom();

private:
    void press() { loop().startStop(); }
    CaptureLoop &loop() { return m_core->loop(); }
    ApplicationState &state() { return m_core->state(); }
    ThreadedTimer &timer() { return m_core->captureTimer(); }
    /// The number of the picture one tick stored; -1: none.
    int tick();

    std::unique_ptr<TempWorkDir> m_dir;
    FakeStoreView m_view;
    NoMotionView m_motionView;
    FakeSound m_click;
    FakeSound m_alarm;
    SystemClock m_clock;
    FakeCaptureService m_service;
    RecordedMessages m_messages;
    SetSpace m_space;
    int m_full = 0; // writes that find the disk full from now
    int m_writes = 0;
    StoredPicture m_last;
    QStringList m_limits; // the status notes on the limit
    std::unique_ptr<CaptureCore> m_core;
    std::unique_ptr<RunPresenter> m_presenter;
};

void TestCaptureLoopView::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    m_view = {};
    m_messages = {};
    m_space = {};
    m_full = m_writes = 0;
    m_limits.clear();
    m_core = std::make_unique<CaptureCore>(CaptureCore::Services{
        m_service, m_clock, m_click.sound, m_alarm.sound, m_messages, &m_space});
    m_core->session().setPictureWriter(
        PictureWriter(AtomicFileWriter([this](int fd, const void *data, std::size_t size) {
            ++m_writes;
            return m_full-- > 0 ? (errno = ENOSPC, ssize_t(-1)) : ::write(fd, data, size);
        })));
    connect(&loop(), &CaptureLoop::pictureWritten, this,
            [this](const StoredPicture &p) { m_last = p; });
    connect(&loop(), &CaptureLoop::statusNote, this, [this](const QString &note) {
        if (note.startsWith("Store limited"))
            m_limits << note;
    });
    m_presenter = std::make_unique<RunPresenter>(*m_core, m_view, m_motionView);
    state().setFormatChosen(true);
    m_service.setUserData(reinterpret_cast<std::uintptr_t>(&m_core->session()));
}

void TestCaptureLoopView::cleanup()
{
    m_presenter.reset();
    m_core.reset();
    m_dir.reset();
}

void TestCaptureLoopView::startAndStopShowTheRun()
{
    QSignalSpy started(&loop(), &CaptureLoop::started);
    QSignalSpy stopped(&loop(), &CaptureLoop::stopped);
    press();
    QCOMPARE(m_view.startCaption, QStringLiteral("stop!"));
    QCOMPARE(m_view.startColour, 235);
    QVERIFY(state().CaptureRunning());
    QVERIFY(!m_core->clockRunning());
    QVERIFY(m_view.timeText.startsWith(QStringLiteral("Start time =  ")));
    QVERIFY(!m_view.overlayEnabled); // "Preview" is checked
    QVERIFY(timer().isEnabled());
    QCOMPARE(started.count(), 1);

    press();
    QCOMPARE(m_view.startCaption, QStringLiteral("start"));
    QCOMPARE(m_view.startColour, 1);
    QVERIFY(!state().CaptureRunning());
    QVERIFY(m_core->clockRunning());
    QVERIFY(m_view.overlayEnabled);
    QVERIFY(!timer().isEnabled());
    QVERIFY(m_service.previewing);
    QCOMPARE(stopped.count(), 1);
    QVERIFY(m_messages.errors.isEmpty());
}

void TestCaptureLoopView::overlayRunShowsPreviewAndComesBack()
{
    m_view.preview = false;
    m_view.overlay = true;
    press();
    QVERIFY(state().OverlayWasOn());
    press();
    QCOMPARE(m_view.boxChanges, QStringList({"preview:1", "overlay:1"}));
}

void TestCaptureLoopView::ticksStoreNumberedPictures()
{
    QSignalSpy first(&loop(), &CaptureLoop::firstPictureStored);
    QSignalSpy stored(&loop(), &CaptureLoop::pictureStored);
    press();
    loop().captureTick();
    loop().captureTick();
    QVERIFY(m_dir->exists("1/capture0.jpg"));
    QVERIFY(m_dir->exists("1/capture1.jpg"));
    QCOMPARE(state().PictureCounter(), 2);
    QCOMPARE(m_view.framesText, QStringLiteral("2 frms captured"));
    QCOMPARE(m_view.picturePath, QStringLiteral("1/capture1.jpg"));
    QCOMPARE(first.count(), 1);
    QCOMPARE(stored.count(), 2);

    press();
    loop().captureTick(); // stopped: nothing is stored
    QCOMPARE(state().PictureCounter(), 2);
    QVERIFY(!m_dir->exists("1/capture2.jpg"));
}

// Between Start and the first tick the live picture goes on rewriting the picture to come.
void TestCaptureLoopView::previewFramesRewriteTheFirstPicture()
{
    m_service.deliverPreview(FakeCaptureService::frame());
    QVERIFY(!m_dir->exists("1/capture0.jpg")); // not while stopped
    press();
    m_service.deliverPreview(FakeCaptureService::frame(40));
    QVERIFY(m_dir->exists("1/capture0.jpg"));
    QCOMPARE(state().PictureCounter(), 0);
    loop().captureTick();
    QVERIFY(!m_service.callback); // cleared by the tick
}

void TestCaptureLoopView::unwritablePictureEndsTheRun_data()
{
    QTest::addColumn<bool>("byPreview");
    QTest::newRow("grabbed frame") << false;
    QTest::newRow("preview frame before the first tick") << true;
}

void TestCaptureLoopView::unwritablePictureEndsTheRun()
{
    QFETCH(bool, byPreview);
    QVERIFY(QDir().mkpath("1/capture0.jpg")); // a directory where the picture should go
    press();
    if (byPreview)
        m_service.deliverPreview(FakeCaptureService::frame());
    else
        loop().captureTick();
    QVERIFY(!state().CaptureRunning());
    QVERIFY(!loop().toggledOn());
    QCOMPARE(m_view.startCaption, QStringLiteral("start"));
    // Nothing was stored under that number, so the next run tries it again.
    QCOMPARE(state().PictureCounter(), 0);
    QTRY_COMPARE(m_messages.errors.size(), 1);
    QVERIFY2(m_messages.errors.first().startsWith(
                 QStringLiteral("Capture stopped: the picture 1/capture0.jpg: ")),
             qPrintable(m_messages.errors.first()));
}

void TestCaptureLoopView::lostDeviceEndsTheRun()
{
    loop().cameraRecovery().setPatience(std::chrono::milliseconds(50));
    m_service.deviceAbsent = true;
    press();
    emit m_service.deviceLost(QStringLiteral("unplugged"));
    QTRY_VERIFY(!state().CaptureRunning()); // once it has not come back in time
    QCOMPARE(m_view.startCaption, QStringLiteral("start"));
    QTRY_COMPARE(m_messages.errors,
                 QStringList{"Capture stopped: the video device is gone (unplugged)."});
}

// Due times a run could not keep are not made up; the status bar says how many went by.
void TestCaptureLoopView::skippedPicturesAreShown()
{
    emit timer().ticksSkipped(2);
    QVERIFY(m_view.statusNote.isEmpty()); // not while stopped
    press();
    QCOMPARE(timer().pacing(), Pacing::Grid);
    emit timer().ticksSkipped(1);
    QVERIFY(m_view.statusNote.startsWith(QStringLiteral("1 picture skipped at ")));
    emit timer().ticksSkipped(3);
    QVERIFY(m_view.statusNote.startsWith(QStringLiteral("3 pictures skipped at ")));
    loop().captureTick();
    QCOMPARE(state().PictureCounter(), 1); // the numbers stay consecutive
}

void TestCaptureLoopView::overwritingAnEarlierRunIsSaidOnce()
{
    const QDateTime old = QDateTime::currentDateTime().addDays(-1);
    for (const char *path : {"1/capture1.jpg", "1/capture2.jpg"}) {
        QDir().mkpath("1");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
    }
    press();
    loop().captureTick();
    QVERIFY(m_view.statusNote.isEmpty()); // a new picture replaces nothing
    loop().captureTick();
    const QString note =
        QStringLiteral("Overwriting pictures of an earlier run from 1/capture1.jpg");
    QCOMPARE(m_view.statusNote, note);
    QVERIFY(state().CaptureRunning()); // capture goes on
    loop().captureTick();
    QCOMPARE(m_view.statusNote, note); // said once, and it stays
    press();
    press();
    QVERIFY(m_view.statusNote.isEmpty()); // until the next Start
}

int TestCaptureLoopView::tick()
{
    m_last.number = -1;
    loop().captureTick();
    return m_last.number;
}

// Judged by the last picture's size and the one replaced, once a picture; said once a run; the
// counter limits the user set stay as they are.
void TestCaptureLoopView::keepFreeRestartsNumbering()
{
    const int maxFrames = state().MaxFrames();
    QCOMPARE(loop().keepFreeMegabytes(), 200);
    press();
    for (int n = 0; n < 3; ++n)
        QCOMPARE(tick(), n);
    QCOMPARE(m_space.asked, 2); // picture 0 has nowhere else to go
    m_space.available = 200 * MB + m_last.bytes - 1;
    QCOMPARE(tick(), 0); // picture 3 would leave a byte too few
    QVERIFY(!QFile::exists("1/capture3.jpg") && JpegDecoder().read("1/capture0.jpg"));
    QCOMPARE(m_limits, QStringList{"Store limited at picture 3: keeping 200 MB free on /media/x"});
    QCOMPARE(state().MaxFrames(), maxFrames);
    QCOMPARE(tick(), 1); // it replaces a picture of its size
    m_space.available = 200 * MB - 1;
    QCOMPARE(tick(), 0);
    QCOMPARE(m_limits.size(), 1);
    loop().setKeepFreeMegabytes(0);
    const int asked = m_space.asked;
    QCOMPARE(tick(), 1);
    QCOMPARE(m_space.asked, asked); // off: not even asked
}

void TestCaptureLoopView::fullDiskMakesRoom_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("replacing"); // an old picture at number, as once the ring went round
    QTest::addColumn<int>("full");       // writes that find the disk full
    QTest::addColumn<int>("stored");     // -1: the run stops
    QTest::addColumn<int>("writes");
    QTest::newRow("end of the ring, room at 0") << 5 << false << 1 << 0 << 2;
    QTest::newRow("end of the ring, room once 0 is gone") << 5 << false << 2 << 0 << 3;
    QTest::newRow("nothing can be freed") << 5 << false << 3 << -1 << 3;
    QTest::newRow("the replaced picture gives room") << 5 << true << 1 << 5 << 2;
    QTest::newRow("the replaced picture is too small") << 5 << true << 2 << 0 << 3;
    QTest::newRow("at 0, nothing can be freed") << 0 << true << 2 << -1 << 2;
    QTest::newRow("end of the ring in directory 2") << 5001 << false << 1 << 0 << 2;
}

void TestCaptureLoopView::fullDiskMakesRoom()
{
    QFETCH(int, number);
    QFETCH(bool, replacing);
    QFETCH(int, full);
    QFETCH(int, stored);
    QFETCH(int, writes);
    loop().setKeepFreeMegabytes(0); // the disk itself says it is full
    press();
    state().setPictureCounter(PictureStore::SelectDirectoryForPicture(state(), number));
    const QString path = PictureStore::PicturePath(state().CurrentDirectory(), number);
    QVERIFY(QFile("1/capture0.jpg").open(QIODevice::WriteOnly));
    QVERIFY(!replacing || QFile(path).open(QIODevice::WriteOnly));
    m_full = full;
    m_service.deliverPreview(FakeCaptureService::frame()); // left to the tick
    m_full = full;
    m_writes = 0;
    QCOMPARE(tick(), stored);
    QCOMPARE(m_writes, writes);
    QCOMPARE(state().CaptureRunning(), stored >= 0);
    if (stored < 0) {
        QTRY_COMPARE(m_messages.errors, QStringList{"Capture stopped: the picture "
                                                    "1/capture0.jpg: No space left on device"});
        return;
    }
    QCOMPARE(state().PictureCounter(), stored + 1);
    QVERIFY(JpegDecoder().read(m_last.path) && m_messages.errors.isEmpty());
    const QString limited =
        QStringLiteral("Store limited at picture %1: no space left on /media/x").arg(number);
    QCOMPARE(m_limits, stored == 0 ? QStringList{limited} : QStringList());
}

QTEST_GUILESS_MAIN(TestCaptureLoopView)
#include "tst_captureloopview.moc"
