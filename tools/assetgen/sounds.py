"""The game's sounds: mono 16-bit PCM WAV files, synthesised from fixed seeds.

Each generator returns (sample rate, list of floats in -1..1). `wav_bytes` quantises them
(rounding, no dither, so two runs give the same bytes) into a canonical 44-byte-header WAV.

Levels: nothing peaks above -3 dBFS, and the game plays them at volumes whose peaks sum to
under full scale, so nothing clips when everything sounds at once. The two layers are loops:
every periodic part has a whole number of periods in the loop, and the noise is filtered
round the loop (the filters run a lap before the one kept), so the end runs into the start.
"""

import math
import random
import struct

PEAK_LIMIT = 10 ** (-3 / 20)  # -3 dBFS
LOOP_RATE = 22050
ONE_SHOT_RATE = 44100

# The chime's pitch factor per multiplier: a major triad over the x1 note.
CHIME_PITCH = {1: 1.0, 2: 1.25, 3: 1.5}


def wav_bytes(rate, samples):
    frames = b"".join(struct.pack("<h", max(-32768, min(32767, int(round(s * 32767))))) for s in samples)
    header = b"RIFF" + struct.pack("<I", 36 + len(frames)) + b"WAVE"
    header += b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, rate, rate * 2, 2, 16)
    header += b"data" + struct.pack("<I", len(frames))
    return header + frames


def _noise(count, seed):
    rng = random.Random(seed)
    return [rng.uniform(-1.0, 1.0) for _ in range(count)]


def _lowpass_loop(signal, rate, cutoff):
    """A one-pole low-pass run twice round the loop; the second lap is kept, so its state at
    the start is the one the end leaves."""
    a = math.exp(-2 * math.pi * cutoff / rate)
    state = 0.0
    out = [0.0] * len(signal)
    for lap in range(2):
        for i, x in enumerate(signal):
            state = (1 - a) * x + a * state
            if lap:
                out[i] = state
    return out


def _scale_to_rms(samples, rms):
    current = math.sqrt(sum(s * s for s in samples) / len(samples))
    return [s * rms / current for s in samples]


def _soft_limit(samples, rms, peak):
    """Brings the level to rms while rounding off the rare noise peaks (a smooth tanh
    curve, sample by sample, so the loop stays seamless) until none passes peak."""
    knee = 0.8 * peak
    for _ in range(12):
        samples = _scale_to_rms(samples, rms)
        if max(abs(s) for s in samples) <= peak:
            break
        samples = [knee * math.tanh(s / knee) for s in samples]
    return samples


def _periodic(t, loop_seconds, cycles, phase=0.0):
    return math.sin(2 * math.pi * cycles * t / loop_seconds + phase)


def ambient():
    """Soft wind over a faint mains-like hum: four seconds, seamless, about -20 dBFS RMS."""
    seconds = 4
    count = LOOP_RATE * seconds
    noise = _noise(count, 501)
    low = _lowpass_loop(_lowpass_loop(noise, LOOP_RATE, 600.0), LOOP_RATE, 600.0)
    lower = _lowpass_loop(low, LOOP_RATE, 150.0)
    wind = []
    for i in range(count):
        t = i / LOOP_RATE
        # Band of the two low-passes, swelling in slow gusts (one and three per loop).
        gust = 0.65 + 0.25 * _periodic(t, seconds, 1) + 0.1 * _periodic(t, seconds, 3, 1.3)
        wind.append((low[i] - 0.6 * lower[i]) * gust)
    wind = _scale_to_rms(wind, 0.09)
    out = []
    for i in range(count):
        t = i / LOOP_RATE
        hum = 0.028 * _periodic(t, seconds, 220) + 0.012 * _periodic(t, seconds, 440, 0.7)
        out.append(wind[i] + hum)
    return LOOP_RATE, _soft_limit(out, 0.1, 0.3)


