#pragma once
// A scroller as the viewer and the full-screen toolbar show it: the two arrows of a scroll bar
// with a read-only box laid over the bar between them, so that only the arrows (and the keys)
// move it. The box is wide enough for the longest text it will show.

#include <QStringList>
#include <QWidget>

class ArrowScrollBar;
class ReadOnlyBox;

class ScrollerBox : public QWidget
{
    Q_OBJECT
public:
    ScrollerBox(int minimum, int maximum, int value, const QString &text,
                const QStringList &longestTexts, QWidget *parent);

    ArrowScrollBar *bar() const { return m_bar; }
    /// Names the scroller, its bar (name + "Bar") and its box (name + "Box"); the accessible
    /// name goes to both, as neither has a caption.
    void setNames(const QString &name, const QString &accessibleName);
    void setText(const QString &text);
    QString text() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    ArrowScrollBar *m_bar;
    ReadOnlyBox *m_box;
    QStringList m_longestTexts;
};
