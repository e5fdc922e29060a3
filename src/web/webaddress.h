#pragma once
// Where the web view listens: a numeric IPv4 or IPv6 address and a port, as given on the
// command line ("8080", "127.0.0.1:8080", "[::1]:8080", "0.0.0.0:8080").

#include "shell/result.h"

#include <QString>

#include <array>
#include <cstdint>

struct sockaddr_storage;

class WebAddress
{
public:
    /// The address when only a port is given: this machine alone.
    static constexpr const char *DefaultHost = "127.0.0.1";

    /// "PORT", "HOST:PORT" or "[IPV6]:PORT"; HOST is numeric or "localhost". Port 0 lets the
    /// system choose a free one.
    static Result<WebAddress> parse(const QString &text);

    /// Only this machine can reach it (127.0.0.0/8, ::1).
    bool loopback() const;
    /// Every address of the machine (0.0.0.0, ::).
    bool wildcard() const;
    bool ipv6() const { return m_ipv6; }
    quint16 port() const { return m_port; }
    void setPort(quint16 port) { m_port = port; }
    /// The address as text, IPv6 without brackets: "127.0.0.1", "::1".
    QString host() const;
    /// "127.0.0.1:8080", "[::1]:8080".
    QString text() const;
    /// The address for bind(); returns its length.
    unsigned socketAddress(sockaddr_storage &out) const;

private:
    bool m_ipv6 = false;
    std::array<std::uint8_t, 16> m_bytes{}; // network order; IPv4 uses the first four
    quint16 m_port = 0;
};