def movement():
    """A low rolling rush for while the world moves: two seconds, seamless, under the wind."""
    seconds = 2
    count = LOOP_RATE * seconds
    noise = _noise(count, 777)
    rush = _lowpass_loop(_lowpass_loop(noise, LOOP_RATE, 400.0), LOOP_RATE, 400.0)
    rush = _scale_to_rms(rush, 1.0)
    out = []
    for i in range(count):
        t = i / LOOP_RATE
        # A rolling throb (six per loop) over a low tone of 90 Hz.
        roll = 0.75 + 0.25 * _periodic(t, seconds, 6)
        tone = 0.35 * _periodic(t, seconds, 180)
        out.append((rush[i] + tone) * roll)
    return LOOP_RATE, _scale_to_rms(out, 0.07)


def _envelope(t, attack, decay):
    """A short linear attack (no click) into an exponential decay."""
    rise = min(1.0, t / attack)
    return rise * math.exp(-t / decay)


def _fade_tail(samples, rate, seconds):
    """The last stretch eased to zero, so a one-shot ends without a step."""
    n = int(rate * seconds)
    for k in range(n):
        samples[len(samples) - n + k] *= 0.5 + 0.5 * math.cos(math.pi * (k + 1) / n)
    return samples


def chime():
    """A small bell on E5 (659.25 Hz): a few inharmonic partials, 1.5 s. The game raises its
    pitch with the multiplier (CHIME_PITCH)."""
    base = 659.25
    partials = [(1.0, 1.0, 0.60), (2.0, 0.35, 0.35), (2.76, 0.25, 0.22), (5.4, 0.08, 0.10)]
    count = int(ONE_SHOT_RATE * 1.5)
    out = []
    for i in range(count):
        t = i / ONE_SHOT_RATE
        value = sum(level * math.sin(2 * math.pi * base * ratio * t) * _envelope(t, 0.004, decay)
                    for ratio, level, decay in partials)
        out.append(value)
    peak = max(abs(s) for s in out)
    return ONE_SHOT_RATE, _fade_tail([s * 0.6 / peak for s in out], ONE_SHOT_RATE, 0.2)


def switch():
    """A soft switch: a muffled tap and a short low knock, 90 ms."""
    count = int(ONE_SHOT_RATE * 0.09)
    noise = _noise(count, 42)
    tap = _lowpass_loop(_lowpass_loop(noise, ONE_SHOT_RATE, 1800.0), ONE_SHOT_RATE, 1800.0)
    out = []
    for i in range(count):
        t = i / ONE_SHOT_RATE
        knock = math.sin(2 * math.pi * 320 * t) * _envelope(t, 0.002, 0.02)
        out.append(0.6 * knock + 4.0 * tap[i] * _envelope(t, 0.001, 0.006))
    peak = max(abs(s) for s in out)
    return ONE_SHOT_RATE, _fade_tail([s * 0.5 / peak for s in out], ONE_SHOT_RATE, 0.02)


def _tick(start, end):
    """A short blip gliding from start to end hertz, 80 ms."""
    count = int(ONE_SHOT_RATE * 0.08)
    phase = 0.0
    out = []
    for i in range(count):
        t = i / ONE_SHOT_RATE
        hertz = start + (end - start) * min(1.0, t / 0.05)
        phase += 2 * math.pi * hertz / ONE_SHOT_RATE
        out.append(math.sin(phase) * _envelope(t, 0.003, 0.02))
    peak = max(abs(s) for s in out)
    return ONE_SHOT_RATE, _fade_tail([s * 0.5 / peak for s in out], ONE_SHOT_RATE, 0.02)


def pause_tick():
    """Pausing: a blip falling a fifth."""
    return _tick(1200.0, 800.0)


def resume_tick():
    """Resuming: the same blip rising."""
    return _tick(800.0, 1200.0)


# path under the data directory, generator, whether the game loops it
SOUNDS = [
    ("sounds/ambient.wav", ambient, True),
    ("sounds/movement.wav", movement, True),
    ("sounds/chime.wav", chime, False),
    ("sounds/switch.wav", switch, False),
    ("sounds/pause.wav", pause_tick, False),
    ("sounds/resume.wav", resume_tick, False),
]
