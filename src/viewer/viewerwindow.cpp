#include "viewer/viewerwindow.h"

#include "capture/captureruncontrol.h"
#include "capture/capturesession.h"
#include "shell/applicationstate.h"
#include "shell/boxfit.h"
#include "shell/messages.h"
#include "shell/sound.h"
#include "shell/toolwindows.h"
#include "shell/viewerhost.h"
#include "viewer/arrowscrollbar.h"
#include "viewer/picturebox.h"
#include "viewer/picturesource.h"
#include "viewer/picturetimestamp.h"
#include "viewer/printrequests.h"
#include "viewer/scrollerbox.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const char *const FirstPageMissingText =
    "Picturerange 1-10 not present or incomplete !\r\r             (Re)start capturing";
const char *const IncompletePageText =
    " Picturerange not present or incomplete \r\r                 Scroll back !";

// The widest start time the box is to show whole: a long date at the end of a year.
QString longestStartTime()
{
    return ViewerPaging::startTimeText(
        TimeStampText(QDateTime(QDate(2088, 12, 28), QTime(23, 58, 58))));
}
} // namespace

ViewerWindow::ViewerWindow(QWidget *parent, const Parts &parts)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), m_parts(parts), m_page(parts.pictures),
      m_loader(parts.pictures)
{
    setObjectName("viewer");
    setWindowTitle(" Viewer");
    buildLayout();
    connectLoader();
    resize(694, 299); // a default; the layout keeps every text whole
    parts.tools.add(ToolWindows::Role::Viewer, this, [this] {
        placeOverMainWindow();
        show();
        raise();
        activateWindow();
    });
}

void ViewerWindow::buildLayout()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 7, 9, 8);
    layout->setSpacing(8);
    layout->addWidget(buildThumbnails(), 1);
    layout->addWidget(buildBottomBar());
}

QWidget *ViewerWindow::buildThumbnails()
{
    auto *panel = new QWidget(this);
    panel->setObjectName("thumbnails");
    panel->setToolTip("Click on any of the 10 pictures to display full screen");
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(15);
    grid->setVerticalSpacing(8);
    for (int i = 0; i < ViewerPaging::PageSize; ++i) {
        auto *thumbnail = new PictureBox("Click for full screen", QSize(120, 105), panel);
        thumbnail->setObjectName(QStringLiteral("thumbnail%1").arg(i + 1));
        thumbnail->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        grid->addWidget(thumbnail, i / 5, i % 5);
        connect(thumbnail, &PictureBox::clicked, this, [this, k = i + 1] {
            hide();
            emit thumbnailClicked(k);
        });
        m_thumbnails[std::size_t(i)] = thumbnail;
    }
    return panel;
}

QWidget *ViewerWindow::buildBottomBar()
{
    auto *bar = new QFrame(this);
    bar->setObjectName("bottomBar");
    bar->setFrameShape(QFrame::StyledPanel);
    m_close = new QPushButton("Close", bar);
    m_close->setObjectName("close");
    m_range = new ScrollerBox(0, ViewerPaging::LastRangePosition, 0, m_page.rangeText(),
                              {ViewerPaging::rangeText(10 * ViewerPaging::LastRangePosition)}, bar);
    m_range->setNames("rangeScroller", "Picture range");
    m_range->bar()->setPageStep(1);
    m_step = new ScrollerBox(ViewerPaging::FirstStepSelector, ViewerPaging::LastStepSelector,
                             ViewerPaging::FirstStepSelector, m_page.stepText(),
                             {QStringLiteral("Step 100.000")}, bar);
    m_step->setNames("stepScroller", "Step");
    m_step->bar()->setPageStep(1);
    m_step->bar()->setFocusPolicy(Qt::TabFocus);
    m_startTime = new QLineEdit(m_page.startTimeText(), bar);
    m_startTime->setObjectName("startTime");
    m_startTime->setToolTip("Start date-time of first picture in viewer");
    m_startTime->setAccessibleName(m_startTime->toolTip());
    m_startTime->setReadOnly(true);
    m_startTime->setFocusPolicy(Qt::NoFocus);
    m_startTime->ensurePolished();
    m_startTime->setMinimumWidth(
        std::max(145, BoxFit::lineEditWidth(m_startTime, longestStartTime())));
    m_printRange = new QPushButton("Print range ", bar);
    m_printRange->setObjectName("printRange");
    m_makeVideo = new QPushButton("Make video", bar);
    m_makeVideo->setObjectName("makeVideoButton");
    for (QPushButton *b : {m_close, m_printRange, m_makeVideo})
        b->setFocusPolicy(Qt::TabFocus);

    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(11, 8, 11, 8);
    row->setSpacing(10);
    for (QWidget *w : std::initializer_list<QWidget *>{m_close, m_range, m_step, m_startTime,
                                                       m_printRange, m_makeVideo})
        row->addWidget(w);

    connect(m_close, &QPushButton::clicked, this, &ViewerWindow::closeViewer);
    connect(m_makeVideo, &QPushButton::clicked, this,
            [this] { emit makeVideoPressed(m_page.pageStart()); });
    connect(m_printRange, &QPushButton::clicked, this,
            [this] { m_parts.print.printRange(printedRange()); });
    connect(m_range->bar(), &QScrollBar::valueChanged, this, &ViewerWindow::rangeChanged);
    connect(m_step->bar(), &QScrollBar::valueChanged, this, &ViewerWindow::stepChanged);
    return bar;
}

