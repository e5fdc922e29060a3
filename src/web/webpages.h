#pragma once
// The web view's HTML pages of the store: pages of thumbnails, newest first, and one page per
// picture with its neighbours in that order; and the fixed files of the pages (the live
// page, its style sheet and script), which the program carries as resources.

#include "web/webpictureindex.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>

#include <optional>

class WebPages
{
public:
    static constexpr int PerPage = 20;

    explicit WebPages(QLocale locale = QLocale());

    /// Page page (1 = the newest pictures) of list; none past the last page. An empty store
    /// has one page, which says so.
    std::optional<QByteArray> gallery(const WebPictureIndex::Entries &list, int page) const;
    /// The page of one picture of list; none when it is not in list.
    std::optional<QByteArray> picture(const WebPictureIndex::Entries &list, int directory,
                                      int number) const;
    /// The number of pages list fills (at least 1).
    static int pageCount(std::size_t pictures);

    struct Asset
    {
        QByteArray body;
        const char *type = nullptr;
    };
    /// A fixed file by its path ("/", "/style.css", "/live.js"); none for any other path.
    static std::optional<Asset> asset(QByteArrayView path);
    /// Whether path names a fixed file.
    static bool isAsset(QByteArrayView path);

private:
    QByteArray timeText(const WebPictureIndex::Entry &entry) const;

    QLocale m_locale;
};
