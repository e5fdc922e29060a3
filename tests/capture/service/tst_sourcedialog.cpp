// The video source dialog, built from a camera's own controls or the test scene's options,
// driven without showing it.
#include "capture/service/capturewidget.h"
#include "capture/service/linuxcaptureservice.h"
#include "capture/service/testsceneoptions.h"
#include "capture/sourcedialog.h"
#include "fakedeviceio.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QTest>

class TestSourceDialog : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void controlsBecomeWidgets_data();
    void controlsBecomeWidgets();
    void changesActAtOnce();
    void dependentControlFollows();
    void refusedChangeIsShownAndUndone();
    void testSceneOffersItsOptions();
    void needsWindowAndDriver();

private:
    std::unique_ptr<SourceDialog> cameraDialog(bool nextCtrl = true);

    std::shared_ptr<FakeDeviceIo> m_io;
    std::unique_ptr<LinuxCaptureService> m_service;
};

namespace {
constexpr std::uint32_t AutoExposure = V4L2_CID_EXPOSURE_AUTO_PRIORITY;

FakeControl control(std::uint32_t id, std::uint32_t type, const char *name, int min, int max,
                    int value)
{
    FakeControl c;
    c.id = id;
    c.type = type;
    c.name = QString::fromLatin1(name);
    c.minimum = min;
    c.maximum = max;
    c.value = c.defaultValue = value;
    return c;
}

FakeNode webcam(bool nextCtrl)
{
    FakeNode node;
    node.path = QStringLiteral("/dev/video0");
    node.nextCtrl = nextCtrl;
    node.controls.push_back(
        control(V4L2_CID_BRIGHTNESS, V4L2_CTRL_TYPE_INTEGER, "Brightness", -64, 64, 0));
    FakeControl frequency = control(V4L2_CID_POWER_LINE_FREQUENCY, V4L2_CTRL_TYPE_MENU,
                                    "Power Line Frequency", 0, 3, 1);
    frequency.menu = {{0, "Disabled"}, {1, "50 Hz"}, {3, "Auto"}}; // no entry 2
    node.controls.push_back(frequency);
    node.controls.push_back(
        control(AutoExposure, V4L2_CTRL_TYPE_BOOLEAN, "Exposure, Dynamic Framerate", 0, 1, 1));
    FakeControl exposure =
        control(V4L2_CID_EXPOSURE, V4L2_CTRL_TYPE_INTEGER, "Exposure", 1, 5000, 156);
    exposure.inactiveWhile = AutoExposure;
    node.controls.push_back(exposure);
    FakeControl hidden = control(V4L2_CID_HUE, V4L2_CTRL_TYPE_INTEGER, "Hue", 0, 10, 5);
    hidden.flags = V4L2_CTRL_FLAG_DISABLED;
    node.controls.push_back(hidden);
    FakeControl refusing = control(V4L2_CID_GAIN, V4L2_CTRL_TYPE_INTEGER, "Gain", 0, 100, 10);
    refusing.refuse = true;
    node.controls.push_back(refusing);
    return node;
}
} // namespace

void TestSourceDialog::init()
{
    m_io = std::make_shared<FakeDeviceIo>();
    m_service = std::make_unique<LinuxCaptureService>(m_io);
    m_service->setDisplayFactory(CaptureWidget::factory());
}

void TestSourceDialog::cleanup()
{
    m_service.reset();
}

std::unique_ptr<SourceDialog> TestSourceDialog::cameraDialog(bool nextCtrl)
{
    m_io->addNode(webcam(nextCtrl));
    if (!m_service->createWindow(QSize(320, 240)) || !m_service->connectDriver(0))
        return nullptr;
    return SourceDialog::create(*m_service);
}

void TestSourceDialog::controlsBecomeWidgets_data()
{
    QTest::addColumn<bool>("nextCtrl");
    QTest::newRow("enumerated") << true;
    QTest::newRow("driver without NEXT_CTRL") << false;
}

void TestSourceDialog::controlsBecomeWidgets()
{
    QFETCH(bool, nextCtrl);
    const auto dialog = cameraDialog(nextCtrl);
    QVERIFY(dialog);
    auto *brightness = qobject_cast<QSlider *>(dialog->controlWidget(V4L2_CID_BRIGHTNESS));
    QVERIFY(brightness);
    QCOMPARE(brightness->minimum(), -64);
    QCOMPARE(brightness->maximum(), 64);
    QCOMPARE(brightness->accessibleName(), QStringLiteral("Brightness"));
    auto *frequency =
        qobject_cast<QComboBox *>(dialog->controlWidget(V4L2_CID_POWER_LINE_FREQUENCY));
    QVERIFY(frequency);
    QCOMPARE(frequency->count(), 3);
    QCOMPARE(frequency->currentText(), QStringLiteral("50 Hz"));
    QCOMPARE(frequency->itemText(2), QStringLiteral("Auto"));
    auto *automatic = qobject_cast<QCheckBox *>(dialog->controlWidget(AutoExposure));
    QVERIFY(automatic);
    QCOMPARE(automatic->text(), QStringLiteral("Exposure, Dynamic Framerate"));
    QVERIFY(automatic->isChecked());
    QVERIFY(!dialog->controlWidget(V4L2_CID_HUE)); // disabled by the driver
    QVERIFY(dialog->isModal());
}

