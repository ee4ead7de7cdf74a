#!/usr/bin/env bash
# The headless driver's command line: asking for help is not a mistake, a wrong option is;
# the sound of a play goes to the file --sound names; a play whose sound no WAV file can hold,
# or a run without the game's data, fails in one line and writes nothing.
# Usage: headless_cli.sh [EMULATOR] TOOL (a cross build runs the tool through its emulator)
set -u
tool=("$@")
repo=$(cd "$(dirname "$0")/../.." && pwd)
passed=0
failed=0
check() { # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then echo "ok: $what"; passed=$((passed + 1)); else echo "FAILED: $what"; failed=$((failed + 1)); fi
}

out=$("${tool[@]}" --help 2>/dev/null); code=$?
check "--help exits 0 (got $code)" test "$code" -eq 0
check "--help prints the usage on standard output" grep -q '^usage: zorbel-headless' <<<"$out"

err=$("${tool[@]}" --no-such-option 2>&1 >/dev/null); code=$?
check "a wrong option exits 2 (got $code)" test "$code" -eq 2
check "a wrong option prints the usage on standard error" grep -q '^usage: zorbel-headless' <<<"$err"

# One second of play at 60 frames per second is 48000 stereo frames at 48 kHz: 44 bytes of
# header and 192000 of samples.
sound=$(mktemp -d)
# The tool makes a GL context and SDL unloads the driver when it closes, so under
# LeakSanitizer the driver's own one-off allocations have no module name to suppress by; the
# same sound path runs leak-checked in the game suite (HeadlessGame, with the driver pinned).
(cd "$repo" && LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}detect_leaks=0" \
  "${tool[@]}" --frames 60 --size 64x36 --out "$sound" --sound "$sound/play.wav" >/dev/null 2>&1)
code=$?
check "--sound exits 0 (got $code)" test "$code" -eq 0
check "--sound writes the play's sound as a WAV file" test "$(head -c 4 "$sound/play.wav" 2>/dev/null)" = RIFF
check "the sound file holds one second" test "$(stat -c %s "$sound/play.wav" 2>/dev/null)" = 192044
rm -rf "$sound"

# From a folder with no data/ (nor any beside the tool), the data folder's line and exit 1.
empty=$(mktemp -d)
err=$(cd "$empty" && "${tool[@]}" --frames 2 --size 8x8 --out out --sound play.wav 2>&1 >/dev/null)
code=$?
check "no data folder exits 1 (got $code)" test "$code" -eq 1
check "no data folder is said in one line" test "$(grep -c '' <<<"$err")" -eq 1
check "that line is the data folder's" grep -q '^No data folder found; tried ' <<<"$err"
# 22370 s of stereo at 48 kHz is more than the 4 GiB a WAV file's 32-bit sizes count.
err=$(cd "$empty" && "${tool[@]}" --frames 1 --dt 22370 --sound big.wav 2>&1 >/dev/null)
code=$?
check "a sound too long for a WAV file exits 2 (got $code)" test "$code" -eq 2
check "it is said in one line naming the file" test "$(grep -c '^big.wav: ' <<<"$err")/$(grep -c '' <<<"$err")" = 1/1
check "neither run writes anything" test -z "$(ls -A "$empty")"
rm -rf "$empty"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
