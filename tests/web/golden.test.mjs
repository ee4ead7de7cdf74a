// The browser draws the same picture as the desktop: the golden frames of
// tests/game/golden_image_test.cpp (640 x 360, seed 1, 1/60 s frames, the same keys) are
// rendered by the headless driver in a page (ZORBEL_WEB_FRAMES: the folder with
// frames.html, served, and frames-one-file.html, opened from the disk) and held against the
// stored Linux frames by the golden tests' own comparison (ZORBEL_COMPARE_FRAME: the native
// zorbel-compare-frame).
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { errorsOf, launch, open, serve } from './browser.mjs';

const repo = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const frames = process.env.ZORBEL_WEB_FRAMES ?? join(repo, 'build/web/frames-page');
const compare = process.env.ZORBEL_COMPARE_FRAME ?? join(repo, 'build/dev/tools/headless/zorbel-compare-frame');

// The keys held in each frame, as the C++ golden tests hold them.
const goldens = {
  start: Array(2).fill(''),
  'right-2s': Array(120).fill('RIGHT'),
  'free-camera': ['SPACE', ...Array(61).fill('LEFT UP')],
  'display-start': ['H', ''],
  'display-right-1s': ['RIGHT H', ...Array(59).fill('RIGHT')],
};

let browser;
before(async () => {
  browser = await launch();
});
after(() => browser?.close());

// The golden frames drawn by the driver in a page: the served one, and its one-file edition
// from a disk (its data embedded, its PNG files decoded at start; the frames the free camera
// adds nothing to that).
for (const [edition, where, names] of [
  ['served', null, Object.keys(goldens)],
  ['one-file', pathToFileURL(join(frames, 'frames-one-file.html')).href, ['start', 'right-2s']],
]) {
  describe(`golden frames in the browser, ${edition}`, () => {
    let server;
    let page;
    let work;

    before(async () => {
      work = mkdtempSync(join(tmpdir(), 'zorbel-web-golden-'));
      if (!where) server = await serve(frames);
      page = await open(browser, where ?? server.url + 'frames.html');
      await page.evaluate(() => window.framesReady);
    });
    after(async () => {
      await page?.close();
      server?.close();
      rmSync(work, { recursive: true, force: true });
    });

    for (const name of names) {
      test(`${name} matches the Linux frame`, async () => {
        const keys = goldens[name];
        const url = await page.evaluate((held) => window.renderFrames(640, 360, 1, held), keys);
        const actual = join(work, `${name}.png`);
        writeFileSync(actual, Buffer.from(url.slice(url.indexOf(',') + 1), 'base64'));
        const golden = join(repo, 'tests/data/golden', `${name}.png`);
        const result = spawnSync(compare, [actual, golden], { encoding: 'utf8' });
        assert.equal(result.error, undefined, `cannot run ${compare}`);
        console.log(result.stdout.trim());
        if (result.status !== 0) {
          const kept = join(tmpdir(), `zorbel-web-${edition}-${name}-actual.png`);
          writeFileSync(kept, Buffer.from(url.slice(url.indexOf(',') + 1), 'base64'));
        }
        assert.equal(result.status, 0, result.stdout + result.stderr);
      });
    }

    test('the page logged no error', () => {
      assert.deepEqual(errorsOf(page), []);
    });
  });
}
