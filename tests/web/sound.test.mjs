// The browser edition's sound, heard through a tap: before the page's scripts run, every node
// connected to the audio destination is also connected to an AnalyserNode and to a recorder,
// and every pull of a script node is timed. With autoplay allowed the ambient plays at its
// quiet level, Right brings the chime at its pitch, and a recorded stretch of play holds the
// browser's loudness (the native zorbel-loudness reads it: ZORBEL_LOUDNESS); without, the
// context waits for the first key and the page says so; M mutes and the page says that too.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { hold, launch, open, serve, sleep, waitFor } from './browser.mjs';

const repo = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const dist = process.env.ZORBEL_WEB_DIST ?? join(repo, 'dist/web');
const loudnessTool = process.env.ZORBEL_LOUDNESS ?? join(repo, 'build/dev/tools/loudness/zorbel-loudness');

// Runs in the page before its own scripts.
function installTap() {
  const tap = { analysers: [], contexts: [], sources: [], pulls: [], frames: [], keys: [], recorded: [[], []] };
  window.soundTap = tap;
  const connect = AudioNode.prototype.connect;
  AudioNode.prototype.connect = function (target, ...rest) {
    const result = connect.call(this, target, ...rest);
    if (target instanceof AudioDestinationNode) {
      const analyser = this.context.createAnalyser();
      analyser.fftSize = 16384;
      analyser.smoothingTimeConstant = 0;
      connect.call(this, analyser);
      tap.analysers.push(analyser);
      tap.contexts.push(this.context);
      tap.sources.push(this);
    }
    return result;
  };
  // Records what the first node connected to a destination plays until stopRecording(), one
  // Float32Array a channel and a pull. The recorder writes nothing to its output; it is
  // connected only so that it is pulled, and only while it records.
  tap.startRecording = () => {
    const source = tap.sources[0];
    tap.recorded = [[], []];
    tap.recorder = createScriptProcessor.call(source.context, 4096, 2, 2);
    tap.recorder.onaudioprocess = (event) => {
      for (let channel = 0; channel < 2; ++channel)
        tap.recorded[channel].push(new Float32Array(event.inputBuffer.getChannelData(channel)));
    };
    connect.call(source, tap.recorder);
    connect.call(tap.recorder, source.context.destination);
  };
  tap.stopRecording = () => {
    tap.recorder.onaudioprocess = null;
    tap.recorder.disconnect();
    tap.sources[0].disconnect(tap.recorder);
  };
  const createScriptProcessor = BaseAudioContext.prototype.createScriptProcessor;
  BaseAudioContext.prototype.createScriptProcessor = function (...args) {
    const node = createScriptProcessor.apply(this, args);
    // Added before the page sets its handler, so it runs first: the time a pull begins.
    node.addEventListener('audioprocess', () => tap.pulls.push(performance.now()));
    return node;
  };
  window.addEventListener('keydown', () => tap.keys.push(performance.now()), true);
  const frame = () => {
    tap.frames.push(performance.now());
    requestAnimationFrame(frame);
  };
  requestAnimationFrame(frame);
}

// The level in dBFS of the last analyser window, both channels mixed as the analyser mixes.
const levelOf = (page) =>
  page.evaluate(() => {
    const analyser = window.soundTap.analysers[0];
    const samples = new Float32Array(analyser.fftSize);
    analyser.getFloatTimeDomainData(samples);
    const rms = Math.sqrt(samples.reduce((sum, value) => sum + value * value, 0) / samples.length);
    return 20 * Math.log10(Math.max(rms, 1e-9));
  });

// The level once it passes `good` (tried for up to five seconds: frames, and so the bed's
// fade-in and the mute's ramp, run late on a busy machine), or the last level read.
async function levelOnce(page, good) {
  let level;
  for (let tries = 0; tries < 100; ++tries) {
    level = await levelOf(page);
    if (good(level)) break;
    await sleep(50);
  }
  return level;
}

// The loudest frequency between low and high Hz in the last analyser window, with its level.
const peakOf = (page, low, high) =>
  page.evaluate(
    (from, to) => {
      const analyser = window.soundTap.analysers[0];
      const bins = new Float32Array(analyser.frequencyBinCount);
      analyser.getFloatFrequencyData(bins);
      const hertzPerBin = analyser.context.sampleRate / analyser.fftSize;
      let best = Math.ceil(from / hertzPerBin);
      for (let i = best; i <= Math.floor(to / hertzPerBin) && i < bins.length; ++i) if (bins[i] > bins[best]) best = i;
      return { hertz: best * hertzPerBin, level: bins[best] };
    },
    low,
    high,
  );

// The chime sounds on E5 raised by the multiplier (x1 E5, x2 a major third up, x3 a fifth up);
// the band between holds little of the ambient's wind and none of its hum.
const kChimePitches = [659.25, 824.06, 988.88];
const kChimeLow = 600;
const kChimeHigh = 1100;

