#!/usr/bin/env bash
# The generated sounds: the generator writes the committed files byte for byte, and the
# committed data passes the generator's own checks (formats, levels, loop seams).
# Usage: assetgen_sounds.sh SOURCE_DIR
set -eu
source_dir=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
only=()
for file in "$source_dir"/data/sounds/*.wav; do only+=(--only "sounds/$(basename "$file")"); done
python3 "$source_dir/tools/assetgen/assetgen.py" --out "$out" "${only[@]}" >/dev/null
test "$(ls "$out/sounds" | wc -l)" -eq 7
diff -r "$out/sounds" "$source_dir/data/sounds"
python3 "$source_dir/tools/assetgen/verify.py" --data "$source_dir/data"
