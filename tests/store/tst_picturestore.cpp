// Picture numbering: paths, the roll-over after each stored picture, and restart numbers.
#include "common/tempworkdir.h"
#include "shell/applicationstate.h"
#include "store/picturestore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace PictureStore;

namespace {
struct Run
{
    ApplicationState state;
    int pauses = 0;
    // One capture tick's numbering: count the stored picture, then advance.
    Advance tick()
    {
        state.setPictureCounter(state.PictureCounter() + 1);
        return AdvanceAfterCapture(state, [this] { ++pauses; });
    }
    QString nextPath() const
    {
        return PicturePath(state.CurrentDirectory(), state.PictureCounter());
    }
};
} // namespace

class TestPictureStore : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_dir = std::make_unique<TempWorkDir>(); }
    void cleanup() { m_dir.reset(); }

    void paths_data();
    void paths();
    void directoryRollOver();
    void maxFramesRestartsNumbering_data();
    void maxFramesRestartsNumbering();
    void maxFramesMultipleOfDirectorySizeNeverLeavesDirectoryOne();
    void endOfStoreWrapsWhateverMaxFrames();
    void loweredMaxFramesRunsOnUpward();
    void firstPictureCreatesDirectoryOne();
    void restartNumbers_data();
    void restartNumbers();
    void resetToTwelveThousandCrossesIntoDirectoryFour();
    void newestPictureByTime_data();
    void newestPictureByTime();

private:
    std::unique_ptr<TempWorkDir> m_dir;
};

void TestPictureStore::paths_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("directory");
    QTest::addColumn<QString>("path");
    QTest::newRow("first") << 0 << 1 << "1/capture0.jpg";
    QTest::newRow("last of 1") << 4999 << 1 << "1/capture4999.jpg";
    QTest::newRow("first of 2") << 5000 << 2 << "2/capture5000.jpg";
    QTest::newRow("last of 32") << 159999 << 32 << "32/capture159999.jpg";
    QTest::newRow("first of 64") << 315000 << 64 << "64/capture315000.jpg";
    QTest::newRow("last") << 319999 << 64 << "64/capture319999.jpg";
}

void TestPictureStore::paths()
{
    QFETCH(int, n);
    QFETCH(int, directory);
    QFETCH(QString, path);
    QCOMPARE(DirectoryOfPicture(n), directory);
    QCOMPARE(PicturePath(directory, n), path);
}

void TestPictureStore::directoryRollOver()
{
    Run run;
    run.state.setMaxFrames(100000);
    run.state.setPictureCounter(4998);
    QCOMPARE(run.nextPath(), QString("1/capture4998.jpg"));
    QCOMPARE(run.tick(), Advance::Continued);
    QCOMPARE(run.nextPath(), QString("1/capture4999.jpg"));
    QVERIFY(!m_dir->exists("2"));

    QCOMPARE(run.tick(), Advance::DirectoryFull);
    QCOMPARE(run.pauses, 1);
    QVERIFY(m_dir->exists("2"));
    QCOMPARE(run.state.CurrentDirectory(), 2);
    QCOMPARE(run.state.DirectoryBase(), 5000);
    QCOMPARE(run.nextPath(), QString("2/capture5000.jpg"));

    QCOMPARE(run.tick(), Advance::Continued);
    QCOMPARE(run.nextPath(), QString("2/capture5001.jpg"));
}

void TestPictureStore::maxFramesRestartsNumbering_data()
{
    QTest::addColumn<int>("maxFrames");
    QTest::newRow("250") << 250;
    QTest::newRow("10") << 10;
    QTest::newRow("1") << 1;
}

void TestPictureStore::maxFramesRestartsNumbering()
{
    QFETCH(int, maxFrames);
    Run run;
    run.state.setMaxFrames(maxFrames);
    QStringList written;
    for (int i = 0; i < maxFrames + 1; ++i) {
        written << run.nextPath();
        run.tick();
    }
    QCOMPARE(written.first(), QString("1/capture0.jpg"));
    QCOMPARE(written.at(maxFrames - 1), QString("1/capture%1.jpg").arg(maxFrames - 1));
    // The picture after the last one overwrites the first.
    QCOMPARE(written.last(), QString("1/capture0.jpg"));
    QCOMPARE(run.pauses, 0);
}

void TestPictureStore::maxFramesMultipleOfDirectorySizeNeverLeavesDirectoryOne()
{
    Run run;
    run.state.setMaxFrames(5000);
    run.state.setPictureCounter(4999);
    QCOMPARE(run.tick(), Advance::Restarted);
    QCOMPARE(run.nextPath(), QString("1/capture0.jpg"));
    QCOMPARE(run.pauses, 0);
    QVERIFY(!m_dir->exists("2"));
}

