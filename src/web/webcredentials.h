#pragma once
// The web view's password, kept only as the digest authentication's hash of user name, realm
// and password. The realm carries a random salt, so that the hash says nothing about the same
// password elsewhere; the password itself is wiped once hashed.

#include "shell/result.h"

#include <QByteArray>
#include <QString>

#include <optional>

class WebCredentials
{
public:
    /// The one user name a browser is to give.
    static constexpr const char *UserName = "vardella";
    /// Bytes of a password file that are looked at; a password is one line.
    static constexpr qsizetype MaxFileBytes = 4096;

    /// The password on the first line of the file at path (without its line end).
    static Result<WebCredentials> fromFile(const QString &path);
    /// password is wiped; an empty one is refused.
    static Result<WebCredentials> fromPassword(QByteArray &password);

    /// Credentials kept before: realm and the 16-byte hash; none when either is unusable.
    static std::optional<WebCredentials> fromHash(const QByteArray &realm, const QByteArray &hash);

    /// The realm the browser shows and hashes with: "Vardella web view" and the salt.
    const QByteArray &realm() const { return m_realm; }
    /// MD5 of "vardella:realm:password", as digest authentication needs it.
    const QByteArray &hash() const { return m_hash; }

private:
    QByteArray m_realm;
    QByteArray m_hash;
};
