#pragma once
// "Delete !": asks before the whole picture store is cleared, and shows the clear's progress
// directory by directory. Reacts to the main window's "Clear" button and to a clear left
// pending at a clock tick. Parented to the main window, which owns it.

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class Sound;
class StoreView;
class ToolWindows;
struct ApplicationState;

class DeleteDialog : public QDialog
{
    Q_OBJECT
public:
    /// Pauses capture without stopping it ("Clear" while capture runs).
    using PauseCapture = std::function<void()>;

    DeleteDialog(QWidget *parent, StoreView &view, ApplicationState &state, Sound &click,
                 PauseCapture pauseCapture, ToolWindows &tools);

    /// The main window's "Clear" button: opens the dialog.
    void clearClicked();
    void okClicked();
    void cancelClicked();
    /// The clear routine, with its progress line. Deletes only while confirmed.
    void ClearStore();
    /// A confirmed clear that did not end (found by the clock tick) is run and completed.
    void runPendingClear();

    /// The dialog's own confirmation, "1" after OK and "0" after Cancel.
    bool confirmation() const { return m_confirmation; }

    /// Escape acts as "Cancel".
    void reject() override;

signals:
    /// The store was cleared: pictures shown from it are gone.
    void storeCleared();

protected:
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void buildLayout();
    void showOverMainWindow();
    void showProgress(int directory);
    void finishClear();
    void enableStartAndAbout();

    StoreView &m_view;
    ApplicationState &m_state;
    Sound &m_click;
    PauseCapture m_pauseCapture;
    ToolWindows &m_tools;
    QLabel *m_firstLine;
    QLabel *m_limitLabel;
    QLabel *m_limitLine;
    QLabel *m_progressLine;
    QPushButton *m_ok;
    QPushButton *m_cancel;
    bool m_confirmation = true;
};