// The figures zorbel-loudness reads off 16-bit stereo PCM at rate: { seconds,
// integrated_lufs, true_peak_dbtp }.
function measureLoudness(rate, pcm) {
  const folder = mkdtempSync(join(tmpdir(), 'zorbel-sound-'));
  try {
    const header = Buffer.alloc(44);
    header.write('RIFF', 0);
    header.writeUInt32LE(36 + pcm.length, 4);
    header.write('WAVEfmt ', 8);
    header.writeUInt32LE(16, 16);
    header.writeUInt16LE(1, 20); // PCM
    header.writeUInt16LE(2, 22);
    header.writeUInt32LE(rate, 24);
    header.writeUInt32LE(rate * 4, 28);
    header.writeUInt16LE(4, 32);
    header.writeUInt16LE(16, 34);
    header.write('data', 36);
    header.writeUInt32LE(pcm.length, 40);
    const file = join(folder, 'played.wav');
    writeFileSync(file, Buffer.concat([header, pcm]));
    const said = execFileSync(loudnessTool, [file], { encoding: 'utf8' });
    return Object.fromEntries(said.trim().split('\n').map((line) => line.split(' ')).map(([key, value]) => [key, Number(value)]));
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
}

const contextStates = (page) => page.evaluate(() => window.soundTap.contexts.map((context) => context.state));
const soundWord = async (page) => (await soundState(page)).state;

const soundState = (page) => page.$eval('#sound', (line) => ({ state: line.dataset.state, text: line.textContent }));

describe('sound with autoplay allowed', () => {
  let server;
  let browser;
  let page;

  before(async () => {
    server = await serve(dist);
    browser = await launch(['--autoplay-policy=no-user-gesture-required']);
    page = await open(browser, server.url, (page) => page.evaluateOnNewDocument(installTap));
    await sleep(1500);
  });
  after(async () => {
    await browser?.close();
    server?.close();
  });

  test('one context plays from the start and the page says sound is on', async () => {
    assert.deepEqual(await contextStates(page), ['running']);
    assert.equal((await soundState(page)).state, 'on');
    assert.ok((await page.evaluate(() => window.soundTap.pulls.length)) > 10, 'the script node is pulled');
  });

  test('the ambient plays quietly', async () => {
    const level = await levelOnce(page, (level) => level > -32);
    assert.ok(level > -32 && level < -12, `ambient at ${level.toFixed(1)} dBFS`);
  });

  test('crossing a zone with Right brings the chime', async () => {
    const quiet = await peakOf(page, kChimeLow, kChimeHigh);
    await page.keyboard.down('ArrowRight');
    let loudest = { level: -Infinity };
    for (let i = 0; i < 20; ++i) {
      await sleep(50);
      const peak = await peakOf(page, kChimeLow, kChimeHigh);
      if (peak.level > loudest.level) loudest = peak;
    }
    await page.keyboard.up('ArrowRight');
    assert.ok(loudest.level > quiet.level + 12, `chime ${loudest.level.toFixed(1)} dB against ${quiet.level.toFixed(1)} dB before`);
    assert.ok(kChimePitches.some((hertz) => Math.abs(loudest.hertz - hertz) < 8), `chime at ${loudest.hertz.toFixed(1)} Hz`);
  });

  test('a stretch of play holds the browser loudness: -18 LUFS, true peak under -1 dBTP', async () => {
    // 12 s, half of it moving, as in the desktop's scripted play, within one zone (no chime):
    // still, Up, still, Down, still, Up, still (2, 2, 2, 2, 1, 2, 1 s).
    await page.evaluate(() => window.soundTap.startRecording());
    const moves = [[null, 2000], ['ArrowUp', 2000], [null, 2000], ['ArrowDown', 2000], [null, 1000], ['ArrowUp', 2000], [null, 1000]];
    for (const [key, ms] of moves)
      await (key ? hold(page, key, ms) : sleep(ms));
    const recording = await page.evaluate(() => {
      const tap = window.soundTap;
      tap.stopRecording();
      const frames = tap.recorded[0].reduce((sum, chunk) => sum + chunk.length, 0);
      const pcm = new Int16Array(2 * frames);
      let at = 0;
      tap.recorded[0].forEach((left, chunk) => {
        const right = tap.recorded[1][chunk];
        for (let i = 0; i < left.length; ++i, ++at) {
          pcm[2 * at] = Math.max(-32768, Math.min(32767, Math.round(left[i] * 32768)));
          pcm[2 * at + 1] = Math.max(-32768, Math.min(32767, Math.round(right[i] * 32768)));
        }
      });
      let text = '';
      const bytes = new Uint8Array(pcm.buffer);
      for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
      return { rate: tap.contexts[0].sampleRate, pcm: btoa(text) };
    });
    const figures = measureLoudness(recording.rate, Buffer.from(recording.pcm, 'base64'));
    console.log(
      `browser loudness over ${figures.seconds} s of play: integrated ${figures.integrated_lufs} LUFS, ` +
        `true peak ${figures.true_peak_dbtp} dBTP`,
    );
    assert.ok(figures.seconds > 10, `recorded ${figures.seconds} s`);
    assert.ok(Math.abs(figures.integrated_lufs + 18) <= 2, `integrated ${figures.integrated_lufs} LUFS`);
    assert.ok(figures.true_peak_dbtp <= -1, `true peak ${figures.true_peak_dbtp} dBTP`);
  });

  // On an AZERTY keyboard the key that prints M sits where a US keyboard has its semicolon, and
  // the key in M's US place prints a comma. Each key is held until the page answers: the game
  // reads the keys once a frame, and frames are slow on a busy machine with software rendering.
  test('M is the key that prints M: it mutes and the page says so, again it unmutes', async () => {
    const cdp = await page.createCDPSession();
    const send = (type, key, code) => cdp.send('Input.dispatchKeyEvent', { type, key, code });
    // A key-up counts once the game has run a pass after it: a few animation frames later.
    const frames = () => page.evaluate(() => window.soundTap.frames.length);
    const framesLater = async (count) => {
      const seen = await frames();
      await waitFor(page, async () => (await frames()) >= seen + count, true);
    };
    const pressM = async (want) => {
      await send('keyDown', 'm', 'Semicolon');
      const answer = await waitFor(page, soundWord, want);
      await send('keyUp', 'm', 'Semicolon');
      await framesLater(3);
      return answer;
    };

    await send('keyDown', ',', 'KeyM');
    await sleep(400);
    await send('keyUp', ',', 'KeyM');
    assert.equal(await soundWord(page), 'on', "the key in M's US place does not mute");

    assert.equal(await pressM('muted'), 'muted');
    await sleep(400);
    assert.ok((await levelOnce(page, (level) => level < -80)) < -80, 'silent while muted');

    // Released with AltGr held it prints something else (µ, say): its place releases it all
    // the same, so the next press counts.
    await send('keyDown', 'm', 'Semicolon');
    assert.equal(await waitFor(page, soundWord, 'on'), 'on');
    await send('keyDown', 'AltGraph', 'AltRight');
    await send('keyUp', 'µ', 'Semicolon');
    await send('keyUp', 'AltGraph', 'AltRight');
    await framesLater(3);
    assert.equal(await pressM('muted'), 'muted', 'M went up with AltGr held');

    assert.equal(await pressM('on'), 'on');
    await sleep(400);
    assert.ok((await levelOnce(page, (level) => level > -32)) > -32);
    await cdp.detach();
  });

  test('?mute starts muted and the page says so', async () => {
    const muted = await open(browser, `${server.url}?mute`, (page) => page.evaluateOnNewDocument(installTap));
    try {
      assert.equal(await waitFor(muted, soundWord, 'muted'), 'muted');
      await sleep(500);
      assert.ok((await levelOf(muted)) < -80, 'silent');
    } finally {
      await muted.close();
    }
  });

  test('latency: from a key to the first pull that can hold its sound', async () => {
    const toFrame = [];
    const toPull = [];
    for (let i = 0; i < 10; ++i) {
      await sleep(173);
      const keys = await page.evaluate(() => window.soundTap.keys.length);
      await hold(page, 'Space', 50);
      // The game hands the sound to the mixer in its next frame; the next pull takes it.
      const measure = () =>
        page.evaluate((index) => {
          const tap = window.soundTap;
          const at = tap.keys[index];
          const frame = at === undefined ? undefined : tap.frames.find((time) => time >= at);
          const pull = frame === undefined ? undefined : tap.pulls.find((time) => time >= frame);
          return pull === undefined ? null : [frame - at, pull - frame];
        }, keys);
      let parts = null;
      for (let tries = 0; tries < 100 && parts === null; ++tries) {
        await sleep(20);
        parts = await measure();
      }
      assert.notEqual(parts, null, 'a pull followed the frame after the key');
      toFrame.push(parts[0]);
      toPull.push(parts[1]);
    }
    const median = (values) => [...values].sort((a, b) => a - b)[values.length >> 1].toFixed(1);
    const worst = (values) => Math.max(...values).toFixed(1);
    const total = toFrame.map((value, i) => value + toPull[i]);
    console.log(
      `browser sound latency, key to the first pull after the game's next frame: median ${median(total)} ms, ` +
        `worst ${worst(total)} ms; of which key to frame median ${median(toFrame)} ms, frame to pull median ` +
        `${median(toPull)} ms, worst ${worst(toPull)} ms (plus what the browser buffers after the script node)`,
    );
  });
});

describe('sound without a gesture', () => {
  test('the context waits, the page says so, and the first key starts it', async () => {
    const server = await serve(dist);
    const browser = await launch(['--autoplay-policy=document-user-activation-required']);
    try {
      const page = await open(browser, server.url, (page) => page.evaluateOnNewDocument(installTap));
      await sleep(1000);
      assert.deepEqual(await contextStates(page), ['suspended']);
      const waiting = await soundState(page);
      assert.equal(waiting.state, 'waiting');
      assert.match(waiting.text, /key or click/);
      await page.keyboard.press('ShiftLeft');
      assert.deepEqual(await waitFor(page, contextStates, ['running']), ['running']);
      assert.equal(await waitFor(page, soundWord, 'on'), 'on');
    } finally {
      await browser.close();
      server.close();
    }
  });
});
