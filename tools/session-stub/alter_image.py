#!/usr/bin/env python3
"""alter_image.py SIGNED OUT

Writes a copy of the signed program SIGNED to OUT with one byte of its code
section changed, so that its signature no longer matches its contents. The
byte is taken from the section's file padding when it has some (the program
still runs the same), else from the middle of the section; headers, the
checksum and the signature are left alone.
"""
import struct
import sys


def text_section(image):
    (lfanew,) = struct.unpack_from("<I", image, 0x3C)
    if image[lfanew:lfanew + 4] != b"PE\0\0":
        raise SystemExit("not a PE image")
    sections, = struct.unpack_from("<H", image, lfanew + 6)
    optional_size, = struct.unpack_from("<H", image, lfanew + 20)
    table = lfanew + 24 + optional_size
    for i in range(sections):
        entry = table + 40 * i
        name = image[entry:entry + 8].rstrip(b"\0")
        virtual_size, _, raw_size, raw_pointer = struct.unpack_from("<IIII", image, entry + 8)
        if name == b".text":
            return virtual_size, raw_size, raw_pointer
    raise SystemExit("no .text section")


def main():
    source, target = sys.argv[1], sys.argv[2]
    image = bytearray(open(source, "rb").read())
    virtual_size, raw_size, raw_pointer = text_section(image)
    if raw_size > virtual_size:
        offset = raw_pointer + virtual_size + (raw_size - virtual_size) // 2
    else:
        offset = raw_pointer + raw_size // 2
    image[offset] ^= 0xFF
    open(target, "wb").write(image)


if __name__ == "__main__":
    main()
