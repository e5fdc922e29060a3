// "Reset" and its dialog: the restart number the arrows set, where OK points the numbering,
// and what Cancel and the close box leave alone.
#include "common/mainwindowfixture.h"
#include "store/resetdialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using Direction = UpDownControl::Direction;

class TestResetDialog : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void resetOpensDialog();
    void firstPressMovesOnePositionThenTheStep();
    void okSelectsDirectory_data();
    void okSelectsDirectory();
    void typingDoesNotChangeTheNumber();
    void continuesAfterTheNewestPicture();
    void cancelKeepsNumbering();
    void closeBoxOnlyEnablesStartAndAbout();

private:
    QPushButton *button(const char *name) const { return m_dialog->findChild<QPushButton *>(name); }
    QLineEdit *numberBox() const { return m_dialog->findChild<QLineEdit *>("numberBox"); }
    const PanelParts *panel() const { return &m_main->parts; }
    void openDialog();
    void disableStartAndAbout();

    std::unique_ptr<MainWindowFixture> m_main;
    ResetDialog *m_dialog = nullptr;
};

void TestResetDialog::init()
{
    m_main = std::make_unique<MainWindowFixture>();
    QDir().mkdir("1"); // as the program's start leaves the store
    m_dialog = new ResetDialog(&m_main->window, m_main->window, m_main->state, m_main->click.sound,
                               m_main->tools);
    connect(&m_main->window, &MainWindow::resetPressed, m_dialog, &ResetDialog::resetClicked);
    QVERIFY(m_main->show());
}

void TestResetDialog::cleanup()
{
    m_main.reset();
}

void TestResetDialog::openDialog()
{
    m_main->press(panel()->reset);
    QVERIFY(m_dialog->isVisible());
}

void TestResetDialog::disableStartAndAbout()
{
    // As the Delete dialog leaves them when the Reset dialog hides it.
    panel()->start->setEnabled(false);
    panel()->about->setEnabled(false);
}

void TestResetDialog::resetOpensDialog()
{
    using Role = ToolWindows::Role;
    std::map<Role, QWidget *> others;
    for (Role role :
         {Role::Delete, Role::CapturePreferences, Role::TimerMotionMenu, Role::CustomSettings,
          Role::Driver, Role::ProgramInfo, Role::About, Role::Viewer}) {
        others[role] = new QWidget(&m_main->window, Qt::Tool);
        m_main->tools.add(role, others[role]);
        others[role]->show();
    }

    openDialog();

    QCOMPARE(m_main->click.backend->plays, 1);
    QCOMPARE(m_dialog->windowTitle(), QString("Reset"));
    QVERIFY(m_dialog->windowFlags().testFlags(Qt::Tool | Qt::WindowStaysOnTopHint));
    QVERIFY(!m_dialog->isModal());
    QCOMPARE(m_dialog->findChild<QLabel *>("warning")->text(),
             QString("This will overwrite earlier captured pictures !"));
    QCOMPARE(m_dialog->findChild<QLabel *>("numberLabel")->text(),
             QString("start with picture  no. :"));
    QCOMPARE(numberBox()->text(), QString("0"));
    QVERIFY(button("ok")->isDefault());
    for (const auto &[role, window] : others)
        QCOMPARE(window->isVisible(), role == Role::Viewer);
}

void TestResetDialog::firstPressMovesOnePositionThenTheStep()
{
    openDialog();
    QCOMPARE(panel()->maxArrows->increment(), 25); // step size 250
    QStringList shown;
    auto *up = m_dialog->arrows()->findChild<QToolButton *>("up");
    QVERIFY(up);
    for (int i = 0; i < 3; ++i) {
        QTest::mouseClick(up, Qt::LeftButton);
        shown << numberBox()->text();
    }
    QCOMPARE(shown, (QStringList{"10", "260", "510"}));

    // A new step size is taken over by a move, and used from the move after it.
    panel()->maxArrows->setIncrement(35);
    m_dialog->arrows()->press(Direction::Up);
    QCOMPARE(numberBox()->text(), QString("760"));
    m_dialog->arrows()->press(Direction::Up);
    QCOMPARE(numberBox()->text(), QString("1110"));
    m_dialog->arrows()->press(Direction::Down);
    m_dialog->arrows()->press(Direction::Down);
    m_dialog->arrows()->press(Direction::Down);
    QCOMPARE(numberBox()->text(), QString("60"));
    QCOMPARE(m_dialog->restartNumber(), 60);
}

void TestResetDialog::okSelectsDirectory_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("upPresses");
    QTest::addColumn<int>("downPresses");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("counter");
    QTest::addColumn<int>("directory");
    QTest::addColumn<QString>("created");

    QTest::newRow("510 with step 250") << 25 << 3 << 0 << "510" << 510 << 1 << "";
    QTest::newRow("0 by the arrows") << 1 << 1 << 1 << "00" << 0 << 1 << "";
    QTest::newRow("4990 stays in 1") << 498 << 2 << 0 << "4990" << 4990 << 1 << "";
    QTest::newRow("5000 opens 2") << 499 << 2 << 0 << "5000" << 5000 << 2 << "2";
    QTest::newRow("12510 opens 3") << 1250 << 2 << 0 << "12510" << 12510 << 3 << "3";
    QTest::newRow("319990 in 64") << 31998 << 2 << 0 << "319990" << 319990 << 64 << "64";
    QTest::newRow("320000 starts again at 0") << 31999 << 2 << 0 << "320000" << 0 << 1 << "";
    QTest::newRow("arrows stop at 32000") << 20000 << 3 << 0 << "320000" << 0 << 1 << "";
}

