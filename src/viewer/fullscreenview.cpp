#include "viewer/fullscreenview.h"

#include "shell/applicationstate.h"
#include "shell/boxfit.h"
#include "shell/messages.h"
#include "shell/viewerhost.h"
#include "viewer/arrowscrollbar.h"
#include "viewer/fullscreengeometry.h"
#include "viewer/picturebox.h"
#include "viewer/picturesource.h"
#include "viewer/printrequests.h"
#include "viewer/readonlybox.h"
#include "viewer/scrollerbox.h"
#include "viewer/viewerpage.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>

namespace {
const char *const NotPresentText =
    "   Picture not present !                  \r\r        Scroll back     ";

QPushButton *toolButton(const QString &caption, const char *name, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}
} // namespace

FullScreenView::FullScreenView(ViewerHost &host, ViewerPage &page, PictureSource &pictures,
                               PrintRequests &print, Messages &messages)
    : m_host(host), m_page(page), m_pictures(pictures), m_messages(messages), m_print(print),
      m_area(new QWidget), m_picture(new PictureBox("Click to return", QSize(), m_area)),
      m_toolbar(new QFrame), m_browser(page, m_pictures, *this)
{
    // The window's own background shows around the picture, in either look.
    m_area->setObjectName("fullScreenArea");
    m_picture->setObjectName("fullScreenPicture");
    m_picture->setFocusPolicy(Qt::NoFocus);
    connect(m_picture, &PictureBox::clicked, this, &FullScreenView::returnToViewer);
    buildToolbar();
    host.embedFullScreenView(m_area, m_toolbar);
    applyScale();
}

void FullScreenView::buildToolbar()
{
    m_toolbar->setObjectName("fullScreenToolbar");
    m_toolbar->setFrameShape(QFrame::Panel);
    m_toolbar->setFrameShadow(QFrame::Raised);
    m_toolbar->setAutoFillBackground(true);
    m_printerSetup = toolButton("Printer Setup", "printerSetup", m_toolbar);
    m_printButton = toolButton("Print", "print", m_toolbar);
    m_scaleBox = new ReadOnlyBox("Scale ", m_toolbar);
    m_scaleBox->setObjectName("scaleBox");
    m_scaleBox->setAccessibleName("scale");
    m_scaleBox->setMinimumWidth(
        std::max(99, BoxFit::lineEditWidth(m_scaleBox, QStringLiteral("scaling   319999"))));
    m_scaleBar = new QScrollBar(Qt::Horizontal, m_toolbar);
    m_scaleBar->setObjectName("scaleBar");
    m_scaleBar->setAccessibleName("scale");
    m_scaleBar->setRange(FullScreenGeometry::MinimumScale, FullScreenGeometry::MaximumScale);
    m_scaleBar->setSingleStep(10);
    m_scaleBar->setPageStep(50);
    m_scaleBar->setValue(FullScreenGeometry::InitialScale);
    m_scaleBar->setMinimumWidth(117);
    m_scaleBar->setFocusPolicy(Qt::TabFocus);
    m_scaleBar->setInvertedControls(false); // Right and Up enlarge
    m_scroller = new ScrollerBox(0, FullScreenBrowser::RestartIndex, 0, "Scroll picture",
                                 {QStringLiteral("Scroll picture  319999")}, m_toolbar);
    m_scroller->setNames("pictureScroller", "Scroll picture");

    auto *row = new QHBoxLayout(m_toolbar);
    row->setContentsMargins(6, 4, 6, 4);
    for (QWidget *w : std::initializer_list<QWidget *>{m_printerSetup, m_printButton, m_scaleBox,
                                                       m_scaleBar, m_scroller})
        row->addWidget(w);
    row->insertSpacing(4, 20);
    row->addStretch(1);
    m_toolbar->setMinimumHeight(42);

    connect(m_printerSetup, &QPushButton::clicked, this, [this] { m_print.printerSetup(); });
    connect(m_printButton, &QPushButton::clicked, this, [this] {
        m_print.printPicture({m_browser.currentPicture(), m_page.viewDirectory(), picture()});
    });
    connect(m_scaleBar, &QScrollBar::valueChanged, this, &FullScreenView::applyScale);
    connect(m_scroller->bar(), &QScrollBar::valueChanged, this,
            [this] { m_browser.positionChanged(); });
    connect(m_scroller->bar(), &ArrowScrollBar::scrolled, this, [this] { m_browser.scrolled(); });
}

