#include "web/webpages.h"

#include "viewer/picturetimestamp.h"
#include "web/webpictures.h"

#include <QDateTime>
#include <QFile>

#include <array>

// The resources live in a static library: they are registered by name before their first use.
static bool initResources()
{
    Q_INIT_RESOURCE(webpages);
    return true;
}

namespace {
struct AssetEntry
{
    const char *path;
    const char *resource;
    const char *type;
};

constexpr std::array<AssetEntry, 3> Assets{{
    {"/", ":/web/live.html", "text/html; charset=utf-8"},
    {"/style.css", ":/web/style.css", "text/css; charset=utf-8"},
    {"/live.js", ":/web/live.js", "text/javascript; charset=utf-8"},
}};

QByteArray head(const char *title)
{
    return QByteArray("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                      "<title>") +
           title +
           "</title>\n<link rel=\"stylesheet\" href=\"/style.css\">\n</head>\n<body>\n"
           "<header><nav><a href=\"/\">Live picture</a><a href=\"/pictures\">Pictures</a></nav>"
           "</header>\n<main>\n";
}

const QByteArray Tail = "</main>\n</body>\n</html>\n";

QByteArray pictureName(const WebPictureIndex::Entry &e)
{
    return QByteArray::number(e.directory) + "/capture" + QByteArray::number(e.number) + ".jpg";
}

QByteArray link(const QByteArray &href, const char *text, const char *rel = nullptr)
{
    QByteArray a = "<a href=\"" + href + '"';
    if (rel)
        a += QByteArray(" rel=\"") + rel + '"';
    return a + '>' + text + "</a>";
}

QByteArray pagePath(int page)
{
    return page == 1 ? QByteArray("/pictures") : "/pictures/" + QByteArray::number(page);
}
} // namespace

WebPages::WebPages(QLocale locale) : m_locale(std::move(locale)) {}

int WebPages::pageCount(std::size_t pictures)
{
    return pictures == 0 ? 1 : int((pictures + PerPage - 1) / PerPage);
}

QByteArray WebPages::timeText(const WebPictureIndex::Entry &entry) const
{
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(entry.modified / 1000000);
    return TimeStampText(local, m_locale).toHtmlEscaped().toUtf8();
}

std::optional<QByteArray> WebPages::gallery(const WebPictureIndex::Entries &list, int page) const
{
    const int pages = pageCount(list.size());
    if (page < 1 || page > pages)
        return std::nullopt;
    QByteArray html = head("Vardella pictures");
    html += "<h1>Pictures</h1>\n";
    if (list.empty())
        return html + "<p class=\"note\">The store holds no pictures yet.</p>\n" + Tail;
    html += "<p class=\"note\">" + QByteArray::number(qulonglong(list.size())) +
            " pictures, newest first.</p>\n<ul class=\"grid\">\n";
    const std::size_t first = std::size_t(page - 1) * PerPage;
    const std::size_t end = std::min(list.size(), first + PerPage);
    for (std::size_t i = first; i < end; ++i) {
        const WebPictureIndex::Entry &e = list[i];
        const QByteArray name = pictureName(e);
        const QByteArray number = QByteArray::number(e.number);
        html += "<li><a href=\"/picture/" + name + "\"><img src=\"/thumbs/" + name +
                "\" width=\"160\" height=\"120\" alt=\"Picture " + number +
                "\"><span class=\"number\">" + number + "</span><span class=\"time\">" +
                timeText(e) + "</span></a></li>\n";
    }
    html += "</ul>\n<nav class=\"pages\">";
    if (page > 1)
        html += link(pagePath(1), "Newest") + link(pagePath(page - 1), "Newer", "prev");
    html +=
        "<span>Page " + QByteArray::number(page) + " of " + QByteArray::number(pages) + "</span>";
    if (page < pages)
        html += link(pagePath(page + 1), "Older", "next") + link(pagePath(pages), "Oldest");
    return html + "</nav>\n" + Tail;
}

std::optional<QByteArray> WebPages::picture(const WebPictureIndex::Entries &list, int directory,
                                            int number) const
{
    const std::optional<std::size_t> at = WebPictureIndex::find(list, directory, number);
    if (!at)
        return std::nullopt;
    const WebPictureIndex::Entry &e = list[*at];
    const QByteArray name = pictureName(e);
    const QByteArray shown = QByteArray::number(e.number);
    QByteArray html = head("Vardella picture");
    html += "<h1>Picture " + shown + "</h1>\n<figure><img class=\"picture\" src=\"/store/" + name +
            "\" alt=\"Picture " + shown + "\"><figcaption><span class=\"number\">" + name +
            "</span><span class=\"time\">" + timeText(e) +
            "</span></figcaption></figure>\n<nav class=\"pages\">";
    if (*at > 0)
        html += link("/picture/" + pictureName(list[*at - 1]), "Newer", "prev");
    html += link(pagePath(int(*at / PerPage) + 1), "All pictures");
    html += "<a href=\"/store/" + name + "\" download=\"capture" + shown + ".jpg\">Download</a>";
    if (*at + 1 < list.size())
        html += link("/picture/" + pictureName(list[*at + 1]), "Older", "next");
    return html + "</nav>\n" + Tail;
}

bool WebPages::isAsset(QByteArrayView path)
{
    return std::any_of(Assets.begin(), Assets.end(),
                       [&](const AssetEntry &a) { return path == QByteArrayView(a.path); });
}

std::optional<WebPages::Asset> WebPages::asset(QByteArrayView path)
{
    static const bool registered = initResources();
    Q_UNUSED(registered);
    for (const AssetEntry &a : Assets) {
        if (path != QByteArrayView(a.path))
            continue;
        QFile file(QString::fromLatin1(a.resource));
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        return Asset{file.readAll(), a.type};
    }
    return std::nullopt;
}
