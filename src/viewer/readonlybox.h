#pragma once
// A read-only line of text that takes no focus and paints every pixel of its rectangle, the
// corners a rounded frame leaves in its parent's colour: a new text then repaints the box
// alone, not the toolbar or the scroll bar beneath it, at every step through the pictures.

#include <QLineEdit>

class ReadOnlyBox : public QLineEdit
{
    Q_OBJECT
public:
    ReadOnlyBox(const QString &text, QWidget *parent);

    /// Shows the text from its start. The same text again changes nothing: a step through the
    /// pictures sets its number twice, and laying out a text costs as much the second time.
    void showText(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
};
