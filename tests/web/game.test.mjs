// The browser edition end to end, in the system's headless Chromium against the page served
// on 127.0.0.1: it loads cleanly and draws the world, the keys move it, H shows the score,
// Escape, a hidden tab and leaving the window pause it (and the page says so), the canvas
// follows the window, a lost context ends it, damaged data is named while the game goes on
// drawing, and a browser without WebGL gets a message in the page.
// ZORBEL_WEB_DIST names the built page (dist/web by default); scripts/web-test.sh builds it
// and runs these.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { cpSync, mkdirSync, mkdtempSync, rmSync, writeFileSync, readFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import {
  canvasPicture, errorsOf, hold, isDarkSky, isGreenGround, launch, open, samePicture, serve, sleep, waitForLine,
} from './browser.mjs';

const repo = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const dist = process.env.ZORBEL_WEB_DIST ?? join(repo, 'dist/web');


// Whether b differs from a, and only inside the region given in fractions of the picture
// (left, top, width, height).
function changedOnlyInside(a, b, [left, top, width, height]) {
  const [x0, x1] = [left * a.width, (left + width) * a.width];
  const [y0, y1] = [top * a.height, (top + height) * a.height];
  const [p, q] = [a.data, b.data];
  let changed = false;
  for (let y = 0; y < a.height; ++y) {
    for (let x = 0; x < a.width; ++x) {
      const at = 4 * (y * a.width + x);
      if (p[at] === q[at] && p[at + 1] === q[at + 1] && p[at + 2] === q[at + 2]) continue;
      if (x < x0 || x >= x1 || y < y0 || y >= y1) return false;
      changed = true;
    }
  }
  return changed;
}

