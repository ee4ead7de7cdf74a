// A pad in the browser edition, injected into Chromium before the page loads (the Gamepad
// API answers with a scripted pad): the controls name it, its stick plays the frames the
// arrows play, North shows the score as H does, Start pauses and resumes once per press, and
// a pad of an unknown layout or one unplugged while held moves nothing.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import {
  canvasPicture, errorsOf, gameLines, installTestPad, launch, open, samePicture, serve, sleep,
} from './browser.mjs';

const repo = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const dist = process.env.ZORBEL_WEB_DIST ?? join(repo, 'dist/web');
const frames = process.env.ZORBEL_WEB_FRAMES ?? join(repo, 'build/web/frames-page');

const padLine = (page) => page.$eval('#pad', (line) => line.textContent);
const pad = (page, script) => page.evaluate(script);

describe('a pad in the page', () => {
  let server;
  let browser;
  let page;

  before(async () => {
    server = await serve(dist);
    browser = await launch();
    page = await open(browser, server.url, installTestPad);
    await sleep(1000);
  });
  after(async () => {
    await browser?.close();
    server?.close();
  });

  test('with no pad the controls say so and the console stays quiet', async () => {
    assert.match(await padLine(page), /No pad connected/);
    assert.deepEqual(gameLines(page), []);
  });

  test('a pad plugged in is named in the controls, and unplugged is gone again', async () => {
    await pad(page, () => window.testPad.plugIn());
    assert.equal(await padLine(page), 'Pad connected: Test pad (scripted).');
    await pad(page, () => window.testPad.unplug());
    assert.match(await padLine(page), /No pad connected/);
    await pad(page, () => window.testPad.layout(''));
    await pad(page, () => window.testPad.plugIn());
    assert.match(await padLine(page), /does not know its layout/);
    await pad(page, () => window.testPad.unplug());
    await pad(page, () => window.testPad.layout('standard'));
    await pad(page, () => window.testPad.plugIn());
  });

  test('Start pauses (the picture stands still with the stick held) and resumes, once per press', async () => {
    await pad(page, () => window.testPad.button(9, true));
    await sleep(300);
    await pad(page, () => window.testPad.stick(-1, 0));
    const first = await canvasPicture(page);
    await sleep(500);
    const second = await canvasPicture(page);
    assert.ok(samePicture(first, second), 'two captures half a second apart are identical while Start is held');
    await pad(page, () => window.testPad.button(9, false));
    await sleep(300);
    assert.ok(samePicture(second, await canvasPicture(page)), 'releasing Start does not resume');

    await pad(page, () => window.testPad.button(9, true));
    await sleep(100);
    await pad(page, () => window.testPad.button(9, false));
    await sleep(600);
    assert.ok(!samePicture(second, await canvasPicture(page)), 'the second press resumes');
    await pad(page, () => window.testPad.stick(0, 0));
    assert.deepEqual(errorsOf(page), []);
  });
});

describe('a pad in the frames page', () => {
  let server;
  let browser;
  let page;

  before(async () => {
    server = await serve(frames);
    browser = await launch();
    page = await open(browser, server.url + 'frames.html', installTestPad);
    await page.evaluate(() => window.framesReady);
  });
  after(async () => {
    await browser?.close();
    server?.close();
  });

  const byKeys = (keys) => page.evaluate((held) => window.renderFrames(320, 180, 1, held), keys);
  const byPad = (count) => page.evaluate((n) => window.renderPadFrames(320, 180, 1, n), count);

  test('the stick held left plays exactly the frames ArrowLeft plays, and up is up', async () => {
    await pad(page, () => window.testPad.plugIn());
    await pad(page, () => window.testPad.stick(-1, 0));
    const left = await byKeys(Array(30).fill('LEFT'));
    assert.notEqual(left, await byKeys(Array(30).fill('')), 'Left moves the world');
    assert.equal(await byPad(30), left);
    // Browsers report y downwards: the stick pushed away from the player is Up.
    await pad(page, () => window.testPad.stick(0, -1));
    assert.equal(await byPad(30), await byKeys(Array(30).fill('UP')));
    // Inside the dead zone nothing moves; the d-pad moves as the arrows do.
    await pad(page, () => window.testPad.stick(0.2, 0.2));
    assert.equal(await byPad(30), await byKeys(Array(30).fill('')));
    await pad(page, () => window.testPad.button(15, true));
    assert.equal(await byPad(30), await byKeys(Array(30).fill('RIGHT')));
    await pad(page, () => window.testPad.button(15, false));
    await pad(page, () => window.testPad.stick(0, 0));
  });

  test('North shows the score display as H does, once while held', async () => {
    // The frames byKeys renders see the pads as the last pass read them: read them at rest.
    await byPad(1);
    const none = await byKeys(Array(30).fill(''));
    const h = await byKeys(Array(30).fill('H'));
    assert.notEqual(h, none, 'H draws the display');
    await pad(page, () => window.testPad.button(3, true));
    assert.equal(await byPad(30), h);
    await pad(page, () => window.testPad.button(3, false));
    assert.equal(await byPad(30), none);
  });

  test('a pad whose layout the browser does not know moves nothing', async () => {
    await pad(page, () => window.testPad.layout(''));
    await pad(page, () => window.testPad.stick(-1, 0));
    assert.equal(await byPad(30), await byKeys(Array(30).fill('')));
    await pad(page, () => window.testPad.stick(0, 0));
    await pad(page, () => window.testPad.layout('standard'));
  });

  test('the page logged no error', () => {
    assert.deepEqual(errorsOf(page), []);
  });
});
