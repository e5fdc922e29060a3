#pragma once
// The EXIF block a stored picture carries in its APP1 segment: when its frame was grabbed, by
// which capture driver, by which program, and its size. Built with libexif; one block serves
// picture after picture, changing only what differs.

#include "shell/result.h"

#include <QDateTime>
#include <QSize>
#include <QString>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

struct _ExifData;
struct _ExifMem;

class ExifBlock
{
public:
    ExifBlock();
    ~ExifBlock();
    ExifBlock(ExifBlock &&) noexcept;
    ExifBlock &operator=(ExifBlock &&) noexcept;

    /// The APP1 payload ("Exif", two zero bytes, then the TIFF structure) for a picture of size,
    /// in colour or greyscale, whose frame was grabbed at grabbed, by the capture driver listed
    /// as camera. The dates are
    /// local time with the local offset of that moment and the milliseconds; an invalid grabbed
    /// leaves them out, an empty camera leaves out Make and Model. Model is camera as listed,
    /// Make its name without the driver version. The bytes stay valid until the next call.
    Result<std::span<const std::uint8_t>> payload(const QDateTime &grabbed, QSize size,
                                                  bool greyscale, const QString &camera);

    /// A driver entry "name major.minor.patch" without its version; other entries as they are.
    static QString makeOf(const QString &camera);

private:
    struct Deleter
    {
        void operator()(_ExifData *data) const;
        void operator()(_ExifMem *mem) const;
    };
    bool build();
    bool setTimes(const QDateTime &grabbed);
    bool setCamera(const QString &camera);
    bool setPicture(QSize size, bool greyscale);

    std::unique_ptr<_ExifMem, Deleter> m_mem;
    std::unique_ptr<_ExifData, Deleter> m_data;
    QString m_camera;                  // what Make and Model say now
    std::vector<std::uint8_t> m_bytes; // kept between pictures
};
