#include "settings/customsettingswindow.h"

#include "settings/skin.h"
#include "shell/boxfit.h"
#include "shell/picturenames.h"
#include "shell/sound.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

CustomSettingsWindow::CustomSettingsWindow(Sound &click, Sound &alarm, Skin &skin, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), m_click(click), m_alarm(alarm),
      m_skin(skin), m_skinList(new QComboBox(this)), m_skinLabel(new QLabel("skin type", this)),
      m_buttonSoundOff(new QCheckBox("Button sound off", this)),
      m_motionSound(new QCheckBox("Sound on motiondetection", this)),
      m_timeStamp(new QCheckBox("Time stamp on pictures", this)),
      m_keepFreeLabel(new QLabel("Keep free", this)), m_keepFree(new QSpinBox(this)),
      m_ok(new QPushButton("OK", this)), m_cancel(new QPushButton("Cancel", this))
{
    setObjectName("customSettingsWindow");
    setWindowTitle("Custom settings");
    // A default, not a cage: the layout keeps the window large enough for its texts.
    resize(270, 174);
    buildLayout();

    m_skinList->setEditable(true);
    m_skinList->addItems({"None", "Deep blue sea"});
    m_skinList->setCurrentIndex(-1);
    m_skinList->setEditText("skin");
    m_skinList->setAccessibleName("skin");
    m_skinList->setMinimumWidth(
        std::max(145, BoxFit::editableListWidth(m_skinList, m_skinList->itemText(1))));
    m_motionSound->setChecked(true);
    m_keepFree->setRange(0, PictureStore::KeepFreeMaxMegabytes);
    m_keepFree->setValue(PictureStore::KeepFreeDefaultMegabytes);
    m_keepFree->setSuffix(" MB");
    m_keepFree->setSpecialValueText("off");
    m_keepFree->setAccessibleName("Keep free");
    m_keepFreeLabel->setBuddy(m_keepFree);

    connect(m_skinList->lineEdit(), &QLineEdit::textEdited, this,
            &CustomSettingsWindow::skinTextChanged);
    connect(m_skinList, &QComboBox::textActivated, this, &CustomSettingsWindow::skinTextChanged);
    connect(m_buttonSoundOff, &QCheckBox::clicked, this,
            [this](bool checked) { m_click.setOn(!checked); });
    connect(m_motionSound, &QCheckBox::clicked, this,
            [this](bool checked) { m_alarm.setOn(checked); });
    connect(m_timeStamp, &QCheckBox::toggled, this, &CustomSettingsWindow::timeStampSwitched);
    connect(m_keepFree, &QSpinBox::valueChanged, this, &CustomSettingsWindow::keepFreeChanged);
    connect(m_ok, &QPushButton::clicked, this, &CustomSettingsWindow::closeWithClick);
    connect(m_cancel, &QPushButton::clicked, this, &CustomSettingsWindow::closeWithClick);
}

void CustomSettingsWindow::buildLayout()
{
    m_skinList->setObjectName("skinList");
    m_skinLabel->hide();
    m_buttonSoundOff->setObjectName("buttonSoundOff");
    m_motionSound->setObjectName("motionSound");
    m_timeStamp->setObjectName("timeStamp");
    m_keepFree->setObjectName("keepFree");
    m_ok->setObjectName("okButton");
    m_cancel->setObjectName("cancelButton");

    auto *skin = new QHBoxLayout;
    skin->addWidget(m_skinList);
    skin->addWidget(m_skinLabel);
    skin->addStretch(1);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(m_ok, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_cancel, QDialogButtonBox::RejectRole);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 14, 14);
    layout->setSpacing(10);
    layout->addLayout(skin);
    layout->addSpacing(4);
    layout->addWidget(m_buttonSoundOff);
    layout->addWidget(m_motionSound);
    layout->addWidget(m_timeStamp);
    auto *keepFree = new QHBoxLayout;
    keepFree->addWidget(m_keepFreeLabel);
    keepFree->addWidget(m_keepFree);
    keepFree->addStretch(1);
    layout->addLayout(keepFree);
    layout->addStretch(1);
    layout->addWidget(buttons);
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

void CustomSettingsWindow::keyPressEvent(QKeyEvent *event)
{
    // Escape closes the window as its close box does.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
