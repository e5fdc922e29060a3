#include "settings/qtsoundbackend.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QUrl>

QtSoundBackend::QtSoundBackend(const QString &path)
{
    m_effect.setSource(QUrl::fromLocalFile(path));
}

void QtSoundBackend::play()
{
    m_effect.play();
}

bool QtSoundBackend::isPlaying() const
{
    return m_effect.isPlaying();
}

bool audioOutputAvailable()
{
    return !QMediaDevices::audioOutputs().isEmpty();
}

std::unique_ptr<SoundBackend> makeSoundBackend(const QString &path, bool audioAvailable)
{
    // Without a device QSoundEffect would claim to play for ever, muting every later request.
    if (!audioAvailable)
        return std::make_unique<SilentSoundBackend>();
    return std::make_unique<QtSoundBackend>(path);
}
