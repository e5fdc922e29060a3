#pragma once
// What a sound needs from the audio output: start playing without waiting, and tell whether
// the last play is still sounding.

class SoundBackend
{
public:
    virtual ~SoundBackend() = default;
    virtual void play() = 0;
    virtual bool isPlaying() const = 0;
};
