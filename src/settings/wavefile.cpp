#include "settings/wavefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace WaveFile {

namespace {
quint32 le32(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return u[0] | (u[1] << 8) | (u[2] << 16) | (quint32(u[3]) << 24);
}
quint16 le16(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return quint16(u[0] | (u[1] << 8));
}

// Walks the chunks after "RIFF....WAVE" looking for a PCM "fmt " and a non-empty "data".
Result<> checkChunks(const QByteArray &bytes)
{
    bool havePcmFormat = false;
    qsizetype pos = 12;
    while (pos + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(pos, 4);
        const quint32 size = le32(bytes.constData() + pos + 4);
        const qsizetype body = pos + 8;
        if (id == "fmt ") {
            if (size < 16 || body + 16 > bytes.size())
                return failure(QStringLiteral("the format chunk is truncated"));
            const quint16 format = le16(bytes.constData() + body);
            const quint16 channels = le16(bytes.constData() + body + 2);
            const quint16 bits = le16(bytes.constData() + body + 14);
            if (format != 1 && format != 0xFFFE)
                return failure(QStringLiteral("it is not PCM sound (format %1)").arg(format));
            if (channels == 0 || (bits != 8 && bits != 16 && bits != 24 && bits != 32))
                return failure(QStringLiteral("its sample format is not supported"));
            havePcmFormat = true;
        } else if (id == "data") {
            if (!havePcmFormat)
                return failure(QStringLiteral("the sound data comes before its format"));
            if (size == 0 || body >= bytes.size())
                return failure(QStringLiteral("it holds no sound data"));
            return {};
        }
        pos = body + size + (size & 1); // chunks are padded to even sizes
    }
    return failure(havePcmFormat ? QStringLiteral("it holds no sound data")
                                 : QStringLiteral("it has no format chunk"));
}
} // namespace

Result<> check(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return failure(QStringLiteral("the file does not exist"));
    if (!file.open(QIODevice::ReadOnly))
        return failure(file.errorString());
    // Sound effects are short; a header walk over the whole file is cheap.
    const QByteArray bytes = file.read(16 * 1024 * 1024);
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return failure(QStringLiteral("it is not a RIFF/WAVE file"));
    return checkChunks(bytes);
}

QString locate(const QString &name, const QStringList &directories)
{
    for (const QString &dir : directories) {
        const QString candidate = QDir(dir).filePath(name);
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return name;
}

} // namespace WaveFile
