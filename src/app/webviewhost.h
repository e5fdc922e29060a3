#pragma once
// The web view of the windows: the same server as the program without a display, started,
// moved or stopped as "Custom settings" asks, and a line on how it stands for the window's note.

#include "shell/result.h"
#include "store/keepfree.h"
#include "web/webcredentials.h"

#include <QString>

#include <memory>
#include <optional>

class CaptureCore;
class LiveFeeder;
class WebLive;
class WebPictures;
class WebRunBridge;
class WebServer;

class WebViewHost
{
public:
    struct Choice
    {
        bool on = false;
        QString host = QStringLiteral("127.0.0.1");
        int port = 8080;
        std::optional<WebCredentials> credentials;
    };

    /// core must outlive the host; the store is the working directory.
    explicit WebViewHost(CaptureCore &core);
    ~WebViewHost();
    WebViewHost(const WebViewHost &) = delete;
    WebViewHost &operator=(const WebViewHost &) = delete;

    /// Serves as choice says, after closing what served before. Returns what the note shows:
    /// "Web view at http://127.0.0.1:8080/", why it cannot listen, or nothing when off.
    QString apply(const Choice &choice);
    /// Whether a server listens now.
    bool listening() const;

private:
    void close();

    CaptureCore &m_core;
    WorkingDirectorySpace m_space;
    std::unique_ptr<WebRunBridge> m_run;
    std::unique_ptr<WebPictures> m_pictures;
    std::unique_ptr<WebLive> m_live;
    std::unique_ptr<LiveFeeder> m_feeder;
    std::unique_ptr<WebServer> m_server;
};
