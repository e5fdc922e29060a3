// The capture preferences: their controls, the refusal before a driver is chosen, the first
// "OK" with its test picture, later "OK"s without one, and "Cancel" keeping what was changed.
#include "capture/captureformatcontrols.h"
#include "capture/jpegdecoder.h"
#include "capturewindowsrig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

class TestCapturePreferences : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void formatBeforeDriverRefuses();
    void controlsAtStart();
    void sizeListPicks_data();
    void sizeListPicks();
    void firstOkStoresTestPicture();
    void firstOkAfterNewDriverUsesChangedSettings();
    void testPictureTakesCurrentNumber();
    void failedTestPictureIsShown();
    void cancelKeepsValuesForNextOk();
    void laterOkDoesNotGrab();
    void formatShowsAppliedSize();
    void customArrowsStayInRange();
    void cancelLeavesCustomMode();
    void qualityBoxTakesDigitsOnly();

private:
    CaptureFormatControls &controls() const { return m_rig->preferences->controls(); }
    void press(UpDownControl *arrows, const char *which, int times);

    std::unique_ptr<CaptureWindowsRig> m_rig;
};

namespace {
QStringList items(const QComboBox *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->itemText(i);
    return texts;
}

void writeFile(const QString &path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("old");
}
} // namespace

void TestCapturePreferences::init()
{
    m_rig = std::make_unique<CaptureWindowsRig>();
    QVERIFY(m_rig->dir.isValid());
}

void TestCapturePreferences::cleanup()
{
    m_rig.reset();
}

void TestCapturePreferences::press(UpDownControl *arrows, const char *which, int times)
{
    auto *button = arrows->findChild<QToolButton *>(which);
    QVERIFY(button);
    for (int i = 0; i < times; ++i)
        button->click();
}

void TestCapturePreferences::formatBeforeDriverRefuses()
{
    CaptureWindowsRig &rig = *m_rig;
    QWidget about;
    rig.tools.add(ToolWindows::Role::About, &about);
    about.show();
    rig.panel()->format->click();
    QCOMPARE(rig.messages.informations, QStringList{" Select a videodriver first ! "});
    QVERIFY(!rig.preferences->isVisible());
    QVERIFY(about.isVisible()); // a refusal hides nothing
    QCOMPARE(rig.click.backend->plays, 1);
}

void TestCapturePreferences::controlsAtStart()
{
    CaptureWindowsRig &rig = *m_rig;
    CapturePreferencesWindow *window = rig.preferences;
    QCOMPARE(window->windowTitle(), QStringLiteral(" Capture  preferences"));
    QCOMPARE(window->size(), QSize(356, 211));
    QVERIFY(window->windowFlags().testFlag(Qt::Tool));
    QVERIFY(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(rig.tools.window(ToolWindows::Role::CapturePreferences), window);

    rig.chooseDriver();
    QWidget about;
    rig.tools.add(ToolWindows::Role::About, &about);
    about.show();
    rig.panel()->format->click();
    QVERIFY(window->isVisible());
    QVERIFY(!about.isVisible());
    // The test scene's own sizes follow the described entries.
    QCOMPARE(items(controls().sizeList),
             (QStringList{"640 x 480", "320 x 240", "160 x 120", "  80   x 60", "", "1280 x 720",
                          "1920 x 1080"}));
    QCOMPARE(controls().sizeList->currentText(), QStringLiteral("320 x 240"));
    QCOMPARE(controls().sizeList->currentIndex(), -1);
    QCOMPARE(rig.settings.SizeListIndex, -1);
    QCOMPARE(controls().custom->text(), QStringLiteral("custom"));
    QVERIFY(!controls().widthBox->isVisible());
    QVERIFY(!controls().heightArrows->isVisible());
    QCOMPARE(controls().qualityBox->text(), QStringLiteral("100"));
    QCOMPARE(items(controls().colourList), (QStringList{"24 bit color", "grey scale "}));
    QCOMPARE(controls().colourList->currentIndex(), 0);
}

void TestCapturePreferences::sizeListPicks_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QSize>("size");
    QTest::newRow("640 x 480") << 0 << QSize(640, 480);
    QTest::newRow("320 x 240") << 1 << QSize(320, 240);
    QTest::newRow("160 x 120") << 2 << QSize(160, 120);
    QTest::newRow("80 x 60") << 3 << QSize(80, 60);
    QTest::newRow("empty entry keeps the size") << 4 << QSize(160, 120);
    QTest::newRow("the test scene's 1280 x 720") << 5 << QSize(1280, 720);
    QTest::newRow("the test scene's 1920 x 1080") << 6 << QSize(1920, 1080);
}

