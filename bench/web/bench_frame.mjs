// Frame cost of the real game scene in the browser (headless Chromium, WebGL through
// SwiftShader): the headless driver's page at 1280 x 720, seed 1, one step per animation
// frame while Right and Up are held, as bench_frame does natively. Each figure is
// performance.now() around update + render + glFinish (and, in a second run, a one-pixel
// read-back that waits for the drawing; in a third, the same with the score display off and
// on in turn). Prints the median and spread of each.
//
//   node bench/web/bench_frame.mjs FRAMES_PAGE_FOLDER
import { launch, open, serve } from '../../tests/web/browser.mjs';

const kFrames = 300;

function print(what, times) {
  times.sort((a, b) => a - b);
  const at = (q) => times[Math.floor(q * (times.length - 1))].toFixed(3).padStart(8);
  console.log(`${what.padEnd(44)} median ${at(0.5)} ms  p10 ${at(0.1)}  p90 ${at(0.9)}  min ${at(0)}  max ${at(1)}`);
}
const folder = process.argv[2];
const server = await serve(folder);
const browser = await launch();
try {
  const page = await open(browser, server.url + 'frames.html');
  await page.evaluate(() => window.framesReady);
  // Two runs: glFinish as the frame's end, then a one-pixel read-back after it, which
  // waits for the pixels (Chromium's glFinish need not).
  const run = (waitForPixels) =>
    page.evaluate(
      (frames, wait) =>
        new Promise((resolve, reject) => {
          if (!Module._zorbelStart(1280, 720, 1)) throw new Error('the scene did not start');
          Module._zorbelStep(wait);
          Module.ccall('zorbelHoldKeys', 'number', ['string'], ['RIGHT UP']);
          const times = [];
          const frame = () => {
            try {
              times.push(Module._zorbelStep(wait));
              if (times.length < frames) requestAnimationFrame(frame);
              else resolve(times);
            } catch (error) {
              reject(error);
            }
          };
          requestAnimationFrame(frame);
        }),
      kFrames,
      waitForPixels,
    );
  // The score display off and on in turn, 30 frames at a time, so that whatever else the
  // machine does weighs on both alike: the first frame of each block holds H, which switches
  // it. Read back as the second run is.
  const runInTurn = () =>
    page.evaluate(
      (frames) =>
        new Promise((resolve, reject) => {
          if (!Module._zorbelStart(1280, 720, 1)) throw new Error('the scene did not start');
          Module._zorbelStep(1);
          const times = [[], []];
          let step = 0;
          const frame = () => {
            try {
              const keys = step % 30 === 0 && step > 0 ? 'RIGHT UP H' : 'RIGHT UP';
              Module.ccall('zorbelHoldKeys', 'number', ['string'], [keys]);
              times[Math.floor(step / 30) % 2].push(Module._zorbelStep(1));
              if (++step < 2 * frames) requestAnimationFrame(frame);
              else resolve(times);
            } catch (error) {
              reject(error);
            }
          };
          requestAnimationFrame(frame);
        }),
      kFrames,
    );
  const finished = await run(0);
  const drawn = await run(1);
  const [displayOff, displayOn] = await runInTurn();
  const renderer = await page.evaluate(() => Module.ccall('zorbelRenderer', 'string', [], []));
  console.log(`browser frame benchmark, 1280x720, ${kFrames} frames each, renderer ${renderer}`);
  print('update + render + glFinish', finished);
  print('the same, then a 1-pixel read-back', drawn);
  print('the same, in turn with the display on', displayOff);
  print('the same with the score display on', displayOn);
} finally {
  await browser.close();
  server.close();
}