void TestResetDialog::okSelectsDirectory()
{
    QFETCH(int, step);
    QFETCH(int, upPresses);
    QFETCH(int, downPresses);
    QFETCH(QString, shown);
    QFETCH(int, counter);
    QFETCH(int, directory);
    QFETCH(QString, created);
    m_main->state.setPictureCounter(20400);
    m_main->state.setCurrentDirectory(5);
    m_main->state.setDirectoryBase(20000);
    m_main->state.setUserMaxFrames(1500);
    m_main->state.setMaxFrames(999);
    panel()->maxArrows->setIncrement(step);
    openDialog();
    disableStartAndAbout();
    for (int i = 0; i < upPresses; ++i)
        m_dialog->arrows()->press(Direction::Up);
    for (int i = 0; i < downPresses; ++i)
        m_dialog->arrows()->press(Direction::Down);
    QCOMPARE(numberBox()->text(), shown);

    m_main->press(button("ok"));

    QCOMPARE(m_main->state.PictureCounter(), counter);
    QCOMPARE(m_main->state.CurrentDirectory(), directory);
    QCOMPARE(m_main->state.DirectoryBase(), (directory - 1) * 5000);
    QCOMPARE(m_main->state.MaxFrames(), 1500);
    if (!created.isEmpty())
        QVERIFY(m_main->dir.exists(created));
    const QStringList dirs = QDir().entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(dirs.size(), created.isEmpty() ? 1 : 2); // "1" is made at start
    QVERIFY(!m_dialog->isVisible());
    QVERIFY(panel()->start->isEnabled());
    QVERIFY(panel()->about->isEnabled());
    QCOMPARE(m_main->click.backend->plays, 2);
}

// One click picks up where an earlier run left off; "OK" applies it as any number.
void TestResetDialog::continuesAfterTheNewestPicture()
{
    const QDateTime old = QDateTime::currentDateTime().addDays(-1);
    for (const auto &[path, age] : {std::pair{"1/capture4999.jpg", 0}, {"2/capture5003.jpg", 60}}) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.setFileTime(old.addSecs(age), QFileDevice::FileModificationTime));
    }
    openDialog();
    m_main->press(button("afterNewest"));
    QCOMPARE(numberBox()->text(), QStringLiteral("5004"));
    m_main->press(button("ok"));
    QCOMPARE(m_main->state.PictureCounter(), 5004);
    QCOMPARE(m_main->state.CurrentDirectory(), 2);
}

void TestResetDialog::typingDoesNotChangeTheNumber()
{
    openDialog();
    m_dialog->arrows()->press(Direction::Up);
    numberBox()->setFocus();
    QTest::keyClicks(numberBox(), "999");
    QCOMPARE(numberBox()->text(), QString("10"));
    m_main->press(button("ok"));
    QCOMPARE(m_main->state.PictureCounter(), 10);
}

void TestResetDialog::cancelKeepsNumbering()
{
    m_main->state.setPictureCounter(7000);
    m_main->state.setCurrentDirectory(2);
    m_main->state.setDirectoryBase(5000);
    m_main->state.setUserMaxFrames(8000);
    m_main->state.setMaxFrames(250);
    openDialog();
    disableStartAndAbout();
    m_dialog->arrows()->press(Direction::Up);

    m_main->press(button("cancel"));

    QCOMPARE(m_main->state.PictureCounter(), 7000);
    QCOMPARE(m_main->state.CurrentDirectory(), 2);
    QCOMPARE(m_main->state.DirectoryBase(), 5000);
    QCOMPARE(m_main->state.MaxFrames(), 8000);
    QVERIFY(!m_dialog->isVisible());
    QVERIFY(panel()->start->isEnabled());
    QVERIFY(panel()->about->isEnabled());
    QCOMPARE(m_main->click.backend->plays, 2);
}

void TestResetDialog::closeBoxOnlyEnablesStartAndAbout()
{
    m_main->state.setPictureCounter(7000);
    m_main->state.setMaxFrames(250);
    m_main->state.setUserMaxFrames(8000);
    openDialog();
    disableStartAndAbout();
    m_dialog->arrows()->press(Direction::Up);

    QVERIFY(m_dialog->close());

    QVERIFY(!m_dialog->isVisible());
    QVERIFY(panel()->start->isEnabled());
    QVERIFY(panel()->about->isEnabled());
    QCOMPARE(m_main->state.PictureCounter(), 7000);
    QCOMPARE(m_main->state.MaxFrames(), 250);
    QCOMPARE(m_main->click.backend->plays, 1);
}

QTEST_MAIN(TestResetDialog)
#include "tst_resetdialog.moc"
