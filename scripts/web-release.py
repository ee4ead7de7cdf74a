#!/usr/bin/env python3
"""Makes a built page folder ready to serve (scripts/web.sh runs it on dist/web).

    python3 scripts/web-release.py FOLDER

Writes FOLDER/build.js, which names the build and its files: a version taken from the files'
contents (so every change of a file gives a new one, and the service worker a new cache) and
each file's size in bytes (the page's progress bar counts the unpacked bytes against them).
Then gives every file that compresses a gzip copy beside it, FILE.gz, which
scripts/web-server.py sends to a browser that accepts gzip. The copies are reproducible (no
name, no time in them); files that hardly get smaller (PNG) have none. Run again after a
change: it rewrites both.
"""

import gzip
import hashlib
import json
import os
import sys

# Written by this script, so neither is part of what the version is taken from.
BUILD_FILE = "build.js"
WORKER_FILE = "service-worker.js"


def main(argv):
    if len(argv) != 1 or not os.path.isdir(argv[0]):
        sys.stderr.write(__doc__.split("\n\n")[1] + "\n")
        return 2
    folder = argv[0]
    for name in os.listdir(folder):
        if name.endswith(".gz"):
            os.remove(os.path.join(folder, name))
    names = sorted(name for name in os.listdir(folder)
                   if os.path.isfile(os.path.join(folder, name))
                   and name not in (BUILD_FILE, WORKER_FILE))

    digest = hashlib.sha256()
    sizes = {}
    for name in names:
        with open(os.path.join(folder, name), "rb") as f:
            data = f.read()
        digest.update(name.encode() + b"\0" + len(data).to_bytes(8, "little") + data)
        sizes[name] = len(data)
    build = {"version": digest.hexdigest()[:16], "files": sizes}
    with open(os.path.join(folder, BUILD_FILE), "w") as f:
        f.write("// This build of the page, written by scripts/web-release.py: its version and\n"
                "// its files with their sizes in bytes.\n"
                "self.zorbelBuild = %s;\n" % json.dumps(build, indent=1))

    stored = sent = 0
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        if not os.path.isfile(path):
            continue
        with open(path, "rb") as f:
            data = f.read()
        packed = gzip.compress(data, compresslevel=9, mtime=0)
        stored += len(data)
        if len(packed) < 0.95 * len(data):
            with open(path + ".gz", "wb") as f:
                f.write(packed)
            sent += len(packed)
        else:
            sent += len(data)
    print("Built %s: build %s, %d bytes, %d as sent gzipped"
          % (folder, build["version"], stored, sent))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
