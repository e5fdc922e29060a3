#pragma once
// "Custom settings": the two sound switches, the skin list, the time stamp on pictures, the
// space the store keeps free on its disk and whether the next run starts as this one is left.
// Changes act at once and are kept on "Cancel" as on "OK". Below them, the web view: off at
// first, with its address, port and password when on, and a note on how it stands.
// Below them, folded away at first, one command per run event: a command takes effect when it
// is confirmed (Enter in its line, or "OK"); a line not confirmed when the window goes shows
// the command in effect again.

#include "shell/eventcommand.h"
#include "shell/picturenames.h"
#include "web/webcredentials.h"

#include <QWidget>

#include <array>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QToolButton;
class Skin;
class Sound;

class CustomSettingsWindow : public QWidget
{
    Q_OBJECT
public:
    CustomSettingsWindow(Sound &click, Sound &alarm, Skin &skin, QWidget *parent);

    /// What the window sets, as a run keeps it for the next.
    struct Values
    {
        bool buttonSoundOff = false;
        bool motionSound = true;
        bool skin = true;
        bool timeStamp = false;
        int keepFreeMb = PictureStore::KeepFreeDefaultMegabytes;
        bool startAsLeft = false;
        /// The confirmed command line of each event, in the order of RunEvents.
        std::array<QString, RunEvents.size()> commands;
        bool webView = false;
        QString webAddress = QStringLiteral("127.0.0.1");
        int webPort = 8080;
        /// The web view's password, as its salted hash only; none: no password.
        std::optional<WebCredentials> webCredentials;
    };
    Values values() const;
    /// Shows values and puts them into effect as the user's changes would, without a click;
    /// a command line that cannot be run is left out and its reason returned, else nothing.
    QString setValues(const Values &values);
    /// The line under the web view's fields: its address, or why it does not serve.
    void showWebNote(const QString &text);

signals:
    /// The skin was switched on or off through the list; the main window repaints and, when
    /// off, hides the caption line of the full-screen view.
    void skinSwitched(bool active);
    /// "Time stamp on pictures" was switched, by mouse, keyboard or code.
    void timeStampSwitched(bool on);
    /// A command for event was confirmed; an empty one runs nothing.
    void eventCommandChanged(RunEvent event, const EventCommand &command);
    /// "Keep free" was set to megabytes (0: off), by mouse, keyboard or code.
    void keepFreeChanged(int megabytes);
    /// "Start as left" was switched.
    void startAsLeftSwitched(bool on);
    /// Any of the window's values was changed or confirmed.
    void valuesChanged();
    /// The web view was switched, or its address, port or password confirmed.
    void webViewChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void skinTextChanged(const QString &text);
    void closeWithClick();
    void buildLayout();
    QWidget *buildEventCommands();
    QWidget *buildWebView();
    void confirmWebPassword();
    void showEventCommands(bool shown);
    /// Puts the line's command into effect, or shows why it cannot be run.
    bool confirmCommand(std::size_t index);
    bool confirmCommands();

    Sound &m_click;
    Sound &m_alarm;
    Skin &m_skin;
    QComboBox *m_skinList;
    QLabel *m_skinLabel;
    QCheckBox *m_buttonSoundOff;
    QCheckBox *m_motionSound;
    QCheckBox *m_timeStamp;
    QLabel *m_keepFreeLabel;
    QSpinBox *m_keepFree;
    QCheckBox *m_startAsLeft;
    QPushButton *m_ok;
    QPushButton *m_cancel;
    QToolButton *m_eventsToggle;
    QWidget *m_events = nullptr;
    QLabel *m_commandError = nullptr;
    std::array<QLineEdit *, RunEvents.size()> m_commandLines{};
    std::array<QString, RunEvents.size()> m_confirmed; // the lines in effect
    QCheckBox *m_webView = nullptr;
    QWidget *m_webFields = nullptr; // shown while the web view is on
    QLineEdit *m_webAddress = nullptr;
    QSpinBox *m_webPort = nullptr;
    QLineEdit *m_webPassword = nullptr; // emptied once the password is hashed
    QLabel *m_webNote = nullptr;
    std::optional<WebCredentials> m_webCredentials;
    QSize m_foldedSize;
};
