#include "web/webserver.h"

#include "web/webgate.h"
#include "web/webpages.h"
#include "web/webpictures.h"
#include "web/webstatus.h"
#include "web/webstream.h"

#include <QRandomGenerator>
#include <QSysInfo>

#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
// How long a nonce of digest authentication stays good.
constexpr unsigned NonceSeconds = 300;

// A connection as the slow-client guard sees it.
struct Watch
{
    int fd = -1;
    Clock::time_point since; // when its current request began, or the connection
    bool awaiting = true;    // its request's headers are not complete yet
    bool cut = false;
};

// One request from its headers on.
struct Exchange
{
    WebGate::Route route = WebGate::Route::None;
    std::optional<WebPictures::Picture> picture;
    int page = 0;
    QByteArray path;
    std::size_t bodyBytes = 0;
};

// The pages load their style sheet and script from here only, and are shown in no frame.
constexpr const char *ContentPolicy =
    "default-src 'self'; frame-ancestors 'none'; base-uri 'none'; form-action 'self'";

QByteArray header(MHD_Connection *connection, const char *name)
{
    const char *value = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, name);
    return value ? QByteArray(value) : QByteArray();
}

MHD_Response *textResponse(const QByteArray &body, const char *type)
{
    MHD_Response *response = MHD_create_response_from_buffer(static_cast<size_t>(body.size()),
                                                             const_cast<char *>(body.constData()),
                                                             MHD_RESPMEM_MUST_COPY);
    if (!response)
        return nullptr;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, type);
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(response, "X-Frame-Options", "DENY");
    MHD_add_response_header(response, "Content-Security-Policy", ContentPolicy);
    MHD_add_response_header(response, "Referrer-Policy", "same-origin");
    // A kept-alive connection would hold one of the few slots while it idles.
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
    return response;
}

MHD_Result send(MHD_Connection *connection, unsigned status, const QByteArray &body,
                const char *type = "text/plain; charset=utf-8", const QByteArray &allow = {})
{
    MHD_Response *response = textResponse(body, type);
    if (!response)
        return MHD_NO;
    if (!allow.isEmpty())
        MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, allow.constData());
    const MHD_Result queued = MHD_queue_response(connection, status, response);
    MHD_destroy_response(response);
    return queued;
}

QString listenError(int error, const WebAddress &address)
{
    switch (error) {
    case EADDRINUSE:
        return QStringLiteral("the port %1 is taken").arg(address.port());
    case EACCES:
        return QStringLiteral("the port %1 needs privileges").arg(address.port());
    case EADDRNOTAVAIL:
        return QStringLiteral("%1 is no address of this machine").arg(address.host());
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}
} // namespace

struct WebServer::Impl
{
    Impl(WebRun &r, WebPictures &p, WebLive &v, const WebAddress &a,
         std::optional<WebCredentials> c, Limits l)
        : run(r), pictures(p), live(v), address(a), credentials(std::move(c)), limits(l),
          gate(a.loopback(), credentials.has_value())
    {
        QRandomGenerator::system()->fillRange(random.data(), random.size());
        opaque = QByteArray::number(QRandomGenerator::system()->generate64(), 16);
    }

    Result<> start();
    void stop();
    MHD_Result answer(MHD_Connection *connection, const char *url, const char *method,
                      size_t *uploadSize, void **context);
    MHD_Result firstCall(MHD_Connection *connection, const char *url, const char *method,
                         Exchange &exchange);
    MHD_Result askPassword(MHD_Connection *connection, bool stale);
    MHD_Result respond(MHD_Connection *connection, const Exchange &exchange);

    void connectionStarted(MHD_Connection *connection);
    void connectionClosed(MHD_Connection *connection);
    void headersComplete(MHD_Connection *connection, bool complete);
    void guardSlowClients();

    MHD_Result sendPicture(MHD_Connection *connection, const WebPictures::Picture &picture);
    MHD_Result sendThumbnail(MHD_Connection *connection, const WebPictures::Picture &picture);
    MHD_Result sendPage(MHD_Connection *connection, const Exchange &exchange);
    MHD_Result sendStream(MHD_Connection *connection);
    void streamEnded(WebStream *stream);
    void stopStreams();

