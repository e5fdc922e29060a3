// The driver selection dialog: what "Driver" shows, what "OK" connects and leaves on the main
// window, and the messages for an empty list and a driver that cannot be connected.
#include "capturewindowsrig.h"

#include <QFile>
#include <QPlainTextEdit>

class TestDriverDialog : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void driverButtonPausesCaptureAndListsDrivers();
    void okConnectsTestScene();
    void reopeningShowsDriverPickedLast();
    void okConnectsTheEntryShown();
    void emptyListRefusesAndChangesNothing();
    void failedConnectIsReported();
    void cancelAndCloseBoxOnlyHide();
    void okWhileCaptureRunsStopsIt();

private:
    std::unique_ptr<CaptureWindowsRig> m_rig;
};

namespace {
const QString SceneEntry = QStringLiteral("Vardella test scene");

FakeNode camera(const QString &path)
{
    FakeNode node;
    node.path = path;
    return node;
}
} // namespace

void TestDriverDialog::init()
{
    m_rig = std::make_unique<CaptureWindowsRig>();
    QVERIFY(m_rig->dir.isValid());
}

void TestDriverDialog::cleanup()
{
    m_rig.reset();
}

void TestDriverDialog::driverButtonPausesCaptureAndListsDrivers()
{
    CaptureWindowsRig &rig = *m_rig;
    rig.io->addNode(camera("/dev/video0"));
    QWidget about;
    rig.tools.add(ToolWindows::Role::About, &about);
    about.show();
    rig.state.setCaptureRunning(true);
    rig.main->showStartCaption("stop!", 235);

    rig.panel()->driver->click();

    DriverDialog *dialog = rig.driverDialog;
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("  Videocapture driver "));
    QCOMPARE(dialog->size(), QSize(395, 124));
    QVERIFY(dialog->windowFlags().testFlag(Qt::Tool));
    QVERIFY(dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(dialog->driverList()->width(), 339);
    QCOMPARE(rig.tools.window(ToolWindows::Role::Driver), dialog);
    QVERIFY(!about.isVisible());
    QCOMPARE(rig.click.backend->plays, 1);
    // Capture pauses at once: a tick now stores nothing.
    QVERIFY(!rig.state.CaptureRunning());
    QCOMPARE(rig.panel()->start->text(), QStringLiteral("Start"));
    QCOMPARE(rig.panel()->start->palette().color(QPalette::ButtonText), QColor(1, 0, 0));
    rig.loop->captureTick();
    QVERIFY(!QFile::exists("1/capture0.jpg"));

    const QStringList expected{"Fake Camera 6.1.7", SceneEntry};
    QStringList listed;
    for (int i = 0; i < dialog->driverList()->count(); ++i)
        listed << dialog->driverList()->itemText(i);
    QCOMPARE(listed, expected);
    QCOMPARE(dialog->driverList()->currentIndex(), 0);
    QVERIFY(rig.messages.informations.isEmpty());
}

