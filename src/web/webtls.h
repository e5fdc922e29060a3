#pragma once
// The web view's certificate and key for https, read from PEM files, with the files' names for
// the messages when the server cannot use them.

#include "shell/result.h"

#include <QByteArray>
#include <QString>

class WebTls
{
public:
    /// The PEM certificate (with its chain) at certPath and its private key at keyPath; fails
    /// naming the file that cannot be read or holds no PEM certificate or key.
    static Result<WebTls> fromFiles(const QString &certPath, const QString &keyPath);

    /// NUL-terminated, as the server reads them.
    const QByteArray &certificate() const { return m_cert; }
    const QByteArray &key() const { return m_key; }
    const QString &certificatePath() const { return m_certPath; }
    const QString &keyPath() const { return m_keyPath; }

private:
    QByteArray m_cert;
    QByteArray m_key;
    QString m_certPath;
    QString m_keyPath;
};
