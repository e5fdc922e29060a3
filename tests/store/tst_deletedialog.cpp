// "Clear" and the "Delete !" dialog on the main window: what a confirmed clear deletes and
// paints, what Cancel and the close box leave alone, and the state after each.
#include "common/mainwindowfixture.h"
#include "common/storefiles.h"
#include "store/deletedialog.h"
#include "store/picturestore.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using PictureStore::PicturePath;

namespace {
// Records what the progress line shows each time it is painted, and whether the controls are
// locked at that moment.
struct PaintRecorder : QObject
{
    QLabel *line;
    QWidget *panel;
    QStringList texts;
    bool panelEnabledWhilePainting = false;
    PaintRecorder(QLabel *l, QWidget *p) : line(l), panel(p) { line->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            texts << line->text();
            panelEnabledWhilePainting |= panel->isEnabled();
        }
        return false;
    }
};

} // namespace

class TestDeleteDialog : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void clearOpensDialog();
    void clearDuringCapturePausesIt();
    void okClears_data();
    void okClears();
    void okRefreshesLiveBoxes();
    void cancelDeletesNothing();
    void closeBoxOnlyEnablesStartAndAbout();
    void hiddenByAnotherWindowEnablesStartAndAbout();
    void pendingClearRunsOnClockTick();
    void pendingClearAfterCancelDeletesNothing();

private:
    /// The one-second clock's first step, as the capture core takes it.
    void clockTick()
    {
        if (m_main->state.ClearConfirmed())
            m_dialog->runPendingClear();
    }
    QPushButton *button(const char *name) const { return m_dialog->findChild<QPushButton *>(name); }
    QLabel *label(const char *name) const { return m_dialog->findChild<QLabel *>(name); }
    const PanelParts *panel() const { return &m_main->parts; }
    void openWithMaxFrames(int maxFrames);

    std::unique_ptr<MainWindowFixture> m_main;
    std::unique_ptr<QSignalSpy> m_storeCleared;
    int m_pauses = 0;
    DeleteDialog *m_dialog = nullptr;
};

void TestDeleteDialog::init()
{
    m_main = std::make_unique<MainWindowFixture>();
    m_pauses = 0;
    m_dialog = new DeleteDialog(
        &m_main->window, m_main->window, m_main->state, m_main->click.sound, [this] { ++m_pauses; },
        m_main->tools);
    m_storeCleared = std::make_unique<QSignalSpy>(m_dialog, &DeleteDialog::storeCleared);
    // As the program wires them.
    connect(&m_main->window, &MainWindow::clearPressed, m_dialog, &DeleteDialog::clearClicked);
    QVERIFY(m_main->show());
}

void TestDeleteDialog::cleanup()
{
    m_storeCleared.reset();
    m_main.reset();
}

void TestDeleteDialog::openWithMaxFrames(int maxFrames)
{
    // What activating the main window would set, so that activation cannot change it.
    panel()->maxArrows->setPosition(maxFrames / 10);
    m_main->state.setMaxFrames(maxFrames);
    m_main->press(panel()->clear);
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
}

void TestDeleteDialog::clearOpensDialog()
{
    using Role = ToolWindows::Role;
    std::map<Role, QWidget *> others;
    for (Role role :
         {Role::Driver, Role::CapturePreferences, Role::ProgramInfo, Role::CustomSettings,
          Role::About, Role::TimerMotionMenu, Role::Reset, Role::MotionDetection}) {
        others[role] = new QWidget(&m_main->window, Qt::Tool);
        m_main->tools.add(role, others[role]);
        others[role]->show();
    }
    m_main->state.setUserMaxFrames(1230);
    QCOMPARE(label("limitLine")->text(), QString(" picture 0  - max. frms"));

    m_main->press(panel()->clear);

    QCOMPARE(m_main->click.backend->plays, 1);
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(m_dialog->windowTitle(), QString("Delete !"));
    QVERIFY(m_dialog->windowFlags().testFlags(Qt::Tool | Qt::WindowStaysOnTopHint));
    QVERIFY(!m_dialog->isModal());
    QCOMPARE(label("firstLine")->text(), QString("This will delete pictures from disk"));
    QCOMPARE(label("limitLabel")->text(), QString("userlimit set on:"));
    QCOMPARE(label("limitLine")->text(), QString("max. 1230 frms"));
    QCOMPARE(label("progressLine")->text(), QString("          processing dir:"));
    QVERIFY(button("ok")->isDefault());
    QCOMPARE(button("cancel")->text(), QString("Cancel"));
    QVERIFY(!panel()->start->isEnabled());
    QVERIFY(!panel()->about->isEnabled());
    QVERIFY(panel()->panel->isEnabled());
    for (const auto &[role, window] : others)
        QCOMPARE(window->isVisible(), role == Role::MotionDetection);
    QCOMPARE(m_pauses, 0);
}