void ViewerWindow::connectLoader()
{
    connect(&m_loader, &ThumbnailLoader::pictureReady, this,
            [this](int index, const QImage &picture) {
                m_page.setPicture(index, picture);
                m_thumbnails[std::size_t(index)]->setPicture(picture);
            });
    connect(&m_loader, &ThumbnailLoader::pictureFailed, this, &ViewerWindow::pageFailed);
}

QSize ViewerWindow::thumbnailBox() const
{
    const PictureBox *thumbnail = m_thumbnails.front();
    const QSize box = thumbnail->size().expandedTo(thumbnail->sizeHint());
    return box * thumbnail->devicePixelRatioF();
}

// The page as printed: its pictures in full, as the paper has room for far more than a
// thumbnail; a picture that has gone meanwhile prints as its thumbnail.
PrintRequests::Range ViewerWindow::printedRange() const
{
    PrintRequests::Range range{10 * m_page.rangePosition(),
                               m_page.pageStart(),
                               m_page.directory(),
                               m_page.printRangeText(),
                               {}};
    for (int k = 1; k <= 10; ++k) {
        const ViewerPage::Slot &slot = m_page.slot(k);
        const Result<QImage> full =
            slot.enabled ? m_parts.pictures.load(m_page.directory(), m_page.pageStart() + k - 1)
                         : Result<QImage>(QImage());
        range.pictures[std::size_t(k - 1)] = full ? *full : slot.picture;
    }
    return range;
}

void ViewerWindow::open()
{
    if (!m_page.firstPageStored()) {
        m_parts.click.play();
        m_parts.messages.information(FirstPageMissingText);
        return;
    }
    if (m_parts.state.CaptureRunning())
        m_parts.run.startStop();
    m_parts.tools.open(ToolWindows::Role::Viewer);
    // Page 0 of directory "1", loaded once whether or not the scroller was elsewhere.
    {
        const QSignalBlocker quiet(m_range->bar());
        m_range->bar()->setValue(0);
    }
    rangeChanged(0);
    emit opened();
    m_parts.host.setPictureCaptionShown(false);
    m_parts.host.setInputEnabled(false);
    m_parts.session.PreviewOff();
    m_range->bar()->setFocus();
}

void ViewerWindow::placeOverMainWindow()
{
    const QPoint offset = m_parts.host.isMaximized() ? QPoint(158, 230) : QPoint(46, 150);
    move(m_parts.host.topLeft() + offset);
}

void ViewerWindow::closeViewer()
{
    m_parts.click.play();
    if (m_parts.host.isOverlayChecked())
        m_parts.session.OverlayOn();
    else
        m_parts.session.PreviewOn();
    m_parts.host.setInputEnabled(true);
    hide();
}

void ViewerWindow::showAgain()
{
    show();
    raise();
    activateWindow();
    m_range->bar()->setFocus();
}

void ViewerWindow::emptySlots()
{
    m_loader.cancel();
    m_page.emptySlots();
    showPage();
}

void ViewerWindow::rangeChanged(int position)
{
    m_range->bar()->setSingleStep(m_page.rangeStep());
    const ViewerPage::Loaded loaded = m_page.selectRange(position);
    emit pageDirectorySelected(m_page.directory());
    // The pictures follow from the workers; the window goes on answering meanwhile.
    m_loader.load(m_page.directory(), m_page.pageStart(), loaded.pictures, thumbnailBox());
    showPage();
    if (!loaded.complete()) {
        // One click, one step and one message: a held arrow stops before the box shows.
        m_range->bar()->stopArrows();
        m_parts.messages.information(IncompletePageText);
    } else if (!loaded.stampError.isEmpty()) {
        m_parts.messages.error(loaded.stampError);
    }
}

void ViewerWindow::pageFailed(int index, const QString &reason)
{
    m_page.pictureFailed(index, reason);
    showPage();
    m_range->bar()->stopArrows();
    m_parts.messages.information(IncompletePageText);
}

void ViewerWindow::stepChanged(int selector)
{
    if (m_page.changeStep(selector))
        m_step->setText(m_page.stepText());
    m_range->bar()->setSingleStep(m_page.rangeStep());
}

void ViewerWindow::showPage()
{
    for (int k = 1; k <= ViewerPaging::PageSize; ++k) {
        PictureBox *thumbnail = m_thumbnails[std::size_t(k - 1)];
        thumbnail->setPicture(m_page.slot(k).picture);
        thumbnail->setEnabled(m_page.slot(k).enabled);
    }
    m_range->setText(m_page.rangeText());
    m_startTime->setText(m_page.startTimeText());
    m_startTime->setCursorPosition(0);
}

void ViewerWindow::closeEvent(QCloseEvent *event)
{
    // The close box acts as "Close"; a window that is already hidden has nothing to undo.
    if (isVisible())
        closeViewer();
    event->accept();
}

void ViewerWindow::keyPressEvent(QKeyEvent *event)
{
    // The arrow keys page wherever the focus is in the window.
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        m_range->bar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        return;
    case Qt::Key_Right:
    case Qt::Key_Up:
        m_range->bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void ViewerWindow::setPrintRangeEnabled(bool enabled)
{
    m_printRange->setEnabled(enabled);
}
