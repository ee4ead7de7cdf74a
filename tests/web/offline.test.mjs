// The browser edition without a network: Chromium finds the page installable, a new build
// replaces the files its service worker keeps, a reload with the server gone still plays, and
// the one-file edition plays from a disk and stays within its download budget. The service
// worker's part runs on a copy of the page (ZORBEL_WEB_DIST), which the test rebuilds and
// whose server it stops.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { appendFileSync, cpSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { gzipSync } from 'node:zlib';
import {
  canvasPicture, errorsOf, hold, isDarkSky, isGreenGround, launch, open, samePicture, serve, sleep,
} from './browser.mjs';

const repo = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const dist = process.env.ZORBEL_WEB_DIST ?? join(repo, 'dist/web');
// What the one-file edition may weigh gzip-compressed, in bytes (a KB is 1024 of them, as the
// README counts); the sounds take about half of it (tools/assetgen/README.md).
const kOneFileBudget = 700 * 1024;

let browser;
before(async () => {
  browser = await launch();
});
after(() => browser?.close());

// Once the game runs and has drawn a few frames.
async function started(page) {
  await page.waitForSelector('#loading', { hidden: true, timeout: 20000 });
  await sleep(300);
}

// The game draws the sky and the grass, and ArrowRight moves the picture.
async function assertPlays(page) {
  const first = await canvasPicture(page);
  assert.ok(isDarkSky(first) && isGreenGround(first), 'the sky and the grass are drawn');
  await hold(page, 'ArrowRight', 500);
  await sleep(150);
  assert.ok(!samePicture(first, await canvasPicture(page)), 'ArrowRight moves the picture');
}

// Waits until the page's cache holds one build, other than `not`; answers its name.
async function cachedBuild(page, not = null) {
  for (let tries = 0; tries < 100; ++tries) {
    const names = await page.evaluate(() => caches.keys());
    const controlled = await page.evaluate(() => !!navigator.serviceWorker.controller);
    if (controlled && names.length === 1 && names[0] !== not) return names[0];
    await sleep(100);
  }
  throw new Error(`no single new build in the cache: ${await page.evaluate(() => caches.keys())}`);
}

describe('the page served, installed and then offline', () => {
  let work;
  let server;
  let page;
  before(async () => {
    work = mkdtempSync(join(tmpdir(), 'zorbel-web-offline-'));
    cpSync(dist, work, { recursive: true });
    server = await serve(work);
    page = await open(browser, server.url);
  });
  after(() => {
    server?.close();
    rmSync(work, { recursive: true, force: true });
  });

  test('Chromium finds nothing that stops installing it', async () => {
    await cachedBuild(page);
    const client = await page.createCDPSession();
    const { installabilityErrors } = await client.send('Page.getInstallabilityErrors');
    assert.deepEqual(installabilityErrors, []);
  });

  test('a new build replaces the cached files', async () => {
    const old = await cachedBuild(page);
    appendFileSync(join(work, 'style.css'), '/* the next build */\n');
    execFileSync('python3', [join(repo, 'scripts/web-release.py'), work]);
    await page.reload({ waitUntil: 'load' });
    const next = await cachedBuild(page, old);
    const style = await page.evaluate(
      async (name) => (await (await caches.open(name)).match('style.css')).text(),
      next,
    );
    assert.match(style, /the next build/);
  });

  test('with the server gone, a reload draws and plays', async () => {
    server.close();
    await sleep(200);
    page.lines = [];
    await page.reload({ waitUntil: 'load' });
    await started(page);
    await assertPlays(page);
    assert.deepEqual(errorsOf(page), []);
  });
});

describe('from a disk', () => {
  test('the served page says to open the one-file edition or to serve it', async () => {
    const page = await open(browser, pathToFileURL(join(dist, 'index.html')).href);
    const text = await page.$eval('#message', (box) => (box.hidden ? '' : box.textContent));
    assert.match(text, /zorbel\.html/);
    assert.match(text, /scripts\/web\.sh --serve/);
    assert.doesNotMatch(text, /object|Event/);
    await page.close();
  });

  test('the one-file edition is at most 700 KB gzip-compressed', () => {
    const sent = gzipSync(readFileSync(join(dist, '../zorbel.html')), { level: 9 }).length;
    assert.ok(
      sent <= kOneFileBudget,
      `zorbel.html is ${(sent / 1024).toFixed(1)} KB gzipped, over its 700 KB: see what the ` +
        'data costs (tools/assetgen/README.md, the download budget)',
    );
  });

  test('the one-file edition draws, plays and finds every file it holds', async () => {
    const page = await open(browser, pathToFileURL(join(dist, '../zorbel.html')).href);
    await started(page);
    await assertPlays(page);
    assert.deepEqual(errorsOf(page), []);
    const said = page.lines.map((line) => line.text);
    assert.ok(!said.some((text) => /Could not load|could not decode/.test(text)), said.join('\n'));
    await page.close();
  });
});
