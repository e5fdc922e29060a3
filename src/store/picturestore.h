#pragma once
// The picture store: a fixed tree of numbered directories "1" to "64" below the working
// directory; the picture number alone decides the directory and the file name.

#include <QString>

#include <functional>

struct ApplicationState;

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

enum class Advance
{
    Continued,     // an ordinary picture
    Restarted,     // numbering starts again at 0 in directory "1"
    DirectoryFull, // the current directory received its last picture
    FirstPicture,  // the first picture since numbering restarted
};

/// Moves the numbering on after a picture was stored. PictureCounter must already hold m, the
/// number of the picture just stored plus one. When a directory is full, grabtimePause runs
/// before the next directory is taken (or numbering restarts at the end of the store).
Advance AdvanceAfterCapture(ApplicationState &state, const std::function<void()> &grabtimePause);

/// Points CurrentDirectory and DirectoryBase at the directory of restart number n and creates
/// it when it is not "1". Numbers from 315000 up select directory "64"; a number past the last
/// picture (320000 or more) restarts the store at 0 in directory "1". Returns the number the
/// next picture gets.
int SelectDirectoryForPicture(ApplicationState &state, int n);

} // namespace PictureStore
