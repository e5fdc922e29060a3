// The live picture follows the "Preview", "Overlay" and "Fit " boxes, and the frame handler
// stores or analyses each grabbed frame, over the test scene.
#include "capture/framescanner.h"
#include "capture/jpegdecoder.h"
#include "capturewindowsrig.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace {
struct RecordingScanner : FrameScanner
{
    bool armed = true;
    QList<QSize> scanned;
    QList<QDateTime> times;
    bool scanArmed() const override { return armed; }
    void takeFrame(const QImage &bitmap, const QDateTime &grabbed) override
    {
        scanned << bitmap.size();
        times << grabbed;
    }
};
} // namespace

class TestCaptureController : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void overlayAndPreviewExcludeEachOther();
    void uncheckingPreviewLeavesNoLivePicture();
    void settingABoxToItsStateRunsNothing();
    void previewDuringCaptureRestoresPreview();
    void fitOffScalesOffAndKeepsPreview();
    void previewRateSwitchesPreviewOnRegardless();
    void hiddenPanelRestartsPreview();
    void inputRefusesBeforeDriver();
    void inputShowsSourceDialogAndKeepsOverlay();
    void grabStoresPictureAtCurrentNumber();
    void armedScanStoresNothing();
    void greyscalePictureHasOneComponent();
    void previewFramesAreStoredWhileTheCallbackIsSet();
    void unstorableFrameIsReported_data();
    void unstorableFrameIsReported();
    void missingSessionShowsErrorCode();
    void failedConnectLeavesNoWindow();

private:
    CaptureSession &session() { return m_rig->app->core().session(); }
    /// A grab of the capture loop: the frame is stored as the current picture.
    CaptureSession::GrabResult grabPicture()
    {
        const ApplicationState &state = m_rig->state;
        return session().GrabFrame(
            state.PictureCounter(),
            PictureStore::PicturePath(state.CurrentDirectory(), state.PictureCounter()));
    }
    void connectScene();
    std::unique_ptr<CaptureWindowsRig> m_rig;
};

void TestCaptureController::init()
{
    m_rig = std::make_unique<CaptureWindowsRig>();
}

void TestCaptureController::cleanup()
{
    m_rig.reset();
}

void TestCaptureController::connectScene()
{
    const QStringList drivers = m_rig->service.driverDescriptions();
    m_rig->state.setDriverIndex(int(drivers.indexOf(LinuxCaptureService::TestSceneName)));
    QVERIFY(m_rig->state.DriverIndex() >= 0);
    const PanelParts *panel = m_rig->panel();
    QVERIFY(session().ConnectDriver(panel->overlay->isChecked(), panel->preview->isChecked(),
                                    panel->fit->isChecked()));
    m_rig->state.setDriverChosen(true);
    QVERIFY(m_rig->service.isPreviewing());
}

void TestCaptureController::overlayAndPreviewExcludeEachOther()
{
    connectScene();
    const PanelParts *panel = m_rig->panel();
    panel->overlay->setChecked(true);
    QVERIFY(!panel->preview->isChecked());
    QVERIFY(m_rig->service.isOverlaying());
    QVERIFY(!m_rig->service.isPreviewing());
    QCOMPARE(m_rig->panel()->videoArea->palette().color(QPalette::Window), QColor(Qt::black));

    panel->overlay->setChecked(false);
    QVERIFY(panel->preview->isChecked());
    QVERIFY(m_rig->service.isPreviewing());
    QVERIFY(!m_rig->service.isOverlaying());
}

void TestCaptureController::uncheckingPreviewLeavesNoLivePicture()
{
    connectScene();
    m_rig->panel()->preview->setChecked(false);
    QVERIFY(!m_rig->service.isPreviewing());
    QVERIFY(!m_rig->service.isOverlaying());
    QVERIFY(!m_rig->panel()->overlay->isChecked());
}

void TestCaptureController::settingABoxToItsStateRunsNothing()
{
    connectScene();
    m_rig->state.setOverlayWasOn(true);
    m_rig->panel()->preview->setChecked(true); // already checked: no reaction
    QVERIFY(m_rig->state.OverlayWasOn());
    m_rig->panel()->preview->setChecked(false);
    m_rig->panel()->preview->setChecked(true); // a real change clears the flag
    QVERIFY(!m_rig->state.OverlayWasOn());
}

