// The main window as a user meets it: layout and texts, the panel toggles, activation,
// resizing and "Exit".
#include "common/mainwindowfixture.h"

#include <QAccessible>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void init();
    void cleanup();

    void captionsAndHints_data();
    void captionsAndHints();
    void initialBoxesAndStatusBar();
    void statusBarClickTogglesPanel();
    void doubleClicks();
    void activationResetsMaxFrames();
    void resizeIsReported();
    void exitClicksAndCloses();
    void statusNoteReachesScreenReaders();

private:
    std::unique_ptr<MainWindowFixture> m_main;
};

void TestMainWindow::init()
{
    m_main = std::make_unique<MainWindowFixture>();
    QVERIFY(m_main->show());
}

void TestMainWindow::cleanup()
{
    m_main.reset();
}

void TestMainWindow::captionsAndHints_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QColor>("colour");
    const QColor green(0, 128, 0);
    QTest::newRow("Input") << "input"
                           << "Input "
                           << "Video input dialog" << QColor(Qt::black);
    QTest::newRow("Format") << "format"
                            << "Format"
                            << "Capture format settings" << QColor(Qt::black);
    QTest::newRow("Driver") << "driver"
                            << "Driver"
                            << "Video Capture Driver dialog" << green;
    QTest::newRow("Fine +") << "finePlus"
                            << "Fine +"
                            << "Finetuning + interval timer" << green;
    QTest::newRow("Fine -") << "fineMinus"
                            << "Fine -"
                            << "Finetuning - interval timer" << green;
    QTest::newRow("Start") << "start"
                           << "Start"
                           << "Start or stop capture" << QColor(1, 0, 0);
    QTest::newRow("Step") << "step"
                          << "Step"
                          << "Stepsize frames" << green;
    QTest::newRow("Clear") << "clear"
                           << "Clear"
                           << "Delete pictures from disk" << green;
    QTest::newRow("Reset") << "reset"
                           << "Reset"
                           << "Restart capture on picture no." << green;
    QTest::newRow("About") << "about"
                           << "About"
                           << "Displays about box Tessaly" << green;
    QTest::newRow("Info") << "info"
                          << "Info"
                          << "Program info and timer-motiondetection report" << green;
    QTest::newRow("Prog.") << "prog"
                           << "Prog."
                           << "Timer - motiondetection settings" << QColor(Qt::black);
    QTest::newRow("Pref.") << "pref"
                           << "Pref."
                           << "Preferences menu" << green;
    QTest::newRow("View") << "view"
                          << "View"
                          << "Pictureviewer" << green;
    QTest::newRow("Exit") << "exit"
                          << "Exit"
                          << "Shutdown program" << green;
}

void TestMainWindow::captionsAndHints()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    QFETCH(QColor, colour);
    auto *button = m_main->window.findChild<QPushButton *>(name);
    QVERIFY(button);
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->toolTip(), hint);
    QCOMPARE(button->palette().color(QPalette::ButtonText), colour);
}

void TestMainWindow::initialBoxesAndStatusBar()
{
    QCOMPARE(m_main->window.windowTitle(), QString("Vardella 1.3"));
    const PanelParts *panel = &m_main->parts;
    QStringList groups;
    for (QGroupBox *g : panel->groups())
        groups << g->title();
    QCOMPARE(groups, QStringList({"Tv-video", "Configuration", "Timer ", "Harddisk", "Program ",
                                  "Options"}));
    QVERIFY(panel->preview->isChecked());
    QVERIFY(!panel->overlay->isChecked());
    QVERIFY(panel->fit->isChecked());
    QVERIFY(!panel->motionIndicatorBox->isEnabled());
    QCOMPARE(panel->intervalBox->text(), QString("interval  5,00 sec."));
    QCOMPARE(panel->framesBox->text(), QString("0  frms captured"));
    QCOMPARE(panel->picturePathBox->text(), QString("1/capture.jpg"));
    QCOMPARE(panel->maxStepBox->text(), QString("Max.250  frms"));
    QCOMPARE(panel->timeBox->text(), QString("    "));
    QCOMPARE(panel->timeBox->accessibleName(), QString("System time or start time capture"));
    QVERIFY(panel->maxArrows->isVisible());
    QVERIFY(!panel->stepArrows->isVisible());

    QCOMPARE(m_main->window.statusPanel(0), QString(" Videodriver :"));
    QCOMPARE(m_main->window.statusPanel(1), QString(" Resolution :"));
    QCOMPARE(m_main->window.statusPanel(2), QString(" Compressionquality :"));
    QCOMPARE(m_main->window.statusPanel(3), QString(" Colorscale :"));
    // One row of status panels, each as tall as its text and its frame.
    const auto *panel0 = m_main->window.statusBar()->findChild<QLabel *>("statusPanel0");
    QVERIFY(panel0->height() >= panel0->fontMetrics().height() + 2 * panel0->frameWidth());
    QVERIFY(m_main->window.statusBar()->height() < 2 * panel0->height());

    QVERIFY(m_main->parts.videoCover->isVisible());
    QVERIFY(!m_main->parts.videoCover->isEnabled());
    QCOMPARE(m_main->parts.videoCover->size(), m_main->parts.videoArea->size());
    QVERIFY(!m_main->parts.loadingPanel->isVisible());
    QCOMPARE(m_main->parts.loadingPanel->size(), QSize(217, 57));
    QVERIFY(m_main->parts.loadingPanel->findChild<QLabel *>());
    QCOMPARE(m_main->parts.loadingPanel->findChild<QLabel *>()->text(),
             QString("Loading videodriver ..."));
    QVERIFY(!m_main->parts.pictureCaption->isVisible());
    QCOMPARE(m_main->window.frameGeometry().size(), QSize(800, 627));
}

