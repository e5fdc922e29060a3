#pragma once
// "About": the product and its version, the maker's notice, and a link to the user guide that
// is installed with the program.

#include <QUrl>
#include <QWidget>

class HyperLinkLabel;
class ToolWindows;

class AboutBox : public QWidget
{
    Q_OBJECT
public:
    /// parent is the main window, over which the box opens.
    AboutBox(QWidget *parent, ToolWindows &tools);

    /// "About": hides the other tool windows and shows the box over the main window.
    void open();
    /// The user guide beside the installed program (a file address).
    static QUrl guideUrl();
    HyperLinkLabel *link() const { return m_link; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showOverMainWindow();

    ToolWindows &m_tools;
    HyperLinkLabel *m_link;
};
