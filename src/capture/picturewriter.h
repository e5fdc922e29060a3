#pragma once
// The store step of a grab: one frame becomes one JPEG picture on disk, with an EXIF block on
// its grab. The frame is compressed as it is and the picture file replaced as a whole.

#include "capture/atomicfilewriter.h"
#include "capture/exifblock.h"
#include "capture/picturestamp.h"
#include "capture/videoheader.h"
#include "shell/result.h"

#include <QDateTime>
#include <QImage>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class PictureWriter
{
public:
    /// What the picture records about its grab.
    struct Grab
    {
        QDateTime time;       // when the frame was grabbed, for the EXIF block and any stamp
        QString camera;       // the capture driver as listed ("USB Camera 6.1.7"), or empty
        bool stamped = false; // time drawn into a corner of the picture
    };

    explicit PictureWriter(AtomicFileWriter writer = AtomicFileWriter());

    /// Stores frame as the JPEG picture path (relative to the working directory, e.g.
    /// "1/capture0.jpg"), replacing an earlier file only once the new one is complete; its
    /// EXIF block (see ExifBlock) tells grab's time and camera. quality outside 1..100 is
    /// limited to that range. Fails with a message that names path and the reason
    /// ("1/capture0.jpg: No space left on device") for a frame that is not of the 24-bit format
    /// given (nothing is stored then), an encoder error or a write error (the earlier file
    /// stays as it was). A stamp is drawn on a copy: frame itself is never changed. Gives the
    /// size of the file written.
    Result<qint64> store(const QImage &frame, const VideoHeader &format, int quality,
                         bool greyscale, const QString &path, const Grab &grab);

    /// Whether the last store failed because the file system had no room (full, or over quota).
    bool lastStoreOutOfSpace() const { return m_outOfSpace; }

    /// The quality text as a number: surrounding blanks allowed, nothing else.
    static std::optional<int> parseQuality(const QString &text);

private:
    AtomicFileWriter m_writer;
    PictureStamp m_stamp;
    ExifBlock m_exif;
    std::vector<std::uint8_t> m_jpeg; // kept between pictures, so encoding rarely allocates
    bool m_outOfSpace = false;
};
