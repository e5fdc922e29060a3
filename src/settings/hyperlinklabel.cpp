#include "settings/hyperlinklabel.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QUrl>

HyperLinkLabel::HyperLinkLabel(const QString &caption, QWidget *parent) : QLabel(caption, parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    setAutoFillBackground(true);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    m_showingColour = true;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, m_background);
    setPalette(palette);
    m_showingColour = false;
    showColour(m_notPressedColour);
    fitToText();
}

QColor HyperLinkLabel::textColor() const
{
    return m_shownColour;
}

void HyperLinkLabel::showColour(const QColor &colour)
{
    // Our own colour changes are not a new rest colour (see changeEvent). A style sheet of its
    // own keeps the link's colours under the program's skin too.
    m_showingColour = true;
    m_shownColour = colour;
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, colour);
    setPalette(palette);
    setStyleSheet(QStringLiteral("HyperLinkLabel { color: %1; background-color: %2; }")
                      .arg(colour.name(), m_background.name()));
    m_showingColour = false;
    update();
}

void HyperLinkLabel::setNotPressedColor(const QColor &colour)
{
    m_notPressedColour = colour;
    if (!m_pressed && !m_hovered)
        showColour(colour);
}

void HyperLinkLabel::setOverColor(const QColor &colour)
{
    m_overColour = colour;
    if (m_hovered && !m_pressed)
        showColour(colour);
}

void HyperLinkLabel::setStatusBar(StatusPanels *panels, int panel)
{
    m_statusBar = panels;
    m_statusPanel = panel;
}

// The size follows the caption: an italic font leans past its last letter, so it is measured
// with a comma after it.
void HyperLinkLabel::fitToText()
{
    const QFontMetrics metrics(font());
    const QString measured = font().italic() && font().family() != QLatin1String("MS Sans Serif")
                                 ? text() + ','
                                 : text();
    const int border = frameShape() == QFrame::NoFrame ? 1 : 4;
    setFixedSize(metrics.horizontalAdvance(measured) + border, metrics.height() + border);
}

bool HyperLinkLabel::inside(QPoint at) const
{
    return at.x() >= 0 && at.y() >= 0 && at.x() <= width() && at.y() <= height();
}

void HyperLinkLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        m_hovered = false;
        showColour(m_pressedColour);
    }
    QLabel::mousePressEvent(event);
}

void HyperLinkLabel::mouseMoveEvent(QMouseEvent *event)
{
    QLabel::mouseMoveEvent(event);
    const QPoint at = event->position().toPoint();
    if (m_statusBar && at.x() <= width() && at.y() <= height())
        m_statusBar->showStatusPanel(m_statusPanel, m_href);
    if (!(event->buttons() & (Qt::LeftButton | Qt::MiddleButton))) {
        m_pressed = false;
        m_hovered = true;
        showColour(m_overColour);
        return;
    }
    if (inside(at) && !m_insideWhilePressed) {
        m_insideWhilePressed = true;
        m_pressed = true;
        showColour(m_pressedColour);
    } else if (!inside(at) && m_insideWhilePressed) {
        m_insideWhilePressed = false;
        m_pressed = false;
        showColour(m_notPressedColour);
    }
}

void HyperLinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && inside(at) && m_pressed)
        emit clicked();
    release(at, event->button());
    QLabel::mouseReleaseEvent(event);
}

void HyperLinkLabel::release(QPoint at, Qt::MouseButton button)
{
    m_pressed = false;
    m_insideWhilePressed = false;
    showColour(m_notPressedColour);
    repaint();
    if (inside(at) && !m_href.isEmpty() && button == Qt::LeftButton)
        QDesktopServices::openUrl(QUrl::fromUserInput(m_href)); // no browser: nothing happens
}

void HyperLinkLabel::keyPressEvent(QKeyEvent *event)
{
    // Enter acts as a release of the left button on the label, without a click; it goes no
    // further (not to a default button of the window).
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        release(QPoint(1, 1), Qt::LeftButton);
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

void HyperLinkLabel::focusInEvent(QFocusEvent *event)
{
    if (m_statusBar) {
        m_savedPanelText = m_statusBar->statusPanel(m_statusPanel);
        m_statusBar->showStatusPanel(m_statusPanel, m_href);
    }
    if (!m_pressed) {
        m_hovered = true;
        showColour(m_overColour);
    }
    QLabel::focusInEvent(event);
}

void HyperLinkLabel::focusOutEvent(QFocusEvent *event)
{
    m_hovered = false;
    showColour(m_notPressedColour);
    if (m_statusBar && m_statusBar->statusPanel(m_statusPanel) == m_href)
        m_statusBar->showStatusPanel(m_statusPanel, m_savedPanelText);
    QLabel::focusOutEvent(event);
}

void HyperLinkLabel::leaveEvent(QEvent *event)
{
    if (m_hovered && isEnabled() && !hasFocus()) {
        m_hovered = false;
        showColour(m_notPressedColour);
    }
    QLabel::leaveEvent(event);
}

void HyperLinkLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && !m_showingColour && !m_pressed && !m_hovered &&
        palette().color(QPalette::WindowText) != m_shownColour) {
        // A colour set from outside is the new rest colour.
        m_notPressedColour = palette().color(QPalette::WindowText);
        showColour(m_notPressedColour);
    }
    if (event->type() == QEvent::FontChange)
        fitToText();
}

void HyperLinkLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    QPainter painter(this);
    painter.setPen(m_background);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.backgroundColor = m_background;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}
