#pragma once
// "Cells to ignore": paints the motion grid's cells to ignore on the live picture: the
// detector's while it scans, else a frame grabbed for the editor.
// "OK" hands the mask to motion detection; "Cancel" leaves the one it had.

#include "shell/capturetoolwindow.h"

#include <QTimer>

class CaptureSession;
class MaskView;
class MotionCapture;
struct ApplicationState;

class MaskEditor : public CaptureToolWindow
{
    Q_OBJECT
public:
    /// motion, session and state must outlive the editor.
    MaskEditor(QWidget *parent, CaptureView &view, MotionCapture &motion, CaptureSession &session,
               const ApplicationState &state);

    /// Shows the mask in force on the current grid.
    void open();
    void ok();
    void cancel();

    MaskView &maskView() { return *m_view; }

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void refreshPicture();
    /// A frame of its own while nothing scans or captures: the live picture to paint on.
    void grabPicture();

    MotionCapture &m_motion;
    CaptureSession &m_session;
    const ApplicationState &m_state;
    MaskView *m_view = nullptr;
    QTimer m_refresh; // the picture follows the scans while the editor is open
};
