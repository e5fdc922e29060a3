#include "settings/customsettingswindow.h"

#include "settings/skin.h"
#include "shell/boxfit.h"
#include "shell/picturenames.h"
#include "shell/sound.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

CustomSettingsWindow::CustomSettingsWindow(Sound &click, Sound &alarm, Skin &skin, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), m_click(click), m_alarm(alarm),
      m_skin(skin), m_skinList(new QComboBox(this)), m_skinLabel(new QLabel("skin type", this)),
      m_buttonSoundOff(new QCheckBox("Button sound off", this)),
      m_motionSound(new QCheckBox("Sound on motiondetection", this)),
      m_timeStamp(new QCheckBox("Time stamp on pictures", this)),
      m_keepFreeLabel(new QLabel("Keep free", this)), m_keepFree(new QSpinBox(this)),
      m_startAsLeft(new QCheckBox("Start as left", this)), m_ok(new QPushButton("OK", this)),
      m_cancel(new QPushButton("Cancel", this)), m_eventsToggle(new QToolButton(this))
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
    connect(m_startAsLeft, &QCheckBox::toggled, this, &CustomSettingsWindow::startAsLeftSwitched);
    // One signal for whoever keeps the values: after each change has taken effect.
    for (QCheckBox *box : {m_buttonSoundOff, m_motionSound, m_timeStamp})
        connect(box, &QCheckBox::toggled, this, &CustomSettingsWindow::valuesChanged);
    connect(this, &CustomSettingsWindow::skinSwitched, this, &CustomSettingsWindow::valuesChanged);
    connect(this, &CustomSettingsWindow::keepFreeChanged, this,
            &CustomSettingsWindow::valuesChanged);
    connect(this, &CustomSettingsWindow::eventCommandChanged, this,
            &CustomSettingsWindow::valuesChanged);
    connect(m_ok, &QPushButton::clicked, this, [this] {
        if (confirmCommands())
            closeWithClick();
        else
            m_click.play(); // stays open on the line that cannot be run
    });
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
    m_startAsLeft->setObjectName("startAsLeft");
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
    layout->addWidget(m_startAsLeft);
    layout->addWidget(buildWebView());
    layout->addWidget(buildEventCommands());
    layout->addStretch(1);
    // The fold of the commands shares the buttons' row, so that the window keeps its size.
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_eventsToggle);
    bottom->addWidget(buttons, 1);
    layout->addLayout(bottom);
}

namespace {
QString eventLabel(RunEvent event)
{
    switch (event) {
    case RunEvent::Picture:
        return QStringLiteral("On picture");
    case RunEvent::Motion:
        return QStringLiteral("On motion");
    case RunEvent::MotionEnd:
        return QStringLiteral("On motion end");
    case RunEvent::Start:
        return QStringLiteral("On start");
    case RunEvent::Stop:
        return QStringLiteral("On stop");
    case RunEvent::CameraLost:
        return QStringLiteral("On camera lost");
    case RunEvent::CameraBack:
        return QStringLiteral("On camera back");
    case RunEvent::Failure:
        return QStringLiteral("On failure");
    }
    return {};
}
} // namespace

QWidget *CustomSettingsWindow::buildEventCommands()
{
    m_eventsToggle->setObjectName("eventCommandsToggle");
    m_eventsToggle->setText("Commands");
    m_eventsToggle->setCheckable(true);
    m_eventsToggle->setAutoRaise(true);
    m_eventsToggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_eventsToggle->setArrowType(Qt::RightArrow);
    connect(m_eventsToggle, &QToolButton::toggled, this, &CustomSettingsWindow::showEventCommands);

    auto *group = new QGroupBox("Event commands", this);
    m_events = group;
    m_events->setObjectName("eventCommands");
    auto *form = new QFormLayout(m_events);
    for (std::size_t i = 0; i < RunEvents.size(); ++i) {
        const QString label = eventLabel(RunEvents[i]);
        auto *line = new QLineEdit(m_events);
        line->setObjectName("command-" + runEventName(RunEvents[i]));
        line->setAccessibleName("Command " + label.toLower());
        // Room for a short command line; longer ones scroll.
        line->setMinimumWidth(line->fontMetrics().averageCharWidth() * 32);
        connect(line, &QLineEdit::returnPressed, this, [this, i] { confirmCommand(i); });
        form->addRow(label, line);
        m_commandLines[i] = line;
    }
    m_commandError = new QLabel(m_events);
    m_commandError->setObjectName("commandError");
    m_commandError->setWordWrap(true);
    m_commandError->hide();
    form->addRow(m_commandError);
    m_events->hide();
    return m_events;
}

