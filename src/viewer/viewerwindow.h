#pragma once
// The " Viewer" tool window: the store's pictures ten at a time, paged with the range scroller
// in steps chosen with the step scroller. A click on a thumbnail opens it full screen. While it
// is open the main window takes no input and the live picture is off. Parented to the main
// window, which owns it; it owns its page.

#include "viewer/printrequests.h"
#include "viewer/thumbnailloader.h"
#include "viewer/viewerpage.h"

#include <QDialog>

#include <array>

struct ApplicationState;
class CaptureRunControl;
class CaptureSession;
class Messages;
class PictureBox;
class QLineEdit;
class QPushButton;
class ScrollerBox;
class Sound;
class ToolWindows;
class ViewerHost;

class ViewerWindow : public QDialog
{
    Q_OBJECT
public:
    /// The collaborators: the main window as host, the capture run it stops, the session whose
    /// live picture it switches, where pictures come from and where print requests go.
    struct Parts
    {
        ViewerHost &host;
        ApplicationState &state;
        Sound &click;
        Messages &messages;
        ToolWindows &tools;
        CaptureRunControl &run;
        CaptureSession &session;
        PictureSource &pictures;
        PrintRequests &print;
    };

    ViewerWindow(QWidget *parent, const Parts &parts);

    ViewerPage &page() { return m_page; }
    /// "Print range " is locked while its page prints.
    void setPrintRangeEnabled(bool enabled);

    /// The main window's "View".
    void open();
    /// "Close", the close box and Escape.
    void closeViewer();
    /// Back from the full-screen view, with the page as it was.
    void showAgain();
    /// The pictures were deleted: none stays on show.
    void emptySlots();
    /// The page's thumbnails are still being decoded.
    bool loading() const { return m_loader.loading(); }

    void reject() override { closeViewer(); }

signals:
    /// Thumbnail k (1 to 10) was clicked; the viewer has hidden itself.
    void thumbnailClicked(int k);
    /// A page in this directory was selected.
    void pageDirectorySelected(int directory);
    /// The viewer opened over the main window as it is now sized.
    void opened();
    /// "Make video", from the first picture of the page shown.
    void makeVideoPressed(int first);

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildLayout();
    QWidget *buildThumbnails();
    QWidget *buildBottomBar();
    void rangeChanged(int position);
    void stepChanged(int selector);
    void showPage();
    void placeOverMainWindow();
    void connectLoader();
    void pageFailed(int index, const QString &reason);
    /// The size the thumbnails are decoded for, in device pixels.
    QSize thumbnailBox() const;
    PrintRequests::Range printedRange() const;

    Parts m_parts;
    ViewerPage m_page;
    ThumbnailLoader m_loader;
    std::array<PictureBox *, ViewerPaging::PageSize> m_thumbnails{};
    QPushButton *m_close = nullptr;
    ScrollerBox *m_range = nullptr;
    ScrollerBox *m_step = nullptr;
    QLineEdit *m_startTime = nullptr;
    QPushButton *m_printRange = nullptr;
    QPushButton *m_makeVideo = nullptr;
};
