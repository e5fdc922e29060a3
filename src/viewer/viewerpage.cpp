#include "viewer/viewerpage.h"

#include "shell/picturenames.h"
#include "viewer/picturesource.h"

ViewerPage::ViewerPage(PictureSource &pictures) : m_pictures(pictures) {}

bool ViewerPage::firstPageStored() const
{
    for (int n = 0; n < ViewerPaging::PageSize; ++n) {
        if (!m_pictures.exists(1, n))
            return false;
    }
    return true;
}

int ViewerPage::directory() const
{
    return ViewerPaging::pageAt(m_rangePosition).directory;
}

ViewerPage::Loaded ViewerPage::changeRange(int rangePosition)
{
    Loaded loaded = selectRange(rangePosition);
    for (int i = 0; i < loaded.pictures; ++i) {
        Result<QImage> picture = m_pictures.load(directory(), m_pageStart + i);
        if (!picture)
            return pictureFailed(i, picture.error());
        setPicture(i, std::move(*picture));
    }
    return loaded;
}

ViewerPage::Loaded ViewerPage::selectRange(int rangePosition)
{
    const ViewerPaging::Page page = ViewerPaging::pageAt(rangePosition);
    m_rangePosition = rangePosition;
    m_pageStart = page.start;
    m_viewDirectory = page.directory;
    m_viewDirectoryBase = page.directoryBase;
    m_rangeText = ViewerPaging::rangeText(page.start);
    m_previousStartTimeText = m_startTimeText;
    m_previousPrintRangeText = m_printRangeText;

    // Nothing of the previous page stays on show, even when this one is incomplete.
    emptySlots();
    Loaded loaded;
    while (loaded.pictures < ViewerPaging::PageSize &&
           m_pictures.exists(page.directory, page.start + loaded.pictures))
        ++loaded.pictures;
    for (int i = 0; i < ViewerPaging::PageSize; ++i)
        m_slots[std::size_t(i)].enabled = i < loaded.pictures;
    if (loaded.pictures < ViewerPaging::PageSize) {
        // The user is to scroll back; the start time keeps the last page's.
        loaded.failure =
            QStringLiteral("Cannot show picture \"%1\": it is not there")
                .arg(PictureStore::PicturePath(page.directory, page.start + loaded.pictures));
        return loaded;
    }

    const Result<QString> stamp = m_pictures.timeStamp(page.directory, page.start);
    if (!stamp) {
        loaded.stampError = stamp.error();
        return loaded;
    }
    m_startTimeText = ViewerPaging::startTimeText(*stamp);
    m_printRangeText = ViewerPaging::printRangeText(page.start);
    return loaded;
}

void ViewerPage::setPicture(int index, QImage picture)
{
    m_slots.at(std::size_t(index)).picture = std::move(picture);
}

ViewerPage::Loaded ViewerPage::pictureFailed(int index, const QString &failure)
{
    for (int i = index; i < ViewerPaging::PageSize; ++i) {
        m_slots[std::size_t(i)].enabled = false;
        m_slots[std::size_t(i)].picture = QImage();
    }
    m_startTimeText = m_previousStartTimeText;
    m_printRangeText = m_previousPrintRangeText;
    return Loaded{index, failure, {}};
}

bool ViewerPage::changeStep(int selector)
{
    const std::optional<ViewerPaging::Step> step = ViewerPaging::stepAt(selector);
    if (!step)
        return false;
    m_rangeStep = step->rangeStep;
    m_stepText = QStringLiteral("Step ") + step->label;
    return true;
}

void ViewerPage::emptySlots()
{
    for (Slot &slot : m_slots)
        slot.picture = QImage();
}

const ViewerPage::Slot &ViewerPage::slot(int k) const
{
    return m_slots.at(std::size_t(k - 1));
}
