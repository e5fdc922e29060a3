#pragma once
// The frame the capture subsystem's small windows share: a tool window that stays on top with a
// fixed client size, opens centred on the screen and, when moved or resized, has the main
// window's video area redrawn so that the live picture reappears where it was covered.

#include <QWidget>

class MainWindow;

class CaptureToolWindow : public QWidget
{
    Q_OBJECT
public:
    CaptureToolWindow(MainWindow &mainWindow, const QString &caption, QSize clientSize);

    /// Shows the window centred on its screen, without blocking.
    void showCentred();

protected:
    /// Hide, repaint and show the video area.
    void redrawVideoArea();
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

    MainWindow &m_main;
};