void TestSourceDialog::changesActAtOnce()
{
    const auto dialog = cameraDialog();
    QVERIFY(dialog);
    auto *brightness = qobject_cast<QSlider *>(dialog->controlWidget(V4L2_CID_BRIGHTNESS));
    brightness->setValue(30);
    QCOMPARE(m_io->controlValue("/dev/video0", V4L2_CID_BRIGHTNESS), 30);
    auto *frequency =
        qobject_cast<QComboBox *>(dialog->controlWidget(V4L2_CID_POWER_LINE_FREQUENCY));
    frequency->setCurrentIndex(2);
    emit frequency->activated(2); // as a user's choice does
    QCOMPARE(m_io->controlValue("/dev/video0", V4L2_CID_POWER_LINE_FREQUENCY), 3);
    QVERIFY(dialog->lastError().isEmpty());
}

void TestSourceDialog::dependentControlFollows()
{
    const auto dialog = cameraDialog();
    QVERIFY(dialog);
    QWidget *exposure = dialog->controlWidget(V4L2_CID_EXPOSURE);
    QVERIFY(exposure && !exposure->isEnabled());
    qobject_cast<QCheckBox *>(dialog->controlWidget(AutoExposure))->setChecked(false);
    QCOMPARE(m_io->controlValue("/dev/video0", AutoExposure), 0);
    QVERIFY(exposure->isEnabled());
}

void TestSourceDialog::refusedChangeIsShownAndUndone()
{
    const auto dialog = cameraDialog();
    QVERIFY(dialog);
    auto *gain = qobject_cast<QSlider *>(dialog->controlWidget(V4L2_CID_GAIN));
    gain->setValue(80);
    QVERIFY(!dialog->lastError().isEmpty());
    QCOMPARE(gain->value(), 10); // the device kept its value, and so does the slider
    auto *error = dialog->findChild<QLabel *>("sourceError");
    QVERIFY(error && !error->isHidden());
    QCOMPARE(error->text(), dialog->lastError());
}

void TestSourceDialog::testSceneOffersItsOptions()
{
    QVERIFY(m_service->createWindow(QSize(320, 240)));
    QVERIFY(m_service->connectDriver(0));
    const auto dialog = SourceDialog::create(*m_service);
    QVERIFY(dialog);
    const auto boxes = dialog->findChildren<QCheckBox *>();
    QCOMPARE(boxes.size(), 4);
    QCOMPARE(boxes[0]->text(), QStringLiteral("Motion"));
    QCOMPARE(boxes[1]->text(), QStringLiteral("Noise"));
    QCOMPARE(boxes[2]->text(), QStringLiteral("Clock"));
    QCOMPARE(boxes[3]->text(), QStringLiteral("Light switch"));
    QVERIFY(!boxes[3]->isChecked());
    boxes[3]->setChecked(true);
    QVERIFY(m_service->testSceneOptions().dimmed);
    QVERIFY(boxes[0]->isChecked());
    QVERIFY(!boxes[1]->isChecked());
    QVERIFY(boxes[2]->isChecked());
    boxes[0]->setChecked(false);
    boxes[1]->setChecked(true);
    boxes[2]->setChecked(false);
    QVERIFY(!m_service->testSceneOptions().motion);
    QVERIFY(m_service->testSceneOptions().noise);
    QVERIFY(!m_service->testSceneOptions().clock);
    // The options outlive the connection.
    QVERIFY(m_service->connectDriver(0));
    QVERIFY(m_service->testSceneOptions().noise);
}

void TestSourceDialog::needsWindowAndDriver()
{
    QVERIFY(!SourceDialog::create(*m_service));
    QVERIFY(m_service->createWindow(QSize(320, 240)));
    QVERIFY(!SourceDialog::create(*m_service));
    QCOMPARE(m_service->sourceSettings().error(), QStringLiteral("No capture driver is connected"));
    // A dialog left open across a disconnect changes nothing and does not crash.
    QVERIFY(m_service->connectDriver(0));
    const auto dialog = SourceDialog::create(*m_service);
    QVERIFY(m_service->disconnectDriver());
    dialog->findChildren<QCheckBox *>().at(1)->setChecked(true);
    QVERIFY(!dialog->lastError().isEmpty());
    QVERIFY(!m_service->testSceneOptions().noise);
}

QTEST_MAIN(TestSourceDialog)
#include "tst_sourcedialog.moc"
