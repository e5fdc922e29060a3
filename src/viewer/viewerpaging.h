#pragma once
// How the viewer walks the store: a page is ten consecutive pictures, chosen by the range
// scroller's position; the step scroller chooses how far one arrow click moves it.

#include <QString>

#include <optional>

namespace ViewerPaging {

inline constexpr int PageSize = 10;
inline constexpr int LastRangePosition = 31999; // the page that ends with picture 319999
inline constexpr int FirstStepSelector = 1;
inline constexpr int LastStepSelector = 10;

/// The page at a range position and the directory that holds it.
struct Page
{
    int start = 0;         // first picture number
    int directory = 1;     // "1" to "64"
    int directoryBase = 0; // first picture number of that directory
};

/// The page at range position p (0 to LastRangePosition).
Page pageAt(int rangePosition);

/// What one position of the step scroller stands for.
struct Step
{
    int rangeStep = 1; // range positions per arrow click
    QString label;     // "1.000": "." separates thousands whatever the locale
};

/// The step of selector position s (1 to 9); none for 10, which keeps the previous step.
std::optional<Step> stepAt(int selector);

/// "  Picture range 0 - 9": the range scroller's box for a page.
QString rangeText(int pageStart);
/// "Print range 0-9": what the range print asks about.
QString printRangeText(int pageStart);
/// "Start >> " + the time stamp of the page's first picture + five blanks.
QString startTimeText(const QString &timeStamp);

} // namespace ViewerPaging
