#include "settings/customsettingswindow.h"

#include "settings/skin.h"
#include "settings/sound.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CustomSettingsWindow::CustomSettingsWindow(Sound &click, Sound &alarm, Skin &skin, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), m_click(click), m_alarm(alarm),
      m_skin(skin), m_skinList(new QComboBox(this)), m_skinLabel(new QLabel("skin type", this)),
      m_buttonSoundOff(new QCheckBox("Button sound off", this)),
      m_motionSound(new QCheckBox("Sound on motiondetection", this)),
      m_ok(new QPushButton("OK", this)), m_cancel(new QPushButton("Cancel", this))
{
    setObjectName("customSettingsWindow");
    setWindowTitle("Custom settings");
    setFixedSize(270, 174);
    buildLayout();

    m_skinList->setEditable(true);
    m_skinList->addItems({"None", "Deep blue sea"});
    m_skinList->setCurrentIndex(-1);
    m_skinList->setEditText("skin");
    m_skinList->setAccessibleName("skin");
    m_motionSound->setChecked(true);

    connect(m_skinList->lineEdit(), &QLineEdit::textEdited, this,
            &CustomSettingsWindow::skinTextChanged);
    connect(m_skinList, &QComboBox::textActivated, this, &CustomSettingsWindow::skinTextChanged);
    connect(m_buttonSoundOff, &QCheckBox::clicked, this,
            [this](bool checked) { m_click.setOn(!checked); });
    connect(m_motionSound, &QCheckBox::clicked, this,
            [this](bool checked) { m_alarm.setOn(checked); });
    connect(m_ok, &QPushButton::clicked, this, &CustomSettingsWindow::closeWithClick);
    connect(m_cancel, &QPushButton::clicked, this, &CustomSettingsWindow::closeWithClick);
}

void CustomSettingsWindow::buildLayout()
{
    m_skinList->setObjectName("skinList");
    m_skinList->setGeometry(16, 14, 145, 23);
    m_skinLabel->setGeometry(170, 18, 80, 16);
    m_skinLabel->hide();
    m_buttonSoundOff->setObjectName("buttonSoundOff");
    m_buttonSoundOff->setGeometry(16, 52, 240, 20);
    m_motionSound->setObjectName("motionSound");
    m_motionSound->setGeometry(16, 80, 240, 20);
    m_ok->setObjectName("okButton");
    m_ok->setGeometry(16, 132, 75, 25);
    m_cancel->setObjectName("cancelButton");
    m_cancel->setGeometry(100, 132, 75, 25);
}

void CustomSettingsWindow::skinTextChanged(const QString &text)
{
    // Only the item "Deep blue sea" switches the skin on; "None" and any typed text switch it off.
    const bool active = text == m_skinList->itemText(1);
    m_skin.setActive(active);
    emit skinSwitched(active);
}

void CustomSettingsWindow::closeWithClick()
{
    m_click.play();
    hide();
}
