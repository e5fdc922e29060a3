#pragma once
// Makes one video from a range of stored pictures, read by their numbers across the numbered
// directories. A missing or undecodable picture is skipped and counted. The file appears under
// its name only when it is complete: until then it is written to a hidden file beside it, which
// a failure or a cancel removes. The store is only read.

#include "shell/result.h"
#include "video/videosettings.h"

#include <atomic>
#include <functional>

struct VideoSummary
{
    QString output;
    int frames = 0;     // pictures in the video
    int missing = 0;    // numbers with no file
    int unreadable = 0; // files that are not a whole JPEG picture
    bool cancelled = false;

    int skipped() const { return missing + unreadable; }
};

class VideoJob
{
public:
    /// done of total pictures handled so far (skipped ones included).
    using Progress = std::function<void(int done, int total)>;

    explicit VideoJob(VideoSettings settings) : m_settings(std::move(settings)) {}

    /// Runs to the end, or until cancel turns true (checked between pictures: the summary
    /// then says cancelled and no file is left). Fails with a message that names the output
    /// file and the reason: bad settings, no readable picture, a file that cannot be written.
    Result<VideoSummary> run(const Progress &progress, const std::atomic<bool> &cancel) const;

private:
    VideoSettings m_settings;
};
