#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine and runs the whole suite: a normal build with every
# test (unit, GL on the offscreen driver, end to end under Xvfb, and the install and the
# packages made from that same build), the browser build with its tests in headless
# Chromium, the Windows build with its tests under Wine, the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, then every committed input of every fuzz
# target replayed and each target fuzzed briefly from its corpus (clang).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
scripts/deps.sh "${PLAY_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

# A decimal-comma locale, so the test that numbers ignore the process locale runs for real.
if ! locale -a 2>/dev/null | grep -qi '^de_DE.utf-\?8$' && [ "$(id -u)" -eq 0 ]; then
  localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "note: could not make the de_DE.UTF-8 locale"
fi

jobs=$(nproc)
run() { echo; echo "== $*"; "$@"; }

# The tree's one format (.clang-format): a file that strays fails the run.
run bash scripts/format.sh --check

run cmake --preset dev >/dev/null
run cmake --build --preset dev -j "$jobs"
run ctest --preset dev -j "$jobs"

# The browser build (Emscripten) and its tests; the golden frames use the dev build's tools.
web_start=$SECONDS
run bash scripts/web-test.sh
echo "browser stage: $((SECONDS - web_start)) s"

# The Windows build (mingw-w64) and its tests under Wine.
windows_start=$SECONDS
run bash scripts/windows-test.sh
echo "Windows stage: $((SECONDS - windows_start)) s"

run cmake --preset asan >/dev/null
run cmake --build --preset asan -j "$jobs"
# The sound's level checks (SoundLevels) mix minutes of play and measure them, several times
# slower under the sanitizers; they run in the dev build, while the meters' own tests and the
# game's sound rules run here too.
run ctest --preset asan -j "$jobs" --label-exclude e2e --exclude-regex '^SoundLevels\.'

run cmake --preset fuzz >/dev/null
run cmake --build --preset fuzz -j "$jobs"
run scripts/fuzz-smoke.sh build/fuzz