void TestCaptureController::previewDuringCaptureRestoresPreview()
{
    connectScene();
    const PanelParts *panel = m_rig->panel();
    panel->overlay->setChecked(true);
    panel->fit->setEnabled(false);
    m_rig->state.setCaptureRunning(true);
    panel->preview->setChecked(true);
    QVERIFY(panel->preview->isChecked());
    QVERIFY(!panel->overlay->isChecked());
    QVERIFY(panel->fit->isEnabled());
    QVERIFY(m_rig->service.isPreviewing());
    QCOMPARE(m_rig->service.previewRate(), m_rig->settings.PreviewRateMs);
}

void TestCaptureController::fitOffScalesOffAndKeepsPreview()
{
    connectScene();
    m_rig->panel()->fit->setChecked(false);
    QVERIFY(m_rig->service.isPreviewing());
    m_rig->panel()->fit->setChecked(true);
    QVERIFY(m_rig->service.isPreviewing());
}

void TestCaptureController::previewRateSwitchesPreviewOnRegardless()
{
    connectScene();
    m_rig->panel()->preview->setChecked(false);
    session().ApplyPreviewRate();
    QVERIFY(m_rig->service.isPreviewing());
    QVERIFY(!m_rig->panel()->preview->isChecked()); // the box no longer matches the window
}

void TestCaptureController::hiddenPanelRestartsPreview()
{
    connectScene();
    session().PreviewOff(); // as a grab leaves it
    m_rig->main->hideControlPanel();
    QVERIFY(m_rig->service.isPreviewing());
}

void TestCaptureController::inputRefusesBeforeDriver()
{
    m_rig->panel()->driver->setEnabled(false);
    m_rig->panel()->input->click();
    QCOMPARE(m_rig->messages.informations,
             QStringList{"Select a driver and/or videoformat first !"});
    QVERIFY(!m_rig->panel()->driver->isEnabled());
    QCOMPARE(m_rig->click.backend->plays, 1);
}

void TestCaptureController::inputShowsSourceDialogAndKeepsOverlay()
{
    connectScene();
    const PanelParts *panel = m_rig->panel();
    panel->overlay->setChecked(true);
    panel->driver->setEnabled(false);
    // The source dialog is modal: close it as soon as it shows.
    QTimer::singleShot(0, this, [] {
        if (QWidget *dialog = QApplication::activeModalWidget())
            dialog->close();
    });
    panel->input->click();
    QVERIFY(m_rig->messages.informations.isEmpty());
    QVERIFY(panel->overlay->isChecked());
    QVERIFY(m_rig->service.isOverlaying());
    QVERIFY(panel->driver->isEnabled());
}

void TestCaptureController::grabStoresPictureAtCurrentNumber()
{
    connectScene();
    m_rig->state.setPictureCounter(7);
    session().SetFrameCallback();
    QVERIFY(grabPicture());
    session().ClearFrameCallback();
    JpegDecoder decoder;
    const QImage first = decoder.read("1/capture7.jpg").value_or(QImage());
    QCOMPARE(first.size(), QSize(320, 240));
    QCOMPARE(first.format(), QImage::Format_RGB888);
    QVERIFY(!m_rig->service.isPreviewing()); // a grab stops the live picture

    // The same number again replaces the picture with a fresh frame.
    session().SetFrameCallback();
    QVERIFY(grabPicture());
    QVERIFY(decoder.read("1/capture7.jpg").value_or(QImage()) != first);
    QCOMPARE(QDir("1").entryList(QDir::Files), QStringList{"capture7.jpg"});
}

