#include "web/webstream.h"

#include <microhttpd.h>

#include <algorithm>
#include <cstring>

namespace {
struct Holder
{
    std::shared_ptr<WebStream> stream;
    std::function<void(WebStream *)> ended;
};

// Copies what of [from, from + size) lies at or after offset within the stream's part into out.
std::size_t take(const char *from, qsizetype size, qsizetype &offset, qsizetype start, char *&out,
                 std::size_t &room)
{
    if (offset >= start + size || room == 0)
        return 0;
    const qsizetype at = offset - start;
    const std::size_t n = std::min<std::size_t>(room, std::size_t(size - at));
    std::memcpy(out, from + at, n);
    out += n;
    room -= n;
    offset += qsizetype(n);
    return n;
}
} // namespace

WebStream::WebStream(WebLive &live, MHD_Connection *connection)
    : m_live(live), m_connection(connection)
{}

MHD_Response *WebStream::response(std::shared_ptr<WebStream> stream,
                                  std::function<void(WebStream *)> ended)
{
    auto *holder = new Holder{std::move(stream), std::move(ended)};
    const auto reader = [](void *cls, uint64_t, char *buffer, size_t max) -> ssize_t {
        return static_cast<Holder *>(cls)->stream->read(buffer, max);
    };
    const auto release = [](void *cls) {
        auto *holder = static_cast<Holder *>(cls);
        holder->ended(holder->stream.get());
        delete holder;
    };
    MHD_Response *response = MHD_create_response_from_callback(
        MHD_SIZE_UNKNOWN, 16 * 1024, static_cast<MHD_ContentReaderCallback>(reader), holder,
        static_cast<MHD_ContentReaderFreeCallback>(release));
    if (!response) {
        delete holder;
        return nullptr;
    }
    const QByteArray type = QByteArray("multipart/x-mixed-replace; boundary=") + Boundary;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, type.constData());
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store, no-cache");
    MHD_add_response_header(response, MHD_HTTP_HEADER_PRAGMA, "no-cache");
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
    return response;
}

void WebStream::wake()
{
    // Only a suspended connection is resumed, and by one caller: while it is suspended the
    // server cannot close it, so it is still there.
    if (m_suspended.exchange(false))
        MHD_resume_connection(m_connection);
}

void WebStream::stop()
{
    m_stopping = true;
    wake();
}

void WebStream::suspend()
{
    MHD_suspend_connection(m_connection);
    m_suspended = true;
    // A frame or a stop that came while it was being suspended would wake no one.
    if (m_stopping || due(*m_live.latest()))
        wake();
}

bool WebStream::due(const WebLive::Frame &latest) const
{
    // The first frame waits for one being made for this viewer rather than show the stand-in
    // or a stale one.
    if (m_sent == ~quint64(0))
        return !m_live.preparing();
    return latest.sequence != m_sent || std::chrono::steady_clock::now() - m_sentAt >= Repeat;
}

void WebStream::begin(std::shared_ptr<const WebLive::Frame> frame)
{
    m_head = "--" + QByteArray(Boundary) + "\r\nContent-Type: image/jpeg\r\nContent-Length: " +
             QByteArray::number(frame->jpeg.size()) + "\r\n\r\n";
    m_offset = 0;
    m_sent = frame->sequence;
    m_sentAt = std::chrono::steady_clock::now();
    m_frame = std::move(frame);
}

qint64 WebStream::read(char *buffer, std::size_t max)
{
    if (!m_frame) {
        if (m_stopping)
            return MHD_CONTENT_READER_END_OF_STREAM;
        std::shared_ptr<const WebLive::Frame> latest = m_live.latest();
        if (!due(*latest)) {
            suspend();
            return 0;
        }
        begin(std::move(latest));
    }
    std::size_t room = max;
    char *out = buffer;
    const qsizetype headSize = m_head.size();
    const qsizetype jpegSize = m_frame->jpeg.size();
    std::size_t n = take(m_head.constData(), headSize, m_offset, 0, out, room);
    n += take(m_frame->jpeg.constData(), jpegSize, m_offset, headSize, out, room);
    n += take("\r\n", 2, m_offset, headSize + jpegSize, out, room);
    if (m_offset == headSize + jpegSize + 2)
        m_frame.reset();
    return qint64(n);
}
