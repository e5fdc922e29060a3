#include "shell/capturetoolwindow.h"

#include "shell/captureview.h"

#include <QKeyEvent>
#include <QScreen>

CaptureToolWindow::CaptureToolWindow(QWidget *parent, CaptureView &view, const QString &caption,
                                     QSize clientSize)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), m_view(view)
{
    setWindowTitle(caption);
    // A default, not a cage: the layout of the window keeps it large enough for its texts.
    resize(clientSize);
}

void CaptureToolWindow::showCentred()
{
    resize(size().expandedTo(sizeHint()));
    if (QScreen *s = screen()) {
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
    m_view.redrawVideoArea();
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

void CaptureToolWindow::keyPressEvent(QKeyEvent *event)
{
    // Escape acts as the close box, which each window answers as its "Cancel".
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
