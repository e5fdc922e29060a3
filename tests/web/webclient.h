#pragma once
// Clients of the web view for tests: curl (Debian curl) for ordinary requests, and raw sockets
// for clients that misbehave.

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

struct Reply
{
    int status = 0; // 0: no answer (refused, closed)
    QByteArray body;
};

inline bool haveCurl()
{
    return !QStandardPaths::findExecutable("curl").isEmpty();
}

/// One curl run; its last output line is the status (its -w).
inline Reply curl(const QStringList &arguments, int timeoutMs = 20000)
{
    QProcess process;
    process.start("curl",
                  QStringList{"--noproxy", "*", "-s", "-w", "\n%{http_code}", "--max-time", "15"} +
                      arguments);
    Reply reply;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return reply;
    }
    QByteArray out = process.readAllStandardOutput();
    const qsizetype last = out.lastIndexOf('\n');
    reply.status = out.mid(last + 1).toInt();
    reply.body = out.left(qMax<qsizetype>(0, last));
    return reply;
}

/// count requests of url at once (curl --parallel); the statuses, one per request.
inline QList<int> parallel(const QString &url, int count)
{
    QProcess process;
    // One URL made into count by curl's globbing; the query is not part of the path.
    const QString urls = url + QStringLiteral("?n=[1-%1]").arg(count);
    process.start("curl", {"--noproxy", "*", "-s", "--parallel", "--parallel-immediate",
                           "--parallel-max", QString::number(count), "--max-time", "15", "-w",
                           "%{http_code}\n", "-o", "/dev/null", urls});
    QList<int> statuses;
    if (!process.waitForFinished(60000))
        return statuses;
    for (const QByteArray &line : process.readAllStandardOutput().split('\n'))
        if (!line.isEmpty())
            statuses << line.toInt();
    return statuses;
}

/// Clients that open a connection to 127.0.0.1:port and send a request's headers one byte at
/// a time, every stepMs; returns after timeoutMs or once the server has closed every one, with
/// the number it closed.
inline int slowClients(quint16 port, int count, int stepMs, int timeoutMs)
{
    std::vector<int> sockets;
    for (int i = 0; i < count; ++i) {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to) == 0)
            sockets.push_back(fd);
        else if (fd >= 0)
            ::close(fd);
    }
    const QByteArray request =
        "GET /api/status HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: " + QByteArray(4000, 'a') +
        "\r\n\r\n";
    int closed = 0;
    std::vector<bool> gone(sockets.size(), false);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (qsizetype at = 0; closed < int(sockets.size()) && std::chrono::steady_clock::now() < end;
         ++at) {
        for (std::size_t i = 0; i < sockets.size(); ++i) {
            if (gone[i])
                continue;
            // Readable means the server has done with it: closed it, or answered.
            pollfd p{sockets[i], POLLIN, 0};
            const char byte = request.at(at % request.size());
            const bool ended =
                ::poll(&p, 1, 0) > 0 || ::send(sockets[i], &byte, 1, MSG_NOSIGNAL) < 0;
            if (ended) {
                gone[i] = true;
                ++closed;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(stepMs));
    }
    for (int fd : sockets)
        ::close(fd);
    return closed;
}
