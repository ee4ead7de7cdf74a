#!/usr/bin/env bash
# Formats every C and C++ file of the repository with .clang-format (Debian's clang-format),
# or, with --check, changes nothing and fails when a file strays from it or has a line longer
# than 100 columns (clang-format leaves comments as written, so a long one would pass it).
# Usage: scripts/format.sh [--check]
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.c')
if [ "${1:-}" = "--check" ]; then
  status=0
  clang-format --dry-run --Werror "${files[@]}" || status=1
  # Columns are characters, not bytes.
  if long=$(LC_ALL=C.UTF-8 grep -nE '^.{101,}' "${files[@]}"); then
    sed -E 's/^([^:]*:[0-9]+):.*/\1: line longer than 100 columns/' <<<"$long" >&2
    status=1
  fi
  [ "$status" -eq 0 ] || exit 1
  echo "format: ${#files[@]} files follow .clang-format, every line within 100 columns"
else
  clang-format -i "${files[@]}"
fi