void TestMainWindow::statusBarClickTogglesPanel()
{
    QSignalSpy preview(&m_main->window, &MainWindow::previewReactionNeeded);
    QSignalSpy overlay(&m_main->window, &MainWindow::overlayReactionNeeded);
    const int videoTop = m_main->parts.videoArea->y();
    QTest::mouseClick(m_main->window.statusBar(), Qt::LeftButton);
    QVERIFY(!m_main->parts.isVisible());
    QCOMPARE(m_main->parts.videoArea->y(), 0);
    QVERIFY(videoTop > 0);
    QCOMPARE(preview.count(), 1); // "Preview" is checked at start
    QCOMPARE(overlay.count(), 0);

    QTest::mouseClick(m_main->window.statusBar(), Qt::LeftButton);
    QVERIFY(m_main->parts.isVisible());
    QCOMPARE(preview.count(), 1);

    // A click on the video area brings a hidden panel back.
    m_main->window.hideControlPanel();
    QTest::mouseClick(m_main->parts.videoArea, Qt::LeftButton, {}, QPoint(50, 50));
    QVERIFY(m_main->parts.isVisible());
}

void TestMainWindow::doubleClicks()
{
    QGroupBox *group = m_main->parts.groups().at(2);
    QTest::mouseDClick(group, Qt::LeftButton, {}, QPoint(60, 75));
    QVERIFY(m_main->parts.isVisible());
    QTest::mouseDClick(m_main->parts.panel, Qt::LeftButton, {}, QPoint(798, 82));
    QVERIFY(!m_main->parts.isVisible());
}

void TestMainWindow::activationResetsMaxFrames()
{
    m_main->parts.maxArrows->setPosition(7);
    m_main->window.showStartCaption("stop!", 235);
    m_main->window.activated();
    QCOMPARE(m_main->state.MaxFrames(), 70);
    QCOMPARE(m_main->parts.start->palette().color(QPalette::ButtonText), QColor(1, 0, 0));
    QCOMPARE(m_main->parts.start->text(), QString("stop!"));
}

void TestMainWindow::resizeIsReported()
{
    QSignalSpy resized(&m_main->window, &MainWindow::resized);
    m_main->window.resize(700, 500);
    QTRY_COMPARE(m_main->window.size(), QSize(700, 500));
    QVERIFY(resized.count() >= 1);
}

void TestMainWindow::exitClicksAndCloses()
{
    QSignalSpy closing(&m_main->window, &MainWindow::closing);
    QTest::mouseClick(m_main->parts.exit, Qt::LeftButton);
    QCOMPARE(m_main->click.backend->plays, 1);
    QVERIFY(!m_main->window.isVisible());
    QCOMPARE(closing.count(), 1);
}

void TestMainWindow::statusNoteReachesScreenReaders()
{
    auto *note = m_main->window.statusBar()->findChild<QLabel *>("statusNote");
    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(note);
    QVERIFY(reader);
    const QString overwriting = "Overwriting pictures of an earlier run from 1/capture0.jpg";
    for (const QString &text : {overwriting, QString("Camera lost at 9:05:03"), QString()}) {
        m_main->window.showStatusNote(text);
        QCOMPARE(reader->text(QAccessible::Name), QString("status note"));
        QCOMPARE(reader->text(QAccessible::Description), text);
    }
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
