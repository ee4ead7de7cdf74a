#!/usr/bin/env bash
# Builds the game for browsers (WebAssembly and WebGL, with Debian's Emscripten) into
# dist/web/: the page (web/), the program (zorbel.js, zorbel.wasm), the data package
# (zorbel-data.js, zorbel-data.data, packed from data/), build.js (the build's version and
# files, for the service worker) and a gzip copy of each file that compresses; and beside it
# the one-file edition, dist/zorbel.html, the page with the program and data/ inside it, which
# plays when opened from a disk. Installs what is missing first.
#
#   scripts/web.sh [--serve] [--port N] [--data DIR] [--out DIR] [--frames]
#
# --serve: then serves the folder on 127.0.0.1 with scripts/web-server.py (port 8080 unless
# --port says otherwise; a taken port is named before anything is built) and prints the
# address. --data packs another data folder (tests use a damaged copy; the one-file edition,
# which always holds data/, is then not written); --out writes somewhere other than dist/web
# (the one-file edition goes beside it). --frames also builds the page of the headless driver
# (tests and benchmark) into build/web/frames-page, with its one-file edition there as
# frames-one-file.html.
set -euo pipefail
cd "$(dirname "$0")/.."
serve=0
port=8080
data=data
out=dist/web
frames=0
while [ $# -gt 0 ]; do
  case $1 in
    --serve) serve=1 ;;
    --port) port=$2; shift ;;
    --data) data=$2; shift ;;
    --out) out=$2; shift ;;
    --frames) frames=1 ;;
    *) sed -n '2,18p' "$0" >&2; exit 2 ;;
  esac
  shift
done

# A port another server holds is named before the build, with what to do about it.
if [ "$serve" -eq 1 ] && ! python3 -c 'import socket, sys; socket.socket().bind(("127.0.0.1", int(sys.argv[1])))' "$port" 2>/dev/null; then
  echo "scripts/web.sh: port $port on 127.0.0.1 is taken or not a port; stop what holds it, or pick another with --port N" >&2
  exit 1
fi

source scripts/packages.sh
scripts/deps.sh "${WEB_PACKAGES[@]}"
# Debian's emcc runs its JavaScript optimiser on node, which must find Debian's acorn even
# when node itself is not Debian's.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

cmake --preset web >/dev/null
targets=(zorbel)
[ "$data" = data ] && targets+=(zorbel-one-file)
[ "$frames" -eq 1 ] && targets+=(zorbel-frames zorbel-frames-one-file)
cmake --build --preset web -j "${ZORBEL_JOBS:-$(nproc)}" --target "${targets[@]}"

rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
cp web/* "$out"/
cp build/web/zorbel.js build/web/zorbel.wasm "$out"/
# The files keep their paths under data/; the browser decodes the PNG files while loading.
# The packager reminds every caller to link the program with -sFORCE_FILESYSTEM, which
# CMakeLists.txt does: that line is dropped, any other it prints is shown.
if ! notes=$(cd "$(dirname "$data")" && python3 /usr/share/emscripten/tools/file_packager.py \
  "$out/zorbel-data.data" --preload "$(basename "$data")@/data" --use-preload-plugins \
  --js-output="$out/zorbel-data.js" 2>&1 >/dev/null); then
  echo "$notes" >&2
  exit 1
fi
grep -v -- '-sFORCE_FILESYSTEM' <<<"$notes" >&2 || true
python3 scripts/web-release.py "$out"
if [ "$data" = data ]; then
  python3 scripts/web-one-file.py web/index.html build/web/zorbel-one-file.js "$out/../zorbel.html"
  echo "Built $(cd "$out/.." && pwd)/zorbel.html ($(stat -c %s "$out/../zorbel.html") bytes," \
    "$(gzip -9nc "$out/../zorbel.html" | wc -c) gzipped)"
fi

if [ "$frames" -eq 1 ]; then
  rm -rf build/web/frames-page
  mkdir -p build/web/frames-page
  cp tests/web/frames.html "$out"/zorbel-data.js "$out"/zorbel-data.data \
    build/web/tools/headless/zorbel-frames.js build/web/tools/headless/zorbel-frames.wasm build/web/frames-page/
  python3 scripts/web-one-file.py tests/web/frames.html \
    build/web/tools/headless/zorbel-frames-one-file.js build/web/frames-page/frames-one-file.html
fi

if [ "$serve" -eq 1 ]; then
  echo "Serving on http://127.0.0.1:$port/ (Ctrl+C stops)"
  exec python3 scripts/web-server.py --port "$port" --bind 127.0.0.1 --directory "$out"
fi
