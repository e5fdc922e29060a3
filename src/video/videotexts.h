#pragma once
// What the user reads about a video being made, in the window and on standard error alike.

#include <QString>

struct VideoSummary;

namespace VideoTexts {

/// "120 of 500 pictures, 0:42 left": the time left assumes the pace so far holds. Without a
/// picture done, or without time elapsed, there is no estimate yet ("0 of 500 pictures").
QString progress(int done, int total, qint64 elapsedMs);

/// A duration as "m:ss", or "h:mm:ss" from an hour on.
QString duration(qint64 seconds);

/// "Made "/home/me/Videos/a.mp4": 500 pictures, 3 skipped (2 missing, 1 unreadable)."
QString summary(const VideoSummary &summary);

} // namespace VideoTexts
