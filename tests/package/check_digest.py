#!/usr/bin/env python3
"""check_digest.py OSSLSIGNCODE CABINET CA_CERT

The digest half of the download package's signature check, which Wine's
WinTrust leaves out for cabinets: the cabinet as built verifies against the
test publisher's certificate, and a copy with one byte of its compressed
module changed is refused for its digest. Exit code 0 when both hold."""
import os
import subprocess
import sys
import tempfile


def verify(osslsigncode, cabinet, ca):
    run = subprocess.run([osslsigncode, "verify", "-CAfile", ca, "-in", cabinet],
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return run.returncode, run.stdout


def main():
    osslsigncode, cabinet, ca = sys.argv[1:4]
    code, text = verify(osslsigncode, cabinet, ca)
    if code != 0 or "Signature verification: ok" not in text:
        print("the cabinet as built does not verify:\n" + text)
        return 1
    data = bytearray(open(cabinet, "rb").read())
    cabinet_size = int.from_bytes(data[8:12], "little")
    data[cabinet_size // 2] ^= 0x01
    with tempfile.TemporaryDirectory() as folder:
        altered = os.path.join(folder, "ALTERED.CAB")
        with open(altered, "wb") as out:
            out.write(data)
        code, text = verify(osslsigncode, altered, ca)
    if code == 0 or "MISMATCH" not in text:
        print("a cabinet with a changed byte was not refused for its digest:\n" + text)
        return 1
    print("as built: verified; one byte changed: digest mismatch")
    return 0


if __name__ == "__main__":
    sys.exit(main())
