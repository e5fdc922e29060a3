#pragma once
// "Custom settings": the two sound switches, the skin list, the time stamp on pictures and the
// space the store keeps free on its disk.
// Changes act at once and are kept on "Cancel" as on "OK"; nothing is stored between runs.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
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
    /// "Keep free" was set to megabytes (0: off), by mouse, keyboard or code.
    void keepFreeChanged(int megabytes);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void skinTextChanged(const QString &text);
    void closeWithClick();
    void buildLayout();

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
};
