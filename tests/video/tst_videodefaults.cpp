// The rules around a video: the default range and file name, the checks of the settings and
// the progress texts.
#include "common/storefiles.h"
#include "common/tempworkdir.h"
#include "shell/picturenames.h"
#include "video/videodefaults.h"
#include "video/videojob.h"
#include "video/videotexts.h"

#include <QTest>

#include <set>

Q_DECLARE_METATYPE(std::set<int>)

class TestVideoDefaults : public QObject
{
    Q_OBJECT
private slots:
    void unbrokenRun_data()
    {
        QTest::addColumn<std::set<int>>("existing");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::newRow("up to the gap") << std::set<int>{10, 11, 12, 14} << 10 << 12;
        QTest::newRow("first alone") << std::set<int>{10, 12} << 10 << 10;
        QTest::newRow("first missing") << std::set<int>{11, 12} << 10 << 10;
        QTest::newRow("over a directory") << std::set<int>{4998, 4999, 5000, 5001} << 4998 << 5001;
        QTest::newRow("store's end") << std::set<int>{319998, 319999, 0} << 319998 << 319999;
    }
    void unbrokenRun()
    {
        QFETCH(std::set<int>, existing);
        QFETCH(int, first);
        QFETCH(int, last);
        QCOMPARE(
            VideoDefaults::lastOfUnbrokenRun(first, [&](int n) { return existing.contains(n); }),
            last);
    }

    void unbrokenRunInTheStore()
    {
        TempWorkDir dir;
        for (int n : {4998, 4999, 5000, 5001, 5003})
            touch(PictureStore::PicturePath(PictureStore::DirectoryOfPicture(n), n));
        QCOMPARE(VideoDefaults::lastOfUnbrokenRun(4998), 5001);
    }

    void outputPathFromFirstPicture()
    {
        TempWorkDir dir;
        touch(PictureStore::PicturePath(1, 7));
        const QDateTime taken(QDate(2026, 3, 4), QTime(5, 6, 7));
        QFile picture(PictureStore::PicturePath(1, 7));
        QVERIFY(picture.open(QIODevice::ReadWrite) &&
                picture.setFileTime(taken, QFileDevice::FileModificationTime));
        QCOMPARE(QFileInfo(VideoDefaults::outputPath(7)).fileName(),
                 QString("vardella-2026-03-04_05-06-07.mp4"));
    }

    void settingsCheck_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("fps");
        QTest::addColumn<int>("crf");
        QTest::addColumn<QString>("output");
        QTest::addColumn<bool>("replace");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::newRow("defaults") << 0 << 9 << 25 << 23 << "a.mp4" << false << "";
        QTest::newRow("one picture") << 5 << 5 << 1 << 51 << "a.mp4" << false << "";
        QTest::newRow("reversed") << 9 << 0 << 25 << 23 << "a.mp4" << false
                                  << "The first picture (9) comes after the last one (0).";
        QTest::newRow("past the store") << 0 << 320000 << 25 << 23 << "a.mp4" << false
                                        << "Picture numbers run from 0 to 319999.";
        QTest::newRow("fps 0") << 0 << 9 << 0 << 23 << "a.mp4" << false
                               << "Frames per second run from 1 to 120.";
        QTest::newRow("crf 52") << 0 << 9 << 25 << 52 << "a.mp4" << false
                                << "The quality (CRF) runs from 0 to 51.";
        QTest::newRow("no name") << 0 << 9 << 25 << 23 << " " << false << "Name the video file.";
        QTest::newRow("no folder") << 0 << 9 << 25 << 23 << "none/a.mp4" << false
                                   << "The folder of \"none/a.mp4\" does not exist.";
        QTest::newRow("a folder") << 0 << 9 << 25 << 23 << "1" << true
                                  << "\"1\" is a folder; name the video file in it.";
        QTest::newRow("existing") << 0 << 9 << 25 << 23 << "old.mp4" << false
                                  << "\"old.mp4\" exists already; choose another name or "
                                     "remove it first.";
        QTest::newRow("existing, agreed") << 0 << 9 << 25 << 23 << "old.mp4" << true << "";
    }
    void settingsCheck()
    {
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, fps);
        QFETCH(int, crf);
        QFETCH(QString, output);
        QFETCH(bool, replace);
        QFETCH(QString, message);
        TempWorkDir dir;
        touch("old.mp4");
        QVERIFY(QDir().mkdir("1"));
        const Result<> checked = VideoSettings{first, last, fps, crf, output, replace}.check();
        QCOMPARE(checked ? QString() : checked.error(), message);
    }

    void progress_data()
    {
        QTest::addColumn<int>("done");
        QTest::addColumn<int>("total");
        QTest::addColumn<qint64>("elapsedMs");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing yet") << 0 << 500 << qint64(900) << "0 of 500 pictures";
        QTest::newRow("a fifth") << 100 << 500 << qint64(10000) << "100 of 500 pictures, 0:40 left";
        QTest::newRow("rounded up")
            << 499 << 500 << qint64(4990) << "499 of 500 pictures, 0:01 left";
        QTest::newRow("hours") << 1 << 400 << qint64(10000) << "1 of 400 pictures, 1:06:30 left";
        QTest::newRow("done") << 500 << 500 << qint64(60000) << "500 of 500 pictures";
    }
    void progress()
    {
        QFETCH(int, done);
        QFETCH(int, total);
        QFETCH(qint64, elapsedMs);
        QFETCH(QString, text);
        QCOMPARE(VideoTexts::progress(done, total, elapsedMs), text);
    }

    void summary()
    {
        VideoSummary made{"/v/a.mp4", 30, 0, 0, false};
        QCOMPARE(VideoTexts::summary(made),
                 QString("Made \"/v/a.mp4\": 30 pictures, none skipped."));
        made.missing = 2;
        made.unreadable = 1;
        QCOMPARE(VideoTexts::summary(made),
                 QString("Made \"/v/a.mp4\": 30 pictures, 3 skipped (2 missing, 1 unreadable)."));
    }
};

QTEST_GUILESS_MAIN(TestVideoDefaults)
#include "tst_videodefaults.moc"
