#include "web/webaddress.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>

namespace {
Result<quint16> portNumber(const QString &text, const QString &whole)
{
    bool ok = false;
    const uint port = text.toUInt(&ok, 10);
    // toUInt takes a sign and blanks; a port is digits only.
    const bool digits = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
    if (!ok || !digits || port > 65535)
        return failure(QStringLiteral("--web must be ADDRESS:PORT or PORT with a port from 0 to "
                                      "65535, not \"%1\".")
                           .arg(whole));
    return static_cast<quint16>(port);
}
} // namespace

Result<WebAddress> WebAddress::parse(const QString &text)
{
    QString host = QString::fromLatin1(DefaultHost);
    QString port = text;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1String("]:"));
        if (close < 0)
            return failure(QStringLiteral("--web must be [IPV6]:PORT for an IPv6 address, not "
                                          "\"%1\".")
                               .arg(text));
        host = text.mid(1, close - 1);
        port = text.mid(close + 2);
    } else if (const qsizetype colon = text.lastIndexOf(QLatin1Char(':')); colon >= 0) {
        host = text.left(colon);
        port = text.mid(colon + 1);
    }
    const Result<quint16> number = portNumber(port, text);
    if (!number)
        return failure(number.error());
    if (host == QLatin1String("localhost"))
        host = QString::fromLatin1(DefaultHost);
    WebAddress address;
    address.m_port = *number;
    const QByteArray latin = host.toLatin1();
    if (inet_pton(AF_INET, latin.constData(), address.m_bytes.data()) == 1)
        return address;
    if (!text.startsWith(QLatin1Char('[')) ||
        inet_pton(AF_INET6, latin.constData(), address.m_bytes.data()) != 1)
        return failure(QStringLiteral("--web needs a numeric address of this machine "
                                      "(127.0.0.1, 0.0.0.0, [::1]), not \"%1\".")
                           .arg(host));
    address.m_ipv6 = true;
    return address;
}

bool WebAddress::loopback() const
{
    if (!m_ipv6)
        return m_bytes[0] == 127;
    static constexpr std::array<std::uint8_t, 16> one{0, 0, 0, 0, 0, 0, 0, 0,
                                                      0, 0, 0, 0, 0, 0, 0, 1};
    return m_bytes == one;
}

bool WebAddress::wildcard() const
{
    const auto zero = [](std::uint8_t b) { return b == 0; };
    return std::all_of(m_bytes.begin(), m_bytes.begin() + (m_ipv6 ? 16 : 4), zero);
}

QString WebAddress::host() const
{
    char buffer[INET6_ADDRSTRLEN] = {};
    inet_ntop(m_ipv6 ? AF_INET6 : AF_INET, m_bytes.data(), buffer, sizeof buffer);
    return QString::fromLatin1(buffer);
}

QString WebAddress::text() const
{
    const QString h = host();
    return (m_ipv6 ? QLatin1Char('[') + h + QLatin1Char(']') : h) + QLatin1Char(':') +
           QString::number(m_port);
}

unsigned WebAddress::socketAddress(sockaddr_storage &out) const
{
    std::memset(&out, 0, sizeof out);
    if (m_ipv6) {
        auto *a = reinterpret_cast<sockaddr_in6 *>(&out);
        a->sin6_family = AF_INET6;
        a->sin6_port = htons(m_port);
        std::memcpy(&a->sin6_addr, m_bytes.data(), 16);
        return sizeof(sockaddr_in6);
    }
    auto *a = reinterpret_cast<sockaddr_in *>(&out);
    a->sin_family = AF_INET;
    a->sin_port = htons(m_port);
    std::memcpy(&a->sin_addr, m_bytes.data(), 4);
    return sizeof(sockaddr_in);
}