describe('the game in the browser', () => {
  let server;
  let browser;
  let page;

  before(async () => {
    server = await serve(dist);
    browser = await launch();
    page = await open(browser, server.url);
    await sleep(1000);
  });
  after(async () => {
    await browser?.close();
    server?.close();
  });

  test('loads without a console error and shows the sky and the green disc after a second', async () => {
    assert.deepEqual(errorsOf(page), []);
    const picture = await canvasPicture(page);
    assert.ok(isDarkSky(picture), 'the sky is dark at the top');
    assert.ok(isGreenGround(picture), 'the grass disc is green at the bottom centre');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'canvas', 'the canvas has the focus');
    assert.equal(await page.evaluate(() => document.getElementById('message').hidden), true);
  });

  test('holding ArrowRight changes the picture', async () => {
    const before = await canvasPicture(page);
    await hold(page, 'ArrowRight', 600);
    await sleep(200);
    assert.ok(!samePicture(before, await canvasPicture(page)));
  });

  test('H shows the score in the top-left corner, the only part changing as it grows', async () => {
    // Held for several of the software renderer's slow frames, so that a poll sees it.
    const without = await canvasPicture(page);
    await hold(page, 'KeyH', 400);
    await sleep(100);
    const first = await canvasPicture(page);
    await sleep(1000);
    const second = await canvasPicture(page);
    const corner = [0, 0, 420 / 1280, 160 / 720];
    assert.ok(changedOnlyInside(without, first, corner), 'the display is drawn in the corner');
    assert.ok(changedOnlyInside(first, second, corner), 'a second later its digits have changed');
    await hold(page, 'KeyH', 400);
    await sleep(100);
    assert.ok(samePicture(without, await canvasPicture(page)), 'a second H takes it away');
  });

  const pausedShown = () => page.$eval('#paused', (label) => !label.hidden);

  test('Escape pauses (the picture still with a key held, "Paused" shown), resumes', async () => {
    await page.keyboard.press('Escape');
    await sleep(300);
    await page.keyboard.down('ArrowLeft');
    const first = await canvasPicture(page);
    await sleep(500);
    const second = await canvasPicture(page);
    await page.keyboard.up('ArrowLeft');
    assert.ok(samePicture(first, second), 'two captures half a second apart are identical');
    assert.equal(await pausedShown(), true);

    await page.keyboard.press('Escape');
    await sleep(200);
    assert.equal(await pausedShown(), false);
    await hold(page, 'ArrowLeft', 600);
    await sleep(200);
    assert.ok(!samePicture(second, await canvasPicture(page)), 'after resuming the picture moves again');
  });

  test('leaving the window pauses, and coming back leaves it paused until Escape', async () => {
    await page.evaluate(() => window.dispatchEvent(new Event('blur')));
    await sleep(200);
    await page.evaluate(() => window.dispatchEvent(new Event('focus')));
    let first;
    try {
      assert.equal(await pausedShown(), true);
      // Once the last frame drawn is on the screen (a busy machine shows it late).
      for (let tries = 0, last = null; tries < 10; ++tries, last = first) {
        first = await canvasPicture(page);
        if (last && samePicture(last, first)) break;
      }
      await hold(page, 'ArrowRight', 500);
      assert.ok(samePicture(first, await canvasPicture(page)), 'nothing moves once back');
    } finally {
      await page.keyboard.press('Escape');
    }
    await sleep(200);
    await hold(page, 'ArrowRight', 500);
    assert.ok(!samePicture(first, await canvasPicture(page)), 'Escape resumes');
  });

  test('a hidden tab pauses the game and showing it again resumes', async () => {
    // The page is told it is hidden the way a browser tells it, while its frames go on.
    const setHidden = (hidden) =>
      page.evaluate((value) => {
        Object.defineProperty(document, 'hidden', { configurable: true, get: () => value });
        Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => (value ? 'hidden' : 'visible') });
        document.dispatchEvent(new Event('visibilitychange'));
      }, hidden);
    await setHidden(true);
    await sleep(200);
    await page.keyboard.down('ArrowRight');
    const first = await canvasPicture(page);
    await sleep(500);
    const second = await canvasPicture(page);
    await setHidden(false);
    await sleep(500);
    await page.keyboard.up('ArrowRight');
    assert.ok(samePicture(first, second), 'nothing moves while hidden');
    assert.ok(!samePicture(second, await canvasPicture(page)), 'the game goes on once visible');
  });

  test('the canvas follows the window at 16:9 and the picture fills it', async () => {
    await page.setViewport({ width: 1000, height: 700 });
    await sleep(500);
    const size = await page.evaluate(() => {
      const canvas = document.getElementById('canvas');
      const box = canvas.getBoundingClientRect();
      return { width: canvas.width, height: canvas.height, cssWidth: box.width, cssHeight: box.height };
    });
    assert.equal(size.width, Math.round(size.cssWidth), 'the drawing buffer is as wide as the canvas shown');
    assert.equal(size.height, Math.round(size.cssHeight));
    assert.ok(Math.abs(size.width / size.height - 16 / 9) < 0.01, `16:9, got ${size.width} x ${size.height}`);
    assert.ok(size.width < 1000);
    const picture = await canvasPicture(page);
    assert.ok(isDarkSky(picture) && isGreenGround(picture), 'the resized picture still shows sky and grass');
    assert.deepEqual(errorsOf(page), []);
  });

  test('a lost WebGL context ends the frame loop and says so in the page', async () => {
    await page.evaluate(() => document.getElementById('canvas').getContext('webgl').getExtension('WEBGL_lose_context').loseContext());
    await waitForLine(page, /The game has ended \(exit code 0\)/);
    const text = await page.$eval('#message', (box) => (box.hidden ? '' : box.textContent));
    assert.match(text, /WebGL context/);
  });
});

