#pragma once
// "Cells to ignore": paints the motion grid's cells to ignore on the detector's latest picture.
// "OK" hands the mask to motion detection; "Cancel" leaves the one it had.

#include "shell/capturetoolwindow.h"

#include <QTimer>

class MaskView;
class MotionCapture;

class MaskEditor : public CaptureToolWindow
{
    Q_OBJECT
public:
    /// motion must outlive the editor.
    MaskEditor(QWidget *parent, CaptureView &view, MotionCapture &motion);

    /// Shows the mask in force on the current grid.
    void open();
    void ok();
    void cancel();

    MaskView &maskView() { return *m_view; }

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void refreshPicture();

    MotionCapture &m_motion;
    MaskView *m_view = nullptr;
    QTimer m_refresh; // the picture follows the scans while the editor is open
};
