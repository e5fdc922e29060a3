#include "viewer/viewerpage.h"

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
    const ViewerPaging::Page page = ViewerPaging::pageAt(rangePosition);
    m_rangePosition = rangePosition;
    m_pageStart = page.start;
    m_viewDirectory = page.directory;
    m_viewDirectoryBase = page.directoryBase;
    m_rangeText = ViewerPaging::rangeText(page.start);

    // Nothing of the previous page stays on show, even when this one is incomplete.
    emptySlots();
    Loaded loaded;
    for (Slot &slot : m_slots) {
        Result<QImage> picture = m_pictures.load(page.directory, page.start + loaded.pictures);
        if (!picture) {
            loaded.failure = picture.error();
            break;
        }
        slot.picture = std::move(*picture);
        ++loaded.pictures;
    }
    for (int i = 0; i < ViewerPaging::PageSize; ++i)
        m_slots[std::size_t(i)].enabled = i < loaded.pictures;
    if (!loaded.complete())
        return loaded; // the user is to scroll back; the start time keeps the last page's

    const Result<QString> stamp = m_pictures.timeStamp(page.directory, page.start);
    if (!stamp) {
        loaded.stampError = stamp.error();
        return loaded;
    }
    m_startTimeText = ViewerPaging::startTimeText(*stamp);
    m_printRangeText = ViewerPaging::printRangeText(page.start);
    return loaded;
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
