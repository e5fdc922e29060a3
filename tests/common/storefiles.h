#pragma once
// Files in the test's working directory: made empty on demand, and which of a list exist.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTest>

/// Creates an empty file at path, with the directories above it.
inline void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}

/// Those of paths that exist, in their order.
inline QStringList existing(const QStringList &paths)
{
    QStringList found;
    for (const QString &p : paths) {
        if (QFileInfo::exists(p))
            found << p;
    }
    return found;
}
