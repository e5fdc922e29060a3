#pragma once
// The defaults a video starts from: which pictures, and where the file goes.

#include <QDateTime>
#include <QString>

#include <functional>

namespace VideoDefaults {

/// The last picture of the unbroken run that starts at first: the largest m >= first such
/// that exists(k) holds for every k from first to m, at most the store's last number. first
/// itself when it does not exist.
int lastOfUnbrokenRun(int first, const std::function<bool(int)> &exists);
/// The same over the store below the working directory (PicturePath), reading file names only.
int lastOfUnbrokenRun(int first);

/// "vardella-2026-12-08_14-05-09.mp4" for a first picture taken at that local time.
QString fileName(const QDateTime &firstPictureTime);
/// The store directory's absolute path with the file name from the modification time of
/// picture first, or from now when it is missing.
QString outputPath(int first);

} // namespace VideoDefaults