describe('damaged data in the package', () => {
  let work;
  let server;
  let browser;

  before(async () => {
    // A copy of the page whose data package lacks the grass (BMP), has a PNG with a damaged
    // chunk and a folder in place of a mesh.
    work = mkdtempSync(join(tmpdir(), 'zorbel-web-data-'));
    cpSync(join(repo, 'data'), join(work, 'data'), { recursive: true, dereference: true });
    rmSync(join(work, 'data/grass.bmp'));
    // A folder (holding a file, so that the package keeps it) where a mesh belongs.
    const tree = join(work, 'data/meshes/display/tree.json');
    rmSync(tree);
    mkdirSync(tree);
    writeFileSync(join(tree, 'note.txt'), 'a folder in place of the mesh');
    const png = readFileSync(join(work, 'data/road6.png'));
    png[50] ^= 0xff; // inside the image data
    writeFileSync(join(work, 'data/road6.png'), png);
    execFileSync('bash', [join(repo, 'scripts/web.sh'), '--data', join(work, 'data'), '--out', join(work, 'dist')], {
      stdio: 'ignore',
    });
    server = await serve(join(work, 'dist'));
    browser = await launch();
  });
  after(async () => {
    await browser?.close();
    server?.close();
    rmSync(work, { recursive: true, force: true });
  });

  test('a missing BMP, a damaged PNG and a folder for a mesh are named on the console and the game still draws', async () => {
    const page = await open(browser, server.url);
    await sleep(1000);
    const errors = errorsOf(page).map((line) => line.text);
    assert.ok(errors.some((text) => text.includes('data/grass.bmp') && text.includes('cannot open')), errors.join('\n'));
    assert.ok(errors.some((text) => text.includes('data/road6.png') && text.includes('CRC')), errors.join('\n'));
    assert.ok(errors.some((text) => text.includes('data/meshes/display/tree.json') && text.includes('it is a folder')), errors.join('\n'));
    assert.ok(!errors.some((text) => /pageerror|abort/i.test(text)));
    const first = await canvasPicture(page);
    assert.ok(isDarkSky(first), 'the sky is still drawn');
    await hold(page, 'ArrowRight', 400);
    await sleep(200);
    assert.ok(!samePicture(first, await canvasPicture(page)), 'and the game still runs');
  });

  test('a program file missing on the server is named in the page', async () => {
    rmSync(join(work, 'dist/zorbel.wasm'));
    rmSync(join(work, 'dist/zorbel.wasm.gz'));
    // A context of its own: the service worker of the page above keeps the file.
    const context = await browser.createBrowserContext();
    try {
      const page = await open(context, server.url);
      await sleep(500);
      const text = await page.$eval('#message', (box) => (box.hidden ? '' : box.textContent));
      assert.match(text, /^Could not load zorbel\.wasm from the server \(404 [^)]*\)\.$/);
      assert.equal(await page.$eval('#status', (line) => line.textContent), 'Not started.');
    } finally {
      await context.close();
    }
  });
});

describe('a PNG the browser fails to decode', () => {
  // Each way the preload can fail, forced in the page before it loads: the file must be named
  // as undecodable, the loading end and the game draw.
  const failures = {
    'no createImageBitmap': () => {
      delete window.createImageBitmap;
    },
    'a refused decode': () => {
      window.createImageBitmap = () => Promise.reject(new Error('refused'));
    },
    'no 2D context for the canvas': () => {
      const getContext = HTMLCanvasElement.prototype.getContext;
      HTMLCanvasElement.prototype.getContext = function (kind, ...rest) {
        return kind === '2d' ? null : getContext.call(this, kind, ...rest);
      };
    },
    'a throw while the pixels are kept': () => {
      CanvasRenderingContext2D.prototype.drawImage = () => {
        throw new Error('drawImage failed');
      };
    },
  };
  let server;
  let browser;
  before(async () => {
    server = await serve(dist);
    browser = await launch();
  });
  after(async () => {
    await browser?.close();
    server?.close();
  });

  for (const [name, fail] of Object.entries(failures)) {
    test(`${name}: the file is named and the game goes on`, async () => {
      const page = await open(browser, server.url, (page) => page.evaluateOnNewDocument(fail));
      try {
        await waitForLine(page, /data\/road6\.png.*could not decode/, 15000);
        await sleep(500);
        const status = await page.$eval('#status', (line) => line.textContent);
        assert.equal(status, '', 'the loading line is gone');
        assert.ok(!errorsOf(page).some((line) => line.type === 'pageerror'), errorsOf(page).map((l) => l.text).join('\n'));
        assert.ok(isDarkSky(await canvasPicture(page)), 'the sky is drawn');
      } finally {
        await page.close();
      }
    });
  }
});

describe('a browser without WebGL', () => {
  test('gets a clear message in the page', async () => {
    const server = await serve(dist);
    const browser = await launch(['--disable-webgl']);
    try {
      const page = await open(browser, server.url);
      const text = await page.$eval('#message', (box) => (box.hidden ? '' : box.textContent));
      assert.match(text, /WebGL/);
    } finally {
      await browser.close();
      server.close();
    }
  });
});
