#!/usr/bin/env python3
"""Makes the two sounds Vardella ships: data/click.wav and data/alarm.wav (16-bit mono PCM)."""
import math
import struct
import wave
from pathlib import Path

RATE = 22050


def write(path, samples):
    with wave.open(str(path), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", int(max(-1, min(1, s)) * 30000)) for s in samples))


def click():
    # 25 ms: a short decaying burst at 2 kHz, like a relay.
    n = int(RATE * 0.025)
    return [math.sin(2 * math.pi * 2000 * i / RATE) * math.exp(-i / (RATE * 0.004)) for i in range(n)]


def alarm():
    # About one second: four 250 ms beeps alternating 880 Hz and 660 Hz, with soft edges.
    out = []
    seg = int(RATE * 0.25)
    for k in range(4):
        f = 880 if k % 2 == 0 else 660
        for i in range(seg):
            edge = min(1.0, i / 200, (seg - i) / 200)
            out.append(0.8 * edge * math.sin(2 * math.pi * f * i / RATE))
    return out


if __name__ == "__main__":
    data = Path(__file__).resolve().parent.parent / "data"
    data.mkdir(exist_ok=True)
    write(data / "click.wav", click())
    write(data / "alarm.wav", alarm())
