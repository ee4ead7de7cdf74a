#!/usr/bin/env python3
"""Serves a built page folder over HTTP (scripts/web.sh --serve, and the browser tests), as
python3 -m http.server does, with what a game page needs of a server:

- a file with a gzip copy beside it (FILE.gz, written by scripts/web-release.py) is sent as
  that copy with "Content-Encoding: gzip" to a browser that accepts gzip, and as itself to
  any other;
- every answer asks the browser to check for a newer file before using its cached one
  ("Cache-Control: no-cache"), so a new build is seen at once;
- WebAssembly, the web app manifest and the data package go out with their content types.

    python3 scripts/web-server.py [--bind ADDRESS] [--port N] [--directory FOLDER]

Port 0 picks a free port. The first line names the address and port, as http.server's does.
"""

import argparse
import email.utils
import functools
import http.server
import os
import sys


def accepts_gzip(header):
    """True when an Accept-Encoding header value allows gzip (q above 0)."""
    for item in (header or "").split(","):
        name, _, parameters = item.strip().partition(";")
        if name.strip().lower() not in ("gzip", "*"):
            continue
        quality = parameters.strip()
        if quality.startswith("q="):
            try:
                return float(quality[2:]) > 0
            except ValueError:
                return False
        return True
    return False


class Handler(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    has_copy = False
    extensions_map = {
        **http.server.SimpleHTTPRequestHandler.extensions_map,
        ".wasm": "application/wasm",
        ".webmanifest": "application/manifest+json",
        ".data": "application/octet-stream",
        ".js": "text/javascript",
    }

    def parse_request(self):
        self.has_copy = False
        return super().parse_request()

    def end_headers(self):
        self.send_header("Cache-Control", "no-cache")
        if self.has_copy:
            # The answer depends on that header: caches keep one per value.
            self.send_header("Vary", "Accept-Encoding")
        super().end_headers()

    def send_head(self):
        path = self.translate_path(self.path)
        if os.path.isdir(path) and self.path.split("?")[0].endswith("/"):
            path = os.path.join(path, "index.html")
        packed = path + ".gz"
        self.has_copy = os.path.isfile(path) and os.path.isfile(packed)
        if not self.has_copy or not accepts_gzip(self.headers.get("Accept-Encoding")):
            return super().send_head()
        f = open(packed, "rb")
        try:
            stat = os.fstat(f.fileno())
            since = self.headers.get("If-Modified-Since")
            if since and not self.headers.get("If-None-Match"):
                try:
                    if int(stat.st_mtime) <= email.utils.parsedate_to_datetime(since).timestamp():
                        f.close()
                        self.send_response(304)
                        self.end_headers()
                        return None
                except (TypeError, ValueError, OverflowError, IndexError):
                    pass
            self.send_response(200)
            self.send_header("Content-Type", self.guess_type(path))
            self.send_header("Content-Encoding", "gzip")
            self.send_header("Content-Length", str(stat.st_size))
            self.send_header("Last-Modified", self.date_time_string(int(stat.st_mtime)))
            self.end_headers()
            return f
        except Exception:
            f.close()
            raise


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bind", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=8080)
    parser.add_argument("--directory", default=os.getcwd())
    args = parser.parse_args(argv)
    handler = functools.partial(Handler, directory=args.directory)
    with http.server.ThreadingHTTPServer((args.bind, args.port), handler) as server:
        host, port = server.socket.getsockname()[:2]
        print("Serving HTTP on %s port %d (http://%s:%d/) ..." % (host, port, host, port),
              flush=True)
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
