#pragma once
// Finding and checking the program's wave files before they are handed to the audio output,
// which would report a bad file only later and asynchronously.

#include <QString>
#include <QStringList>

struct WaveCheck
{
    bool ok = false;
    QString reason; // why the file cannot be played, when not ok
};

namespace WaveFile {

/// Checks that path is a readable RIFF/WAVE file with PCM sound data.
WaveCheck check(const QString &path);

/// The first of directories that holds a file called name, or name itself (relative to the
/// working directory) when none does.
QString locate(const QString &name, const QStringList &directories);

} // namespace WaveFile
