#pragma once
// A made-up picture store for the viewer's logic: the pictures present are ranges of numbers,
// each in its own directory; a loaded picture is one pixel whose value is its number, so that a
// test sees which picture is on show; a time stamp is "stamp" + the number.

#include "shell/picturenames.h"
#include "viewer/picturesource.h"

#include <QSet>

#include <utility>
#include <vector>

struct FakePictures : PictureSource
{
    std::vector<std::pair<int, int>> ranges; // first and last number present
    QSet<int> undecodable;                   // present, but not pictures
    QSet<int> stampless;                     // present when loaded, gone when stamped
    QList<int> readAheads;                   // the numbers hinted at, in order

    void add(int first, int last) { ranges.emplace_back(first, last); }

    bool exists(int directory, int n) const override
    {
        if (directory != PictureStore::DirectoryOfPicture(n))
            return false;
        for (const auto &[first, last] : ranges) {
            if (first <= n && n <= last)
                return true;
        }
        return false;
    }
    Result<QImage> load(int directory, int n) const override
    {
        if (!exists(directory, n))
            return failure(PictureStore::PicturePath(directory, n) + ": missing");
        if (undecodable.contains(n))
            return failure(PictureStore::PicturePath(directory, n) + ": damaged");
        QImage picture(1, 1, QImage::Format_RGB32);
        picture.setPixel(0, 0, uint(n));
        return picture;
    }
    Result<QString> timeStamp(int directory, int n) const override
    {
        if (!exists(directory, n) || stampless.contains(n))
            return failure(PictureStore::PicturePath(directory, n) + ": gone");
        return QStringLiteral("stamp%1").arg(n);
    }

    void readAhead(int, int n, QSize) override { readAheads << n; }

    /// The number of the picture a fake load gave; -1 for none.
    static int numberOf(const QImage &picture)
    {
        return picture.isNull() ? -1 : int(picture.pixel(0, 0) & 0xffffff);
    }
};
