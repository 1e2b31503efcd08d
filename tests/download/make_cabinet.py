#!/usr/bin/env python3
"""make_cabinet.py OUT NAME=FILE [NAME=FILE ...]

Writes an uncompressed cabinet whose entries keep the names given, including
names that cabinet tools refuse ("..\\x", "C:\\x", "\\x", "NUL")."""
import struct
import sys


def cabinet(entries):
    data = b"".join(content for _, content in entries)
    names = [name.encode("ascii") + b"\0" for name, _ in entries]
    files_offset = 36 + 8  # header and one folder
    data_offset = files_offset + sum(16 + len(n) for n in names)
    # One data block holds at most 32 KiB of uncompressed bytes.
    blocks = [data[i:i + 32768] for i in range(0, len(data), 32768)] or [b""]
    total = data_offset + sum(8 + len(b) for b in blocks)
    out = struct.pack("<4sIIIIIBBHHHHH", b"MSCF", 0, total, 0, files_offset, 0,
                      3, 1, 1, len(entries), 0, 0x1234, 0)
    out += struct.pack("<IHH", data_offset, len(blocks), 0)  # no compression
    offset = 0
    for (name, content), encoded in zip(entries, names):
        # date 2024-01-01, time 00:00, attribute "archive"
        out += struct.pack("<IIHHHH", len(content), offset, 0, 0x5821, 0, 0x20) + encoded
        offset += len(content)
    for block in blocks:
        out += struct.pack("<IHH", 0, len(block), len(block)) + block  # checksum 0: unchecked
    return out


if __name__ == "__main__":
    entries = []
    for arg in sys.argv[2:]:
        name, path = arg.split("=", 1)
        with open(path, "rb") as f:
            entries.append((name, f.read()))
    with open(sys.argv[1], "wb") as f:
        f.write(cabinet(entries))
