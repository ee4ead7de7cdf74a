#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build over its seed corpus and then for a few seconds of
# new inputs. Usage: scripts/fuzz-smoke.sh BUILD_DIR [SECONDS]
set -euo pipefail
build=${1:-build/fuzz}
seconds=${2:-10}
cd "$(dirname "$0")/.."
shopt -s nullglob
targets=("$build"/fuzz/fuzz_*)
passed=0
failed=0
for target in "${targets[@]}"; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="fuzz/corpus/${name#fuzz_}"
  work=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/ 2>/dev/null || true
  if "$target" "$work" -max_total_time="$seconds" -rss_limit_mb=2048 >"$work.log" 2>&1; then
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
