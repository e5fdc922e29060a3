#pragma once
// The full-screen picture view on the main window: a toolbar (printer set-up, print, the scale
// bar and the picture scroller) and one stored picture drawn large. Entered from a thumbnail
// of the viewer, left by a click on the picture. Its widgets live in the main window, which
// takes them through ViewerHost; the stepping rules are FullScreenBrowser's.

#include "viewer/fullscreenbrowser.h"
#include "viewer/fullscreendisplay.h"
#include "viewer/picturereadahead.h"

#include <QObject>
#include <QRect>

class Messages;
class PictureBox;
class PrintRequests;
class QFrame;
class ReadOnlyBox;
class QPushButton;
class QScrollBar;
class ScrollerBox;
class ViewerHost;

class FullScreenView : public QObject, public FullScreenDisplay
{
    Q_OBJECT
public:
    FullScreenView(ViewerHost &host, ViewerPage &page, PictureSource &pictures,
                   PrintRequests &print, Messages &messages);

    /// A click on thumbnail k (1 to 10) of the viewer's page.
    void enter(int k);
    /// Lays the picture out again for the scale bar's position and the window's width.
    void applyScale();
    /// The maximised main window was resized: the scale bar moves one position down.
    void stepScaleDown();
    /// The viewer selected a page in this directory.
    void pageDirectorySelected(int directory);

    bool isActive() const { return m_active; }
    /// Printing locks "Print" and "Printer Setup" while it asks or sets up.
    void setPrintButtonsEnabled(bool print, bool setup);
    /// The picture in view, at its own size, for printing: decoded again in full, as the view
    /// may show it smaller.
    QImage picture() const;
    const FullScreenBrowser &browser() const { return m_browser; }

    // FullScreenDisplay
    int scrollerPosition() const override;
    void setScrollerPosition(int position) override;
    void setScrollerMinimum(int minimum) override;
    void showPictureNumber(int picture) override;
    void showCaptionText(const QString &text) override;
    void recentrePicture() override;
    void showPicture(const QImage &picture) override;
    QSize pictureBox() const override;
    void pictureNotPresent() override;

signals:
    /// The picture was clicked: the view is gone and the viewer is to show again.
    void returned();

private:
    void buildToolbar();
    void returnToViewer();
    void placePicture(const QRect &box);
    void updateCaptionShown();

    ViewerHost &m_host;
    ViewerPage &m_page;
    PictureReadAhead m_pictures; // the source's, with the next step's read ahead
    Messages &m_messages;
    PrintRequests &m_print;
    QWidget *m_area;
    PictureBox *m_picture;
    QFrame *m_toolbar;
    QPushButton *m_printerSetup = nullptr;
    QPushButton *m_printButton = nullptr;
    ReadOnlyBox *m_scaleBox = nullptr;
    QScrollBar *m_scaleBar = nullptr;
    ScrollerBox *m_scroller = nullptr;
    QRect m_box;
    QRect m_savedBox;
    QPoint m_captionPlace;
    QString m_captionText;
    bool m_active = false;
    FullScreenBrowser m_browser;
};
