// "Make video": the defaults it opens with, a video made with its progress and status line,
// Cancel and the close box that leave no file, and the refusals before anything starts.
#include "common/mainwindowfixture.h"
#include "common/recordedmessages.h"
#include "video/makevideowindow.h"
#include "videopictures.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>

class TestMakeVideoWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init()
    {
        m_main = std::make_unique<MainWindowFixture>();
        m_window = new MakeVideoWindow(&m_main->window, m_main->window, m_main->tools, m_messages);
        m_messages = {};
    }
    void cleanup() { m_main.reset(); }

    void opensWithTheViewersRange()
    {
        using Role = ToolWindows::Role;
        QWidget viewer(&m_main->window, Qt::Tool);
        QWidget about(&m_main->window, Qt::Tool);
        m_main->tools.add(Role::Viewer, &viewer);
        m_main->tools.add(Role::About, &about);
        viewer.show();
        about.show();
        m_window->open(4990, 5019);
        QVERIFY(m_window->isVisible());
        QVERIFY(viewer.isVisible());
        QVERIFY(!about.isVisible());
        QCOMPARE(box("firstPicture")->value(), 4990);
        QCOMPARE(box("lastPicture")->value(), 5019);
        QCOMPARE(box("framesPerSecond")->value(), 25);
        QCOMPARE(box("quality")->value(), 23);
        QCOMPARE(label("videoLength")->text(), QString("30 pictures, 0:01"));
        // Beside the store, whole: the field is as wide as the path.
        QCOMPARE(QFileInfo(output()->text()).absolutePath(), QDir::currentPath());
        QVERIFY(output()->width() > output()->fontMetrics().horizontalAdvance(output()->text()));
        QCOMPARE(button("cancelButton")->text(), QString("Cancel"));
    }

    void makesTheVideo()
    {
        for (int n = 0; n < 12; ++n)
            QVERIFY(writePicture(n, QSize(64, 48)));
        QVERIFY(QFile::remove(PictureStore::PicturePath(1, 5)));
        m_window->open(0, 11);
        output()->setText(m_main->dir.path() + "/made.mp4");
        QSignalSpy made(m_window, &MakeVideoWindow::videoMade);
        QTest::mouseClick(button("makeButton"), Qt::LeftButton);
        QVERIFY(m_window->isMaking());
        QVERIFY(!button("makeButton")->isEnabled());
        QVERIFY(!box("firstPicture")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->isMaking() && made.size() == 1, 20000);
        const QString expected = "Made \"" + m_main->dir.path() +
                                 "/made.mp4\": 11 pictures, 1 skipped (1 missing, 0 unreadable).";
        QCOMPARE(m_window->statusText(), expected);
        QCOMPARE(made.first().first().toString(), expected);
        QCOMPARE(progress()->value(), 12);
        QCOMPARE(progress()->text(), QString("12 of 12 pictures"));
        QVERIFY(button("makeButton")->isEnabled());
        // Nothing is left to cancel: the button closes, and reads "Cancel" again next time.
        QCOMPARE(button("cancelButton")->text(), QString("Close"));
        QTest::mouseClick(button("cancelButton"), Qt::LeftButton);
        QVERIFY(!m_window->isVisible());
        m_window->open(0, 11);
        QCOMPARE(button("cancelButton")->text(), QString("Cancel"));
        QCOMPARE(readVideo(m_main->dir.path() + "/made.mp4").colours.size(), 11);
        QVERIFY(m_messages.errors.isEmpty());
    }

    // Cancel, Escape and the close box stop the video; none leaves a file.
    void stoppingLeavesNoFile_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Cancel") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("close box") << 2;
    }
    void stoppingLeavesNoFile()
    {
        QFETCH(int, how);
        for (int n = 0; n < 100; ++n)
            QVERIFY(writePicture(n, QSize(320, 240), true));
        QVERIFY(QDir().mkdir("out"));
        m_window->open(0, 99);
        output()->setText("out/cancelled.mp4");
        QTest::mouseClick(button("makeButton"), Qt::LeftButton);
        QVERIFY(m_window->isMaking());
        if (how == 0)
            QTest::mouseClick(button("cancelButton"), Qt::LeftButton);
        else if (how == 1)
            QTest::keyClick(m_window, Qt::Key_Escape);
        else
            m_window->close();
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->isMaking(), 20000);
        QCOMPARE(m_window->statusText(), QString("Cancelled; no video was made."));
        QCOMPARE(QDir("out").entryList(QDir::Files | QDir::Hidden), QStringList());
        QVERIFY(m_messages.errors.isEmpty());
    }

    void refusals()
    {
        QVERIFY(writePicture(0, QSize(64, 48)));
        m_window->open(3, 2);
        output()->setText(m_main->dir.path() + "/a.mp4");
        QTest::mouseClick(button("makeButton"), Qt::LeftButton);
        QCOMPARE(m_messages.informations,
                 QStringList{"The first picture (3) comes after the last one (2)."});
        QVERIFY(!m_window->isMaking());
        QVERIFY(!QFile::exists("a.mp4"));
    }

    void failureIsShown()
    {
        m_window->open(0, 3); // an empty store
        output()->setText(m_main->dir.path() + "/a.mp4");
        QTest::mouseClick(button("makeButton"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->isMaking(), 20000);
        QCOMPARE(m_messages.errors.size(), 1);
        QVERIFY(m_messages.errors[0].startsWith("None of the pictures 0 to 3 could be read"));
        QCOMPARE(m_window->statusText(), QString("No video was made."));
    }

private:
    QSpinBox *box(const char *name) { return m_window->findChild<QSpinBox *>(name); }
    QLabel *label(const char *name) { return m_window->findChild<QLabel *>(name); }
    QPushButton *button(const char *name) { return m_window->findChild<QPushButton *>(name); }
    QLineEdit *output() { return m_window->findChild<QLineEdit *>("videoFile"); }
    QProgressBar *progress() { return m_window->findChild<QProgressBar *>("videoProgress"); }

    RecordedMessages m_messages;
    std::unique_ptr<MainWindowFixture> m_main;
    MakeVideoWindow *m_window = nullptr;
};

QTEST_MAIN(TestMakeVideoWindow)
#include "tst_makevideowindow.moc"
