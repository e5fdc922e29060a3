#pragma once
// The picture store: moving the numbering on after each picture. The names and directories
// themselves are in shell/picturenames.h.

#include "shell/picturenames.h"

#include <QString>

#include <functional>
#include <optional>

struct ApplicationState;

namespace PictureStore {

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

/// Numbering starts again: the next picture is 0, in directory "1".
void RestartNumbering(ApplicationState &state);

/// Points CurrentDirectory and DirectoryBase at the directory of restart number n and creates
/// it when it is not "1". Numbers from 315000 up select directory "64"; a number past the last
/// picture (320000 or more) restarts the store at 0 in directory "1". Returns the number the
/// next picture gets.
int SelectDirectoryForPicture(ApplicationState &state, int n);

/// The number of the newest stored picture by modification time, looking through the
/// directories "1" to "64"; none when the store holds no picture.
std::optional<int> NewestPicture();

/// Points the numbering at the picture after the newest stored one, so that a new run adds to
/// the store instead of overwriting its start; after the last picture (MaxFrames or the end of
/// the store) it starts again at 0, as capture itself would. An empty store starts at 0.
/// Returns the number the next picture gets.
int ContinueAfterNewest(ApplicationState &state);

} // namespace PictureStore
