// What a player waits for in the browser: the size of each file of the built page as stored
// and as sent gzipped (the copies scripts/web-server.py sends), the one-file edition's size,
// and the time from opening the page to the game's first draw call on a fast connection and
// on a slow phone's (1.6 Mbps down, 150 ms latency), sent gzipped by scripts/web-server.py
// and plain by Python's http.server. Each load is a fresh browser context (no cache, no
// service worker). --views DIR also writes what a phone shows, upright and turned, as PNG.
//
//   node bench/web/bench_load.mjs DIST_WEB_FOLDER [--views DIR]
import { spawn } from 'node:child_process';
import { existsSync, readdirSync, readFileSync, statSync } from 'node:fs';
import { gzipSync } from 'node:zlib';
import { join } from 'node:path';
import { kSlowPhone, kTouchDevices, launch, serve, sleep } from '../../tests/web/browser.mjs';

const kFastLoads = 5;
const kSlowLoads = 3;

const folder = process.argv[2];
const views = process.argv[3] === '--views' ? process.argv[4] : null;

const kb = (bytes) => (bytes / 1024).toFixed(1).padStart(8) + ' KB';
let raw = 0;
let sent = 0;
console.log('file                        as stored    as sent (gzip)');
for (const name of readdirSync(folder).filter((name) => !name.endsWith('.gz')).sort()) {
  const size = statSync(join(folder, name)).size;
  const copy = join(folder, name + '.gz');
  const packed = existsSync(copy) ? statSync(copy).size : size;
  raw += size;
  sent += packed;
  console.log(`${name.padEnd(26)} ${kb(size)}   ${kb(packed)}`);
}
console.log(`${'all'.padEnd(26)} ${kb(raw)}   ${kb(sent)}`);
const oneFile = readFileSync(join(folder, '../zorbel.html'));
const oneFileSent = gzipSync(oneFile, { level: 9 }).length;
console.log(`one-file edition zorbel.html: ${kb(oneFile.length)}, ${kb(oneFileSent)} gzipped`);

// Python's own server, which sends every file as it is stored.
function servePlain(folder) {
  return new Promise((resolve) => {
    const options = ['0', '--bind', '127.0.0.1', '--directory', folder];
    const server = spawn('python3', ['-u', '-m', 'http.server', ...options], {
      stdio: ['ignore', 'pipe', 'ignore'],
    });
    server.stdout.on('data', (chunk) => {
      const port = /port (\d+)/.exec(String(chunk));
      if (port) resolve({ url: `http://127.0.0.1:${port[1]}/`, close: () => server.kill() });
    });
  });
}

// Milliseconds from the start of the navigation to the game's first draw call.
async function firstDraw(browser, url, network) {
  const context = await browser.createBrowserContext();
  try {
    const page = await context.newPage();
    await page.setViewport({ ...kTouchDevices['phone, landscape'], deviceScaleFactor: 1 });
    await page.evaluateOnNewDocument(() => {
      const draw = WebGLRenderingContext.prototype.drawElements;
      WebGLRenderingContext.prototype.drawElements = function (...args) {
        window.firstDraw ??= performance.now();
        return draw.apply(this, args);
      };
    });
    if (network) await page.emulateNetworkConditions(network);
    await page.goto(url, { waitUntil: 'domcontentloaded' });
    const drawn = () => window.firstDraw !== undefined;
    await page.waitForFunction(drawn, { timeout: 60000, polling: 20 });
    return page.evaluate(() => window.firstDraw);
  } finally {
    await context.close();
  }
}

const median = (values) => [...values].sort((a, b) => a - b)[values.length >> 1];
const browser = await launch();
const gzipped = await serve(folder);
const plain = await servePlain(folder);
try {
  for (const [what, server, network, loads] of [
    ['fast, gzip', gzipped, null, kFastLoads],
    ['slow phone, gzip', gzipped, kSlowPhone, kSlowLoads],
    ['slow phone, plain', plain, kSlowPhone, kSlowLoads],
  ]) {
    const times = [];
    for (let load = 0; load < loads; ++load) {
      times.push(await firstDraw(browser, server.url, network));
    }
    const each = times.map((time) => time.toFixed(0)).join(', ');
    const middle = median(times).toFixed(0).padStart(6);
    console.log(`first frame, ${what.padEnd(18)} median ${middle} ms  (${each})`);
  }
  if (views) {
    for (const name of ['portrait', 'landscape']) {
      const page = await browser.newPage();
      await page.setViewport({ ...kTouchDevices[`phone, ${name}`], deviceScaleFactor: 1 });
      await page.goto(gzipped.url, { waitUntil: 'load' });
      await sleep(2000);
      await page.screenshot({ path: join(views, `phone-${name}.png`) });
      await page.close();
    }
  }
} finally {
  await browser.close();
  gzipped.close();
  plain.close();
}
