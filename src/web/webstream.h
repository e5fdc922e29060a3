#pragma once
// One client's live picture: an endless multipart/x-mixed-replace response of JPEG frames,
// filled by libmicrohttpd's content reader. With nothing new to send the connection is
// suspended, and resumed by the live view's wake, so no server thread waits on a stream.

#include "web/weblive.h"

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

struct MHD_Connection;
struct MHD_Response;

class WebStream : public WebLive::Viewer
{
public:
    static constexpr const char *Boundary = "vardellaframe";
    /// A client that has had no new frame for this long is sent the last one again: a
    /// client that has gone is found out by the failed write.
    static constexpr std::chrono::seconds Repeat{3};

    WebStream(WebLive &live, MHD_Connection *connection);

    /// A response for the stream's connection; ended is called once the server is done with
    /// it (the client went, or the server stops). Null when the server cannot make one.
    static MHD_Response *response(std::shared_ptr<WebStream> stream,
                                  std::function<void(WebStream *)> ended);

    void wake() override;
    /// The stream ends with what it is sending; a suspended one is resumed to end.
    void stop();
    /// The next bytes of the stream, at most max; 0 after suspending the connection.
    qint64 read(char *buffer, std::size_t max);

private:
    void suspend();
    /// Whether latest should be sent now.
    bool due(const WebLive::Frame &latest) const;
    void begin(std::shared_ptr<const WebLive::Frame> frame);

    WebLive &m_live;
    MHD_Connection *m_connection;
    std::atomic<bool> m_suspended = false; // only true while the connection is suspended
    std::atomic<bool> m_stopping = false;
    // Of the server thread that reads:
    std::shared_ptr<const WebLive::Frame> m_frame; // being sent; null between frames
    QByteArray m_head;
    qsizetype m_offset = 0; // in m_head, then the frame, then its line end
    quint64 m_sent = ~quint64(0);
    std::chrono::steady_clock::time_point m_sentAt;
};
