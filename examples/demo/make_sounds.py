#!/usr/bin/env python3
"""Makes the demo stack's sound: the ladybird's chirp, two rising notes as 8-bit mono
samples at 11,025 Hz (the way many old stacks stored their sounds). Run from anywhere;
writes chirp.wav beside this script."""
import math
import os
import wave

HERE = os.path.dirname(os.path.abspath(__file__))
RATE = 11025


def note(start_hz, end_hz, seconds):
    """A tone gliding from start_hz to end_hz, faded in and out to avoid clicks."""
    count = int(RATE * seconds)
    phase = 0.0
    samples = []
    for i in range(count):
        hz = start_hz + (end_hz - start_hz) * i / count
        phase += 2 * math.pi * hz / RATE
        envelope = min(1.0, i / 200, (count - i) / 400)
        samples.append(int(128 + 90 * envelope * math.sin(phase)))
    return samples


def main():
    samples = note(1800, 2600, 0.12) + [128] * int(RATE * 0.05) + note(2200, 3200, 0.16)
    with wave.open(os.path.join(HERE, "chirp.wav"), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(1)
        out.setframerate(RATE)
        out.writeframes(bytes(samples))


if __name__ == "__main__":
    main()
