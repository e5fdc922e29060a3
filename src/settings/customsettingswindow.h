#pragma once
// "Custom settings": the two sound switches, the skin list, the time stamp on pictures and the
// space the store keeps free on its disk.
// Changes act at once and are kept on "Cancel" as on "OK"; nothing is stored between runs.
// Below them, folded away at first, one command per run event: a command takes effect when it
// is confirmed (Enter in its line, or "OK"); a line not confirmed when the window goes shows
// the command in effect again.

#include "shell/eventcommand.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
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

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void skinTextChanged(const QString &text);
    void closeWithClick();
    void buildLayout();
    QWidget *buildEventCommands();
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
    QPushButton *m_ok;
    QPushButton *m_cancel;
    QToolButton *m_eventsToggle;
    QWidget *m_events = nullptr;
    QLabel *m_commandError = nullptr;
    std::array<QLineEdit *, RunEvents.size()> m_commandLines{};
    std::array<QString, RunEvents.size()> m_confirmed; // the lines in effect
    QSize m_foldedSize;
};
