#include "app/webviewhost.h"

#include "app/capturecore.h"
#include "app/livefeeder.h"
#include "app/webrunbridge.h"
#include "capture/capturesession.h"
#include "web/weblive.h"
#include "web/webpictures.h"
#include "web/webserver.h"

#include <QDir>

WebViewHost::WebViewHost(CaptureCore &core) : m_core(core) {}

WebViewHost::~WebViewHost()
{
    close();
}

void WebViewHost::close()
{
    if (!m_server)
        return;
    m_server->close(); // no request reaches what goes next
    m_feeder.reset();
    m_core.session().removeFrameSink(m_live.get());
    m_server.reset();
    m_live.reset();
    m_pictures.reset();
    m_run.reset();
}

QString WebViewHost::apply(const Choice &choice)
{
    close();
    if (!choice.on)
        return {};
    const QString host = choice.host.trimmed();
    const QString text = host.contains(':') ? QStringLiteral("[%1]:%2").arg(host).arg(choice.port)
                                            : QStringLiteral("%1:%2").arg(host).arg(choice.port);
    const Result<WebAddress> address = WebAddress::parse(text);
    if (!address)
        return QStringLiteral("The web view needs a numeric address of this machine, such as "
                              "127.0.0.1 or 0.0.0.0, not \"%1\".")
            .arg(host);
    m_run = std::make_unique<WebRunBridge>(m_core, m_space);
    m_pictures = std::make_unique<WebPictures>(QDir::currentPath());
    m_live = std::make_unique<WebLive>();
    m_core.session().addFrameSink(m_live.get());
    m_feeder = std::make_unique<LiveFeeder>(m_core, *m_live);
    m_server =
        std::make_unique<WebServer>(*m_run, *m_pictures, *m_live, *address, choice.credentials);
    if (const Result<> listening = m_server->listen(); !listening) {
        const QString why = listening.error();
        close();
        return why;
    }
    return QStringLiteral("Web view at ") + m_server->url();
}

bool WebViewHost::listening() const
{
    return m_server && m_server->listening();
}
