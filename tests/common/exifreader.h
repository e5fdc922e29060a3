#pragma once
// A picture's metadata as photo managers read it: exiftool's tags by name, and the picture's
// segments before its frame header.

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QVariantMap>

inline bool haveExiftool()
{
    return !QStandardPaths::findExecutable(QStringLiteral("exiftool")).isEmpty();
}

/// Every tag exiftool finds in the file, its values as exiftool prints them, with its verdict
/// on the EXIF structure ("Validate": "OK" when nothing is missing or misplaced).
inline QVariantMap exifTags(const QString &path)
{
    QProcess exiftool;
    exiftool.start(QStringLiteral("exiftool"), {"-json", "-all", "-validate", "-warning", path});
    if (!exiftool.waitForFinished(30000))
        return {};
    const QJsonArray files = QJsonDocument::fromJson(exiftool.readAllStandardOutput()).array();
    return files.isEmpty() ? QVariantMap() : files.first().toObject().toVariantMap();
}

/// The picture with its APP1 segments taken out, and their payloads: what the encoder wrote
/// apart from them. Stops at the first segment that is neither APP0 nor APP1.
struct Segments
{
    QByteArray rest;
    QList<QByteArray> app1;
    int app1Position = -1; // the index among the leading segments of the first APP1
};

inline Segments splitApp1(const QByteArray &jpeg)
{
    Segments split{jpeg.left(2), {}, -1};
    qsizetype pos = 2;
    for (int index = 0; pos + 4 <= jpeg.size() && uchar(jpeg[pos]) == 0xff; ++index) {
        const int marker = uchar(jpeg[pos + 1]);
        if (marker != 0xe0 && marker != 0xe1)
            break;
        const qsizetype length = qsizetype(uchar(jpeg[pos + 2])) << 8 | uchar(jpeg[pos + 3]);
        if (marker == 0xe1) {
            split.app1 << jpeg.mid(pos + 4, length - 2);
            if (split.app1Position < 0)
                split.app1Position = index;
        } else {
            split.rest += jpeg.mid(pos, 2 + length);
        }
        pos += 2 + length;
    }
    split.rest += jpeg.mid(pos);
    return split;
}
