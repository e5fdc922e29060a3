// The clear routine on real files: which names go, which stay, the progress per directory, and
// the state it leaves behind.
#include "common/storefiles.h"
#include "common/tempworkdir.h"
#include "shell/applicationstate.h"
#include "store/picturestore.h"
#include "store/storeclearer.h"

#include <QFile>
#include <QTest>

using PictureStore::PicturePath;

namespace {
// A picture file: d and n, or a name of its own below d.
struct Name
{
    int directory;
    int n;
    QString path() const { return PicturePath(directory, n); }
};

QStringList paths(std::initializer_list<Name> names)
{
    QStringList out;
    for (const Name &n : names)
        out << n.path();
    return out;
}

QList<int> range(int first, int last)
{
    QList<int> out;
    for (int d = first; d <= last; ++d)
        out << d;
    return out;
}
} // namespace

class TestStoreClearer : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_dir = std::make_unique<TempWorkDir>(); }
    void cleanup() { m_dir.reset(); }

    void clearsByMaxFrames_data();
    void clearsByMaxFrames();
    void unconfirmedDeletesNothing();
    void currentDirectoryFollowsTheClear();
    void wholeStoreOfMissingFiles();
    void undeletableNameIsSkipped();

private:
    std::unique_ptr<TempWorkDir> m_dir;
};

void TestStoreClearer::clearsByMaxFrames_data()
{
    QTest::addColumn<int>("maxFrames");
    QTest::addColumn<QStringList>("created");
    QTest::addColumn<QStringList>("kept");
    QTest::addColumn<QList<int>>("progress");
    QTest::addColumn<int>("namesTried");

    // Names the numbering never uses survive every clear.
    const QStringList foreign{"1/capture.jpg", "1/capture-1.jpg", "2/capture10.jpg",
                              "capture0.jpg"};
    QTest::newRow("250 frames: 0 to 250 of directory 1")
        << 250
        << paths({{1, 0}, {1, 1}, {1, 249}, {1, 250}, {1, 251}, {1, 4999}, {2, 5000}}) + foreign
        << paths({{1, 251}, {1, 4999}, {2, 5000}}) + foreign << QList<int>{1} << 251;
    QTest::newRow("smallest maximum")
        << 10 << paths({{1, 0}, {1, 10}, {1, 11}}) << paths({{1, 11}}) << QList<int>{1} << 11;
    QTest::newRow("4999: all of directory 1 only") << 4999 << paths({{1, 0}, {1, 4999}, {2, 5000}})
                                                   << paths({{2, 5000}}) << QList<int>{1} << 5000;
    QTest::newRow("5000: directories 1 and 2, since 2 holds picture 5000")
        << 5000 << paths({{1, 0}, {1, 4999}, {2, 5000}, {2, 9999}, {3, 10000}}) + foreign
        << paths({{3, 10000}}) + foreign << range(1, 2) << 10000;
    QTest::newRow("9999: directories 1 and 2")
        << 9999 << paths({{2, 9999}, {3, 10000}}) << paths({{3, 10000}}) << range(1, 2) << 10000;
    QTest::newRow("10000: directories 1 to 3")
        << 10000 << paths({{3, 10000}, {3, 14999}, {4, 15000}}) << paths({{4, 15000}})
        << range(1, 3) << 15000;
    QTest::newRow("315000: all 64")
        << 315000 << paths({{1, 0}, {32, 159999}, {64, 315000}, {64, 319999}}) << QStringList{}
        << range(1, 64) << 320000;
    QTest::newRow("320000: all 64, nothing past the last picture")
        << 320000 << paths({{1, 0}, {33, 160000}, {64, 319999}, {64, 320000}})
        << paths({{64, 320000}}) << range(1, 64) << 320000;
}

void TestStoreClearer::clearsByMaxFrames()
{
    QFETCH(int, maxFrames);
    QFETCH(QStringList, created);
    QFETCH(QStringList, kept);
    QFETCH(QList<int>, progress);
    QFETCH(int, namesTried);
    for (const QString &p : created)
        touch(p);

    ApplicationState state;
    state.setMaxFrames(maxFrames);
    QList<int> reported;
    const ClearReport report = StoreClearer::ClearStore(state, true, [&](int d) { reported << d; });

    QCOMPARE(existing(created), kept);
    QCOMPARE(reported, progress);
    QVERIFY(report.ran);
    QCOMPARE(report.namesTried, namesTried);
    QCOMPARE(report.filesDeleted, int(created.size() - kept.size()));
    QCOMPARE(report.lastDirectory, progress.last());
    QVERIFY(!state.ClearConfirmed());
    // Only files go; the directories stay.
    for (const QString &p : created)
        QVERIFY2(QFileInfo(p).dir().exists(), qPrintable(p));
}

void TestStoreClearer::unconfirmedDeletesNothing()
{
    touch(PicturePath(1, 0));
    ApplicationState state;
    state.setMaxFrames(250);
    state.setClearConfirmed(true);
    state.setCurrentDirectory(3);
    int calls = 0;
    const ClearReport report = StoreClearer::ClearStore(state, false, [&](int) { ++calls; });
    QVERIFY(!report.ran);
    QCOMPARE(calls, 0);
    QCOMPARE(report.namesTried, 0);
    QVERIFY(QFileInfo::exists(PicturePath(1, 0)));
    QVERIFY(!state.ClearConfirmed());
    QCOMPARE(state.CurrentDirectory(), 3);
}

void TestStoreClearer::currentDirectoryFollowsTheClear()
{
    ApplicationState state;
    state.setMaxFrames(12000);
    state.setCurrentDirectory(7);
    touch(PicturePath(2, 5000));
    QList<int> seen;
    StoreClearer::ClearStore(state, true, [&](int d) {
        seen << state.CurrentDirectory();
        QVERIFY(state.ClearConfirmed()); // pending while the clear runs
        // The progress comes before the directory's files are touched.
        if (d == 2)
            QVERIFY(QFileInfo::exists(PicturePath(2, 5000)));
    });
    QCOMPARE(seen, range(1, 3));
    QCOMPARE(state.CurrentDirectory(), 3);
    QVERIFY(!QFileInfo::exists(PicturePath(2, 5000)));
}

void TestStoreClearer::wholeStoreOfMissingFiles()
{
    // No directory exists at all: every name is missing and the routine still runs to its end.
    ApplicationState state;
    state.setMaxFrames(320000);
    const ClearReport report = StoreClearer::ClearStore(state, true, {});
    QCOMPARE(report.namesTried, 320000);
    QCOMPARE(report.filesDeleted, 0);
    QCOMPARE(report.lastDirectory, 64);
    QVERIFY(!m_dir->exists("1"));
}

void TestStoreClearer::undeletableNameIsSkipped()
{
    // A directory under a picture's name cannot be deleted as a file; the next one still goes.
    QVERIFY(QDir().mkpath(PicturePath(1, 3)));
    touch(PicturePath(1, 4));
    ApplicationState state;
    state.setMaxFrames(250);
    const ClearReport report = StoreClearer::ClearStore(state, true, {});
    QCOMPARE(report.filesDeleted, 1);
    QVERIFY(QFileInfo(PicturePath(1, 3)).isDir());
    QVERIFY(!QFileInfo::exists(PicturePath(1, 4)));
}

QTEST_GUILESS_MAIN(TestStoreClearer)
#include "tst_storeclearer.moc"
