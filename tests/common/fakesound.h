#pragma once
// A sound backend that records plays and can be told to be still playing.

#include "shell/sound.h"

#include <memory>

struct FakeSoundBackend : SoundBackend
{
    int plays = 0;
    bool playing = false;
    void play() override
    {
        ++plays;
        playing = true;
    }
    bool isPlaying() const override { return playing; }
};

/// A Sound whose backend the test keeps a pointer to.
struct FakeSound
{
    FakeSoundBackend *backend = new FakeSoundBackend;
    Sound sound{std::unique_ptr<SoundBackend>(backend)};
};