    WebRun &run;
    WebPictures &pictures;
    WebLive &live;
    WebPages pages;
    WebAddress address;
    std::optional<WebCredentials> credentials;
    std::optional<WebTls> tls;
    Limits limits;
    WebGate gate;
    std::array<quint32, 8> random{};
    QByteArray opaque;
    MHD_Daemon *daemon = nullptr;

    std::mutex watchMutex;
    std::condition_variable watchChanged;
    std::map<MHD_Connection *, Watch> watches;
    bool stopping = false;
    std::thread guard;

    std::mutex streamMutex;
    std::set<std::shared_ptr<WebStream>> streams; // under streamMutex
    bool streamsClosed = false;                   // under streamMutex
};

Result<> WebServer::Impl::start()
{
    if (!address.loopback() && !credentials)
        return failure(QStringLiteral("The web view on %1 could be reached from other machines: "
                                      "it needs a password.")
                           .arg(address.text()));
    const int fd =
        socket(address.ipv6() ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return failure(QStringLiteral("The web view cannot listen on %1: %2.")
                           .arg(address.text(), listenError(errno, address)));
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (address.ipv6())
        setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
    sockaddr_storage where{};
    const socklen_t length = address.socketAddress(where);
    if (bind(fd, reinterpret_cast<sockaddr *>(&where), length) != 0 || ::listen(fd, 64) != 0) {
        const int error = errno;
        ::close(fd);
        return failure(QStringLiteral("The web view cannot listen on %1: %2.")
                           .arg(address.text(), listenError(error, address)));
    }
    socklen_t bound = sizeof where;
    if (getsockname(fd, reinterpret_cast<sockaddr *>(&where), &bound) == 0)
        address.setPort(ntohs(where.ss_family == AF_INET6
                                  ? reinterpret_cast<sockaddr_in6 *>(&where)->sin6_port
                                  : reinterpret_cast<sockaddr_in *>(&where)->sin_port));

    const auto answerCallback = [](void *self, MHD_Connection *connection, const char *url,
                                   const char *method, const char *, const char *,
                                   size_t *uploadSize, void **context) {
        return static_cast<Impl *>(self)->answer(connection, url, method, uploadSize, context);
    };
    const auto completed = [](void *self, MHD_Connection *connection, void **context,
                              MHD_RequestTerminationCode) {
        delete static_cast<Exchange *>(*context);
        *context = nullptr;
        static_cast<Impl *>(self)->headersComplete(connection, false);
    };
    const auto notify = [](void *self, MHD_Connection *connection, void **,
                           MHD_ConnectionNotificationCode code) {
        if (code == MHD_CONNECTION_NOTIFY_STARTED)
            static_cast<Impl *>(self)->connectionStarted(connection);
        else
            static_cast<Impl *>(self)->connectionClosed(connection);
    };
    std::vector<MHD_OptionItem> tlsOptions;
    unsigned flags = MHD_USE_EPOLL_INTERNAL_THREAD | MHD_ALLOW_SUSPEND_RESUME;
    if (tls) {
        if (MHD_is_feature_supported(MHD_FEATURE_TLS) != MHD_YES) {
            ::close(fd);
            return failure(QStringLiteral("The web view cannot serve https: its server library "
                                          "was built without TLS."));
        }
        flags |= MHD_USE_TLS;
        tlsOptions.push_back(
            {MHD_OPTION_HTTPS_MEM_CERT, 0, const_cast<char *>(tls->certificate().constData())});
        tlsOptions.push_back(
            {MHD_OPTION_HTTPS_MEM_KEY, 0, const_cast<char *>(tls->key().constData())});
    }
    tlsOptions.push_back({MHD_OPTION_END, 0, nullptr});
    using Completed = void (*)(void *, MHD_Connection *, void **, MHD_RequestTerminationCode);
    using Notify = void (*)(void *, MHD_Connection *, void **, MHD_ConnectionNotificationCode);
    daemon = MHD_start_daemon(
        flags, 0, nullptr, nullptr, static_cast<MHD_AccessHandlerCallback>(answerCallback), this,
        MHD_OPTION_LISTEN_SOCKET, fd, MHD_OPTION_THREAD_POOL_SIZE, limits.threads,
        MHD_OPTION_CONNECTION_LIMIT, limits.connections, MHD_OPTION_CONNECTION_TIMEOUT,
        static_cast<unsigned>(limits.idle.count()), MHD_OPTION_CONNECTION_MEMORY_LIMIT,
        limits.requestBytes, MHD_OPTION_NOTIFY_COMPLETED, static_cast<Completed>(completed), this,
        MHD_OPTION_NOTIFY_CONNECTION, static_cast<Notify>(notify), this,
        MHD_OPTION_DIGEST_AUTH_RANDOM, sizeof random, random.data(), MHD_OPTION_NONCE_NC_SIZE,
        1000u, MHD_OPTION_ARRAY, tlsOptions.data(), MHD_OPTION_END);
    if (!daemon && tls) {
        ::close(fd);
        return failure(QStringLiteral("The web view cannot use the certificate \"%1\" with the "
                                      "key \"%2\": they are damaged or do not belong together.")
                           .arg(tls->certificatePath(), tls->keyPath()));
    }
    if (!daemon) {
        ::close(fd);
        return failure(QStringLiteral("The web view cannot listen on %1: its server does not "
                                      "start.")
                           .arg(address.text()));
    }
    stopping = false;
    {
        std::lock_guard lock(streamMutex);
        streamsClosed = false;
    }
    guard = std::thread([this] { guardSlowClients(); });
    return {};
}

void WebServer::Impl::stop()
{
    if (!daemon)
        return;
    stopStreams();
    MHD_stop_daemon(daemon); // closes the listening socket and every connection
    daemon = nullptr;
    {
        std::lock_guard lock(watchMutex);
        stopping = true;
    }
    watchChanged.notify_all();
    guard.join();
}

MHD_Result WebServer::Impl::answer(MHD_Connection *connection, const char *url, const char *method,
                                   size_t *uploadSize, void **context)
{
    auto *exchange = static_cast<Exchange *>(*context);
    if (!exchange) {
        exchange = new Exchange;
        *context = exchange;
        headersComplete(connection, true);
        return firstCall(connection, url, method, *exchange);
    }
    if (*uploadSize > 0) {
        // Nothing here takes a body: it is counted and dropped.
        exchange->bodyBytes += *uploadSize;
        *uploadSize = 0;
        // Mid-body no answer can be queued: the connection is closed instead.
        return exchange->bodyBytes > limits.requestBytes ? MHD_NO : MHD_YES;
    }
    return respond(connection, *exchange);
}

MHD_Result WebServer::Impl::firstCall(MHD_Connection *connection, const char *url,
                                      const char *method, Exchange &exchange)
{
    WebGate::Request request;
    request.method = method;
    request.path = url;
    request.host = header(connection, MHD_HTTP_HEADER_HOST);
    const char *origin = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Origin");
    request.hasOrigin = origin != nullptr;
    request.origin = origin ? QByteArray(origin) : QByteArray();
    request.fetchSite = header(connection, "Sec-Fetch-Site");

    WebGate::Verdict verdict = gate.beforePassword(request);
    if (verdict.status != 200)
        return send(connection, verdict.status, verdict.reason + '\n');
    if (credentials) {
        char *user = MHD_digest_auth_get_username(connection);
        if (!user)
            return askPassword(connection, false);
        MHD_free(user);
        const QByteArray &hash = credentials->hash();
        const int checked = MHD_digest_auth_check_digest2(
            connection, credentials->realm().constData(), WebCredentials::UserName,
            reinterpret_cast<const uint8_t *>(hash.constData()), static_cast<size_t>(hash.size()),
            NonceSeconds, MHD_DIGEST_ALG_MD5);
        if (checked != MHD_YES)
            return askPassword(connection, checked == MHD_INVALID_NONCE);
    }
    verdict = gate.route(request);
    if (verdict.status != 200)
        return send(connection, verdict.status, verdict.reason + '\n', "text/plain; charset=utf-8",
                    verdict.allow);
    bool numeric = false;
    const qulonglong announced =
        header(connection, MHD_HTTP_HEADER_CONTENT_LENGTH).toULongLong(&numeric);
    if (numeric && announced > limits.requestBytes)
        return send(connection, MHD_HTTP_CONTENT_TOO_LARGE, "The request is too large.\n");
    exchange.route = verdict.route;
    exchange.picture = verdict.picture;
    exchange.page = verdict.page;
    exchange.path = request.path;
    return MHD_YES;
}

MHD_Result WebServer::Impl::askPassword(MHD_Connection *connection, bool stale)
{
    MHD_Response *response =
        textResponse("This web view needs its password.\n", "text/plain; charset=utf-8");
    if (!response)
        return MHD_NO;
    const MHD_Result queued = MHD_queue_auth_fail_response2(
        connection, credentials->realm().constData(), opaque.constData(), response,
        stale ? MHD_YES : MHD_NO, MHD_DIGEST_ALG_MD5);
    MHD_destroy_response(response);
    return queued;
}

MHD_Result WebServer::Impl::respond(MHD_Connection *connection, const Exchange &exchange)
{
    switch (exchange.route) {
    case WebGate::Route::Status:
        return send(connection, MHD_HTTP_OK, run.status().toJson(), "application/json");
    case WebGate::Route::Start:
        run.start();
        return send(connection, MHD_HTTP_ACCEPTED, R"({"accepted":"start"})", "application/json");
    case WebGate::Route::Stop:
        run.stop();
        return send(connection, MHD_HTTP_ACCEPTED, R"({"accepted":"stop"})", "application/json");
    case WebGate::Route::Original:
        return sendPicture(connection, *exchange.picture);
    case WebGate::Route::Thumbnail:
        return sendThumbnail(connection, *exchange.picture);
    case WebGate::Route::Page:
    case WebGate::Route::Gallery:
    case WebGate::Route::Picture:
        return sendPage(connection, exchange);
    case WebGate::Route::Stream:
        return sendStream(connection);
    case WebGate::Route::None:
        break;
    }
    return send(connection, MHD_HTTP_NOT_FOUND, "There is nothing here.\n");
}

MHD_Result WebServer::Impl::sendPicture(MHD_Connection *connection,
                                        const WebPictures::Picture &picture)
{
    const std::optional<WebPictures::Opened> file = pictures.open(picture);
    if (!file)
        return send(connection, MHD_HTTP_NOT_FOUND, "There is no such picture.\n");
    // The response owns the descriptor from here on.
    MHD_Response *response = MHD_create_response_from_fd64(quint64(file->size), file->fd);
    if (!response) {
        ::close(file->fd);
        return MHD_NO;
    }
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "image/jpeg");
    // The ring writes a new picture under the same name.
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-cache");
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
    const MHD_Result queued = MHD_queue_response(connection, MHD_HTTP_OK, response);
    MHD_destroy_response(response);
    return queued;
}

