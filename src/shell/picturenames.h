#pragma once
// The names and directories of the picture store, shared by every subsystem: a fixed tree of
// numbered directories "1" to "64" below the working directory; the picture number alone decides
// the directory and the file name. What the store does with them is in store/picturestore.h.

#include <QString>

namespace PictureStore {

inline constexpr int PicturesPerDirectory = 5000;
inline constexpr int DirectoryCount = 64;
inline constexpr int StoreCapacity = PicturesPerDirectory * DirectoryCount; // 320000

/// The directory (1 to 64) that holds picture n, for 0 <= n <= 319999.
int DirectoryOfPicture(int n);

/// "d/capturen.jpg", relative to the working directory.
QString PicturePath(int directory, int n);

/// Creates directory d below the working directory; an existing directory or a failure is
/// not reported (the picture writer then reports the failed write).
void CreateDirectory(int directory);

/// Removes those of the directories "1" to "64" that are empty; the others are left alone.
void RemoveEmptyDirectories();

} // namespace PictureStore
