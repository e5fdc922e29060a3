// Tidying the store at start and at the end: the picture writer's own leftover temporary
// files go, and with them a directory they alone kept; every other file stays.
#include "common/tempworkdir.h"
#include "shell/picturenames.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

class TestPictureNames : public QObject
{
    Q_OBJECT
private slots:
    void removeLeftoverTemporaries_data();
    void removeLeftoverTemporaries();
};

void TestPictureNames::removeLeftoverTemporaries_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("removed");
    QTest::newRow("own, first directory") << "1/.capture12.jpg.k3j9x.tmp" << true;
    QTest::newRow("own, last directory") << "64/.capture319999.jpg.0.tmp" << true;
    QTest::newRow("picture") << "1/capture12.jpg" << false;
    QTest::newRow("foreign hidden") << "1/.hidden.tmp" << false;
    QTest::newRow("foreign text") << "1/notes.txt" << false;
    QTest::newRow("upper-case suffix") << "1/.capture12.jpg.K3J9X.tmp" << false;
    QTest::newRow("other extension") << "1/.capture12.png.k3j9x.tmp" << false;
    QTest::newRow("beyond the store") << "65/.capture12.jpg.k3j9x.tmp" << false;
    QTest::newRow("store directory itself") << ".capture12.jpg.k3j9x.tmp" << false;
    QTest::newRow("replaced, not yet freed") << ".replaced.capture12.jpg.k3j9x.tmp" << true;
    QTest::newRow("replaced, in a numbered one") << "1/.replaced.capture12.jpg.k3j9x.tmp" << false;
    QTest::newRow("replaced look-alike") << ".replaced.capture12.jpg.K3J9X.tmp" << false;
}

void TestPictureNames::removeLeftoverTemporaries()
{
    QFETCH(QString, path);
    QFETCH(bool, removed);
    TempWorkDir dir;
    const QString directory = QFileInfo(path).path();
    QVERIFY(QDir().mkpath(directory));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    // In the order every start and end runs them.
    PictureStore::RemoveLeftoverTemporaries();
    PictureStore::RemoveEmptyDirectories();
    QCOMPARE(QFile::exists(path), !removed);
    if (removed && directory != ".")
        QVERIFY(!dir.exists(directory)); // it held nothing else
}

QTEST_GUILESS_MAIN(TestPictureNames)
#include "tst_picturenames.moc"