void TestDriverDialog::okConnectsTestScene()
{
    CaptureWindowsRig &rig = *m_rig;
    const PanelParts *panel = rig.panel();
    panel->overlay->setChecked(true);
    QVERIFY(!panel->preview->isChecked());
    bool loadingShownWhileConnecting = false;
    bool driverButtonEnabledWhileConnecting = true;
    rig.service.onConnect = [&] {
        loadingShownWhileConnecting = rig.panel()->loadingPanel->isVisible();
        driverButtonEnabledWhileConnecting = panel->driver->isEnabled();
    };
    rig.state.setFormatChosen(true);
    rig.state.setFormatApplied(true);

    rig.panel()->driver->click();
    rig.click.backend->playing = false; // a click still sounding is not started again
    rig.button(rig.driverDialog, "ok")->click();

    QCOMPARE(rig.service.connects, 1);
    QVERIFY(loadingShownWhileConnecting);
    QVERIFY(!driverButtonEnabledWhileConnecting);
    QVERIFY(rig.service.isConnected());
    QVERIFY(rig.service.window() && rig.service.window()->parentWidget() == rig.panel()->videoArea);
    // The live picture fills the video area, and follows it when the window grows.
    QCOMPARE(rig.service.window()->size(), rig.panel()->videoArea->size());
    rig.main->resize(rig.main->width() + 300, rig.main->height() + 100);
    QTRY_COMPARE(rig.service.window()->size(), rig.panel()->videoArea->size());
    QVERIFY(!rig.panel()->videoCover->isVisible());
    QVERIFY(!rig.panel()->loadingPanel->isVisible());
    QVERIFY(panel->driver->isEnabled());
    QVERIFY(!rig.driverDialog->isVisible());
    QCOMPARE(rig.main->statusPanel(0), QStringLiteral("Videodriver :") + SceneEntry);
    QVERIFY(rig.state.DriverChosen());
    QVERIFY(!rig.state.FormatChosen());
    QVERIFY(!rig.state.FormatApplied());
    // Preview on, overlay off, on the boxes and in the capture window.
    QVERIFY(panel->preview->isChecked());
    QVERIFY(!panel->overlay->isChecked());
    QVERIFY(rig.service.isPreviewing());
    QCOMPARE(rig.service.previewRate(), 33);
    QCOMPARE(panel->prog->palette().color(QPalette::ButtonText), QColor(1, 0, 0));
    QCOMPARE(rig.peers.deactivations, 1);
    QCOMPARE(rig.click.backend->plays, 2); // "Driver" and "OK"
    QVERIFY(rig.messages.errors.isEmpty());
    QVERIFY(rig.messages.informations.isEmpty());
    // "Start" refuses until the preferences are confirmed.
    panel->start->click();
    QCOMPARE(rig.messages.informations, QStringList{"Select a videoformat first!"});
}

void TestDriverDialog::reopeningShowsDriverPickedLast()
{
    CaptureWindowsRig &rig = *m_rig;
    rig.io->addNode(camera("/dev/video0"));
    rig.chooseDriver(1);
    QCOMPARE(rig.state.DriverIndex(), 1);
    QCOMPARE(rig.main->statusPanel(0), QStringLiteral("Videodriver :") + SceneEntry);

    rig.panel()->driver->click();
    QCOMPARE(rig.driverDialog->driverList()->currentIndex(), 1);
    QCOMPARE(rig.driverDialog->driverList()->currentText(), SceneEntry);
    // "OK" untouched reconnects the same driver, and the status bar names it.
    rig.button(rig.driverDialog, "ok")->click();
    QCOMPARE(rig.state.DriverIndex(), 1);
    QVERIFY(rig.service.isConnected());
    QCOMPARE(rig.main->statusPanel(0), QStringLiteral("Videodriver :") + SceneEntry);
}

void TestDriverDialog::okConnectsTheEntryShown()
{
    CaptureWindowsRig &rig = *m_rig;
    rig.io->addNode(camera("/dev/video0"));
    rig.state.setDriverIndex(7); // a driver that has gone since it was picked
    rig.panel()->driver->click();
    QCOMPARE(rig.driverDialog->driverList()->currentIndex(), 0);
    QCOMPARE(rig.state.DriverIndex(), 7); // showing an entry is not picking it

    rig.button(rig.driverDialog, "ok")->click();
    QCOMPARE(rig.state.DriverIndex(), 0);
    QVERIFY(rig.service.isConnected());
    QCOMPARE(rig.main->statusPanel(0), QStringLiteral("Videodriver :Fake Camera 6.1.7"));
    QVERIFY(rig.messages.errors.isEmpty());
}

