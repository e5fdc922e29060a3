#pragma once
// The frame that most small windows share: a tool window that stays on top, opens
// centred on the screen at its default size (larger when its texts need it), closes on Escape as
// on its close box and, when moved or resized, has the main window's video area redrawn so that
// the live picture reappears where it was covered.

#include <QWidget>

class CaptureView;

class CaptureToolWindow : public QWidget
{
    Q_OBJECT
public:
    /// parent is the main window, which owns the tool window and keeps it on top of itself.
    CaptureToolWindow(QWidget *parent, CaptureView &view, const QString &caption, QSize clientSize);

    /// Shows the window centred on its screen, without blocking.
    void showCentred();

protected:
    /// Hide, repaint and show the video area.
    void redrawVideoArea();
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

    CaptureView &m_view;
};
