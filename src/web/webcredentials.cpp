#include "web/webcredentials.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>

#include <array>

namespace {
void wipe(QByteArray &bytes)
{
    // volatile: a plain fill of memory about to be freed may be left out by the compiler.
    volatile char *p = bytes.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        p[i] = 0;
    bytes.clear();
}
} // namespace

Result<WebCredentials> WebCredentials::fromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return failure(QStringLiteral("Cannot read the password file \"%1\": %2.")
                           .arg(path, file.errorString()));
    QByteArray text = file.read(MaxFileBytes);
    if (const qsizetype end = text.indexOf('\n'); end >= 0)
        text.truncate(end);
    if (text.endsWith('\r'))
        text.chop(1);
    if (text.isEmpty())
        return failure(QStringLiteral("The password file \"%1\" holds no password on its first "
                                      "line.")
                           .arg(path));
    return fromPassword(text);
}

Result<WebCredentials> WebCredentials::fromPassword(QByteArray &password)
{
    if (password.isEmpty())
        return failure(QStringLiteral("The web view's password is empty."));
    std::array<quint32, 4> salt{};
    QRandomGenerator::system()->fillRange(salt.data(), salt.size());
    WebCredentials credentials;
    credentials.m_realm =
        "Vardella web view " +
        QByteArray(reinterpret_cast<const char *>(salt.data()), sizeof salt).toHex().left(16);
    QCryptographicHash md5(QCryptographicHash::Md5);
    md5.addData(QByteArray(UserName) + ':' + credentials.m_realm + ':');
    md5.addData(password);
    credentials.m_hash = md5.result();
    wipe(password);
    return credentials;
}

std::optional<WebCredentials> WebCredentials::fromHash(const QByteArray &realm,
                                                       const QByteArray &hash)
{
    if (realm.isEmpty() || hash.size() != 16)
        return std::nullopt;
    WebCredentials c;
    c.m_realm = realm;
    c.m_hash = hash;
    return c;
}
