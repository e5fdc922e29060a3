// "Custom settings": the sound switches and the skin list act at once; Cancel keeps them. An
// event command acts once confirmed; a line that cannot be run is refused in the window.
#include "common/fakesound.h"
#include "settings/customsettingswindow.h"
#include "settings/skin.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <algorithm>

class TestCustomSettings : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void initialState();
    void buttonSoundOffMutesOnlyTheClick();
    void motionSoundSwitch();
    void skinList();
    void okAndCancelClickHideAndKeepChanges();
    void eventCommandsActWhenConfirmed();
    void keepFreeBox();

private:
    std::unique_ptr<FakeSound> m_click;
    std::unique_ptr<FakeSound> m_alarm;
    std::unique_ptr<Skin> m_skin;
    std::unique_ptr<CustomSettingsWindow> m_window;
};

void TestCustomSettings::init()
{
    m_click = std::make_unique<FakeSound>();
    m_alarm = std::make_unique<FakeSound>();
    m_skin = std::make_unique<Skin>(*qApp);
    m_skin->setActive(true);
    m_window =
        std::make_unique<CustomSettingsWindow>(m_click->sound, m_alarm->sound, *m_skin, nullptr);
    m_window->show();
}

void TestCustomSettings::cleanup()
{
    m_window.reset();
    m_skin->setActive(false);
}

void TestCustomSettings::initialState()
{
    QCOMPARE(m_window->windowTitle(), QString("Custom settings"));
    QCOMPARE(m_window->size(), QSize(270, 174).expandedTo(m_window->minimumSizeHint()));
    QVERIFY(m_window->windowFlags() & Qt::WindowStaysOnTopHint);
    auto *list = m_window->findChild<QComboBox *>("skinList");
    QCOMPARE(list->currentText(), QString("skin"));
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->itemText(0), QString("None"));
    QCOMPARE(list->itemText(1), QString("Deep blue sea"));
    QCOMPARE(list->width(), 145);
    QVERIFY(!m_window->findChild<QCheckBox *>("buttonSoundOff")->isChecked());
    QVERIFY(m_window->findChild<QCheckBox *>("motionSound")->isChecked());
    QVERIFY(!m_window->findChild<QLabel *>()->isVisible()); // "skin type"
    QVERIFY(m_skin->isActive());
}

void TestCustomSettings::buttonSoundOffMutesOnlyTheClick()
{
    QTest::mouseClick(m_window->findChild<QCheckBox *>("buttonSoundOff"), Qt::LeftButton);
    QVERIFY(!m_click->sound.isOn());
    QVERIFY(m_alarm->sound.isOn());
    QTest::mouseClick(m_window->findChild<QPushButton *>("okButton"), Qt::LeftButton);
    QCOMPARE(m_click->backend->plays, 0);
    m_alarm->sound.play();
    QCOMPARE(m_alarm->backend->plays, 1);
    QTest::mouseClick(m_window->findChild<QCheckBox *>("buttonSoundOff"), Qt::LeftButton);
    QVERIFY(m_click->sound.isOn());
}

void TestCustomSettings::motionSoundSwitch()
{
    QTest::mouseClick(m_window->findChild<QCheckBox *>("motionSound"), Qt::LeftButton);
    QVERIFY(!m_alarm->sound.isOn());
    QVERIFY(m_click->sound.isOn());
}

void TestCustomSettings::skinList()
{
    auto *list = m_window->findChild<QComboBox *>("skinList");
    QSignalSpy switched(m_window.get(), &CustomSettingsWindow::skinSwitched);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Up); // "None"
    QTest::keyClick(list, Qt::Key_Return);
    QTRY_VERIFY(!switched.isEmpty());
    QCOMPARE(switched.last().at(0).toBool(), false);
    QVERIFY(!m_skin->isActive());
    QVERIFY(qApp->styleSheet().isEmpty());

    emit list->textActivated("Deep blue sea");
    QVERIFY(m_skin->isActive());
    QVERIFY(qApp->styleSheet().contains("QPushButton"));

    // Typed text that names no item switches the skin off.
    list->lineEdit()->selectAll();
    QTest::keyClicks(list->lineEdit(), "blue");
    QVERIFY(!m_skin->isActive());
    QCOMPARE(switched.last().at(0).toBool(), false);
}

