#!/usr/bin/env python3
"""Writes the embedded English language file from its template.

The template is UTF-8 with LF line ends; the output is what the program carries:
UTF-16LE with a byte-order mark and CR LF line ends. @LUMAROUTE_SERVER@ becomes the
scheme and host of the maker's web server (a port may follow the host).

usage: make_lang_file.py TEMPLATE OUTPUT SERVER
"""
import re
import sys


def main() -> int:
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    template, output, server = sys.argv[1:]
    server = server.rstrip("/")
    if not re.fullmatch(r"https?://[A-Za-z0-9.-]+(:[0-9]{1,5})?", server):
        print(f"make_lang_file: '{server}' is not a scheme and host such as "
              "https://www.brinmark.com", file=sys.stderr)
        return 1
    with open(template, encoding="utf-8", newline="") as f:
        text = f.read()
    if "\r" in text:
        print("make_lang_file: the template must have LF line ends", file=sys.stderr)
        return 1
    text = text.replace("@LUMAROUTE_SERVER@", server)
    data = b"\xff\xfe" + text.replace("\n", "\r\n").encode("utf-16-le")
    with open(output, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
