#pragma once
// "Reset": picks the picture number at which capture goes on; later pictures overwrite what was
// stored from that number on. Reacts to the main window's "Reset" button. Parented to the main
// window, which owns it.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class Sound;
class StoreView;
class ToolWindows;
class UpDownControl;
struct ApplicationState;

class ResetDialog : public QDialog
{
    Q_OBJECT
public:
    ResetDialog(QWidget *parent, StoreView &view, ApplicationState &state, Sound &click,
                ToolWindows &tools);

    /// The main window's "Reset" button: opens the dialog.
    void resetClicked();
    void okClicked();
    void cancelClicked();

    /// Ten times the arrows' position, as last set by the arrows.
    int restartNumber() const { return m_restartNumber; }
    UpDownControl *arrows() const { return m_arrows; }

    /// Escape acts as "Cancel".
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildLayout();
    void showOverMainWindow();
    void arrowsMoved(int position);
    /// "after the newest picture": the number after the newest stored picture.
    void continueAfterNewest();
    void enableStartAndAbout();

    StoreView &m_view;
    ApplicationState &m_state;
    Sound &m_click;
    ToolWindows &m_tools;
    QLabel *m_warning;
    QLabel *m_label;
    QLineEdit *m_numberBox;
    UpDownControl *m_arrows;
    QPushButton *m_afterNewest;
    QPushButton *m_ok;
    QPushButton *m_cancel;
    int m_restartNumber = 0;
};
