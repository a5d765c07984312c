#!/usr/bin/env python3
"""Makes the program's four sounds: data/musik/{Hinweis,tata,fehler,close}.wav.

16-bit mono PCM at 22050 Hz, each well under 1.5 s. The output is the same
on every run, so the committed files only change when this script does.

    python3 tools/make_sounds.py [output folder]
"""
import math
import os
import struct
import sys
import wave

RATE = 22050
PEAK = 0.8  # of full scale, so that summed partials never clip


def tone(freq, seconds, partials=(1.0,), decay=0.0, sweep_to=None):
    """A note as a list of floats: harmonic partials, an exponential decay
    (per second) and, optionally, a linear glide to sweep_to Hz."""
    n = int(RATE * seconds)
    out = []
    phase = 0.0
    for i in range(n):
        t = i / RATE
        f = freq if sweep_to is None else freq + (sweep_to - freq) * i / n
        phase += 2 * math.pi * f / RATE
        v = sum(a * math.sin(k * phase) for k, a in enumerate(partials, start=1))
        out.append(v * math.exp(-decay * t))
    return out


def silence(seconds):
    return [0.0] * int(RATE * seconds)


def fade(samples, seconds=0.008):
    """Short ramps at both ends against clicks."""
    n = min(int(RATE * seconds), len(samples) // 2)
    for i in range(n):
        g = i / n
        samples[i] *= g
        samples[-1 - i] *= g
    return samples


def mix_into(base, offset_seconds, samples):
    start = int(RATE * offset_seconds)
    end = start + len(samples)
    if end > len(base):
        base.extend([0.0] * (end - len(base)))
    for i, v in enumerate(samples):
        base[start + i] += v
    return base


def normalise(samples):
    top = max(abs(v) for v in samples) or 1.0
    return [v * PEAK / top for v in samples]


def hinweis():
    # A friendly ding-dong: a bell-like upper note falling a major third.
    bell = (1.0, 0.35, 0.12, 0.05)
    s = []
    mix_into(s, 0.0, fade(tone(659.25, 0.55, bell, decay=5.0)))
    mix_into(s, 0.28, fade(tone(523.25, 0.62, bell, decay=4.5)))
    return s


def tata():
    # A short fanfare: the rising major triad, the last note held.
    brass = (1.0, 0.6, 0.45, 0.3, 0.2, 0.1)
    s = []
    notes = [(392.00, 0.0, 0.14), (523.25, 0.15, 0.14), (659.25, 0.30, 0.14), (783.99, 0.45, 0.55)]
    for freq, at, length in notes:
        mix_into(s, at, fade(tone(freq, length, brass, decay=1.5), 0.012))
    return s


def fehler():
    # A low buzz: a hard, odd-harmonic tone, twice.
    buzz = tuple(1.0 / k if k % 2 else 0.0 for k in range(1, 16))
    s = []
    mix_into(s, 0.0, fade(tone(110.0, 0.22, buzz), 0.01))
    mix_into(s, 0.30, fade(tone(110.0, 0.30, buzz, decay=2.0), 0.01))
    return s


def close():
    # A short falling tone.
    return fade(tone(880.0, 0.40, (1.0, 0.25), decay=3.0, sweep_to=330.0), 0.01) + silence(0.05)


def write(path, samples):
    samples = normalise(samples)
    frames = b"".join(struct.pack("<h", int(round(v * 32767))) for v in samples)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "data", "musik")
    os.makedirs(folder, exist_ok=True)
    for name, make in (("Hinweis", hinweis), ("tata", tata), ("fehler", fehler), ("close", close)):
        samples = make()
        assert len(samples) < 1.5 * RATE, name
        write(os.path.join(folder, name + ".wav"), samples)
        print(f"{name}.wav: {len(samples) / RATE:.2f} s")


if __name__ == "__main__":
    main()
