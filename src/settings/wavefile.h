#pragma once
// Finding and checking the program's wave files before they are handed to the audio output,
// which would report a bad file only later and asynchronously.

#include "shell/result.h"

#include <QString>
#include <QStringList>

namespace WaveFile {

/// Checks that path is a readable RIFF/WAVE file with PCM sound data; fails with the reason
/// it cannot be played ("it is not a RIFF/WAVE file").
Result<> check(const QString &path);

/// The first of directories that holds a file called name, or name itself (relative to the
/// working directory) when none does.
QString locate(const QString &name, const QStringList &directories);

} // namespace WaveFile