MHD_Result WebServer::Impl::sendThumbnail(MHD_Connection *connection,
                                          const WebPictures::Picture &picture)
{
    const Result<QByteArray> jpeg = pictures.thumbnail(picture);
    if (!jpeg)
        return send(connection, MHD_HTTP_NOT_FOUND, "There is no such picture.\n");
    return send(connection, MHD_HTTP_OK, *jpeg, "image/jpeg");
}

MHD_Result WebServer::Impl::sendPage(MHD_Connection *connection, const Exchange &exchange)
{
    constexpr const char *Html = "text/html; charset=utf-8";
    if (exchange.route == WebGate::Route::Page) {
        const std::optional<WebPages::Asset> asset = WebPages::asset(exchange.path);
        if (!asset)
            return send(connection, MHD_HTTP_INTERNAL_SERVER_ERROR,
                        "The web view's pages are missing.\n");
        return send(connection, MHD_HTTP_OK, asset->body, asset->type);
    }
    const std::shared_ptr<const WebPictureIndex::Entries> list = pictures.newestFirst();
    if (exchange.route == WebGate::Route::Gallery) {
        const std::optional<QByteArray> html = pages.gallery(*list, exchange.page);
        if (!html)
            return send(connection, MHD_HTTP_NOT_FOUND, "There is no such page.\n");
        return send(connection, MHD_HTTP_OK, *html, Html);
    }
    const std::optional<QByteArray> html =
        pages.picture(*list, exchange.picture->directory, exchange.picture->number);
    if (!html)
        return send(connection, MHD_HTTP_NOT_FOUND, "There is no such picture.\n");
    return send(connection, MHD_HTTP_OK, *html, Html);
}

