// The viewer and the full-screen view in the whole program, over prepared stores and over
// pictures captured from the test scene: opening, paging, entering and leaving the full-screen
// view, directory crossings, held arrows, and what closing gives back.
#include "common/captureapp.h"
#include "common/panelparts.h"
#include "store/deletedialog.h"
#include "viewer/arrowscrollbar.h"
#include "viewer/fullscreenview.h"
#include "viewer/picturebox.h"
#include "viewer/storedpictures.h"
#include "viewer/viewerwindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

namespace {
const QString IncompletePage =
    " Picturerange not present or incomplete \r\r                 Scroll back !";

struct ViewerApp : CaptureApp
{
    ViewerWindow &viewer() { return app->viewer(); }
    PictureBox *thumbnail(int k)
    {
        return part<PictureBox>(&viewer(), qPrintable(QStringLiteral("thumbnail%1").arg(k)));
    }
    QString viewerText(const char *name) { return part<QLineEdit>(&viewer(), name)->text(); }
    ArrowScrollBar *rangeBar() { return part<ArrowScrollBar>(&viewer(), "rangeScrollerBar"); }
    ArrowScrollBar *pictureBar() { return part<ArrowScrollBar>(&main(), "pictureScrollerBar"); }
    PictureBox *fullScreenPicture() { return part<PictureBox>(&main(), "fullScreenPicture"); }
    QString caption() { return part<QLabel>(&main(), "pictureCaption")->text(); }
    bool mainTakesInput() { return main().centralWidget()->isEnabled(); }
    /// The page's thumbnails come from worker threads; true once they are all in.
    bool pageShown()
    {
        return QTest::qWaitFor([this] { return !viewer().loading(); }, 5000);
    }
    void key(QWidget *to, Qt::Key key) { QTest::keyClick(to, key); }
    /// The full-screen toolbar as the window shows it now, after the repaints so far, and as a
    /// paint from scratch would draw it.
    std::pair<QImage, QImage> toolbarShownAndFresh()
    {
        QCoreApplication::processEvents();
        const QRect bar = part<QWidget>(&main(), "fullScreenToolbar")->geometry();
        const QRect inWindow(main().centralWidget()->mapTo(&main(), bar.topLeft()), bar.size());
        const QImage shown = main().screen()->grabWindow(main().winId()).toImage().copy(inWindow);
        const QImage fresh = main().grab(inWindow).toImage();
        return {shown.convertToFormat(QImage::Format_RGB32),
                fresh.convertToFormat(QImage::Format_RGB32)};
    }
};

QString stampOf(int directory, int n)
{
    return QFileInfo(PictureStore::PicturePath(directory, n))
        .lastModified()
        .toString(QLocale().dateFormat(QLocale::ShortFormat));
}
} // namespace

class TestViewerWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); }
    void openNeedsTheFirstTenPictures();
    void capturedPicturesThroughViewerAndFullScreen();
    void crossingsInTheWindows();
    void heldArrowStopsAtTheMessage();
    void damagedPictureEndsThePage();
    void clearedStoreEmptiesThumbnails();
    void thumbnailKeepsProportions_data();
    void thumbnailKeepsProportions();
};

void TestViewerWindow::openNeedsTheFirstTenPictures()
{
    ViewerApp a;
    QString error;
    QVERIFY2(a.start(&error), qPrintable(error));
    QVERIFY(storePictures(0, 8) && storePictures(5000, 5009));
    a.panel()->view->click();
    QCOMPARE(a.messages->informations,
             QStringList{"Picturerange 1-10 not present or incomplete !\r\r             "
                         "(Re)start capturing"});
    QVERIFY(!a.viewer().isVisible());
    QVERIFY(a.mainTakesInput());
}