void TestCapturePreferences::sizeListPicks()
{
    QFETCH(int, index);
    QFETCH(QSize, size);
    CaptureWindowsRig &rig = *m_rig;
    rig.chooseDriver();
    rig.panel()->format->click();
    rig.pick(controls().sizeList, 2);
    rig.pick(controls().sizeList, index);
    QCOMPARE(QSize(rig.settings.FrameWidth, rig.settings.FrameHeight), size);
    QCOMPARE(rig.settings.SizeListIndex, index);
}

void TestCapturePreferences::firstOkStoresTestPicture()
{
    CaptureWindowsRig &rig = *m_rig;
    rig.chooseDriver();
    writeFile("1/capture-1.jpg");
    rig.panel()->overlay->setChecked(true);
    rig.confirmFormat();

    QVERIFY(!rig.preferences->isVisible());
    QVERIFY2(rig.messages.errors.isEmpty(), qPrintable(rig.messages.errors.join('\n')));
    JpegDecoder decoder;
    const Result<QImage> read = decoder.read("1/capture0.jpg");
    if (!read)
        QFAIL(qPrintable(read.error()));
    const QImage &picture = *read;
    QCOMPARE(picture.size(), QSize(320, 240));
    QCOMPARE(picture.format(), QImage::Format_RGB888);
    QCOMPARE(rig.state.PictureCounter(), 0);
    QVERIFY(!QFile::exists("1/capture-1.jpg"));
    QCOMPARE(rig.panel()->picturePathBox->text(), QStringLiteral("1/capture.jpg"));
    QVERIFY(rig.state.FormatChosen());
    QVERIFY(rig.state.FormatApplied());
    QCOMPARE(rig.main->statusPanel(1), QStringLiteral(" Resolution :  320 x 240"));
    QCOMPARE(rig.main->statusPanel(2), QStringLiteral(" Compression Quality : 100"));
    QCOMPARE(rig.main->statusPanel(3), QStringLiteral(" Colorscale : 24Bit color"));
    QVERIFY(!rig.panel()->overlay->isChecked());
    QVERIFY(rig.service.isPreviewing()); // the grab ended the live picture; it is back
    QCOMPARE(rig.peers.countResets, 1);
    QCOMPARE(rig.peers.hintClears, 1);
}

void TestCapturePreferences::firstOkAfterNewDriverUsesChangedSettings()
{
    CaptureWindowsRig &rig = *m_rig;
    rig.chooseDriver();
    rig.confirmFormat();
    QVERIFY(QFile::remove("1/capture0.jpg"));

    rig.panel()->format->click();
    rig.pick(controls().colourList, 1);
    rig.pick(controls().sizeList, 0);
    QCOMPARE(rig.main->statusPanel(3), QStringLiteral(" Colorscale : 24Bit color"));
    rig.button(rig.preferences, "ok")->click();
    QCOMPARE(rig.main->statusPanel(3), QStringLiteral(" Colorscale : Greyscale"));
    QVERIFY(!QFile::exists("1/capture0.jpg"));

    rig.chooseDriver();
    QCOMPARE(rig.service.videoFormat().width, 640); // the connect asks for the size chosen
    rig.confirmFormat();
    QVERIFY2(rig.messages.errors.isEmpty(), qPrintable(rig.messages.errors.join('\n')));
    JpegDecoder decoder;
    const Result<QImage> read = decoder.read("1/capture0.jpg");
    if (!read)
        QFAIL(qPrintable(read.error()));
    const QImage &picture = *read;
    QCOMPARE(picture.size(), QSize(640, 480));
    QCOMPARE(picture.format(), QImage::Format_Grayscale8);
    QCOMPARE(rig.main->statusPanel(1), QStringLiteral(" Resolution :  640 x 480"));
}

void TestCapturePreferences::testPictureTakesCurrentNumber()
{
    CaptureWindowsRig &rig = *m_rig;
    rig.state.setPictureCounter(7); // left over from an earlier run
    rig.chooseDriver();
    rig.confirmFormat();
    QVERIFY(QFile::exists("1/capture7.jpg"));
    QVERIFY(!QFile::exists("1/capture0.jpg"));
    QCOMPARE(rig.state.PictureCounter(), 0);
}

