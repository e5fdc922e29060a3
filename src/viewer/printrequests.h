#pragma once
// What the viewer and the full-screen view ask of printing, with what is to be printed: the
// printer set-up, the picture in the full-screen view, the viewer's page of ten.

#include <QImage>
#include <QString>

#include <array>

class PrintRequests
{
public:
    /// The picture in the full-screen view: its number, its directory and the picture itself.
    struct Picture
    {
        int number = 0;
        int directory = 1;
        QImage picture;
    };
    /// The viewer's page: the first of its range (10 × the range position), its first
    /// picture, its directory, the question text and the ten slots' pictures in order.
    struct Range
    {
        int rangeStart = 0;
        int pageStart = 0;
        int directory = 1;
        QString printRangeText;
        std::array<QImage, 10> pictures;
    };

    virtual ~PrintRequests() = default;
    /// "Printer Setup" in the full-screen toolbar.
    virtual void printerSetup() = 0;
    /// "Print" in the full-screen toolbar.
    virtual void printPicture(const Picture &picture) = 0;
    /// "Print range " in the viewer.
    virtual void printRange(const Range &range) = 0;
};
