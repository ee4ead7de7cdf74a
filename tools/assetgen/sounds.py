"""The game's sounds: mono 16-bit PCM WAV files, synthesised from fixed seeds.

Each generator returns (sample rate, list of floats in -1..1). `wav_bytes` quantises them
(rounding, no dither, so two runs give the same bytes) into a canonical 44-byte-header WAV.

Levels: the loops are made at -20 dBFS RMS and the one-shots to a -3 dBFS peak; the game's
volumes set the balance of the mix (game/game_sound.h). The three layers are loops: every
periodic part has a whole number of periods in the loop, and the noise is filtered round the
loop (the filters run a lap before the one kept), so the end runs into the start.

Rates: each sound is made at the lowest common rate its content needs, since every byte of
it is downloaded by the browser edition (tools/assetgen/README.md gives the budget). The
mixer resamples a clip to the device's rate by linear interpolation, which leaves images of
what lies near the clip's half rate; so each sound is band-limited (a fourth-order low-pass
at BAND_LIMIT of its rate) well below that half.
"""

import math
import random
import struct

PEAK_LIMIT = 10 ** (-3 / 20)  # -3 dBFS
AMBIENT_RATE = 8000  # wind below 700 Hz over a hum: kept up to 2.4 kHz
GUST_RATE = 16000  # airier wind up to 2 kHz and its hiss: kept up to 4.8 kHz
MOVEMENT_RATE = 22050  # a rush up to 4.5 kHz and its hiss: kept up to 6.6 kHz
ONE_SHOT_RATE = 22050  # partials up to 3.6 kHz; the chime's strike and the click's tap to 6.6
# The top each sound keeps, as a share of its rate. Linear interpolation leaves an image of
# what lies there 17 dB under it (sinc^2 of 0.7; the low-pass takes 3 dB more), of what lies
# at a fifth of the rate 25 dB under it and at a tenth 38 dB: a faint hiss above each sound's
# band, 28 dB or more under the sound as a whole.
BAND_LIMIT = 0.3

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


def _biquad(signal, coefficients, laps):
    """A biquad run from rest over the signal laps times, the last lap kept: two laps round
    a loop (as _lowpass_loop), one over a one-shot."""
    b0, b1, b2, a1, a2 = coefficients
    x1 = x2 = y1 = y2 = 0.0
    out = [0.0] * len(signal)
    for lap in range(laps):
        for i, x in enumerate(signal):
            y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2
            x2, x1, y2, y1 = x1, x, y1, y
            if lap == laps - 1:
                out[i] = y
    return out


def _lowpass_biquad(rate, cutoff, q):
    """A second-order low-pass (the audio cookbook's), normalised: (b0, b1, b2, a1, a2)."""
    w = 2 * math.pi * cutoff / rate
    alpha = math.sin(w) / (2 * q)
    a0 = 1 + alpha
    b = (1 - math.cos(w)) / 2
    return (b / a0, 2 * b / a0, b / a0, -2 * math.cos(w) / a0, (1 - alpha) / a0)


def _band_limit(samples, rate, loop):
    """Little above BAND_LIMIT of the rate: a fourth-order Butterworth low-pass (two biquads),
    run round a loop, or from rest over a one-shot, which then still starts at silence."""
    for q in (0.5412, 1.3066):
        samples = _biquad(samples, _lowpass_biquad(rate, BAND_LIMIT * rate, q), 2 if loop else 1)
    return samples


def _band_loop(noise, rate, low, high):
    """Noise between low and high hertz: two low-passes at high less two at low, each run
    round the loop, so the band is seamless too."""
    upper = _lowpass_loop(_lowpass_loop(noise, rate, high), rate, high)
    lower = _lowpass_loop(_lowpass_loop(noise, rate, low), rate, low)
    return [a - b for a, b in zip(upper, lower)]


# The two layers of the bed loop at lengths with no factor in common: 7.0 s and 3.2 s, that
# is 56 003 samples at 8000 Hz and 51 199 at 16 000 Hz, or 112 006 and 51 199 steps of
# 1/16 000 s. Their starts meet again only after about 100 hours, and no lag under a minute
# brings them within 0.19 s of meeting. (The gusts' volume, drawn at run time, keeps even
# that from being heard as a repeat.)
AMBIENT_FRAMES = 56003
GUST_FRAMES = 51199


def ambient():
    """Soft wind over a faint hum, the steady layer of the bed: 7.0 s, seamless. The wind is
    a band of 120 to 700 Hz swelling a little (two and three times a loop) so that the loop
    does not stand still; the hum about 55 Hz with its octave."""
    rate = AMBIENT_RATE
    count = AMBIENT_FRAMES
    seconds = count / rate
    hum_cycles = round(55.0 * seconds)
    band = _scale_to_rms(_band_loop(_noise(count, 501), rate, 120.0, 700.0), 0.09)
    out = []
    for i in range(count):
        t = i / rate
        swell = 1.0 + 0.1 * _periodic(t, seconds, 2) + 0.05 * _periodic(t, seconds, 3, 1.3)
        hum = (0.012 * _periodic(t, seconds, hum_cycles)
               + 0.005 * _periodic(t, seconds, 2 * hum_cycles, 0.7))
        out.append(band[i] * swell + hum)
    return rate, _soft_limit(_band_limit(out, rate, True), 0.1, 0.3)


def gusts():
    """The gusts' layer: airier wind, a band of 300 to 2000 Hz, 3.2 s, seamless. The game
    moves its volume up and down at random (a new level every few seconds), so the gusts
    never come back the same."""
    rate = GUST_RATE
    count = GUST_FRAMES
    seconds = count / rate
    band = _band_loop(_noise(count, 911), rate, 300.0, 2000.0)
    out = []
    for i in range(count):
        t = i / rate
        out.append(band[i] * (1.0 + 0.1 * _periodic(t, seconds, 3, 0.4)))
    return rate, _soft_limit(_band_limit(out, rate, True), 0.1, 0.3)


def movement():
    """A bright rolling rush for while the world moves: 1.92 s, seamless. Air rushing past
    in a band of 900 to 4500 Hz (where small speakers play and the ear is keen), rolling four
    times a loop (every 0.48 s), over a soft rumble below 250 Hz."""
    rate = MOVEMENT_RATE
    seconds = 1.92
    count = int(rate * seconds)
    rush = _scale_to_rms(_band_loop(_noise(count, 777), rate, 900.0, 4500.0), 1.0)
    rumble = _lowpass_loop(_lowpass_loop(_noise(count, 778), rate, 250.0), rate, 250.0)
    rumble = _scale_to_rms(rumble, 1.0)
    out = []
    for i in range(count):
        t = i / rate
        roll = 0.7 + 0.3 * _periodic(t, seconds, 4)
        out.append(rush[i] * roll + 0.5 * rumble[i])
    return rate, _soft_limit(_band_limit(out, rate, True), 0.1, 0.3)


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
        out.append(value + 1.06 * strike[i])
    out = _band_limit(out, ONE_SHOT_RATE, False)
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
        out.append(tock * _envelope(t, 0.001, 0.025) + 0.5 * knock + 2.12 * tap[i])
    out = _band_limit(out, ONE_SHOT_RATE, False)
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
    out = _band_limit(out, ONE_SHOT_RATE, False)
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
