#!/usr/bin/env python3
"""Writes the one-file edition of a page (scripts/web.sh makes dist/zorbel.html with it).

    python3 scripts/web-one-file.py PAGE PROGRAM OUT

PAGE is one of our own pages (web/index.html, tests/web/frames.html); its local style sheets
and scripts are written into it, the elements marked data-served-only (the data package, the
manifest, what only a server can give) are left out, PROGRAM (a program linked with its data
and its WebAssembly inside, -sSINGLE_FILE) becomes the last script of the body, and <html>
gets data-edition="one-file", which the page's script reads. The result opens from a disk.
"""

import os
import re
import sys

# An element only a server can give: the whole line it stands on.
SERVED_ONLY = r'\n[ \t]*<(link|script)\b[^>]*\bdata-served-only\b[^>]*>(</script>)?'
# What a page may keep: style sheets and scripts to write in, inline scripts, data: links.
WRITABLE = (r'<link rel="stylesheet" href="[^"]+">|<script( src="[^"]+")?>'
            r'|<link [^>]*href="data:[^"]*">')


def inline_script(text):
    # Inside a script element only "</script" (and "<!--") would end or change it; escaped,
    # they mean the same in every place JavaScript may hold them (strings, patterns, comments).
    text = text.replace("</script", "<\\/script").replace("<!--", "<\\!--")
    return "<script>\n%s</script>" % text


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__.split("\n\n")[1] + "\n")
        return 2
    page, program, out = argv
    folder = os.path.dirname(os.path.abspath(page))

    def local(name):
        with open(os.path.join(folder, name), encoding="utf-8") as f:
            return f.read()

    with open(page, encoding="utf-8") as f:
        html = f.read()
    with open(program, encoding="utf-8") as f:
        code = f.read()
    html, served_only = re.subn(SERVED_ONLY, "", html)
    # What is left must be written in below, or need nothing from a server.
    for tag in re.findall(r"<(?:link|script)\b[^>]*>", html):
        if not re.fullmatch(WRITABLE, tag):
            sys.stderr.write("%s: cannot write %s into one file\n" % (page, tag))
            return 1
    # On the page alone, before anything is written into it.
    html, editions = re.subn(r"<html\b", '<html data-edition="one-file"', html)
    html, ends = re.subn(r"</body>", "\0</body>", html)
    if served_only == 0 or editions != 1 or ends != 1:
        sys.stderr.write("%s: not a page this script knows how to make one file of\n" % page)
        return 1
    html = re.sub(r'<link rel="stylesheet" href="([^"]+)">',
                  lambda m: "<style>\n%s</style>" % local(m.group(1)), html)
    html = re.sub(r'<script src="([^"]+)"></script>',
                  lambda m: inline_script(local(m.group(1))), html)
    # The last NUL is the one put before </body>.
    before, _, after = html.rpartition("\0")
    html = before + inline_script(code) + "\n" + after
    with open(out, "w", encoding="utf-8") as f:
        f.write(html)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