// What a new user does: capture, "View", page, a thumbnail full screen, step, back, "Close".
void TestViewerWindow::capturedPicturesThroughViewerAndFullScreen()
{
    ViewerApp a;
    QString error;
    QVERIFY2(a.ready(&error), qPrintable(error));
    a.main().show();
    a.startHeld();
    a.ticks(20);
    QVERIFY(a.state().CaptureRunning());
    a.panel()->view->click();

    QVERIFY(a.viewer().isVisible());
    QVERIFY(!a.state().CaptureRunning());
    QVERIFY(!a.mainTakesInput());
    QVERIFY(a.viewerText("startTime").startsWith("Start >> " + stampOf(1, 0)));
    QVERIFY(a.pageShown());
    // A thumbnail's worth: in the picture's proportions, covering its box, and decoded no
    // larger than that needs.
    const QSize stored = CaptureApp::picture("1/capture0.jpg").size();
    for (int k = 1; k <= 10; ++k) {
        const QSize shown = a.thumbnail(k)->picture().size();
        const QSize box = a.thumbnail(k)->size();
        QCOMPARE(shown * (stored.width() / shown.width()), stored);
        QVERIFY(shown.width() >= box.width() && shown.height() >= box.height());
        QVERIFY(shown == stored || shown.width() / 2 < box.width() ||
                shown.height() / 2 < box.height());
    }
    a.key(&a.viewer(), Qt::Key_Right);
    QCOMPARE(a.rangeBar()->value(), 1);
    QCOMPARE(a.viewerText("rangeScrollerBox"), "  Picture range 10 - 19");

    a.thumbnail(3)->click();
    QVERIFY(!a.viewer().isVisible());
    QVERIFY(a.mainTakesInput());
    QVERIFY(!a.panel()->isVisible());
    QVERIFY(part<QWidget>(&a.main(), "fullScreenToolbar")->isVisible());
    QVERIFY(a.caption().startsWith("picture12   " + stampOf(1, 12)));
    QVERIFY(part<QLabel>(&a.main(), "pictureCaption")->isVisible());
    QCOMPARE(a.fullScreenPicture()->geometry().size(), QSize(630, 472));
    // Each picture comes at the size it is drawn at, 12 read on entering, 13 read ahead
    // meanwhile or on the step.
    // Within a pixel of the box's proportions, a picture fills the box.
    QCOMPARE(stored.scaled(QSize(630, 472), Qt::KeepAspectRatio), QSize(629, 472));
    const QSize drawn(630, 472);
    const auto drawnPicture = [&](const char *path) {
        return CaptureApp::picture(path)
            .convertToFormat(QImage::Format_RGB32)
            .scaled(drawn, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    };
    QCOMPARE(a.fullScreenPicture()->picture(), drawnPicture("1/capture12.jpg"));

    a.key(a.pictureBar(), Qt::Key_Right);
    QVERIFY(a.caption().startsWith("picture13   "));
    QCOMPARE(part<QLineEdit>(&a.main(), "scaleBox")->text(), "scaling   13");
    QCOMPARE(a.fullScreenPicture()->picture(), drawnPicture("1/capture13.jpg"));
    // A step repaints only the boxes whose text changed: after many, the toolbar on show is
    // still what a paint from scratch gives, corners, arrows and all, at the scroller's start too.
    // In the plain look, whose boxes have rounded corners.
    qApp->setStyleSheet(QString());
    for (int step = 0; step < 5; ++step)
        a.key(a.pictureBar(), Qt::Key_Right);
    a.key(a.pictureBar(), Qt::Key_Home);
    QCOMPARE(a.toolbarShownAndFresh().first, a.toolbarShownAndFresh().second);
    for (int step = 0; step < 8; ++step)
        a.key(a.pictureBar(), Qt::Key_Right);
    const auto [shown, fresh] = a.toolbarShownAndFresh();
    QCOMPARE(shown, fresh);

    QTest::mouseClick(a.fullScreenPicture(), Qt::LeftButton);
    QVERIFY(a.viewer().isVisible());
    QVERIFY(a.panel()->isVisible());
    QVERIFY(!a.mainTakesInput());
    QCOMPARE(a.rangeBar()->value(), 1);

    part<QPushButton>(&a.viewer(), "close")->click();
    QVERIFY(!a.viewer().isVisible());
    QVERIFY(a.mainTakesInput());
    QVERIFY(!a.state().CaptureRunning());
    QVERIFY(a.messages->informations.isEmpty() && a.messages->errors.isEmpty());
}

// Step 5.000 into directory "2", full screen back across into "1" where the picture is missing.
void TestViewerWindow::crossingsInTheWindows()
{
    ViewerApp a;
    QString error;
    QVERIFY2(a.start(&error), qPrintable(error));
    QVERIFY(storePictures(0, 9) && storePictures(5000, 5009));
    a.state().setCurrentDirectory(3);
    a.panel()->view->click();
    part<QScrollBar>(&a.viewer(), "stepScrollerBar")->setValue(6);
    QCOMPARE(a.viewerText("stepScrollerBox"), "Step 5.000");
    a.key(&a.viewer(), Qt::Key_Right);
    QCOMPARE(a.viewer().page().viewDirectory(), 2);
    // Browsing leaves capture's directory alone: a timer program that starts capture now
    // stores its pictures where their numbers belong.
    QCOMPARE(a.state().CurrentDirectory(), 3);
    QCOMPARE(a.viewer().page().viewDirectoryBase(), 5000);
    QVERIFY(a.pageShown());
    QCOMPARE(greyOf(a.thumbnail(4)->picture()), 5003 % 256);

    a.thumbnail(1)->click();
    QCOMPARE(a.pictureBar()->minimum(), -1);
    a.key(a.pictureBar(), Qt::Key_Left); // to 4999 of "1", which is not there
    QCOMPARE(a.messages->informations.size(), 1);
    QVERIFY(a.messages->informations[0].startsWith("   Picture not present !"));
    QCOMPARE(a.viewer().page().viewDirectory(), 2);
    QCOMPARE(a.pictureBar()->value(), 0);
    QCOMPARE(greyOf(a.fullScreenPicture()->picture()), 5000 % 256);

    QTest::mouseClick(a.fullScreenPicture(), Qt::LeftButton);
    QCOMPARE(a.viewer().page().viewDirectory(), 2);
    a.viewer().closeViewer();
    QCOMPARE(a.state().CurrentDirectory(), 3); // capture's directory, untouched by browsing
}

// Qt loses the release of a held arrow to a message box; the arrow must not run on behind it.
void TestViewerWindow::heldArrowStopsAtTheMessage()
{
    ViewerApp a;
    QString error;
    QVERIFY2(a.start(&error), qPrintable(error));
    QVERIFY(storePictures(0, 9));
    a.panel()->view->click();
    ArrowScrollBar *bar = a.rangeBar();
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(bar->width() - 3, bar->height() / 2));
    QTest::qWait(900); // well past the repeat's start
    QCOMPARE(bar->value(), 1);
    QCOMPARE(a.messages->informations, QStringList{IncompletePage});
    for (int k = 1; k <= 10; ++k)
        QVERIFY(!a.thumbnail(k)->isEnabled());
    QVERIFY(a.viewerText("startTime").startsWith("Start >> "));
}

