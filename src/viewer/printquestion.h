#pragma once
// A print question: a small tool window with the question on one borderless line and "OK"
// and "Cancel" at its lower left. Shown without blocking; Escape answers as "Cancel" does.

#include <QWidget>

class QLineEdit;
class QPushButton;

class PrintQuestion : public QWidget
{
    Q_OBJECT
public:
    enum class Placement
    {
        ScreenCentre,
        ParentCentre,
    };

    PrintQuestion(QWidget *parent, const QString &caption, const QString &question,
                  Placement placement, bool okIsDefault);

    /// Shows the window with question.
    void ask(const QString &question);
    QString question() const;

signals:
    void okPressed();
    void cancelPressed();
    /// The close box hides the window without an answer.
    void closedByBox();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QLineEdit *m_question;
    Placement m_placement;
};