QWidget *CustomSettingsWindow::buildWebView()
{
    auto *box = new QWidget(this);
    auto *column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    m_webView = new QCheckBox("Web view", box);
    m_webView->setObjectName("webView");
    m_webFields = new QWidget(box);
    m_webFields->setObjectName("webFields");
    m_webAddress = new QLineEdit(QStringLiteral("127.0.0.1"), m_webFields);
    m_webAddress->setObjectName("webAddress");
    m_webAddress->setAccessibleName("Web view address");
    m_webPort = new QSpinBox(m_webFields);
    m_webPort->setObjectName("webPort");
    m_webPort->setAccessibleName("Web view port");
    m_webPort->setRange(1, 65535);
    m_webPort->setValue(8080);
    m_webPassword = new QLineEdit(m_webFields);
    m_webPassword->setObjectName("webPassword");
    m_webPassword->setAccessibleName("Web view password");
    m_webPassword->setEchoMode(QLineEdit::Password);
    m_webPassword->setPlaceholderText("none");
    m_webNote = new QLabel(m_webFields);
    m_webNote->setObjectName("webNote");
    m_webNote->setWordWrap(true);
    m_webNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *form = new QFormLayout(m_webFields);
    form->setContentsMargins(20, 0, 0, 0);
    form->addRow("Address", m_webAddress);
    form->addRow("Port", m_webPort);
    form->addRow("Password", m_webPassword);
    form->addRow(m_webNote);
    column->addWidget(m_webView);
    column->addWidget(m_webFields);
    m_webFields->hide();

    connect(m_webView, &QCheckBox::toggled, this, [this](bool on) {
        m_webFields->setVisible(on);
        layout()->activate();
        resize(size().expandedTo(sizeHint()));
        emit webViewChanged();
        emit valuesChanged();
    });
    const auto confirmed = [this] {
        if (m_webView->isChecked())
            emit webViewChanged();
        emit valuesChanged();
    };
    connect(m_webAddress, &QLineEdit::editingFinished, this, confirmed);
    connect(m_webPort, &QSpinBox::editingFinished, this, confirmed);
    connect(m_webPassword, &QLineEdit::editingFinished, this, [this, confirmed] {
        if (m_webPassword->text().isEmpty())
            return; // nothing typed: the password stays as it is
        confirmWebPassword();
        confirmed();
    });
    return box;
}

void CustomSettingsWindow::confirmWebPassword()
{
    QByteArray typed = m_webPassword->text().toUtf8();
    m_webPassword->clear();
    Result<WebCredentials> credentials = WebCredentials::fromPassword(typed);
    if (credentials)
        m_webCredentials = std::move(*credentials);
    m_webPassword->setPlaceholderText(m_webCredentials ? "set" : "none");
}

void CustomSettingsWindow::showWebNote(const QString &text)
{
    m_webNote->setText(text);
}

void CustomSettingsWindow::showEventCommands(bool shown)
{
    m_eventsToggle->setArrowType(shown ? Qt::DownArrow : Qt::RightArrow);
    if (shown)
        m_foldedSize = size();
    m_events->setVisible(shown);
    layout()->activate();
    resize(shown ? size().expandedTo(sizeHint()) : m_foldedSize.expandedTo(minimumSize()));
}

bool CustomSettingsWindow::confirmCommand(std::size_t index)
{
    const QString line = m_commandLines[index]->text();
    if (line == m_confirmed[index])
        return true;
    // A blank line is no command; anything else must name a program.
    Result<EventCommand> command =
        line.trimmed().isEmpty() ? Result<EventCommand>() : EventCommand::parse(line);
    if (!command) {
        m_commandError->setText(
            QStringLiteral("%1: %2.").arg(eventLabel(RunEvents[index]), command.error()));
        m_commandError->show();
        m_commandLines[index]->setFocus();
        return false;
    }
    m_confirmed[index] = line;
    m_commandError->hide();
    emit eventCommandChanged(RunEvents[index], *command);
    return true;
}

bool CustomSettingsWindow::confirmCommands()
{
    for (std::size_t i = 0; i < m_commandLines.size(); ++i) {
        if (!confirmCommand(i))
            return false;
    }
    return true;
}

void CustomSettingsWindow::hideEvent(QHideEvent *event)
{
    for (std::size_t i = 0; i < m_commandLines.size(); ++i)
        m_commandLines[i]->setText(m_confirmed[i]);
    m_commandError->hide();
    QWidget::hideEvent(event);
}

CustomSettingsWindow::Values CustomSettingsWindow::values() const
{
    Values v;
    v.buttonSoundOff = m_buttonSoundOff->isChecked();
    v.motionSound = m_motionSound->isChecked();
    v.skin = m_skin.isActive();
    v.timeStamp = m_timeStamp->isChecked();
    v.keepFreeMb = m_keepFree->value();
    v.startAsLeft = m_startAsLeft->isChecked();
    v.commands = m_confirmed;
    v.webView = m_webView->isChecked();
    v.webAddress = m_webAddress->text().trimmed();
    v.webPort = m_webPort->value();
    v.webCredentials = m_webCredentials;
    return v;
}

QString CustomSettingsWindow::setValues(const Values &values)
{
    m_buttonSoundOff->setChecked(values.buttonSoundOff);
    m_click.setOn(!values.buttonSoundOff);
    m_motionSound->setChecked(values.motionSound);
    m_alarm.setOn(values.motionSound);
    if (values.skin != m_skin.isActive()) {
        const QString entry = m_skinList->itemText(values.skin ? 1 : 0);
        m_skinList->setCurrentIndex(values.skin ? 1 : 0);
        skinTextChanged(entry);
    }
    m_timeStamp->setChecked(values.timeStamp);
    m_keepFree->setValue(values.keepFreeMb);
    m_startAsLeft->setChecked(values.startAsLeft);
    m_webCredentials = values.webCredentials;
    m_webPassword->setPlaceholderText(m_webCredentials ? "set" : "none");
    m_webAddress->setText(values.webAddress);
    m_webPort->setValue(values.webPort);
    if (m_webView->isChecked() != values.webView)
        m_webView->setChecked(values.webView); // serves as the values say
    else if (values.webView)
        emit webViewChanged();
    QString refused;
    for (std::size_t i = 0; i < m_commandLines.size(); ++i) {
        m_commandLines[i]->setText(values.commands[i]);
        if (!confirmCommand(i) && refused.isEmpty())
            refused = m_commandError->text();
    }
    // A line refused stays out of effect and out of the window.
    for (std::size_t i = 0; i < m_commandLines.size(); ++i)
        m_commandLines[i]->setText(m_confirmed[i]);
    m_commandError->hide();
    return refused;
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
