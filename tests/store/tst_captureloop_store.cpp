// Interval capture as it fills the picture store: the files of a run in order, the ring at the
// maximum frame count, the step into directory "2" with its pause, and "Clear" starting the
// numbering again. The whole program runs over the test scene.
#include "common/captureapp.h"
#include "store/deletedialog.h"
#include "store/resetdialog.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using Direction = UpDownControl::Direction;

namespace {
QStringList picturePaths(int directory, int first, int last)
{
    QStringList paths;
    for (int n = first; n <= last; ++n)
        paths << QStringLiteral("%1/capture%2.jpg").arg(directory).arg(n);
    return paths;
}

QStringList existing(const QStringList &paths)
{
    QStringList found;
    for (const QString &p : paths) {
        if (QFileInfo::exists(p))
            found << p;
    }
    return found;
}

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}
} // namespace

class TestCaptureLoopStore : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void runAtSmallestIntervalStoresInOrder();
    void ringOverwritesOldestAtMaxFrames();
    void crossesIntoNextDirectory_data();
    void crossesIntoNextDirectory();
    void clearDeletesUpToMaxFramesAndRestartsNumbering();

private:
    std::unique_ptr<CaptureApp> m_app;
};

void TestCaptureLoopStore::init()
{
    m_app = std::make_unique<CaptureApp>();
    QVERIFY(m_app->dir.isValid());
    QString error;
    QVERIFY2(m_app->ready(&error), qPrintable(error));
}

void TestCaptureLoopStore::cleanup()
{
    m_app.reset();
}

void TestCaptureLoopStore::runAtSmallestIntervalStoresInOrder()
{
    CaptureApp &a = *m_app;
    CaptureApp::press(a.panel()->intervalArrows, Direction::Down, 4);
    QCOMPARE(a.app->intervalControls().requestedIntervalMs(), 1000);
    QSignalSpy paths(a.panel()->picturePathBox, &QLineEdit::textChanged);
    QSignalSpy frames(a.panel()->framesBox, &QLineEdit::textChanged);

    a.panel()->start->click();
    QTRY_COMPARE_WITH_TIMEOUT(a.panel()->framesBox->text(), QStringLiteral("3 frms captured"),
                              10000);
    a.panel()->start->click();

    QCOMPARE(a.panel()->start->text(), QStringLiteral("start"));
    const QStringList taken = picturePaths(1, 0, 2);
    QStringList shown;
    for (const QList<QVariant> &args : paths)
        shown << args.at(0).toString();
    QCOMPARE(shown, taken);
    QStringList counted;
    for (const QList<QVariant> &args : frames)
        counted << args.at(0).toString();
    QCOMPARE(counted, (QStringList{"1 frms captured", "2 frms captured", "3 frms captured"}));
    QDateTime previous;
    for (const QString &path : taken) {
        const QImage image = CaptureApp::picture(path);
        QVERIFY2(!image.isNull(), qPrintable(path));
        QCOMPARE(image.size(), QSize(320, 240));
        const QDateTime written = QFileInfo(path).lastModified();
        QVERIFY2(!previous.isValid() || previous <= written, qPrintable(path));
        previous = written;
    }
    QVERIFY(!QFileInfo::exists("1/capture3.jpg"));
    QCOMPARE(a.state().PictureCounter(), 3);
    QVERIFY(a.messages->errors.isEmpty());
}

void TestCaptureLoopStore::ringOverwritesOldestAtMaxFrames()
{
    CaptureApp &a = *m_app;
    CaptureApp::press(a.panel()->maxArrows, Direction::Down);
    QCOMPARE(a.state().MaxFrames(), 10);
    a.startHeld();
    a.ticks(10);
    QCOMPARE(a.panel()->framesBox->text(), QStringLiteral("10 frms captured"));
    QCOMPARE(a.state().PictureCounter(), 0);
    QCOMPARE(existing(picturePaths(1, 0, 10)), picturePaths(1, 0, 9));
    const QDateTime first = QFileInfo("1/capture0.jpg").lastModified();

    a.ticks(1);
    QCOMPARE(a.panel()->picturePathBox->text(), QStringLiteral("1/capture0.jpg"));
    QCOMPARE(a.panel()->framesBox->text(), QStringLiteral("1 frms captured"));
    QVERIFY(QFileInfo("1/capture0.jpg").lastModified() > first);
    QVERIFY(!CaptureApp::picture("1/capture0.jpg").isNull());
    QVERIFY(!QFileInfo::exists("1/capture10.jpg"));
    QVERIFY(a.messages->errors.isEmpty());
}

