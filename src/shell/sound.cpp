#include "shell/sound.h"

Sound::Sound(std::unique_ptr<SoundBackend> backend) : m_backend(std::move(backend)) {}

void Sound::play()
{
    if (!m_on || !m_backend || m_backend->isPlaying())
        return;
    m_backend->play();
}
