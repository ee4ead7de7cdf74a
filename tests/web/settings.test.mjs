// The player's choices kept by the browser edition, in the system's headless Chromium: M's
// choice lands in localStorage and a reload starts muted, keeping the display's choice; a
// damaged record is named in one console line and kept aside once a choice is saved; a kept
// full screen waits for the player's first click and goes through the page's hook, and
// leaving it is kept; ?nosettings reads and writes nothing.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { errorsOf, launch, open, serve, sleep, waitFor, waitForLine } from './browser.mjs';

const repo = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const dist = process.env.ZORBEL_WEB_DIST ?? join(repo, 'dist/web');
const kKey = 'zorbel.settings';

// The record as an object (as text when it is not JSON; null when there is none).
const stored = (page) =>
  page.evaluate((key) => {
    const text = localStorage.getItem(key);
    try {
      return JSON.parse(text);
    } catch {
      return text;
    }
  }, kKey);
const expectStored = async (page, want) => assert.deepEqual(await waitFor(page, stored, want), want);
// Holds M until the page's answer is want (the game reads the keys once a frame, and frames
// are slow on a busy machine), then lets it go.
async function pressM(page, answer, want) {
  await page.keyboard.down('KeyM');
  try {
    assert.deepEqual(await waitFor(page, answer, want), want);
  } finally {
    await page.keyboard.up('KeyM');
  }
}
const store = (page, value) =>
  page.evaluate((key, text) => localStorage.setItem(key, text), kKey, typeof value === 'string' ? value : JSON.stringify(value));
const soundWord = (page) => page.$eval('#sound', (line) => line.dataset.state);
const fullScreen = (page) => page.evaluate(() => document.fullscreenElement?.id ?? null);
// Loads the page again (or url) and waits for the game to have started.
async function reload(page, url = null) {
  await (url ? page.goto(url, { waitUntil: 'load' }) : page.reload({ waitUntil: 'load' }));
  await page.waitForFunction(() => window.Module && Module.calledRun, { timeout: 20000 });
  await sleep(300);
}

describe('the choices kept in the browser', () => {
  let server;
  let browser;
  let page;

  before(async () => {
    server = await serve(dist);
    browser = await launch();
    page = await open(browser, server.url);
    await reload(page);
  });
  after(async () => {
    await browser?.close();
    server?.close();
  });

  test('M is kept in localStorage and a reload starts muted, the display kept with it', async () => {
    assert.equal(await stored(page), null, 'nothing is stored before a choice');
    await pressM(page, stored, { mute: true, display: false, fullscreen: false });
    await store(page, { mute: true, display: true, fullscreen: false });
    await reload(page);
    assert.equal(await waitFor(page, soundWord, 'muted'), 'muted', 'the reload starts muted');
    await pressM(page, stored, { mute: false, display: true, fullscreen: false });
    assert.deepEqual(errorsOf(page), []);
  });

  test('a damaged record is named once, and kept aside when a choice is saved', async () => {
    await store(page, 'garbage');
    await reload(page);
    await waitForLine(page, /^Could not read the settings "localStorage\[zorbel.settings\]": not a JSON object; playing with the default settings$/);
    await pressM(page, stored, { mute: true, display: false, fullscreen: false });
    assert.equal(await page.evaluate(() => localStorage.getItem('zorbel.settings.damaged')), 'garbage');
  });

  test("a kept full screen comes with the first click, through the page's control, and leaving it is kept", async () => {
    await store(page, { mute: false, display: false, fullscreen: true });
    await reload(page);
    await sleep(300);
    assert.equal(await fullScreen(page), null, 'not before a gesture');
    await page.click('#canvas');
    assert.equal(await waitFor(page, fullScreen, 'stage'), 'stage', 'the picture and its controls');
    await page.evaluate(() => document.exitFullscreen());
    await expectStored(page, { mute: false, display: false, fullscreen: false });
  });

  test('?nosettings neither reads nor writes the record', async () => {
    await store(page, '{"mute": true}');
    await reload(page, `${server.url}?nosettings`);
    assert.notEqual(await soundWord(page), 'muted', 'the record is not read');
    await pressM(page, soundWord, 'muted');
    await sleep(300);
    assert.equal(await page.evaluate((key) => localStorage.getItem(key), kKey), '{"mute": true}', 'the record as it was');
  });
});
