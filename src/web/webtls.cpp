#include "web/webtls.h"

#include <QFile>

namespace {
// PEM files are small; anything larger is no certificate or key of ours.
constexpr qint64 MaxPemBytes = 1024 * 1024;

Result<QByteArray> readPem(const QString &path, const char *what, const char *marker)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(QStringLiteral("Cannot read the %1 file \"%2\": %3.")
                           .arg(what, path, file.errorString()));
    QByteArray pem = file.read(MaxPemBytes + 1);
    if (pem.size() > MaxPemBytes || !pem.contains("-----BEGIN ") || !pem.contains(marker))
        return failure(QStringLiteral("The %1 file \"%2\" holds no PEM %1.").arg(what, path));
    pem.append('\0'); // the server takes a C string
    return pem;
}
} // namespace

Result<WebTls> WebTls::fromFiles(const QString &certPath, const QString &keyPath)
{
    const Result<QByteArray> cert = readPem(certPath, "certificate", "CERTIFICATE-----");
    if (!cert)
        return failure(cert.error());
    const Result<QByteArray> key = readPem(keyPath, "key", "PRIVATE KEY-----");
    if (!key)
        return failure(key.error());
    WebTls tls;
    tls.m_cert = *cert;
    tls.m_key = *key;
    tls.m_certPath = certPath;
    tls.m_keyPath = keyPath;
    return tls;
}