MHD_Result WebServer::Impl::sendStream(MHD_Connection *connection)
{
    auto stream = std::make_shared<WebStream>(live, connection);
    MHD_Response *response =
        WebStream::response(stream, [this](WebStream *ended) { streamEnded(ended); });
    if (!response)
        return MHD_NO;
    {
        std::lock_guard lock(streamMutex);
        if (streamsClosed) {
            MHD_destroy_response(response);
            return MHD_NO;
        }
        streams.insert(stream);
        live.addViewer(stream);
    }
    const MHD_Result queued = MHD_queue_response(connection, MHD_HTTP_OK, response);
    MHD_destroy_response(response); // ends the stream at once when it was not queued
    return queued;
}

void WebServer::Impl::streamEnded(WebStream *stream)
{
    live.removeViewer(stream);
    std::lock_guard lock(streamMutex);
    std::erase_if(streams, [stream](const auto &s) { return s.get() == stream; });
}

// Before the server stops, no stream may stay suspended, and none may be woken once the server
// has closed its connection.
void WebServer::Impl::stopStreams()
{
    std::vector<std::shared_ptr<WebStream>> open;
    {
        std::lock_guard lock(streamMutex);
        streamsClosed = true;
        open.assign(streams.begin(), streams.end());
    }
    for (const auto &stream : open)
        live.removeViewer(stream.get());
    live.waitForWakes();
    for (const auto &stream : open)
        stream->stop();
}

