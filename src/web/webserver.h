#pragma once
// The web view's HTTP server (libmicrohttpd): a few threads of its own, a limit on connections,
// on the size of a request and on the time a client may take to send one, digest
// authentication when a password is set. It answers from a WebRun, the store's pictures and
// the live picture, and never writes to the store.

#include "shell/result.h"
#include "web/webaddress.h"
#include "web/webcredentials.h"
#include "web/webtls.h"

#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class WebLive;
class WebPictures;
class WebRun;

/// What one client may take of the web view.
struct WebServerLimits
{
    unsigned connections = 32;
    /// A connection that sends or takes nothing for this long is closed.
    std::chrono::seconds idle{10};
    /// A request's line and headers must be complete this long after it began.
    std::chrono::seconds headers{10};
    /// The most a request's line, headers and body may hold.
    std::size_t requestBytes = 16 * 1024;
    unsigned threads = 2;
};

class WebServer
{
public:
    using Limits = WebServerLimits;

    /// run, pictures and live must outlive the server. Without credentials only a loopback
    /// address is served.
    WebServer(WebRun &run, WebPictures &pictures, WebLive &live, const WebAddress &address,
              std::optional<WebCredentials> credentials = std::nullopt, Limits limits = Limits());
    ~WebServer();
    WebServer(const WebServer &) = delete;
    WebServer &operator=(const WebServer &) = delete;

    /// Serves https with tls from the next listen() on.
    void useTls(WebTls tls);
    /// Starts to listen and serve, or says why it cannot ("the port 8080 is taken").
    Result<> listen();
    bool listening() const;
    /// Stops serving; open connections are closed.
    void close();
    /// The address served; after listen() with port 0, the port the system chose.
    const WebAddress &address() const;
    /// Where a browser finds the web view: "http://127.0.0.1:8080/" ("https://" with TLS); the
    /// machine's name for an
    /// address that stands for all of its addresses.
    QString url() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
