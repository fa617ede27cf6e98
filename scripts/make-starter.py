#!/usr/bin/env python3
"""Writes the starter shortcut file in Quillet's own format.

Usage: make-starter.py SOURCE OUT.ini

Each shortcut line is the key path, the byte 0x03 and the name, in code page 936,
followed by CR LF (the last line too). The source is UTF-8, "key path<TAB>name".
"""
import sys

ROOTS = ("HKEY_LOCAL_MACHINE\\", "HKEY_CURRENT_USER\\", "HKEY_CURRENT_CONFIG\\",
         "HKEY_CLASSES_ROOT\\", "HKEY_USERS\\")


def main(src, out):
    lines = []
    with open(src, encoding="utf-8") as f:
        for n, raw in enumerate(f, 1):
            raw = raw.rstrip("\n")
            if not raw.strip() or raw.startswith("#"):
                continue
            location, sep, name = raw.partition("\t")
            # The same checks the program makes when it reads the file: a line that
            # fails them would be dropped silently, so refuse it here instead.
            if not sep or not location or not name or name[0] in " \t":
                sys.exit(f"{src}:{n}: need 'key path<TAB>name'")
            if not location.upper().startswith(ROOTS) or "\\\\" in location \
                    or location.endswith("\\"):
                sys.exit(f"{src}:{n}: not a key path: {location}")
            if "\x03" in location or location != location.strip():
                sys.exit(f"{src}:{n}: bad location")
            lines.append(location.encode("cp936") + b"\x03" + name.encode("cp936") + b"\r\n")
    with open(out, "wb") as f:
        f.write(b"".join(lines))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
