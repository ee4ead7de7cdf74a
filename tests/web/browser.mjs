// What the browser tests and the browser benchmark share: a folder served on 127.0.0.1 by
// the game's own server, the system's Chromium started headless with a fresh profile,
// pictures taken of the game's canvas, and fingers on an emulated touch screen.
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';
import { PNG } from 'pngjs';

const kServer = join(dirname(fileURLToPath(import.meta.url)), '../../scripts/web-server.py');

// Flags that work in a sandboxed machine without a GPU: software WebGL through SwiftShader,
// and none of the browser's own network traffic.
const kChromiumFlags = [
  '--headless=new',
  '--no-sandbox',
  '--use-angle=swiftshader',
  '--enable-unsafe-swiftshader',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
  '--no-first-run',
  '--hide-scrollbars',
  '--force-device-scale-factor=1',
];

// Serves `folder` with the game's server (scripts/web-server.py: the gzip copies, no stale
// files) until close(); resolves once the server has said its port.
export function serve(folder) {
  return new Promise((resolve, reject) => {
    const options = ['--port', '0', '--bind', '127.0.0.1', '--directory', folder];
    const server = spawn('python3', [kServer, ...options], { stdio: ['ignore', 'pipe', 'ignore'] });
    let said = '';
    server.stdout.on('data', (chunk) => {
      said += chunk;
      const port = /port (\d+)/.exec(said);
      if (port) resolve({ url: `http://127.0.0.1:${port[1]}/`, close: () => server.kill() });
    });
    server.on('exit', (code) =>
      reject(new Error(`the server ended (${code}) before serving ${folder}`)));
  });
}

