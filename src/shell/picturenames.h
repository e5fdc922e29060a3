#pragma once
// The names and directories of the picture store, shared by every subsystem: a fixed tree of
// numbered directories "1" to "64" below the working directory; the picture number alone decides
// the directory and the file name. What the store does with them is in store/picturestore.h.

#include "shell/result.h"

#include <QString>

namespace PictureStore {

inline constexpr int PicturesPerDirectory = 5000;
inline constexpr int DirectoryCount = 64;
inline constexpr int StoreCapacity = PicturesPerDirectory * DirectoryCount; // 320000

/// "Keep free": the megabytes (of 1024 x 1024 bytes) the store leaves free on its disk at start,
/// and the most that may be asked; 0 lets the disk fill up.
inline constexpr int KeepFreeDefaultMegabytes = 200;
inline constexpr int KeepFreeMaxMegabytes = 1000000;

/// The directory (1 to 64) that holds picture n, for 0 <= n <= 319999.
int DirectoryOfPicture(int n);

/// "d/capturen.jpg", relative to the working directory.
QString PicturePath(int directory, int n);

/// Creates directory d below the working directory. An existing directory is no failure;
/// callers that go on regardless may ignore the result (the picture writer then reports the
/// failed write).
Result<> CreateDirectory(int directory);

/// Removes those of the directories "1" to "64" that are empty; the others are left alone.
void RemoveEmptyDirectories();

/// Removes the temporary files the picture writer leaves in "1" to "64" when the program is
/// killed mid-write (".capturen.jpg.<random>.tmp"), and the replaced pictures it had not freed
/// yet (".replaced.capturen.jpg.<random>.tmp" in the store's directory); every other file is
/// left alone. Runs
/// before RemoveEmptyDirectories, so that a directory holding only such a file goes too.
void RemoveLeftoverTemporaries();

} // namespace PictureStore
