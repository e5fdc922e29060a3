#include "viewer/fullscreenbrowser.h"

#include "shell/picturenames.h"
#include "viewer/fullscreendisplay.h"
#include "viewer/picturesource.h"
#include "viewer/viewerpage.h"

#include <algorithm>

FullScreenBrowser::FullScreenBrowser(ViewerPage &page, PictureSource &pictures,
                                     FullScreenDisplay &display)
    : m_page(page), m_pictures(pictures), m_display(display)
{}

QString FullScreenBrowser::enter(int k)
{
    m_currentPicture = m_page.pageStart() + k - 1;
    m_display.showPictureNumber(m_currentPicture);
    m_entryDirectoryBase = m_page.viewDirectoryBase();
    m_entryDirectory = m_page.viewDirectory();
    const Result<QString> stamp = m_pictures.timeStamp(m_page.viewDirectory(), m_currentPicture);
    if (!stamp) {
        if (k != 1)
            return stamp.error();
        notPresent();
        return {};
    }
    m_pictureTimeText = *stamp;
    m_display.setScrollerPosition(m_currentPicture - m_page.viewDirectoryBase());
    m_display.showCaptionText(captionText());
    readAheadNext();
    return {};
}

void FullScreenBrowser::leave()
{
    m_page.setViewDirectory(m_entryDirectory);
    m_page.setViewDirectoryBase(m_entryDirectoryBase);
}

void FullScreenBrowser::pageDirectorySelected(int directory)
{
    m_display.setScrollerMinimum(directory == 1 ? 0 : -1);
}

void FullScreenBrowser::prelude()
{
    const int p = m_display.scrollerPosition();
    if (m_previousIndex < p)
        m_scrollForward = true;
    if (m_previousIndex > p)
        m_scrollForward = false;
    if (p == 0)
        m_scrollForward = true;
    m_display.recentrePicture();

    // Each move of the scroller here runs a position change nested in this one, with the
    // directory as it was; this one then goes on in the new directory.
    if (p == RestartIndex) {
        m_display.setScrollerPosition(0);
    } else if (p == -1) {
        // Arriving at the end of the previous directory is a step back, not a jump forward to
        // 4999: should that picture be missing, the view steps forward again into this one.
        m_previousIndex = NextDirectoryIndex;
        m_display.setScrollerPosition(LastIndex);
        m_page.setViewDirectory(std::max(1, m_page.viewDirectory() - 1));
        m_page.setViewDirectoryBase(
            std::max(0, m_page.viewDirectoryBase() - PictureStore::PicturesPerDirectory));
    } else if (p == NextDirectoryIndex) {
        m_display.setScrollerMinimum(-1);
        m_display.setScrollerPosition(0);
        // No upper limit: past the last directory nothing is found, and the view steps back.
        m_page.setViewDirectory(m_page.viewDirectory() + 1);
        m_page.setViewDirectoryBase(m_page.viewDirectoryBase() +
                                    PictureStore::PicturesPerDirectory);
    }
}

void FullScreenBrowser::showNumbersOf(int index)
{
    m_currentPicture = m_page.viewDirectoryBase() + index;
    m_display.showPictureNumber(m_currentPicture);
}

QString FullScreenBrowser::captionText() const
{
    return QStringLiteral("picture") + QString::number(m_currentPicture) + QStringLiteral("   ") +
           m_pictureTimeText;
}

void FullScreenBrowser::positionChanged()
{
    prelude();
    showNumbersOf(m_display.scrollerPosition());
    // A missing picture is no matter here: the time text keeps its value.
    if (const Result<QString> stamp =
            m_pictures.timeStamp(m_page.viewDirectory(), m_currentPicture))
        m_pictureTimeText = *stamp;
    m_lastShownPicture = m_currentPicture;
    m_display.showCaptionText(captionText());
}

void FullScreenBrowser::scrolled()
{
    prelude();
    const int p = m_display.scrollerPosition();
    showNumbersOf(p);
    const Result<QString> stamp = m_pictures.timeStamp(m_page.viewDirectory(), m_currentPicture);
    if (!stamp) {
        notPresent();
        return;
    }
    m_pictureTimeText = *stamp;
    // A picture that is there but does not decode leaves the previous one on show.
    if (const Result<QImage> picture =
            m_pictures.loadScaled(m_page.viewDirectory(), m_currentPicture, m_display.pictureBox()))
        m_display.showPicture(*picture);
    readAheadNext();
    m_notPresentShown = false;
    m_lastShownPicture = m_currentPicture;
    m_display.showCaptionText(captionText());
    m_previousIndex = p;
}

void FullScreenBrowser::readAheadNext()
{
    // The next step most likely goes the same way; across a directory's end it goes through
    // the crossings, which are rare enough to be read when they come.
    const int next = m_currentPicture + (m_scrollForward ? 1 : -1);
    const int base = m_page.viewDirectoryBase();
    if (next >= base && next < base + PictureStore::PicturesPerDirectory)
        m_pictures.readAhead(m_page.viewDirectory(), next, m_display.pictureBox());
}

void FullScreenBrowser::notPresent()
{
    // Once per run into missing pictures; and not when stepping back onto a gap just after
    // the picture last shown.
    constexpr int LastPicture = PictureStore::StoreCapacity - 1;
    if (m_notPresentShown)
        return;
    if (m_lastShownPicture != LastPicture && m_lastShownPicture == m_currentPicture + 1)
        return;
    m_display.pictureNotPresent();
    const int p = m_display.scrollerPosition();
    m_display.setScrollerPosition(m_scrollForward ? p - 1 : p + 1);
    m_notPresentShown = true;
}