void TestDriverDialog::emptyListRefusesAndChangesNothing()
{
    CaptureWindowsRig &rig = *m_rig;
    rig.service.noDrivers = true;
    rig.chooseDriver();

    QCOMPARE(rig.messages.informations, QStringList{"No video capture driver found."});
    QCOMPARE(rig.service.connects, 0);
    QVERIFY(!rig.service.windowExists());
    QVERIFY(!rig.state.DriverChosen());
    QCOMPARE(rig.main->statusPanel(0), QStringLiteral(" Videodriver :"));
    QVERIFY(rig.panel()->videoCover->isVisible());
    QVERIFY(rig.panel()->driver->isEnabled());
    QCOMPARE(rig.peers.deactivations, 0);
    QVERIFY(rig.driverDialog->isVisible());
}

void TestDriverDialog::failedConnectIsReported()
{
    CaptureWindowsRig &rig = *m_rig;
    FakeNode &node = rig.io->addNode(camera("/dev/video0"));
    rig.panel()->driver->click();
    // Listed a moment ago, taken by another program now.
    node.openError = EBUSY;
    rig.button(rig.driverDialog, "ok")->click();

    QCOMPARE(rig.messages.errors.size(), 1);
    const QString prefix = QStringLiteral("Could not connect to Fake Camera 6.1.7: ");
    const QString message = rig.messages.errors.first();
    QVERIFY2(message.startsWith(prefix) && message.size() > prefix.size(), qPrintable(message));
    QVERIFY2(message.contains("busy", Qt::CaseInsensitive), qPrintable(message));
    // Everything else goes on as for a connected driver, without a capture window.
    QVERIFY(!rig.service.windowExists());
    QVERIFY(rig.state.DriverChosen());
    QCOMPARE(rig.main->statusPanel(0), QStringLiteral("Videodriver :Fake Camera 6.1.7"));
    QVERIFY(!rig.panel()->loadingPanel->isVisible());
    QVERIFY(rig.panel()->driver->isEnabled());
    QVERIFY(!rig.app->core().session().GrabFrame(0, "1/capture0.jpg"));
    QVERIFY(!QFile::exists("1/capture0.jpg"));
}

void TestDriverDialog::cancelAndCloseBoxOnlyHide()
{
    CaptureWindowsRig &rig = *m_rig;
    const ApplicationState before = rig.state;
    rig.panel()->driver->click();
    rig.pick(rig.driverDialog->driverList(), 0);
    rig.click.backend->playing = false; // a click still sounding is not started again
    rig.button(rig.driverDialog, "cancel")->click();
    QVERIFY(!rig.driverDialog->isVisible());
    QCOMPARE(rig.click.backend->plays, 2);

    rig.click.backend->playing = false;
    rig.panel()->driver->click();
    rig.click.backend->playing = false;
    rig.driverDialog->close();
    QVERIFY(!rig.driverDialog->isVisible());
    QCOMPARE(rig.click.backend->plays, 4);

    QCOMPARE(rig.service.connects, 0);
    QCOMPARE(rig.state.DriverChosen(), before.DriverChosen());
    QVERIFY(rig.panel()->videoCover->isVisible());
    QCOMPARE(rig.main->statusPanel(0), QStringLiteral(" Videodriver :"));
}

void TestDriverDialog::okWhileCaptureRunsStopsIt()
{
    CaptureWindowsRig &rig = *m_rig;
    rig.chooseDriver();
    rig.confirmFormat();
    // "Start" pressed while the dialog is open.
    rig.panel()->driver->click();
    rig.panel()->start->click();
    QVERIFY(rig.state.CaptureRunning());
    QVERIFY(rig.loop->toggledOn());

    rig.button(rig.driverDialog, "ok")->click();
    QVERIFY(!rig.state.CaptureRunning());
    QVERIFY(!rig.loop->toggledOn());
    QCOMPARE(rig.panel()->start->text(), QStringLiteral("start"));
    QVERIFY(rig.service.isConnected());
    QVERIFY(!rig.state.FormatChosen());
}

QTEST_MAIN(TestDriverDialog)
#include "tst_driverdialog.moc"
