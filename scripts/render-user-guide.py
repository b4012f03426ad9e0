#!/usr/bin/env python3
"""Renders the user guide (Markdown) as the HTML help page installed beside the server library.

usage: render-user-guide.py GUIDE.md OUT.html

The guide's sections carry anchors named after the help context numbers (topic-30 for the control
panel), at which the server opens the page. Needs Debian's python3-markdown.
"""
import html
import os
import sys

import markdown


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    source, target = argv[1], argv[2]
    with open(source, encoding="utf-8") as f:
        text = f.read()
    body = markdown.markdown(text, extensions=["tables", "fenced_code"], output_format="html5")
    title = "TolmServer7 user guide"
    for line in text.splitlines():
        if line.startswith("# "):
            title = line[2:].strip()
            break
    page = (
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        f"<title>{html.escape(title)}</title>\n"
        "<style>\nbody { font-family: sans-serif; max-width: 52em; margin: 2em auto; padding: 0 1em; "
        "line-height: 1.45; }\ntable { border-collapse: collapse; }\n"
        "th, td { border: 1px solid #bbb; padding: 0.3em 0.6em; vertical-align: top; text-align: left; }\n"
        "code, pre { background: #f4f4f4; }\npre { padding: 0.6em; overflow-x: auto; }\n</style>\n"
        "</head>\n<body>\n" + body + "\n</body>\n</html>\n"
    )
    # Written beside its final name and renamed over it, so a reader never sees half a page.
    partial = target + ".part"
    with open(partial, "w", encoding="utf-8", newline="\n") as f:
        f.write(page)
    os.replace(partial, target)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
