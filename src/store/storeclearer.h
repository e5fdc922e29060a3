#pragma once
// Clearing the picture store: every picture from 0 up to the maximum frame count is deleted by
// name, directory by directory, without listing any directory.

#include <functional>

struct ApplicationState;

/// What one run of the clear routine did.
struct ClearReport
{
    bool ran = false;      // false when the clear was not confirmed
    int lastDirectory = 0; // the highest directory processed, 0 when none
    int namesTried = 0;    // delete calls made
    int filesDeleted = 0;  // of which removed a file
};

class StoreClearer
{
public:
    /// Called once per directory, before any of its files is touched.
    using Progress = std::function<void(int directory)>;

    /// The clear routine. ClearConfirmed takes the dialog's confirmation; unless it is set,
    /// nothing is deleted. Below 5000 frames it deletes the pictures 0 to MaxFrames (inclusive)
    /// of directory "1"; from 5000 on it clears whole directories from "1" up to the one that
    /// holds picture MaxFrames, never past "64". CurrentDirectory follows the directory being
    /// cleared. Missing or undeletable files are skipped silently; directories are kept.
    /// ClearConfirmed is false when it returns.
    static ClearReport ClearStore(ApplicationState &state, bool confirmed,
                                  const Progress &progress);

private:
    /// Deletes the pictures first to last (inclusive) of directory d, by name.
    static void DeletePictures(int directory, int first, int last, ClearReport &report);
};