void TestDeleteDialog::clearDuringCapturePausesIt()
{
    m_main->state.setCaptureRunning(true);
    m_main->press(panel()->clear);
    QCOMPARE(m_pauses, 1);
}

void TestDeleteDialog::okClears_data()
{
    QTest::addColumn<int>("maxFrames");
    QTest::addColumn<QStringList>("created");
    QTest::addColumn<QStringList>("kept");
    QTest::addColumn<int>("lastDirectory");

    QTest::newRow("250") << 250
                         << QStringList{PicturePath(1, 0), PicturePath(1, 250), PicturePath(1, 251)}
                         << QStringList{PicturePath(1, 251)} << 1;
    QTest::newRow("5000") << 5000
                          << QStringList{PicturePath(1, 17), PicturePath(2, 9999),
                                         PicturePath(3, 10000)}
                          << QStringList{PicturePath(3, 10000)} << 2;
    QTest::newRow("320000") << 320000
                            << QStringList{PicturePath(1, 0), PicturePath(40, 195000),
                                           PicturePath(64, 319999)}
                            << QStringList{} << 64;
}

void TestDeleteDialog::okClears()
{
    QFETCH(int, maxFrames);
    QFETCH(QStringList, created);
    QFETCH(QStringList, kept);
    QFETCH(int, lastDirectory);
    for (const QString &p : created)
        touch(p);
    m_main->state.setUserMaxFrames(777);
    m_main->state.setPictureCounter(123);
    m_main->state.setCurrentDirectory(1);
    openWithMaxFrames(maxFrames);
    PaintRecorder paints(label("progressLine"), panel()->panel);

    m_main->press(button("ok"));

    QCOMPARE(existing(created), kept);
    QStringList expected;
    for (int d = 1; d <= lastDirectory; ++d)
        expected << "          processing dir " + QString::number(d);
    if (lastDirectory == 64)
        expected << expected.last(); // painted once more after the last directory
    QCOMPARE(paints.texts, expected);
    QVERIFY(!paints.panelEnabledWhilePainting);

    QCOMPARE(m_main->click.backend->plays, 2);
    QVERIFY(m_dialog->confirmation());
    QCOMPARE(m_main->state.PictureCounter(), 0);
    QCOMPARE(m_main->state.CurrentDirectory(), 1);
    QCOMPARE(m_main->state.DirectoryBase(), 0);
    QCOMPARE(m_main->state.MaxFrames(), 777);
    QVERIFY(!m_main->state.ClearConfirmed());
    QVERIFY(label("progressLine")->isHidden());
    QVERIFY(!label("limitLine")->isHidden());
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_storeCleared->count(), 1);
    const PanelParts *p = panel();
    for (QWidget *w :
         std::initializer_list<QWidget *>{p->panel, p->start, p->about, p->input, p->driver,
                                          p->format, button("ok"), button("cancel")})
        QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
}

void TestDeleteDialog::okRefreshesLiveBoxes()
{
    // The overlay box is set again (off, then on) and the preview box follows it.
    panel()->preview->setChecked(false);
    QSignalSpy overlay(panel()->overlay, &QCheckBox::toggled);
    openWithMaxFrames(250);
    m_main->press(button("ok"));
    QCOMPARE(overlay.count(), 1);
    QCOMPARE(overlay.at(0).at(0).toBool(), true);
    QVERIFY(panel()->overlay->isChecked());
    QVERIFY(panel()->preview->isChecked());

    overlay.clear();
    openWithMaxFrames(250);
    m_main->press(button("ok"));
    QCOMPARE(overlay.count(), 2);
    QCOMPARE(overlay.at(0).at(0).toBool(), false);
    QCOMPARE(overlay.at(1).at(0).toBool(), true);
}