void FullScreenView::enter(int k)
{
    m_host.setInputEnabled(true);
    m_active = true;
    m_host.showFullScreenView(true);
    m_printerSetup->show();
    placePicture(m_savedBox);
    // The slot holds a thumbnail's worth; the view decodes the picture for its box. Should it
    // have gone meanwhile, the thumbnail stands in and the browser says what is missing.
    const Result<QImage> shown =
        m_pictures.loadScaled(m_page.viewDirectory(), m_page.pageStart() + k - 1, pictureBox());
    showPicture(shown ? *shown : m_page.slot(k).picture);
    const QString failure = m_browser.enter(k);
    placePicture(m_box); // the caption goes where the picture now stands
    updateCaptionShown();
    m_scroller->bar()->setFocus();
    if (!failure.isEmpty())
        m_messages.error(failure);
}

void FullScreenView::returnToViewer()
{
    m_host.setPictureCaptionShown(false);
    placePicture(m_savedBox);
    m_active = false;
    m_pictures.clear();
    m_printerSetup->hide();
    m_host.showFullScreenView(false);
    m_host.setInputEnabled(false);
    m_browser.leave();
    emit returned();
}

void FullScreenView::applyScale()
{
    const int scale = m_scaleBar->value();
    m_savedBox = FullScreenGeometry::scaledBox(m_host.outerWidth(), scale);
    placePicture(m_savedBox);
    updateCaptionShown();
    // A box grown past the picture decoded for the last one gets the picture decoded anew.
    const QSize shown = m_picture->picture().size();
    if (m_active && !shown.isEmpty() &&
        shown.width() < shown.scaled(pictureBox(), Qt::KeepAspectRatio).width()) {
        const Result<QImage> larger =
            m_pictures.loadScaled(m_page.viewDirectory(), m_browser.currentPicture(), pictureBox());
        if (larger && larger->size() != shown)
            showPicture(*larger);
    }
}

void FullScreenView::stepScaleDown()
{
    m_scaleBar->setValue(m_scaleBar->value() - 1);
}

void FullScreenView::updateCaptionShown()
{
    m_host.setPictureCaptionShown(
        m_active && FullScreenGeometry::captionAllowed(m_host.isMaximized(), m_box.width()));
}

void FullScreenView::placePicture(const QRect &box)
{
    m_box = box;
    m_picture->setGeometry(box);
    m_captionPlace = box.topLeft() - QPoint(0, FullScreenGeometry::CaptionRise);
    m_host.setPictureCaption(m_captionText, m_captionPlace);
}

void FullScreenView::pageDirectorySelected(int directory)
{
    m_browser.pageDirectorySelected(directory);
}

QImage FullScreenView::picture() const
{
    const Result<QImage> full = m_pictures.load(m_page.viewDirectory(), m_browser.currentPicture());
    return full ? *full : m_picture->picture();
}

QSize FullScreenView::pictureBox() const
{
    return m_box.size() * m_picture->devicePixelRatioF();
}

int FullScreenView::scrollerPosition() const
{
    return m_scroller->bar()->value();
}

void FullScreenView::setScrollerPosition(int position)
{
    m_scroller->bar()->setValue(position);
}

void FullScreenView::setScrollerMinimum(int minimum)
{
    m_scroller->bar()->setMinimum(minimum);
}

void FullScreenView::showPictureNumber(int picture)
{
    m_scaleBox->showText(QStringLiteral("scaling   ") + QString::number(picture));
    m_scroller->setText(QStringLiteral("Scroll picture  ") + QString::number(picture));
}

void FullScreenView::showCaptionText(const QString &text)
{
    m_captionText = text;
    // The caption keeps its place while the picture is re-centred under it.
    m_host.setPictureCaption(text, m_captionPlace);
}

void FullScreenView::recentrePicture()
{
    m_box = FullScreenGeometry::recentredBox(m_host.outerWidth(), m_scaleBar->value());
    m_picture->setGeometry(m_box);
}

void FullScreenView::showPicture(const QImage &picture)
{
    m_picture->setPicture(picture);
}

void FullScreenView::pictureNotPresent()
{
    m_scroller->bar()->stopArrows();
    m_messages.information(NotPresentText);
}

void FullScreenView::setPrintButtonsEnabled(bool print, bool setup)
{
    m_printButton->setEnabled(print);
    m_printerSetup->setEnabled(setup);
}
