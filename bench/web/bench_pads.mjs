// The cost per frame of reading the game pads in the browser (headless Chromium): the poll
// of the headless driver's page with no pad, then with one injected into the page's Gamepad
// API (as the browser tests inject it), its stick moving between frames. Each figure is the
// mean of a batch of polls (one alone is below the page clock's resolution); prints the
// median and spread in microseconds per frame, as bench_pads does natively.
//
//   node bench/web/bench_pads.mjs FRAMES_PAGE_FOLDER
import { installTestPad, launch, open, serve } from '../../tests/web/browser.mjs';

const kBatches = 100;
// Large: the page clock of a headless Chromium steps in 0.1 ms.
const kPollsPerBatch = 5000;

function print(what, micros) {
  micros.sort((a, b) => a - b);
  const at = (q) => micros[Math.floor(q * (micros.length - 1) + 0.5)].toFixed(3).padStart(8);
  console.log(`${what.padEnd(36)} median ${at(0.5)} us  p10 ${at(0.1)}  p90 ${at(0.9)}  max ${at(1)}`);
}

const folder = process.argv[2];
const server = await serve(folder);
const browser = await launch();
try {
  const page = await open(browser, server.url + 'frames.html', installTestPad);
  await page.evaluate(() => window.framesReady);
  const run = () =>
    page.evaluate(
      (batches, polls) => {
        if (!Module._zorbelStart(64, 36, 1)) throw new Error('the scene did not start');
        Module._zorbelPump();
        const micros = [];
        for (let batch = 0; batch < batches; ++batch) {
          window.testPad.stick(Math.sin(batch), 0);
          micros.push((Module._zorbelPollPads(polls) * 1000) / polls);
        }
        return micros;
      },
      kBatches,
      kPollsPerBatch,
    );
  print('no pad: poll', await run());
  await page.evaluate(() => window.testPad.plugIn());
  print('one pad: poll', await run());
} finally {
  await browser.close();
  server.close();
}