void TestCapturePreferences::failedTestPictureIsShown()
{
    CaptureWindowsRig &rig = *m_rig;
    // A directory where the picture should go: the write fails whoever runs the test.
    QVERIFY(QDir().mkpath("1/capture0.jpg"));
    rig.chooseDriver();
    rig.confirmFormat();
    QCOMPARE(rig.messages.errors.size(), 1);
    const QString message = rig.messages.errors.first();
    QVERIFY2(message.startsWith("Could not store the test picture 1/capture0.jpg: ") &&
                 message.size() > 50,
             qPrintable(message));
    QVERIFY(rig.state.FormatChosen());
    QCOMPARE(rig.state.PictureCounter(), 0);
    QVERIFY(rig.service.isPreviewing());

    // Without a capture window no frame comes; that is said too.
    QVERIFY(QDir("1/capture0.jpg").removeRecursively());
    FakeNode busy;
    busy.path = "/dev/video0";
    FakeNode &node = rig.io->addNode(busy);
    rig.panel()->driver->click();
    node.openError = EBUSY;
    rig.button(rig.driverDialog, "ok")->click();
    rig.confirmFormat();
    QCOMPARE(rig.messages.errors.size(), 3);
    QVERIFY2(
        rig.messages.errors.last().startsWith("Could not store the test picture 1/capture0.jpg: "),
        qPrintable(rig.messages.errors.last()));
    QVERIFY(!QFile::exists("1/capture0.jpg"));
}

void TestCapturePreferences::cancelKeepsValuesForNextOk()
{
    CaptureWindowsRig &rig = *m_rig;
    rig.chooseDriver();
    rig.panel()->driver->setEnabled(false);
    rig.panel()->format->click();
    rig.pick(controls().sizeList, 0);
    rig.button(rig.preferences, "cancel")->click();
    QVERIFY(!rig.preferences->isVisible());
    QVERIFY(rig.panel()->driver->isEnabled());
    QVERIFY(!rig.state.FormatChosen());

    rig.confirmFormat();
    QCOMPARE(rig.service.videoFormat().width, 640);
    QCOMPARE(rig.service.videoFormat().height, 480);
    QCOMPARE(JpegDecoder().read("1/capture0.jpg").value_or(QImage()).size(), QSize(640, 480));
    QCOMPARE(rig.main->statusPanel(1), QStringLiteral(" Resolution :  640 x 480"));
}

void TestCapturePreferences::laterOkDoesNotGrab()
{
    CaptureWindowsRig &rig = *m_rig;
    rig.chooseDriver();
    rig.confirmFormat();
    QVERIFY(QFile::remove("1/capture0.jpg"));
    rig.state.setPictureCounter(12);
    writeFile("1/capture-1.jpg");
    rig.panel()->overlay->setChecked(true);

    rig.panel()->format->click();
    rig.pick(controls().sizeList, 2);
    controls().qualityBox->setText("80");
    rig.button(rig.preferences, "ok")->click();

    QVERIFY(QDir("1").entryList({"capture*.jpg"}, QDir::Files) == QStringList{"capture-1.jpg"});
    QCOMPARE(rig.state.PictureCounter(), 12);
    QVERIFY(!rig.panel()->overlay->isChecked());
    QCOMPARE(rig.service.videoFormat().width, 160);
    QVERIFY(rig.service.isPreviewing());
    QCOMPARE(rig.main->statusPanel(1), QStringLiteral(" Resolution :  160 x 120"));
    QCOMPARE(rig.main->statusPanel(2), QStringLiteral(" Compression Quality : 80"));
    QCOMPARE(rig.peers.countResets, 2);
    QVERIFY(rig.messages.errors.isEmpty());
}

void TestCapturePreferences::formatShowsAppliedSize()
{
    CaptureWindowsRig &rig = *m_rig;
    rig.chooseDriver();
    rig.panel()->format->click();
    controls().toggleCustomSize();
    press(controls().widthArrows, "up", 1);
    rig.button(rig.preferences, "ok")->click();
    controls().toggleCustomSize();
    rig.panel()->format->click();
    QCOMPARE(controls().sizeList->currentText(), QStringLiteral("650 x 480"));
    QCOMPARE(controls().sizeList->currentIndex(), -1);
    QCOMPARE(rig.settings.SizeListIndex, -1);
}

