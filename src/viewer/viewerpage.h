#pragma once
// The viewer's page: which ten pictures it shows, in which directory, the texts of its boxes
// and the ten decoded pictures. Plain logic; the viewer window shows it, the full-screen view
// and printing read it. It reads pictures by name only and never writes.

#include "viewer/viewerpaging.h"

#include <QImage>
#include <QString>

#include <array>

class PictureSource;

class ViewerPage
{
public:
    /// One thumbnail place: the decoded picture (none when empty), at least the size of its
    /// thumbnail when the window loads it, and whether a click on it counts.
    struct Slot
    {
        QImage picture;
        bool enabled = true;
    };

    /// How loading a page went.
    struct Loaded
    {
        int pictures = 0;   // slots filled, from the first on
        QString failure;    // why the next one could not be shown; empty when all ten were
        QString stampError; // the first picture's time could not be read (it vanished)
        bool complete() const { return failure.isEmpty(); }
    };

    explicit ViewerPage(PictureSource &pictures);

    /// Pictures 0 to 9 of directory "1" are all there, as the viewer needs to open.
    bool firstPageStored() const;
    /// Shows the page at the range position: selects its directory (the view's directory and
    /// its base; capture keeps its own) and loads the ten slots in order, stopping at the first
    /// picture that is missing or does not decode. The start time and the print text follow only a
    /// complete page.
    Loaded changeRange(int rangePosition);
    /// The same page choice without decoding, for pictures that arrive later: the slots up to
    /// the first missing picture are enabled and empty, and the start time and print text
    /// follow a page whose ten pictures are all there.
    Loaded selectRange(int rangePosition);
    /// Picture index (0 to 9) of the selected page, decoded.
    void setPicture(int index, QImage picture);
    /// Picture index of the selected page does not decode: the page ends before it, and the
    /// start time and print text go back to what they were before the page was selected.
    Loaded pictureFailed(int index, const QString &failure);
    /// The step scroller moved; false for the position that keeps the step as it was.
    bool changeStep(int selector);
    /// Forgets the pictures (they were deleted); the slots keep their enabled flags.
    void emptySlots();

    int rangePosition() const { return m_rangePosition; }
    int pageStart() const { return m_pageStart; }
    int directory() const;
    int rangeStep() const { return m_rangeStep; }
    /// The directory shown, and its first picture number.
    int viewDirectory() const { return m_viewDirectory; }
    int viewDirectoryBase() const { return m_viewDirectoryBase; }
    /// The full-screen view moves through the directories with these.
    void setViewDirectory(int directory) { m_viewDirectory = directory; }
    void setViewDirectoryBase(int base) { m_viewDirectoryBase = base; }

    QString rangeText() const { return m_rangeText; }
    QString stepText() const { return m_stepText; }
    QString startTimeText() const { return m_startTimeText; }
    QString printRangeText() const { return m_printRangeText; }

    /// Slot k, 1 to 10, in reading order (upper row 1 to 5).
    const Slot &slot(int k) const;

private:
    PictureSource &m_pictures;
    std::array<Slot, ViewerPaging::PageSize> m_slots;
    int m_rangePosition = 0;
    int m_pageStart = 0;
    int m_rangeStep = 1;
    int m_viewDirectory = 1;
    int m_viewDirectoryBase = 0;
    QString m_rangeText = QStringLiteral(" Picture range   0 - 9");
    QString m_stepText = QStringLiteral("Step 10");
    QString m_startTimeText = QStringLiteral("Time date");
    QString m_printRangeText = QStringLiteral("Print range : 0 - 9");
    QString m_previousStartTimeText;
    QString m_previousPrintRangeText;
};