void TestPictureStore::endOfStoreWrapsWhateverMaxFrames()
{
    Run run;
    run.state.setMaxFrames(250);
    run.state.setPictureCounter(319999);
    run.state.setCurrentDirectory(64);
    run.state.setDirectoryBase(315000);
    QCOMPARE(run.nextPath(), QString("64/capture319999.jpg"));
    QCOMPARE(run.tick(), Advance::DirectoryFull);
    QCOMPARE(run.pauses, 1);
    QCOMPARE(run.state.PictureCounter(), 0);
    QCOMPARE(run.state.CurrentDirectory(), 1);
    QCOMPARE(run.state.DirectoryBase(), 0);
    QVERIFY(!m_dir->exists("65"));
}

void TestPictureStore::loweredMaxFramesRunsOnUpward()
{
    // The restart test is equality: a maximum below the counter is passed by.
    Run run;
    run.state.setMaxFrames(100);
    run.state.setPictureCounter(510);
    for (int i = 0; i < 10; ++i)
        QCOMPARE(run.tick(), Advance::Continued);
    QCOMPARE(run.nextPath(), QString("1/capture520.jpg"));

    run.state.setPictureCounter(4999);
    QCOMPARE(run.tick(), Advance::DirectoryFull);
    QCOMPARE(run.nextPath(), QString("2/capture5000.jpg"));
}

void TestPictureStore::firstPictureCreatesDirectoryOne()
{
    Run run;
    run.state.setMaxFrames(250);
    QVERIFY(!m_dir->exists("1"));
    QCOMPARE(run.tick(), Advance::FirstPicture);
    QVERIFY(m_dir->exists("1"));
    QCOMPARE(run.nextPath(), QString("1/capture1.jpg"));
}

void TestPictureStore::restartNumbers_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("next");
    QTest::addColumn<int>("directory");
    QTest::addColumn<int>("base");
    QTest::newRow("0") << 0 << 0 << 1 << 0;
    QTest::newRow("510") << 510 << 510 << 1 << 0;
    QTest::newRow("4999") << 4999 << 4999 << 1 << 0;
    QTest::newRow("5000") << 5000 << 5000 << 2 << 5000;
    QTest::newRow("12510") << 12510 << 12510 << 3 << 10000;
    QTest::newRow("315000") << 315000 << 315000 << 64 << 315000;
    QTest::newRow("319999") << 319999 << 319999 << 64 << 315000;
    QTest::newRow("one past the end restarts") << 320000 << 0 << 1 << 0;
}

void TestPictureStore::restartNumbers()
{
    QFETCH(int, n);
    QFETCH(int, next);
    QFETCH(int, directory);
    QFETCH(int, base);
    ApplicationState state;
    state.setCurrentDirectory(7);
    state.setDirectoryBase(30000);
    QCOMPARE(SelectDirectoryForPicture(state, n), next);
    QCOMPARE(state.CurrentDirectory(), directory);
    QCOMPARE(state.DirectoryBase(), base);
    QCOMPARE(m_dir->exists(QString::number(directory)), directory != 1);
}

void TestPictureStore::resetToTwelveThousandCrossesIntoDirectoryFour()
{
    Run run;
    run.state.setMaxFrames(250); // below the restart number: numbering runs on upward
    run.state.setPictureCounter(SelectDirectoryForPicture(run.state, 12510));
    QCOMPARE(run.nextPath(), QString("3/capture12510.jpg"));
    run.state.setPictureCounter(14999);
    QCOMPARE(run.tick(), Advance::DirectoryFull);
    QCOMPARE(run.nextPath(), QString("4/capture15000.jpg"));
    QVERIFY(m_dir->exists("4"));
}

void TestPictureStore::newestPictureByTime_data()
{
    QTest::addColumn<QStringList>("files"); // oldest first
    QTest::addColumn<int>("newest");        // -1: none
    QTest::newRow("empty store") << QStringList{} << -1;
    QTest::newRow("by time, not by number")
        << QStringList{"1/capture40.jpg", "1/capture3.jpg"} << 3;
    QTest::newRow("across directories")
        << QStringList{"2/capture5004.jpg", "1/capture12.jpg", "7/capture30001.jpg"} << 30001;
    QTest::newRow("other names do not count")
        << QStringList{"1/capture8.jpg", "1/capture.jpg", "1/capture-1.jpg",
                       "1/.capture9.jpg.x1.tmp", "65/capture325000.jpg"}
        << 8;
}

void TestPictureStore::newestPictureByTime()
{
    QFETCH(QStringList, files);
    QFETCH(int, newest);
    const QDateTime old = QDateTime::currentDateTime().addDays(-1);
    for (int i = 0; i < files.size(); ++i) {
        QDir().mkpath(QFileInfo(files[i]).path());
        QFile file(files[i]);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.setFileTime(old.addSecs(i), QFileDevice::FileModificationTime));
    }
    const std::optional<int> found = NewestPicture();
    QCOMPARE(found.value_or(-1), newest);
}

QTEST_GUILESS_MAIN(TestPictureStore)
#include "tst_picturestore.moc"