void TestCustomSettings::okAndCancelClickHideAndKeepChanges()
{
    QTest::mouseClick(m_window->findChild<QCheckBox *>("motionSound"), Qt::LeftButton);
    QTest::mouseClick(m_window->findChild<QPushButton *>("cancelButton"), Qt::LeftButton);
    QVERIFY(!m_window->isVisible());
    QCOMPARE(m_click->backend->plays, 1);
    QVERIFY(!m_alarm->sound.isOn()); // Cancel undoes nothing
    m_window->show();
    m_click->backend->playing = false;
    QTest::mouseClick(m_window->findChild<QPushButton *>("okButton"), Qt::LeftButton);
    QVERIFY(!m_window->isVisible());
    QCOMPARE(m_click->backend->plays, 2);
}

void TestCustomSettings::eventCommandsActWhenConfirmed()
{
    CustomSettingsWindow &window = *m_window;
    QSignalSpy changed(&window, &CustomSettingsWindow::eventCommandChanged);
    auto *section = window.findChild<QWidget *>("eventCommands");
    QVERIFY(!section->isVisible());
    window.findChild<QToolButton *>("eventCommandsToggle")->click();
    QVERIFY(section->isVisible());
    const QList<QLineEdit *> lines = section->findChildren<QLineEdit *>();
    QCOMPARE(lines.size(), 8);
    for (QLineEdit *line : lines)
        QVERIFY(line->text().isEmpty() && line->accessibleName().startsWith("Command on "));

    auto *motion = window.findChild<QLineEdit *>("command-motion");
    QTest::keyClicks(motion, "mosquitto_pub -t cam -m %n");
    QCOMPARE(changed.count(), 0); // typing alone changes nothing
    QTest::keyClick(motion, Qt::Key_Return);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.last().at(0).value<RunEvent>(), RunEvent::Motion);
    QCOMPARE(changed.last().at(1).value<EventCommand>().program(), QString("mosquitto_pub"));

    // A line that cannot be run is said in the window, and OK leaves it open on it.
    auto *stop = window.findChild<QLineEdit *>("command-stop");
    QTest::keyClicks(stop, R"(sh -c "echo)");
    QTest::mouseClick(window.findChild<QPushButton *>("okButton"), Qt::LeftButton);
    QVERIFY(window.isVisible());
    auto *error = window.findChild<QLabel *>("commandError");
    QVERIFY(error->isVisible());
    QCOMPARE(error->text(), QString("On stop: a double quote (\") is not closed."));
    QCOMPARE(changed.count(), 1);
    // Cancel drops the line not confirmed; the confirmed one stays, and a cleared one is none.
    QTest::mouseClick(window.findChild<QPushButton *>("cancelButton"), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QVERIFY(stop->text().isEmpty());
    QCOMPARE(motion->text(), QString("mosquitto_pub -t cam -m %n"));
    window.show();
    motion->clear();
    QTest::mouseClick(window.findChild<QPushButton *>("okButton"), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QCOMPARE(changed.count(), 2);
    QVERIFY(changed.last().at(1).value<EventCommand>().isEmpty());
}

// "Keep free" in MB: 200 at start, "off" at 0; its label leads to it.
void TestCustomSettings::keepFreeBox()
{
    auto *box = m_window->findChild<QSpinBox *>("keepFree");
    QCOMPARE(box->text(), QString("200 MB"));
    const QList<QLabel *> labels = m_window->findChildren<QLabel *>();
    const auto label = std::find_if(labels.begin(), labels.end(),
                                    [](QLabel *l) { return l->text() == "Keep free"; });
    QVERIFY(label != labels.end());
    QCOMPARE((*label)->buddy(), box);
    QSignalSpy changed(m_window.get(), &CustomSettingsWindow::keepFreeChanged);
    box->selectAll();
    QTest::keyClicks(box, "0\r");
    QCOMPARE(box->text(), QString("off"));
    QCOMPARE(changed.last().first().toInt(), 0);
}

QTEST_MAIN(TestCustomSettings)
#include "tst_customsettings.moc"
