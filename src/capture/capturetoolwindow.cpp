#include "capture/capturetoolwindow.h"

#include "app/mainwindow.h"

#include <QScreen>

CaptureToolWindow::CaptureToolWindow(MainWindow &mainWindow, const QString &caption,
                                     QSize clientSize)
    : QWidget(&mainWindow, Qt::Tool | Qt::WindowStaysOnTopHint), m_main(mainWindow)
{
    setWindowTitle(caption);
    setFixedSize(clientSize);
}

void CaptureToolWindow::showCentred()
{
    if (QScreen *s = m_main.screen()) {
        QRect outer = frameGeometry();
        outer.moveCenter(s->availableGeometry().center());
        move(outer.topLeft());
    }
    show();
    raise();
    activateWindow();
}

void CaptureToolWindow::redrawVideoArea()
{
    QWidget *video = m_main.videoArea();
    video->hide();
    video->show();
    video->repaint();
}

void CaptureToolWindow::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    if (isVisible())
        redrawVideoArea();
}

void CaptureToolWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (isVisible())
        redrawVideoArea();
}