void TestCaptureController::armedScanStoresNothing()
{
    connectScene();
    RecordingScanner scanner;
    RecordingScanner watcher; // sees every frame, scanned or stored
    session().setScanner(&scanner);
    session().addFrameSink(&watcher);
    session().SetFrameCallback();
    const CaptureSession::GrabResult grab = session().GrabFrame();
    QVERIFY(grab);
    QCOMPARE(scanner.scanned, QList<QSize>{QSize(320, 240)});
    QVERIFY(!QFileInfo::exists("1/capture0.jpg"));

    // The capture loop's grabs are stored, never analysed, even while the scan is armed.
    const CaptureSession::GrabResult stored = grabPicture();
    QVERIFY(stored);
    QCOMPARE(stored->path, QStringLiteral("1/capture0.jpg"));
    QCOMPARE(stored->bytes, QFileInfo("1/capture0.jpg").size());
    QCOMPARE(scanner.scanned.size(), 1);
    QCOMPARE(watcher.scanned.size(), 2);
    QCOMPARE(watcher.times.last(), stored->time);
    session().removeFrameSink(&watcher);
    QVERIFY(grabPicture());
    QCOMPARE(watcher.scanned.size(), 2);
    session().setScanner(nullptr);
}

void TestCaptureController::greyscalePictureHasOneComponent()
{
    m_rig->settings.Greyscale = true;
    m_rig->settings.FrameWidth = 640;
    m_rig->settings.FrameHeight = 480;
    connectScene();
    session().SetFrameCallback();
    QVERIFY(grabPicture());
    const QImage picture = JpegDecoder().read("1/capture0.jpg").value_or(QImage());
    QCOMPARE(picture.format(), QImage::Format_Grayscale8);
    QCOMPARE(picture.size(), QSize(640, 480));
}

// Between "Start" and the first tick each live frame rewrites the current picture.
void TestCaptureController::previewFramesAreStoredWhileTheCallbackIsSet()
{
    connectScene();
    m_rig->state.setPictureCounter(4);
    session().SetFrameCallback();
    session().ApplyPreviewRate();
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists("1/capture4.jpg"), 3000);
    session().ClearFrameCallback();
    QVERIFY(QFile::remove("1/capture4.jpg"));
    QTest::qWait(200);
    QVERIFY(m_rig->service.isPreviewing());
    QVERIFY(!QFileInfo::exists("1/capture4.jpg"));
}

void TestCaptureController::unstorableFrameIsReported_data()
{
    QTest::addColumn<bool>("grabbed");
    QTest::newRow("grabbed frame") << true;
    QTest::newRow("preview frame") << false;
}

void TestCaptureController::unstorableFrameIsReported()
{
    QFETCH(bool, grabbed);
    connectScene();
    m_rig->state.setPictureCounter(3);
    QVERIFY(QDir().mkpath("1/capture3.jpg")); // stands in the way whoever runs the test
    QSignalSpy failed(&session(), &CaptureSession::pictureFailed);
    session().SetFrameCallback();
    QString message;
    if (grabbed) {
        const CaptureSession::GrabResult grab = grabPicture();
        QVERIFY(!grab && grab.error().frameCame); // the frame came; storing it did not
        message = grab.error().reason;
    } else {
        session().ApplyPreviewRate();
        QVERIFY(failed.wait(3000));
        message = failed.first().first().toString();
    }
    QVERIFY2(message.startsWith("1/capture3.jpg: ") && message.size() > 16, qPrintable(message));
}

void TestCaptureController::missingSessionShowsErrorCode()
{
    connectScene();
    m_rig->service.setUserData(0);
    session().SetFrameCallback();
    QVERIFY(!grabPicture());
    QCOMPARE(m_rig->panel()->timeBox->text(), QString("foutcode 1"));
    QVERIFY(!QFileInfo::exists("1/capture0.jpg"));
}

void TestCaptureController::failedConnectLeavesNoWindow()
{
    m_rig->state.setDriverIndex(9); // no driver there
    const Result<> connected = session().ConnectDriver(false, true, true);
    QVERIFY(!connected);
    QVERIFY(connected.error().contains("9"));
    QVERIFY(!session().hasWindow());
    session().SetFrameCallback();
    const CaptureSession::GrabResult grab = grabPicture();
    QVERIFY(!grab);
    QCOMPARE(grab.error().reason, QStringLiteral("There is no capture window"));
}

QTEST_MAIN(TestCaptureController)
#include "tst_capturecontroller.moc"
