// The browser edition on phones and a tablet, as Chromium emulates them, with fingers through
// the DevTools protocol: the touch controls show and are big enough, the picture is as large
// as the screen lets a 16:9 picture be, a held arrow and a drag on the picture scroll the
// world, swipes never take the browser back, the buttons switch the camera, pause, mute and
// show the score (several fingers at once), the first tap starts the sound, the progress bar
// shows during a slow download, and the full-screen button makes the game full screen. One
// browser for all.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import {
  canvasSketch, errorsOf, kSlowPhone, kTouchDevices, launch, open, pointOf, quietly, serve, sleep,
  touchScreen,
} from './browser.mjs';

const repo = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const dist = process.env.ZORBEL_WEB_DIST ?? join(repo, 'dist/web');

let server;
let browser;
// One page for the devices and the buttons (its viewport changes from one to the next, as a
// phone turns), opened from another page so that there is a page to go back to.
let page;
let fingers;
before(async () => {
  server = await serve(dist);
  // Sound waits for the player's first gesture, as on a phone.
  browser = await launch(['--autoplay-policy=document-user-activation-required']);
  page = await open(browser, 'data:text/html,<p>the page before', (page) =>
    page.setViewport(kTouchDevices['phone, landscape']));
  await page.goto(server.url, { waitUntil: 'load' });
  // Read without a gesture: the first test needs the page to have had none.
  const started = () => quietly(page, "document.getElementById('loading').hidden");
  for (let tries = 0; tries < 200 && !(await started()); ++tries) await sleep(100);
  await sleep(300);
  fingers = await touchScreen(page);
});
after(async () => {
  await browser?.close();
  server?.close();
});

test('the first tap starts the sound', async () => {
  const state = () => quietly(page, "document.getElementById('sound').dataset.state");
  assert.equal(await state(), 'waiting');
  const { width, height } = kTouchDevices['phone, landscape'];
  await holdAt(fingers, [width / 2, height / 3], 100);
  for (let tries = 0; tries < 40 && (await state()) !== 'on'; ++tries) await sleep(50);
  assert.equal(await state(), 'on');
});

// Every control a finger uses: the pad, the buttons of the game's keys, full screen.
const kControls = '#dpad, #buttons button:not([hidden]), #fullscreen';

// Holds finger 1 at the point for ms, then lifts it.
async function holdAt(fingers, [x, y], ms) {
  await fingers.press(1, x, y);
  await sleep(ms);
  await fingers.lift(1);
}

// Whether the picture changes while act() runs, each picture taken once everything is still.
async function changes(page, act) {
  const before = await canvasSketch(page);
  await act();
  await sleep(150);
  return !before.equals(await canvasSketch(page));
}

