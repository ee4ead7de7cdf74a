"""The game's sounds: mono 16-bit PCM WAV files, synthesised from fixed seeds.

Each generator returns (sample rate, list of floats in -1..1). `wav_bytes` quantises them
(rounding, no dither, so two runs give the same bytes) into a canonical 44-byte-header WAV.

Levels: the loops are made at -20 dBFS RMS and the one-shots to a -3 dBFS peak; the game's
volumes set the balance of the mix (game/game_sound.h). The three layers are loops: every
periodic part has a whole number of periods in the loop, and the noise is filtered round the
loop (the filters run a lap before the one kept), so the end runs into the start.
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


def _band_loop(noise, rate, low, high):
    """Noise between low and high hertz: two low-passes at high less two at low, each run
    round the loop, so the band is seamless too."""
    upper = _lowpass_loop(_lowpass_loop(noise, rate, high), rate, high)
    lower = _lowpass_loop(_lowpass_loop(noise, rate, low), rate, low)
    return [a - b for a, b in zip(upper, lower)]


# The two layers of the bed loop at lengths with no common factor (160 001 and 99 991
# samples), so the bed as a whole repeats only after their product, about 33 000 s.
AMBIENT_FRAMES = 160001
GUST_FRAMES = 99991


def ambient():
    """Soft wind over a faint hum, the steady layer of the bed: 7.26 s, seamless. The wind is
    a band of 120 to 700 Hz swelling a little (two and three times a loop) so that the loop
    does not stand still; the hum about 55 Hz with its octave."""
    count = AMBIENT_FRAMES
    seconds = count / LOOP_RATE
    band = _scale_to_rms(_band_loop(_noise(count, 501), LOOP_RATE, 120.0, 700.0), 0.09)
    out = []
    for i in range(count):
        t = i / LOOP_RATE
        swell = 1.0 + 0.1 * _periodic(t, seconds, 2) + 0.05 * _periodic(t, seconds, 3, 1.3)
        hum = 0.012 * _periodic(t, seconds, 400) + 0.005 * _periodic(t, seconds, 800, 0.7)
        out.append(band[i] * swell + hum)
    return LOOP_RATE, _soft_limit(out, 0.1, 0.3)


def gusts():
    """The gusts' layer: airier wind, a band of 300 to 2000 Hz, 4.53 s, seamless. The game
    moves its volume up and down at random (a new level every few seconds), so the gusts
    never come back the same."""
    count = GUST_FRAMES
    seconds = count / LOOP_RATE
    band = _band_loop(_noise(count, 911), LOOP_RATE, 300.0, 2000.0)
    out = []
    for i in range(count):
        t = i / LOOP_RATE
        out.append(band[i] * (1.0 + 0.1 * _periodic(t, seconds, 3, 0.4)))
    return LOOP_RATE, _soft_limit(out, 0.1, 0.3)


def movement():
    """A bright rolling rush for while the world moves: 2.4 s, seamless. Air rushing past in
    a band of 900 to 4500 Hz (where small speakers play and the ear is keen), rolling five
    times a loop, over a soft rumble below 250 Hz."""
    seconds = 2.4
    count = int(LOOP_RATE * seconds)
    rush = _scale_to_rms(_band_loop(_noise(count, 777), LOOP_RATE, 900.0, 4500.0), 1.0)
    rumble = _lowpass_loop(_lowpass_loop(_noise(count, 778), LOOP_RATE, 250.0), LOOP_RATE, 250.0)
    rumble = _scale_to_rms(rumble, 1.0)
    out = []
    for i in range(count):
        t = i / LOOP_RATE
        roll = 0.7 + 0.3 * _periodic(t, seconds, 5)
        out.append(rush[i] * roll + 0.5 * rumble[i])
    return LOOP_RATE, _soft_limit(out, 0.1, 0.3)


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


def _normalise(samples, peak):
    top = max(abs(s) for s in samples)
    return [s * peak / top for s in samples]


def _strike(count, rate, seed, low, high, decay):
    """A short burst of noise between low and high hertz: the hit that starts a sound."""
    band = _band_loop(_noise(count, seed), rate, low, high)
    return [band[i] * _envelope(i / rate, 0.0005, decay) for i in range(count)]


def chime():
    """A small bell on E5 (659.25 Hz): a few inharmonic partials over a bright strike,
    1.5 s. The game raises its pitch with the multiplier (CHIME_PITCH)."""
    base = 659.25
    partials = [(1.0, 1.0, 0.7), (2.0, 0.45, 0.35), (2.76, 0.3, 0.22), (5.4, 0.12, 0.08)]
    count = int(ONE_SHOT_RATE * 1.5)
    strike = _strike(count, ONE_SHOT_RATE, 313, 2500.0, 7000.0, 0.006)
    out = []
    for i in range(count):
        t = i / ONE_SHOT_RATE
        value = sum(level * math.sin(2 * math.pi * base * ratio * t) * _envelope(t, 0.003, decay)
                    for ratio, level, decay in partials)
        out.append(value + 1.5 * strike[i])
    return ONE_SHOT_RATE, _fade_tail(_normalise(out, 0.7), ONE_SHOT_RATE, 0.2)


def switch():
    """A bright click: a tap of noise (2 to 6 kHz) on a short tock (1.6 kHz with its fifth)
    over a little low knock, 70 ms."""
    count = int(ONE_SHOT_RATE * 0.07)
    tap = _strike(count, ONE_SHOT_RATE, 42, 2000.0, 6000.0, 0.003)
    out = []
    for i in range(count):
        t = i / ONE_SHOT_RATE
        tock = math.sin(2 * math.pi * 1600 * t) + 0.5 * math.sin(2 * math.pi * 2400 * t)
        knock = math.sin(2 * math.pi * 300 * t) * _envelope(t, 0.002, 0.015)
        out.append(tock * _envelope(t, 0.001, 0.025) + 0.5 * knock + 3.0 * tap[i])
    return ONE_SHOT_RATE, _fade_tail(_normalise(out, 0.7), ONE_SHOT_RATE, 0.015)


def _tick(start, end):
    """A bright blip gliding from start to end hertz, with its octave, 100 ms."""
    count = int(ONE_SHOT_RATE * 0.1)
    phase = 0.0
    out = []
    for i in range(count):
        t = i / ONE_SHOT_RATE
        hertz = start + (end - start) * min(1.0, t / 0.06)
        phase += 2 * math.pi * hertz / ONE_SHOT_RATE
        out.append((math.sin(phase) + 0.35 * math.sin(2 * phase)) * _envelope(t, 0.003, 0.035))
    return ONE_SHOT_RATE, _fade_tail(_normalise(out, 0.7), ONE_SHOT_RATE, 0.02)


def pause_tick():
    """Pausing: a blip falling a fifth, from 1500 Hz."""
    return _tick(1500.0, 1000.0)


def resume_tick():
    """Resuming: the same blip rising."""
    return _tick(1000.0, 1500.0)


# path under the data directory, generator, whether the game loops it
SOUNDS = [
    ("sounds/ambient.wav", ambient, True),
    ("sounds/gusts.wav", gusts, True),
    ("sounds/movement.wav", movement, True),
    ("sounds/chime.wav", chime, False),
    ("sounds/switch.wav", switch, False),
    ("sounds/pause.wav", pause_tick, False),
    ("sounds/resume.wav", resume_tick, False),
]
