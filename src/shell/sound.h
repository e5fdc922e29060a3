#pragma once
// A wave sound with its on/off switch (the click of the buttons, the alarm on motion).

#include "shell/soundbackend.h"

#include <memory>

class Sound
{
public:
    explicit Sound(std::unique_ptr<SoundBackend> backend);

    /// Plays the sound unless it is switched off or still playing: a sound is never restarted
    /// or doubled by a second request. Never waits and never reports errors.
    void play();

    void setOn(bool on) { m_on = on; }
    bool isOn() const { return m_on; }

private:
    std::unique_ptr<SoundBackend> m_backend;
    bool m_on = true;
};