for (const [name, device] of Object.entries(kTouchDevices)) {
  describe(`on a ${name}`, () => {
    before(async () => {
      await page.setViewport(device);
      await sleep(500);
    });

    test('controls show, none under 48 px; the picture as big as 16:9 allows, sharp', async () => {
      const layout = await page.evaluate((controls) => {
        const box = (element) => element.getBoundingClientRect().toJSON();
        const canvas = document.getElementById('canvas');
        const panel = document.querySelector('.controls');
        return {
          canvas: box(canvas),
          buffer: [canvas.width, canvas.height],
          screen: [innerWidth, innerHeight, devicePixelRatio],
          pad: box(document.getElementById('dpad')),
          controls: [...document.querySelectorAll(controls)].map(box),
          turn: getComputedStyle(document.querySelector('.turn')).display !== 'none',
          panelCut: panel.scrollHeight > panel.clientHeight + 1 ||
            panel.scrollWidth > panel.clientWidth + 1,
        };
      }, kControls);
      const [width, height, ratio] = layout.screen;
      assert.ok(layout.controls.length >= 5, 'the pad, the buttons and full screen');
      for (const control of layout.controls) {
        const size = `a control of ${control.width} x ${control.height}`;
        assert.ok(control.width >= 48 && control.height >= 48, size);
        assert.ok(control.left >= 0 && control.right <= width, 'on the screen');
      }
      const picture = layout.canvas;
      const fills = Math.abs(picture.width - width) < 1 || Math.abs(picture.height - height) < 1;
      assert.ok(fills, `a picture of ${picture.width} x ${picture.height} on ${width} x ${height}`);
      assert.ok(Math.abs(picture.width / picture.height - 16 / 9) < 0.01);
      const sharp = [Math.round(picture.width * ratio), Math.round(picture.height * ratio)];
      assert.deepEqual(layout.buffer, sharp, 'a drawing buffer pixel for each device pixel');
      const portrait = height > width;
      assert.equal(layout.turn, portrait, 'the hint to turn the phone, in portrait only');
      if (portrait) assert.ok(layout.pad.top >= picture.bottom - 1, 'the pad is under the picture');
      assert.equal(layout.panelCut, false, 'the text panel shows all of its text');
      // The rest at one device pixel per CSS pixel: the same layout, drawn much faster.
      await page.setViewport({ ...device, deviceScaleFactor: 1 });
      await sleep(300);
    });

    test('a held arrow of the pad scrolls the world, so does a drag on the picture', async () => {
      const right = await pointOf(page, '#dpad', 0.9, 0.5);
      assert.ok(await changes(page, () => holdAt(fingers, right, 500)), 'holding the right arrow');
      const [x, y] = await pointOf(page, '#canvas', 0.5, 0.3);
      assert.ok(
        await changes(page, async () => {
          await fingers.press(1, x, y);
          for (let step = 1; step <= 4; ++step) await fingers.move(1, x - 15 * step, y);
          await sleep(400);
          await fingers.lift(1);
        }),
        'dragging to the left',
      );
      assert.ok(!(await changes(page, () => sleep(300))), 'and it stops when the finger lifts');
    });

    test('five swipes from the left edge to the right never leave the page', async () => {
      const url = page.url();
      const [, y] = await pointOf(page, '#canvas', 0.5, 0.5);
      for (let swipe = 0; swipe < 5; ++swipe) {
        await fingers.press(1, 2, y);
        for (const x of [100, 200, 300]) await fingers.move(1, x, y);
        await fingers.lift(1);
      }
      await sleep(300);
      assert.equal(page.url(), url);
      assert.equal(await page.evaluate(() => window.scrollX), 0);
      assert.deepEqual(errorsOf(page), []);
    });
  });
}

