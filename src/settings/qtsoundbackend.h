#pragma once
// Sounds through Qt Multimedia; a silent stand-in where the machine has no audio output.

#include "shell/soundbackend.h"

#include <QSoundEffect>
#include <QString>

#include <memory>

class QtSoundBackend : public SoundBackend
{
public:
    /// path must already have passed WaveFile::check.
    explicit QtSoundBackend(const QString &path);
    void play() override;
    bool isPlaying() const override;

private:
    QSoundEffect m_effect;
};

class SilentSoundBackend : public SoundBackend
{
public:
    void play() override {}
    bool isPlaying() const override { return false; }
};

/// Whether the machine offers an audio output at all.
bool audioOutputAvailable();

/// A backend for path: Qt Multimedia when audio is available, else silent.
std::unique_ptr<SoundBackend> makeSoundBackend(const QString &path, bool audioAvailable);