void WebServer::Impl::connectionStarted(MHD_Connection *connection)
{
    const MHD_ConnectionInfo *info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    {
        std::lock_guard lock(watchMutex);
        watches[connection] = Watch{info ? info->connect_fd : -1, Clock::now(), true, false};
    }
    watchChanged.notify_all();
}

void WebServer::Impl::connectionClosed(MHD_Connection *connection)
{
    // Told before the socket is closed: the guard never shuts down a reused descriptor.
    std::lock_guard lock(watchMutex);
    watches.erase(connection);
}

void WebServer::Impl::headersComplete(MHD_Connection *connection, bool complete)
{
    std::lock_guard lock(watchMutex);
    const auto found = watches.find(connection);
    if (found == watches.end())
        return;
    found->second.awaiting = !complete;
    found->second.since = Clock::now(); // a kept-alive connection's next request begins now
}

// The server's own time-out counts only silence, so a client that sends its headers a byte at a
// time could hold a connection for ever; this cuts it once its request takes too long.
void WebServer::Impl::guardSlowClients()
{
    std::unique_lock lock(watchMutex);
    while (!stopping) {
        watchChanged.wait(lock, [this] { return stopping || !watches.empty(); });
        if (stopping)
            break;
        watchChanged.wait_for(lock, std::chrono::seconds(1), [this] { return stopping; });
        const Clock::time_point now = Clock::now();
        for (auto &[connection, watch] : watches) {
            if (watch.awaiting && !watch.cut && watch.fd >= 0 &&
                now - watch.since > limits.headers) {
                shutdown(watch.fd, SHUT_RDWR); // the server sees it end and closes it
                watch.cut = true;
            }
        }
    }
}

WebServer::WebServer(WebRun &run, WebPictures &pictures, WebLive &live, const WebAddress &address,
                     std::optional<WebCredentials> credentials, Limits limits)
    : m_impl(std::make_unique<Impl>(run, pictures, live, address, std::move(credentials), limits))
{}

WebServer::~WebServer()
{
    close();
}

void WebServer::useTls(WebTls tls)
{
    m_impl->tls = std::move(tls);
    m_impl->gate = WebGate(m_impl->address.loopback(), m_impl->credentials.has_value(), true);
}

Result<> WebServer::listen()
{
    if (m_impl->daemon)
        return {};
    return m_impl->start();
}

bool WebServer::listening() const
{
    return m_impl->daemon != nullptr;
}

void WebServer::close()
{
    m_impl->stop();
}

const WebAddress &WebServer::address() const
{
    return m_impl->address;
}

QString WebServer::url() const
{
    const WebAddress &a = m_impl->address;
    const QString host =
        a.wildcard() ? QSysInfo::machineHostName() : (a.ipv6() ? '[' + a.host() + ']' : a.host());
    return QStringLiteral("%1://%2:%3/").arg(m_impl->tls ? "https" : "http", host).arg(a.port());
}