void TestCapturePreferences::customArrowsStayInRange()
{
    CaptureWindowsRig &rig = *m_rig;
    rig.chooseDriver();
    rig.panel()->format->click();
    rig.pick(controls().sizeList, 2);
    controls().custom->click();
    QCOMPARE(controls().custom->text(), QStringLiteral("preselect"));
    QVERIFY(!controls().sizeList->isVisible());
    QVERIFY(controls().widthBox->isVisible() && controls().heightArrows->isVisible());
    QCOMPARE(rig.settings.SizeListIndex, -1);
    QVERIFY(rig.settings.CustomSize);
    QCOMPARE(QSize(rig.settings.FrameWidth, rig.settings.FrameHeight), QSize(640, 480));

    press(controls().widthArrows, "up", 20);
    press(controls().heightArrows, "up", 20);
    QCOMPARE(controls().widthBox->text(), QStringLiteral("768"));
    QCOMPARE(controls().heightBox->text(), QStringLiteral("568"));
    QCOMPARE(QSize(rig.settings.FrameWidth, rig.settings.FrameHeight), QSize(768, 568));
    press(controls().widthArrows, "down", 80);
    press(controls().heightArrows, "down", 80);
    QCOMPARE(controls().widthBox->text(), QStringLiteral("80"));
    QCOMPARE(controls().heightBox->text(), QStringLiteral("60"));
    QCOMPARE(QSize(rig.settings.FrameWidth, rig.settings.FrameHeight), QSize(80, 60));

    controls().custom->click();
    QCOMPARE(controls().custom->text(), QStringLiteral("custom"));
    QVERIFY(controls().sizeList->isVisible());
    QVERIFY(!controls().widthBox->isVisible());
    QCOMPARE(QSize(rig.settings.FrameWidth, rig.settings.FrameHeight), QSize(80, 60));
}

void TestCapturePreferences::cancelLeavesCustomMode()
{
    CaptureWindowsRig &rig = *m_rig;
    rig.chooseDriver();
    rig.panel()->format->click();
    controls().custom->click();
    press(controls().heightArrows, "down", 2);
    rig.button(rig.preferences, "cancel")->click();
    QVERIFY(!rig.settings.CustomSize);
    QCOMPARE(controls().custom->text(), QStringLiteral("custom"));
    QCOMPARE(QSize(rig.settings.FrameWidth, rig.settings.FrameHeight), QSize(640, 460));
    // The close box does what "Cancel" does.
    rig.panel()->format->click();
    controls().custom->click();
    rig.preferences->close();
    QVERIFY(!rig.preferences->isVisible());
    QVERIFY(!rig.settings.CustomSize);
}

void TestCapturePreferences::qualityBoxTakesDigitsOnly()
{
    CaptureWindowsRig &rig = *m_rig;
    rig.chooseDriver();
    rig.panel()->format->click();
    QLineEdit *box = controls().qualityBox;
    box->selectAll();
    QTest::keyClicks(box, "8a5-");
    QCOMPARE(box->text(), QStringLiteral("85"));
    QCOMPARE(rig.settings.JpegQuality, 85);
    // The arrows go on from the number typed, within 50 to 100.
    press(controls().qualityArrows, "down", 1);
    QCOMPARE(box->text(), QStringLiteral("84"));
    press(controls().qualityArrows, "up", 30);
    QCOMPARE(box->text(), QStringLiteral("100"));
    press(controls().qualityArrows, "down", 60);
    QCOMPARE(box->text(), QStringLiteral("50"));

    // An emptied box never reaches the encoder: "OK" puts the last number back.
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, "x");
    QCOMPARE(box->text(), QString());
    QCOMPARE(rig.settings.JpegQuality, 50);
    rig.button(rig.preferences, "ok")->click();
    QCOMPARE(box->text(), QStringLiteral("50"));
    QCOMPARE(rig.main->statusPanel(2), QStringLiteral(" Compression Quality : 50"));
    QVERIFY2(rig.messages.errors.isEmpty(), qPrintable(rig.messages.errors.join('\n')));
    QVERIFY(QFile::exists("1/capture0.jpg"));

    // A number past 100 is refused at "OK", and the window stays open to mend it.
    rig.panel()->format->click();
    box->selectAll();
    QTest::keyClicks(box, "999");
    rig.button(rig.preferences, "ok")->click();
    QCOMPARE(rig.messages.informations,
             QStringList{"The Jpeg compression quality must be a whole number from 0 to 100."});
    QVERIFY(rig.preferences->isVisible());
    QCOMPARE(rig.main->statusPanel(2), QStringLiteral(" Compression Quality : 50"));
}

QTEST_MAIN(TestCapturePreferences)
#include "tst_capturepreferences.moc"
