// The main window as a user meets it: layout and texts, the panel toggles, activation,
// resizing and "Exit".
#include "common/fakesound.h"
#include "common/panelparts.h"
#include "common/tempworkdir.h"
#include "shell/applicationstate.h"
#include "shell/mainwindow.h"

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

private:
    std::unique_ptr<TempWorkDir> m_dir;
    std::unique_ptr<ApplicationState> m_state;
    std::unique_ptr<FakeSound> m_click;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<PanelParts> m_parts;
};

void TestMainWindow::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    m_state = std::make_unique<ApplicationState>();
    m_click = std::make_unique<FakeSound>();
    m_window = std::make_unique<MainWindow>(*m_state, m_click->sound);
    m_parts = std::make_unique<PanelParts>(m_window.get());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestMainWindow::cleanup()
{
    m_parts.reset();
    m_window.reset();
    m_dir.reset();
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
    auto *button = m_window->findChild<QPushButton *>(name);
    QVERIFY(button);
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->toolTip(), hint);
    QCOMPARE(button->palette().color(QPalette::ButtonText), colour);
}

void TestMainWindow::initialBoxesAndStatusBar()
{
    QCOMPARE(m_window->windowTitle(), QString("Vardella 1.3"));
    const PanelParts *panel = m_parts.get();
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

    QCOMPARE(m_window->statusPanel(0), QString(" Videodriver :"));
    QCOMPARE(m_window->statusPanel(1), QString(" Resolution :"));
    QCOMPARE(m_window->statusPanel(2), QString(" Compressionquality :"));
    QCOMPARE(m_window->statusPanel(3), QString(" Colorscale :"));
    // One row of status panels, each as tall as its text and its frame.
    const auto *panel0 = m_window->statusBar()->findChild<QLabel *>("statusPanel0");
    QVERIFY(panel0->height() >= panel0->fontMetrics().height() + 2 * panel0->frameWidth());
    QVERIFY(m_window->statusBar()->height() < 2 * panel0->height());

    QVERIFY(m_parts->videoCover->isVisible());
    QVERIFY(!m_parts->videoCover->isEnabled());
    QCOMPARE(m_parts->videoCover->size(), m_parts->videoArea->size());
    QVERIFY(!m_parts->loadingPanel->isVisible());
    QCOMPARE(m_parts->loadingPanel->size(), QSize(217, 57));
    QVERIFY(m_parts->loadingPanel->findChild<QLabel *>());
    QCOMPARE(m_parts->loadingPanel->findChild<QLabel *>()->text(),
             QString("Loading videodriver ..."));
    QVERIFY(!m_parts->pictureCaption->isVisible());
    QCOMPARE(m_window->frameGeometry().size(), QSize(800, 627));
}

void TestMainWindow::statusBarClickTogglesPanel()
{
    QSignalSpy preview(m_window.get(), &MainWindow::previewReactionNeeded);
    QSignalSpy overlay(m_window.get(), &MainWindow::overlayReactionNeeded);
    const int videoTop = m_parts->videoArea->y();
    QTest::mouseClick(m_window->statusBar(), Qt::LeftButton);
    QVERIFY(!m_parts->isVisible());
    QCOMPARE(m_parts->videoArea->y(), 0);
    QVERIFY(videoTop > 0);
    QCOMPARE(preview.count(), 1); // "Preview" is checked at start
    QCOMPARE(overlay.count(), 0);

    QTest::mouseClick(m_window->statusBar(), Qt::LeftButton);
    QVERIFY(m_parts->isVisible());
    QCOMPARE(preview.count(), 1);

    // A click on the video area brings a hidden panel back.
    m_window->hideControlPanel();
    QTest::mouseClick(m_parts->videoArea, Qt::LeftButton, {}, QPoint(50, 50));
    QVERIFY(m_parts->isVisible());
}

void TestMainWindow::doubleClicks()
{
    QGroupBox *group = m_parts->groups().at(2);
    QTest::mouseDClick(group, Qt::LeftButton, {}, QPoint(60, 75));
    QVERIFY(m_parts->isVisible());
    QTest::mouseDClick(m_parts->panel, Qt::LeftButton, {}, QPoint(798, 82));
    QVERIFY(!m_parts->isVisible());
}

void TestMainWindow::activationResetsMaxFrames()
{
    m_parts->maxArrows->setPosition(7);
    m_window->showStartCaption("stop!", 235);
    m_window->activated();
    QCOMPARE(m_state->MaxFrames, 70);
    QCOMPARE(m_parts->start->palette().color(QPalette::ButtonText), QColor(1, 0, 0));
    QCOMPARE(m_parts->start->text(), QString("stop!"));
}

void TestMainWindow::resizeIsReported()
{
    QSignalSpy resized(m_window.get(), &MainWindow::resized);
    m_window->resize(700, 500);
    QTRY_COMPARE(m_window->size(), QSize(700, 500));
    QVERIFY(resized.count() >= 1);
}

void TestMainWindow::exitClicksAndCloses()
{
    QSignalSpy closing(m_window.get(), &MainWindow::closing);
    QTest::mouseClick(m_parts->exit, Qt::LeftButton);
    QCOMPARE(m_click->backend->plays, 1);
    QVERIFY(!m_window->isVisible());
    QCOMPARE(closing.count(), 1);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
