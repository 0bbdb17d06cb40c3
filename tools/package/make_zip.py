#!/usr/bin/env python3
"""Writes a zip whose entry names Chinese Windows reads right everywhere.

Usage: make_zip.py OUT.zip FILE=NAME...

Explorer's built-in zip folders read names without the UTF-8 flag in the
system's code page (936, GBK, on Chinese Windows) and older ones ignore the
flag, so each name is stored in GBK with the flag clear, plus the Info-ZIP
Unicode Path field (0x7075) that carries it in UTF-8 for every other tool.
"""
import struct
import sys
import zipfile
import zlib


class GbkZipInfo(zipfile.ZipInfo):
    def _encodeFilenameFlags(self):
        return self.filename.encode("gbk"), self.flag_bits & ~0x800


def entry(name, data):
    info = GbkZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
    info.compress_type = zipfile.ZIP_DEFLATED
    info.external_attr = 0o644 << 16
    stored = name.encode("gbk")
    utf8 = name.encode("utf-8")
    body = struct.pack("<BI", 1, zlib.crc32(stored)) + utf8
    info.extra = struct.pack("<HH", 0x7075, len(body)) + body
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