// The system's Chromium (never a downloaded one), headless, with a profile of its own.
export async function launch(extraFlags = []) {
  const profile = mkdtempSync(join(tmpdir(), 'zorbel-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    args: [...kChromiumFlags, ...extraFlags],
    userDataDir: profile,
    defaultViewport: { width: 1600, height: 900 },
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    rmSync(profile, { recursive: true, force: true });
  };
  return browser;
}

// Opens `url` in a new page of `browser` (or of a browser context) and keeps every console
// line and uncaught error in `console`.
// `prepare(page)`, when given, runs before the page loads (to install scripts in it, with
// page.evaluateOnNewDocument).
export async function open(browser, url, prepare = null) {
  const page = await browser.newPage();
  if (prepare) await prepare(page);
  page.lines = [];
  page.on('console', (message) => page.lines.push({ type: message.type(), text: message.text() }));
  page.on('pageerror', (error) => page.lines.push({ type: 'pageerror', text: String(error) }));
  await page.goto(url, { waitUntil: 'load' });
  return page;
}

// The page's console lines less the browser's own notices (Chromium warns once that the sound's
// ScriptProcessorNode is deprecated): what the game and the page said.
export const gameLines = (page) => page.lines.filter((line) => !/ is deprecated\./.test(line.text));

// The page's errors: console errors and uncaught exceptions.
export const errorsOf = (page) => page.lines.filter((line) => line.type === 'error' || line.type === 'pageerror');

// The value of a JavaScript expression in the page, read without what puppeteer's evaluate
// counts as (a user gesture, which lets sound start): for pages whose first gesture matters.
export async function quietly(page, expression) {
  page.quietClient ??= await page.createCDPSession();
  const { result, exceptionDetails } = await page.quietClient.send('Runtime.evaluate', {
    expression,
    returnByValue: true,
  });
  if (exceptionDetails) throw new Error(`${expression}: ${exceptionDetails.text}`);
  return result.value;
}

// Holds a key down for `ms` milliseconds.
export async function hold(page, key, ms) {
  await page.keyboard.down(key);
  await sleep(ms);
  await page.keyboard.up(key);
}

// Waits until the page's console has a line matching `pattern`.
export async function waitForLine(page, pattern, timeout = 20000) {
  const start = Date.now();
  while (!page.lines.some((line) => pattern.test(line.text))) {
    if (Date.now() - start > timeout) throw new Error(`no console line like ${pattern} within ${timeout} ms`);
    await sleep(50);
  }
}

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Waits up to five seconds for what(page) to give want (compared as JSON); returns the last
// answer.
export async function waitFor(page, what, want) {
  let answer;
  for (let tries = 0; tries < 100; ++tries) {
    answer = await what(page);
    if (JSON.stringify(answer) === JSON.stringify(want)) break;
    await sleep(50);
  }
  return answer;
}

// What the canvas shows on the screen, decoded: { width, height, data (RGBA, top row first) }.
export async function canvasPicture(page) {
  const canvas = await page.$('#canvas');
  return PNG.sync.read(Buffer.from(await canvas.screenshot({ type: 'png' })));
}

// The canvas on the screen at a quarter of its size, as PNG bytes: cheap to take, for telling
// whether the picture changed (two equal pictures give equal bytes).
export async function canvasSketch(page) {
  const box = await page.$eval('#canvas', (canvas) => canvas.getBoundingClientRect().toJSON());
  const clip = { x: box.x, y: box.y, width: box.width, height: box.height, scale: 0.25 };
  return Buffer.from(await page.screenshot({ clip, optimizeForSpeed: true }));
}

// The mean colour [r, g, b] of a region given in fractions of the picture (left, top,
// width, height), so the checks hold whatever size the canvas has.
export function meanColour(picture, left, top, width, height) {
  const x0 = Math.floor(left * picture.width);
  const y0 = Math.floor(top * picture.height);
  const x1 = Math.max(x0 + 1, Math.floor((left + width) * picture.width));
  const y1 = Math.max(y0 + 1, Math.floor((top + height) * picture.height));
  const sum = [0, 0, 0];
  for (let y = y0; y < y1; ++y)
    for (let x = x0; x < x1; ++x)
      for (let c = 0; c < 3; ++c) sum[c] += picture.data[4 * (y * picture.width + x) + c];
  const count = (x1 - x0) * (y1 - y0);
  return sum.map((value) => value / count);
}

export function samePicture(a, b) {
  return a.width === b.width && a.height === b.height && Buffer.compare(a.data, b.data) === 0;
}

// The regions the end-to-end checks look at, as on the desktop: the sky across the top and
// the grass disc at the bottom centre.
export const isDarkSky = (picture) => meanColour(picture, 0.34, 0.014, 0.31, 0.083).reduce((a, b) => a + b) < 200;
export function isGreenGround(picture) {
  const [r, g, b] = meanColour(picture, 0.42, 0.83, 0.16, 0.083);
  return g > r && g > b && g > 50;
}

// A pad for the page, installed before it loads: navigator.getGamepads answers with it once
// window.testPad.plugIn() has run, and plugIn/unplug announce it as a browser does.
// testPad.stick(x, y) sets the left stick (y down, as browsers report it); testPad.button(i,
// down) a button of the standard layout (0 South, 3 North, 9 Start, 12-15 the d-pad);
// testPad.layout(m) the mapping the browser names ('standard', or '' for a layout it does not
// know).
export async function installTestPad(page) {
  await page.evaluateOnNewDocument(() => {
    const button = () => ({ pressed: false, touched: false, value: 0 });
    const pad = {
      id: 'Test pad (scripted)', index: 0, connected: true, mapping: 'standard', timestamp: 0,
      axes: [0, 0, 0, 0], buttons: Array.from({ length: 17 }, button), vibrationActuator: null,
    };
    let slots = [null, null, null, null];
    Navigator.prototype.getGamepads = function () { return slots; };
    const announce = (type) => {
      const event = new Event(type);
      event.gamepad = pad;
      window.dispatchEvent(event);
    };
    window.testPad = {
      plugIn() { pad.connected = true; slots = [pad, null, null, null]; announce('gamepadconnected'); },
      unplug() { pad.connected = false; slots = [null, null, null, null]; announce('gamepaddisconnected'); },
      layout(mapping) { pad.mapping = mapping; },
      stick(x, y) { pad.axes[0] = x; pad.axes[1] = y; pad.timestamp += 1; },
      button(index, down) { pad.buttons[index] = { pressed: down, touched: down, value: down ? 1 : 0 }; pad.timestamp += 1; },
    };
  });
}

// Phones and a tablet as Chromium emulates them: CSS size, device pixel ratio, touch.
const touch = { isMobile: true, hasTouch: true };
export const kTouchDevices = {
  'phone, portrait': { width: 390, height: 844, deviceScaleFactor: 3, ...touch },
  'phone, landscape': { width: 844, height: 390, deviceScaleFactor: 3, ...touch },
  tablet: { width: 1024, height: 768, deviceScaleFactor: 2, ...touch },
};

// A phone's slow connection, for page.emulateNetworkConditions: 1.6 Mbps down, 150 ms.
export const kSlowPhone = { download: 1.6e6 / 8, upload: 0.75e6 / 8, latency: 150 };

// Fingers on the page's touch screen, through the DevTools protocol as a touch screen sends
// them: press(id, x, y), move(id, x, y) and lift(id) of one finger while the others stay.
export async function touchScreen(page) {
  const client = await page.createCDPSession();
  const down = new Map();
  const points = () => [...down].map(([id, [x, y]]) => ({ id, x, y }));
  const send = (type, touchPoints) =>
    client.send('Input.dispatchTouchEvent', { type, touchPoints });
  return {
    press: async (id, x, y) => {
      await send('touchStart', points().concat([{ id, x, y }]));
      down.set(id, [x, y]);
    },
    move: (id, x, y) => (down.set(id, [x, y]), send('touchMove', points())),
    lift: (id) => {
      const [x, y] = down.get(id);
      down.delete(id);
      return send('touchEnd', [{ id, x, y }]);
    },
  };
}

// The centre of an element of the page in CSS px, or of a point at (fx, fy) of its box.
export const pointOf = (page, selector, fx = 0.5, fy = 0.5) =>
  page.$eval(selector, (element, fx, fy) => {
    const box = element.getBoundingClientRect();
    return [box.left + fx * box.width, box.top + fy * box.height];
  }, fx, fy);
