#pragma once
// Which requests the web view answers, decided from the request line and headers alone, before
// any work is done for them. The password itself is checked by the server (digest
// authentication); everything else that can refuse a request is here.

#include "web/webpictures.h"

#include <QByteArray>

#include <optional>

class WebGate
{
public:
    enum class Route
    {
        None, // refused
        Status,
        Start,
        Stop,
        Original,  // a stored picture's file
        Thumbnail, // its thumbnail
        Page,      // a fixed file of the pages: the live page, its style sheet, its script
        Stream,    // the live picture
        Gallery,   // a page of thumbnails
        Picture,   // the page of one picture
    };

    struct Request
    {
        QByteArray method;
        QByteArray path; // decoded, without the query
        QByteArray host; // the Host header
        QByteArray origin;
        QByteArray fetchSite; // Sec-Fetch-Site
        bool hasOrigin = false;
    };

    struct Verdict
    {
        Route route = Route::None;
        int status = 200;
        QByteArray reason;                           // a line for the refusal's body
        QByteArray allow;                            // for 405: the methods the path takes
        std::optional<WebPictures::Picture> picture; // of Original, Thumbnail and Picture
        int page = 0;                                // of Gallery, from 1
    };

    /// loopback: the server listens on this machine only; password: one is set. tls: https.
    WebGate(bool loopback, bool password, bool tls = false)
        : m_loopback(loopback), m_password(password), m_tls(tls)
    {}

    /// Refused before the password is asked: a loopback server without a password answers only
    /// requests that name this machine (Host), so that a page of another site whose name was
    /// made to point here cannot use it.
    Verdict beforePassword(const Request &request) const;
    /// The route, or why the request is refused: an unknown path (any but the API's, the
    /// pages' and numbered pictures'), a method the path does not take, an action asked from
    /// another site's page.
    Verdict route(const Request &request) const;

    /// The host part of a Host header: "[::1]:80" gives "::1", "a.b:80" gives "a.b".
    static QByteArray hostPart(const QByteArray &host);
    /// Whether host names this machine: 127.0.0.0/8, ::1 or localhost.
    static bool loopbackHost(const QByteArray &host);

    /// The path prefix of a picture's page, and of the gallery's pages after the first.
    static constexpr const char *PicturePrefix = "/picture/";
    static constexpr const char *GalleryPrefix = "/pictures/";

private:
    bool sameOrigin(const Request &request) const;

    bool m_loopback;
    bool m_password;
    bool m_tls;
};
