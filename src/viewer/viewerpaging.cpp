#include "viewer/viewerpaging.h"

#include "shell/picturenames.h"

#include <array>

namespace ViewerPaging {

Page pageAt(int rangePosition)
{
    Page page;
    page.start = PageSize * rangePosition;
    page.directory = PictureStore::DirectoryOfPicture(page.start);
    page.directoryBase = (page.directory - 1) * PictureStore::PicturesPerDirectory;
    return page;
}

std::optional<Step> stepAt(int selector)
{
    static const std::array<int, 9> steps{1, 5, 10, 50, 100, 500, 1000, 5000, 10000};
    static const std::array<const char *, 9> labels{"10",    "50",     "100",    "500",    "1.000",
                                                    "5.000", "10.000", "50.000", "100.000"};
    if (selector < 1 || selector > int(steps.size()))
        return std::nullopt;
    const auto i = std::size_t(selector - 1);
    return Step{steps[i], QString::fromLatin1(labels[i])};
}

QString rangeText(int pageStart)
{
    return QStringLiteral("  Picture range %1 - %2").arg(pageStart).arg(pageStart + PageSize - 1);
}

QString printRangeText(int pageStart)
{
    return QStringLiteral("Print range %1-%2").arg(pageStart).arg(pageStart + PageSize - 1);
}

QString startTimeText(const QString &timeStamp)
{
    return QStringLiteral("Start >> ") + timeStamp + QStringLiteral("     ");
}

} // namespace ViewerPaging
