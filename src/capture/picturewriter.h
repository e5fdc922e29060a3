#pragma once
// The store step of a grab: one frame becomes one JPEG picture on disk. Copies the frame into
// the session's buffers, compresses the bitmap and replaces the picture file as a whole.

#include "capture/atomicfilewriter.h"
#include "capture/framebuffers.h"
#include "capture/writeresult.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

class PictureWriter
{
public:
    explicit PictureWriter(AtomicFileWriter writer = AtomicFileWriter());

    /// Stores frame as the JPEG picture path (relative to the working directory, e.g.
    /// "1/capture0.jpg"), replacing an earlier file only once the new one is complete.
    /// quality outside 1..100 is limited to that range. Fails, naming path and the reason, for
    /// a frame shorter than the buffers' image size (nothing is stored then), an encoder
    /// error or a write error (the earlier file stays as it was).
    WriteResult store(std::span<const std::uint8_t> frame, FrameBuffers &buffers, int quality,
                      bool greyscale, const QString &path);

    /// The same with the quality as the user typed it; text that is not a whole number
    /// fails before anything is copied or written.
    WriteResult store(std::span<const std::uint8_t> frame, FrameBuffers &buffers,
                      const QString &qualityText, bool greyscale, const QString &path);

    /// The quality text as a number: surrounding blanks allowed, nothing else.
    static std::optional<int> parseQuality(const QString &text);

private:
    AtomicFileWriter m_writer;
    std::vector<std::uint8_t> m_jpeg; // kept between pictures, so encoding rarely allocates
};
