#!/usr/bin/env bash
# Replays every committed input of every fuzz target once (fuzz/corpus/<name>/ for the
# target fuzz_<name>; each must run clean, and a corpus without its target fails), then runs
# every fuzz target of a fuzz build for a few seconds of new inputs from that corpus.
# Usage: scripts/fuzz-smoke.sh BUILD_DIR [SECONDS]
set -euo pipefail
build=${1:-build/fuzz}
seconds=${2:-10}
cd "$(dirname "$0")/.."
shopt -s nullglob
limits=(-timeout=25 -rss_limit_mb=2048)
passed=0
failed=0

for corpus in fuzz/corpus/*/; do
  corpus=${corpus%/}
  name=fuzz_$(basename "$corpus")
  target=$build/fuzz/$name
  if [ ! -x "$target" ]; then
    echo "replay $name: FAILED: $corpus has no target $target"
    failed=$((failed + 1))
    continue
  fi
  inputs=("$corpus"/*)
  [ ${#inputs[@]} -gt 0 ] || continue
  log=$(mktemp)
  start=$SECONDS
  if printf '%s\0' "${inputs[@]}" | xargs -0 "$target" "${limits[@]}" >"$log" 2>&1; then
    echo "replay $name: ${#inputs[@]} inputs clean in $((SECONDS - start)) s"
    passed=$((passed + 1))
  else
    echo "replay $name: FAILED on $(grep -E '^Running: ' "$log" | tail -1 | cut -d' ' -f2-)"
    grep -vE '^(Running|Executed) ' "$log" | tail -40
    failed=$((failed + 1))
  fi
  rm -f "$log"
done

for target in "$build"/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="fuzz/corpus/${name#fuzz_}"
  work=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/ 2>/dev/null || true
  if "$target" "$work" -max_total_time="$seconds" "${limits[@]}" >"$work.log" 2>&1; then
    echo "fuzz $name: $(grep -Eo 'Done [0-9]+ runs' "$work.log" | tail -1 || echo ok)"
    passed=$((passed + 1))
  else
    echo "fuzz $name: FAILED"; tail -40 "$work.log"
    failed=$((failed + 1))
  fi
  rm -rf "$work" "$work.log"
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