void TestCaptureLoopStore::crossesIntoNextDirectory_data()
{
    QTest::addColumn<bool>("stopDuringPause");
    QTest::newRow("running on") << false;
    QTest::newRow("Start/stop pressed during the pause") << true;
}

// A Reset near the end of directory "1" (picked in the Reset dialog) and a maximum above
// 5000: the picture after 4999 goes into the new directory "2".
void TestCaptureLoopStore::crossesIntoNextDirectory()
{
    QFETCH(bool, stopDuringPause);
    CaptureApp &a = *m_app;
    a.panel()->maxArrows->setPosition(1000);
    CaptureApp::press(a.panel()->maxArrows, Direction::Up);
    QCOMPARE(a.state().MaxFrames(), 10250);
    a.panel()->reset->click();
    auto *reset = a.tool<ResetDialog>(ToolWindows::Role::Reset);
    QVERIFY(reset && reset->isVisible());
    reset->arrows()->setPosition(498);
    CaptureApp::press(reset->arrows(), Direction::Up);
    CaptureApp::button(reset, "ok")->click();
    QCOMPARE(a.state().PictureCounter(), 4990);

    a.startHeld();
    a.ticks(9);
    QCOMPARE(a.panel()->picturePathBox->text(), QStringLiteral("1/capture4998.jpg"));
    QVERIFY(!QFileInfo::exists("2"));
    if (stopDuringPause) // handled by the pause's own event processing
        QTimer::singleShot(0, a.panel()->start, &QPushButton::click);
    QElapsedTimer crossing;
    crossing.start();
    a.ticks(1);
    const qint64 took = crossing.elapsed();
    QVERIFY2(took >= 200, qPrintable(QString::number(took)));
    QVERIFY(!CaptureApp::picture("1/capture4999.jpg").isNull());
    QVERIFY(QFileInfo("2").isDir());
    QCOMPARE(a.state().CurrentDirectory(), 2);
    QCOMPARE(a.state().DirectoryBase(), 5000);
    QCOMPARE(a.panel()->framesBox->text(), QStringLiteral("5000 frms captured"));
    // The pause is part of the tick: it leaves the timer (held here) alone.
    QVERIFY(!a.captureTimer().isEnabled());
    QCOMPARE(a.state().CaptureRunning(), !stopDuringPause);
    if (stopDuringPause) {
        QCOMPARE(a.panel()->start->text(), QStringLiteral("start"));
        a.panel()->start->click();
    }
    a.captureTimer().setEnabled(false);

    a.ticks(1);
    QCOMPARE(a.panel()->picturePathBox->text(), QStringLiteral("2/capture5000.jpg"));
    QCOMPARE(CaptureApp::picture("2/capture5000.jpg").size(), QSize(320, 240));
    QVERIFY(!QFileInfo::exists("1/capture5000.jpg"));
    QCOMPARE(a.state().PictureCounter(), 5001);
    QVERIFY(a.messages->errors.isEmpty());
}

void TestCaptureLoopStore::clearDeletesUpToMaxFramesAndRestartsNumbering()
{
    CaptureApp &a = *m_app;
    CaptureApp::press(a.panel()->maxArrows, Direction::Down);
    a.startHeld();
    a.ticks(5);
    a.panel()->start->click();
    QCOMPARE(existing(picturePaths(1, 0, 5)), picturePaths(1, 0, 4));
    touch("1/capture10.jpg"); // the maximum itself is cleared too
    touch("1/capture11.jpg");
    touch("2/capture5000.jpg");

    a.panel()->clear->click();
    auto *dialog = a.tool<DeleteDialog>(ToolWindows::Role::Delete);
    QVERIFY(dialog && dialog->isVisible());
    CaptureApp::button(dialog, "ok")->click();
    QVERIFY(!dialog->isVisible());
    QCOMPARE(existing(picturePaths(1, 0, 11)), QStringList{"1/capture11.jpg"});
    QVERIFY(QFileInfo::exists("2/capture5000.jpg"));
    QCOMPARE(a.state().PictureCounter(), 0);

    a.startHeld();
    a.ticks(1);
    QCOMPARE(a.panel()->picturePathBox->text(), QStringLiteral("1/capture0.jpg"));
    QCOMPARE(a.panel()->framesBox->text(), QStringLiteral("1 frms captured"));
    QCOMPARE(existing(picturePaths(1, 0, 10)), QStringList{"1/capture0.jpg"});
    QVERIFY(a.messages->errors.isEmpty());
}

QTEST_MAIN(TestCaptureLoopStore)
#include "tst_captureloop_store.moc"