void TestDeleteDialog::cancelDeletesNothing()
{
    const QStringList created{PicturePath(1, 0), PicturePath(1, 42)};
    for (const QString &p : created)
        touch(p);
    m_main->state.setPictureCounter(42);
    m_main->state.setUserMaxFrames(500);
    openWithMaxFrames(250);

    m_main->press(button("cancel"));

    QCOMPARE(existing(created), created);
    QCOMPARE(m_main->click.backend->plays, 2);
    QVERIFY(!m_dialog->confirmation());
    QVERIFY(!m_main->state.ClearConfirmed());
    QCOMPARE(m_main->state.PictureCounter(), 42);
    QCOMPARE(m_main->state.CurrentDirectory(), 1);
    QCOMPARE(m_main->state.MaxFrames(), 500);
    QVERIFY(!m_dialog->isVisible());
    QVERIFY(panel()->start->isEnabled());
    QVERIFY(panel()->about->isEnabled());
    QVERIFY(panel()->videoArea->isVisible());
    QCOMPARE(m_storeCleared->count(), 0);

    // Escape is the dialog's cancel button.
    openWithMaxFrames(250);
    m_main->click.backend->playing = false;
    QTest::keyClick(m_dialog, Qt::Key_Escape);
    QVERIFY(!m_dialog->isVisible());
    QVERIFY(panel()->start->isEnabled());
    QCOMPARE(m_main->click.backend->plays, 4);
    QCOMPARE(existing(created), created);
}

void TestDeleteDialog::closeBoxOnlyEnablesStartAndAbout()
{
    touch(PicturePath(1, 0));
    m_main->state.setUserMaxFrames(500);
    openWithMaxFrames(250);
    QVERIFY(!panel()->start->isEnabled());

    QVERIFY(m_dialog->close());

    QVERIFY(!m_dialog->isVisible());
    QVERIFY(panel()->start->isEnabled());
    QVERIFY(panel()->about->isEnabled());
    QCOMPARE(m_main->click.backend->plays, 1);
    QCOMPARE(m_main->state.MaxFrames(), 250);
    QVERIFY(m_dialog->confirmation());
    QVERIFY(QFileInfo::exists(PicturePath(1, 0)));
}

void TestDeleteDialog::hiddenByAnotherWindowEnablesStartAndAbout()
{
    openWithMaxFrames(250);
    m_main->tools.hide({ToolWindows::Role::Delete});
    QVERIFY(panel()->start->isEnabled());
    QVERIFY(panel()->about->isEnabled());
}

void TestDeleteDialog::pendingClearRunsOnClockTick()
{
    // A confirmed clear that never ended is done, and completed, by the next clock tick.
    touch(PicturePath(1, 0));
    touch(PicturePath(2, 5000));
    m_main->state.setMaxFrames(250);
    m_main->state.setUserMaxFrames(250);
    m_main->state.setPictureCounter(300);
    m_main->state.setCurrentDirectory(2);
    m_main->state.setDirectoryBase(5000);
    m_main->state.setClearConfirmed(true);
    panel()->start->setEnabled(false);

    clockTick();

    QVERIFY(!QFileInfo::exists(PicturePath(1, 0)));
    QVERIFY(QFileInfo::exists(PicturePath(2, 5000)));
    QVERIFY(!m_main->state.ClearConfirmed());
    QCOMPARE(m_main->state.PictureCounter(), 0);
    QCOMPARE(m_main->state.CurrentDirectory(), 1);
    QCOMPARE(m_main->state.DirectoryBase(), 0);
    QVERIFY(panel()->start->isEnabled());
    QCOMPARE(m_storeCleared->count(), 1);

    // Nothing is pending any more: the next tick deletes nothing.
    touch(PicturePath(1, 0));
    clockTick();
    QVERIFY(QFileInfo::exists(PicturePath(1, 0)));
}

void TestDeleteDialog::pendingClearAfterCancelDeletesNothing()
{
    // The dialog's own confirmation decides: after Cancel it is "0".
    touch(PicturePath(1, 0));
    openWithMaxFrames(250);
    m_main->press(button("cancel"));
    m_main->state.setClearConfirmed(true);
    m_main->state.setPictureCounter(12);
    clockTick();
    QVERIFY(QFileInfo::exists(PicturePath(1, 0)));
    QVERIFY(!m_main->state.ClearConfirmed());
    QCOMPARE(m_main->state.PictureCounter(), 12);
}

QTEST_MAIN(TestDeleteDialog)
#include "tst_deletedialog.moc"
