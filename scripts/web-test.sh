#!/usr/bin/env bash
# The browser edition's tests, in the system's headless Chromium over the DevTools protocol:
# builds dist/web, dist/zorbel.html and the pages of the headless driver (scripts/web.sh
# --frames), installs what the tests need (Debian's chromium; puppeteer-core and pngjs from npm,
# as locked in tests/web/package-lock.json: no browser is downloaded), and runs
# tests/web/*.test.mjs (phones and a tablet are Chromium's emulation, touch included).
# The golden frames are compared by the native zorbel-compare-frame of the dev build, which
# is built first when it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/packages.sh
scripts/deps.sh "${WEB_TEST_PACKAGES[@]}"
command -v npm >/dev/null || scripts/deps.sh npm

compare=build/dev/tools/headless/zorbel-compare-frame
if [ ! -x "$compare" ]; then
  scripts/deps.sh "${PLAY_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
  cmake --preset dev >/dev/null
  cmake --build --preset dev -j "$(nproc)" --target zorbel-compare-frame
fi

bash scripts/web.sh --frames

(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
# One file at a time: the pictures are timed, and two browsers would share the two cores.
ZORBEL_WEB_DIST=$PWD/dist/web ZORBEL_WEB_FRAMES=$PWD/build/web/frames-page ZORBEL_COMPARE_FRAME=$PWD/$compare \
  node --test --test-concurrency=1 tests/web/*.test.mjs