describe('the buttons on a phone', () => {
  before(async () => {
    await page.setViewport({ ...kTouchDevices['phone, landscape'], deviceScaleFactor: 1 });
    await sleep(500);
  });

  // A finger's tap on a control.
  const tap = async (id, control) => {
    const [x, y] = await pointOf(page, `[data-control="${control}"]`);
    await fingers.press(id, x, y);
    await sleep(150);
    await fingers.lift(id);
  };
  const waitFor = async (what, want) => {
    for (let tries = 0; tries < 60 && (await what()) !== want; ++tries) await sleep(50);
    return what();
  };
  const muted = () => page.$eval('#sound', (line) => line.dataset.state === 'muted');

  test('Mute mutes and unmutes while another finger scrolls on', async () => {
    // Down, towards the end of the scrolling, which the next test needs.
    const down = await pointOf(page, '#dpad', 0.5, 0.9);
    await fingers.press(1, ...down);
    await tap(2, 'mute');
    assert.equal(await waitFor(muted, true), true, 'muted');
    assert.ok(await changes(page, () => sleep(300)), 'the first finger still scrolls');
    await tap(2, 'mute');
    assert.equal(await waitFor(muted, false), false, 'unmuted');
    await fingers.lift(1);
  });

  test('Camera switches the camera: at the end of scrolling the free camera moves', async () => {
    // Down to the end of the scrolling, where holding the arrow changes nothing more...
    const down = await pointOf(page, '#dpad', 0.5, 0.9);
    await fingers.press(1, ...down);
    let moving = true;
    for (let tries = 0; tries < 15 && moving; ++tries) {
      moving = await changes(page, () => sleep(300));
    }
    assert.ok(!moving, 'the world is at the end of its scrolling');
    // ...until Camera, held by a second finger, switches to the free camera on every other frame.
    assert.ok(await changes(page, () => tap(2, 'camera').then(() => sleep(300))));
    await fingers.lift(1);
  });

  test('Pause pauses, the page says so, and Resume resumes', async () => {
    // Left: back from where the tests above scrolled to (a little to the right).
    const left = await pointOf(page, '#dpad', 0.1, 0.5);
    const where = () =>
      page.$eval('#canvas', (canvas) => JSON.stringify(canvas.getBoundingClientRect()));
    const before = await where();
    await tap(2, 'pause');
    await sleep(200);
    assert.equal(await page.$eval('#paused', (label) => label.hidden), false, '"Paused" shows');
    assert.equal(await where(), before, 'over the picture, which stays where it was');
    const pauseText = await page.$eval('[data-control="pause"]', (button) => button.textContent);
    assert.equal(pauseText, 'Resume');
    const moved = await changes(page, () => holdAt(fingers, left, 400));
    assert.ok(!moved, 'nothing moves while paused');
    await tap(2, 'pause');
    await sleep(200);
    assert.equal(await page.$eval('#paused', (label) => label.hidden), true);
    assert.ok(await changes(page, () => holdAt(fingers, left, 400)), 'the arrows scroll again');
    assert.deepEqual(errorsOf(page), []);
  });

  test('Score shows the score over the still picture, and again hides it', async () => {
    const still = await canvasSketch(page);
    assert.ok(await changes(page, () => tap(1, 'score')), 'the display comes');
    await tap(1, 'score');
    await sleep(150);
    assert.ok(still.equals(await canvasSketch(page)), 'and goes, leaving the picture as it was');
  });

  test('Full screen shows the game alone, and again leaves full screen', async () => {
    await tap(1, 'fullscreen');
    await sleep(300);
    assert.equal(await page.evaluate(() => document.fullscreenElement?.id), 'stage');
    const text = await page.$eval('#fullscreen', (button) => button.textContent);
    assert.equal(text, 'Leave full screen');
    await tap(1, 'fullscreen');
    await sleep(300);
    assert.equal(await page.evaluate(() => document.fullscreenElement), null);
  });
});

describe('a phone on a slow connection', () => {
  test('the progress bar shows over the picture while the game downloads, then goes', async () => {
    // A context of its own: no service worker of the other pages answers from its cache.
    const context = await browser.createBrowserContext();
    try {
      const page = await context.newPage();
      await page.setViewport({ ...kTouchDevices['phone, portrait'], deviceScaleFactor: 1 });
      await page.emulateNetworkConditions(kSlowPhone);
      await page.goto(server.url, { waitUntil: 'domcontentloaded' });
      const seen = [];
      for (let tries = 0; tries < 300; ++tries) {
        const state = await page.evaluate(() => {
          const bar = document.getElementById('progress');
          const box = bar.getBoundingClientRect();
          const picture = document.getElementById('canvas').getBoundingClientRect();
          const over = box.top >= picture.top && box.bottom <= picture.bottom &&
            box.bottom <= innerHeight;
          return { loading: !document.getElementById('loading').hidden, value: bar.value, over };
        });
        if (!state.loading) break;
        seen.push(state);
        await sleep(100);
      }
      const partway = seen.filter((state) => state.value > 0 && state.value < 1);
      assert.ok(partway.length > 0, `the bar showed progress: ${JSON.stringify(seen.slice(-3))}`);
      assert.ok(partway.every((state) => state.over), 'over the picture, on the screen');
      const gone = await page.$eval('#loading', (loading) => loading.hidden);
      assert.equal(gone, true, 'gone once the game runs');
    } finally {
      await context.close();
    }
  });
});