void TestViewerWindow::damagedPictureEndsThePage()
{
    ViewerApp a;
    QString error;
    QVERIFY2(a.start(&error), qPrintable(error));
    QVERIFY(storePictures(0, 19));
    QFile damaged("1/capture13.jpg");
    QVERIFY(damaged.open(QIODevice::ReadWrite));
    QVERIFY(damaged.resize(damaged.size() / 2));
    damaged.close();
    a.panel()->view->click();
    a.key(&a.viewer(), Qt::Key_Right);
    QVERIFY(a.pageShown());
    QCOMPARE(a.messages->informations, QStringList{IncompletePage});
    QVERIFY(a.viewerText("startTime").startsWith("Start >> " + stampOf(1, 0)));
    for (int k = 1; k <= 10; ++k) {
        QCOMPARE(a.thumbnail(k)->isEnabled(), k <= 3);
        QCOMPARE(a.thumbnail(k)->picture().isNull(), k > 3);
    }
}

void TestViewerWindow::clearedStoreEmptiesThumbnails()
{
    ViewerApp a;
    QString error;
    QVERIFY2(a.start(&error), qPrintable(error));
    QVERIFY(storePictures(0, 9, QSize(1280, 720)));
    a.panel()->view->click();
    QVERIFY(a.pageShown());
    QVERIFY(!a.thumbnail(1)->picture().isNull());
    QVERIFY(a.thumbnail(1)->picture().width() < 1280); // decoded smaller for its box
    a.tool<DeleteDialog>(ToolWindows::Role::Delete)->okClicked();
    for (int k = 1; k <= 10; ++k) { // empty, and as clickable as they were
        QVERIFY(a.thumbnail(k)->picture().isNull());
        QVERIFY(a.thumbnail(k)->isEnabled());
    }
}

void TestViewerWindow::thumbnailKeepsProportions_data()
{
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QRect>("drawn"); // where the 4:3 picture's red lies
    QTest::newRow("wider box") << QSize(171, 114) << QRect(9, 0, 152, 114);
    QTest::newRow("taller box") << QSize(120, 105) << QRect(0, 7, 120, 90);
    QTest::newRow("same proportions") << QSize(160, 120) << QRect(0, 0, 160, 120);
}

void TestViewerWindow::thumbnailKeepsProportions()
{
    QFETCH(QSize, box);
    QFETCH(QRect, drawn);
    QImage red(320, 240, QImage::Format_RGB32);
    red.fill(Qt::red);
    PictureBox thumbnail("Click for full screen", box, nullptr);
    thumbnail.resize(box);
    thumbnail.setPicture(red);
    const QImage shown = thumbnail.grab().toImage();
    for (int y = 0; y < box.height(); ++y) {
        for (int x = 0; x < box.width(); ++x) {
            const bool inside = drawn.contains(x, y);
            if ((shown.pixel(x, y) == qRgb(255, 0, 0)) != inside)
                QFAIL(qPrintable(QStringLiteral("%1,%2 %3").arg(x).arg(y).arg(inside)));
        }
    }
}

QTEST_MAIN(TestViewerWindow)
#include "tst_viewerwindow.moc"
