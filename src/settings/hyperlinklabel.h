#pragma once
// A focusable text label that looks and acts like a web link: underlined, blue at rest, green
// while hovered or focused, red while the left button is held on it; a left click or Enter
// opens its target through the desktop. It can show its target in a status bar panel.

#include <QColor>
#include <QLabel>

/// A status bar's panels, as the label shows its target in one of them.
class StatusPanels
{
public:
    virtual ~StatusPanels() = default;
    virtual QString statusPanel(int index) const = 0;
    virtual void showStatusPanel(int index, const QString &text) = 0;
};

class HyperLinkLabel : public QLabel
{
    Q_OBJECT
public:
    explicit HyperLinkLabel(const QString &caption, QWidget *parent = nullptr);

    /// A new caption; the size follows it.
    void setCaption(const QString &caption)
    {
        setText(caption);
        fitToText();
    }
    /// The link target; nothing is opened while it is empty.
    void setHref(const QString &href) { m_href = href; }
    QString href() const { return m_href; }
    void setNotPressedColor(const QColor &colour);
    void setOverColor(const QColor &colour);
    void setPressedColor(const QColor &colour) { m_pressedColour = colour; }
    QColor notPressedColor() const { return m_notPressedColour; }
    QColor overColor() const { return m_overColour; }
    QColor pressedColor() const { return m_pressedColour; }
    /// The text colour shown now.
    QColor textColor() const;
    void setStatusBar(StatusPanels *panels, int panel);

signals:
    /// A completed left click (Enter does not click).
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void showColour(const QColor &colour);
    void fitToText();
    void release(QPoint at, Qt::MouseButton button);
    bool inside(QPoint at) const;

    QString m_href;
    QColor m_notPressedColour = Qt::blue;
    QColor m_overColour = Qt::green;
    QColor m_pressedColour = Qt::red;
    StatusPanels *m_statusBar = nullptr;
    int m_statusPanel = 0;
    QString m_savedPanelText;
    bool m_pressed = false;
    bool m_hovered = false;
    bool m_insideWhilePressed = false;
    bool m_showingColour = false;
    QColor m_shownColour;
    QColor m_background{192, 192, 192};
};
