#include "web/webtls.h"

#include <QFile>

#include <gnutls/gnutls.h>
#include <gnutls/x509.h>

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
    // Checked here, so that a pair the server cannot use is said plainly before it starts.
    gnutls_certificate_credentials_t credentials = nullptr;
    if (gnutls_certificate_allocate_credentials(&credentials) != GNUTLS_E_SUCCESS)
        return failure(QStringLiteral("The web view cannot check its certificate."));
    const gnutls_datum_t certData{
        reinterpret_cast<unsigned char *>(const_cast<char *>(cert->constData())),
        unsigned(cert->size() - 1)};
    const gnutls_datum_t keyData{
        reinterpret_cast<unsigned char *>(const_cast<char *>(key->constData())),
        unsigned(key->size() - 1)};
    // The certificate is read on its own first: pairing a damaged one leaks inside GnuTLS.
    gnutls_x509_crt_t parsed = nullptr;
    int checked = gnutls_x509_crt_init(&parsed);
    if (checked == GNUTLS_E_SUCCESS) {
        checked = gnutls_x509_crt_import(parsed, &certData, GNUTLS_X509_FMT_PEM);
        gnutls_x509_crt_deinit(parsed);
    }
    if (checked >= 0)
        checked = gnutls_certificate_set_x509_key_mem2(credentials, &certData, &keyData,
                                                       GNUTLS_X509_FMT_PEM, nullptr, 0);
    gnutls_certificate_free_credentials(credentials);
    if (checked < 0) {
        QString why = QString::fromUtf8(gnutls_strerror(checked));
        if (why.endsWith('.'))
            why.chop(1);
        return failure(QStringLiteral("The web view cannot use the certificate \"%1\" with the key "
                                      "\"%2\": they are damaged or do not belong together (%3).")
                           .arg(certPath, keyPath, why));
    }
    WebTls tls;
    tls.m_cert = *cert;
    tls.m_key = *key;
    tls.m_certPath = certPath;
    tls.m_keyPath = keyPath;
    return tls;
}
