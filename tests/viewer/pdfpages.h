#pragma once
// A printed PDF read back with poppler's tools (Debian package poppler-utils).

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

inline bool popplerAvailable()
{
    return !QStandardPaths::findExecutable("pdftotext").isEmpty() &&
           !QStandardPaths::findExecutable("pdftoppm").isEmpty();
}

/// The pages of a PDF as pdftotext lays them out; empty when it cannot be read.
inline QStringList pdfPages(const QString &pdf)
{
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    if (!p.waitForFinished(20000) || p.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split('\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

/// Page one of a PDF rendered at dpi dots per inch (written beside it as page.png).
inline QImage pdfImage(const QString &pdf, int dpi)
{
    QProcess p;
    p.start("pdftoppm", {"-png", "-r", QString::number(dpi), "-singlefile", pdf, "page"});
    if (!p.waitForFinished(20000) || p.exitCode() != 0)
        return {};
    return QImage("page.png");
}
