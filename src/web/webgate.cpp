#include "web/webgate.h"

#include "web/webpages.h"

#include <arpa/inet.h>

#include <algorithm>
#include <array>

namespace {
WebGate::Verdict refuse(int status, const char *reason, const QByteArray &allow = {})
{
    return {WebGate::Route::None, status, QByteArray(reason), allow, std::nullopt};
}

struct RouteEntry
{
    const char *path;
    WebGate::Route route;
    bool post;
};

constexpr std::array<RouteEntry, 5> Routes{{
    {"/api/status", WebGate::Route::Status, false},
    {"/api/start", WebGate::Route::Start, true},
    {"/api/stop", WebGate::Route::Stop, true},
    {"/stream.mjpg", WebGate::Route::Stream, false},
    {"/pictures", WebGate::Route::Gallery, false},
}};

// A gallery page after the first: "/pictures/2"; the first has no number of its own.
int galleryPage(QByteArrayView path)
{
    if (!path.startsWith(WebGate::GalleryPrefix))
        return 0;
    const QByteArrayView digits = path.sliced(qstrlen(WebGate::GalleryPrefix));
    if (digits.isEmpty() || digits.size() > 6 || digits.front() == '0')
        return 0;
    int page = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return 0;
        page = page * 10 + (c - '0');
    }
    return page >= 2 ? page : 0;
}

bool readOnly(const QByteArray &method)
{
    return method == "GET" || method == "HEAD";
}
} // namespace

QByteArray WebGate::hostPart(const QByteArray &host)
{
    if (host.startsWith('[')) {
        const qsizetype close = host.indexOf(']');
        return close < 0 ? QByteArray() : host.mid(1, close - 1);
    }
    const qsizetype colon = host.lastIndexOf(':');
    return colon < 0 ? host : host.left(colon);
}

bool WebGate::loopbackHost(const QByteArray &host)
{
    if (host.compare("localhost", Qt::CaseInsensitive) == 0)
        return true;
    unsigned char bytes[16] = {};
    if (inet_pton(AF_INET, host.constData(), bytes) == 1)
        return bytes[0] == 127;
    if (inet_pton(AF_INET6, host.constData(), bytes) != 1)
        return false;
    static constexpr unsigned char one[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    return std::equal(bytes, bytes + 16, one);
}

WebGate::Verdict WebGate::beforePassword(const Request &request) const
{
    if (request.host.isEmpty())
        return refuse(400, "A request needs a Host header.");
    if (m_loopback && !m_password && !loopbackHost(hostPart(request.host)))
        return refuse(403, "This web view answers only addresses of this machine.");
    return {};
}

bool WebGate::sameOrigin(const Request &request) const
{
    // Browsers say where a request comes from; other clients (scripts, home automation) say
    // nothing, and cannot be misled by a page into sending one.
    if (!request.fetchSite.isEmpty() && request.fetchSite != "same-origin")
        return false;
    if (!request.hasOrigin)
        return true;
    const QByteArray own = QByteArray(m_tls ? "https://" : "http://") + request.host;
    return request.origin.compare(own, Qt::CaseInsensitive) == 0;
}

WebGate::Verdict WebGate::route(const Request &request) const
{
    for (const RouteEntry &entry : Routes) {
        if (request.path != entry.path)
            continue;
        if (entry.post ? request.method != "POST" : !readOnly(request.method))
            return refuse(405, "This method is not allowed here.",
                          entry.post ? "POST" : "GET, HEAD");
        if (entry.post && !sameOrigin(request))
            return refuse(403, "Actions are taken only from the web view's own pages.");
        return {entry.route, 200, {}, {}, std::nullopt, entry.route == Route::Gallery ? 1 : 0};
    }
    const int page = galleryPage(request.path);
    const bool fixed = WebPages::isAsset(request.path);
    if (page > 0 || fixed) {
        if (!readOnly(request.method))
            return refuse(405, "This method is not allowed here.", "GET, HEAD");
        return {fixed ? Route::Page : Route::Gallery, 200, {}, {}, std::nullopt, page};
    }
    for (const auto &[prefix, route] : {std::pair{WebPictures::OriginalPrefix, Route::Original},
                                        std::pair{WebPictures::ThumbnailPrefix, Route::Thumbnail},
                                        std::pair{PicturePrefix, Route::Picture}}) {
        const std::optional<WebPictures::Picture> picture =
            WebPictures::parse(request.path, prefix);
        if (!picture)
            continue;
        if (!readOnly(request.method))
            return refuse(405, "This method is not allowed here.", "GET, HEAD");
        Verdict verdict{route, 200, {}, {}, picture};
        return verdict;
    }
    return refuse(404, "There is nothing here.");
}
