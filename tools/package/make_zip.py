#!/usr/bin/env python3
"""Writes the portable zip with its Chinese entry names in UTF-8.

Usage: make_zip.py OUT.zip FILE=NAME...

Each name is stored in UTF-8, a non-ASCII one with the language-encoding
flag (bit 11) set (zipfile does both),
which 7-Zip, Explorer (Windows 10 and later) and unzip all honour, so every
tool shows the same names whatever the system's code page.
"""
import sys
import zipfile


def entry(name, data):
    info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
    info.compress_type = zipfile.ZIP_DEFLATED
    info.external_attr = 0o644 << 16
    return info, data


def main():
    out, pairs = sys.argv[1], sys.argv[2:]
    with zipfile.ZipFile(out, "w") as z:
        for pair in pairs:
            src, name = pair.split("=", 1)
            with open(src, "rb") as f:
                info, data = entry(name, f.read())
            z.writestr(info, data, compresslevel=9)


if __name__ == "__main__":
    main()
