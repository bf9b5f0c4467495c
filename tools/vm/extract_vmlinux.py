#!/usr/bin/env python3
# Writes the uncompressed kernel (the ELF image QEMU can boot directly) out of a compressed boot
# image: finds the first compressed stream whose content is an ELF file.
#   extract_vmlinux.py VMLINUZ OUT
import lzma
import sys
import zlib

ELF = b"\x7fELF"


def candidates(blob):
    """(offset, decompress) for every place a known compressed stream may start."""
    magics = [
        (b"\xfd7zXZ\x00", lambda b: lzma.LZMADecompressor(lzma.FORMAT_XZ).decompress(b)),
        (b"\x1f\x8b\x08", lambda b: zlib.decompressobj(16 + zlib.MAX_WBITS).decompress(b)),
        (b"\x5d\x00\x00", lambda b: lzma.LZMADecompressor(lzma.FORMAT_ALONE).decompress(b)),
    ]
    for magic, unpack in magics:
        start = 0
        while (at := blob.find(magic, start)) >= 0:
            yield at, unpack
            start = at + 1


def main(src, dst):
    blob = open(src, "rb").read()
    for at, unpack in candidates(blob):
        try:
            data = unpack(blob[at:])
        except (lzma.LZMAError, zlib.error, EOFError):
            continue
        if data.startswith(ELF):
            with open(dst, "wb") as out:
                out.write(data)
            return 0
    print(f"extract_vmlinux: no compressed ELF kernel found in {src}", file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
