#!/usr/bin/env python3
"""Zip archives of a report folder as another tool makes them (Python's zipfile), for the zip
reader's tests: stored and deflated entries, a folder entry, a UTF-8 name, names that point out of
the folder, and one archive written to a pipe (sizes in data descriptors after each entry).
The contents are computed the same way by zip_reader_test.cpp.

    make_zip_fixtures.py FOLDER
"""
import io
import os
import sys
import zipfile

folder = sys.argv[1]
os.makedirs(folder, exist_ok=True)
csv = ("\ufeffProgram,Component,Result,Message\r\n" +
       "".join(f"probe_{i},X{i}.OCX,works,runs\r\n" for i in range(200))).encode("utf-8")
picture = bytes((i * 7 + i // 1000) % 251 for i in range(1 << 20))
machine = b"machine=PC1\r\nkit=1.00\r\n"
entries = [
    ("kit_survey_PC1/", b"", zipfile.ZIP_STORED),
    ("kit_survey_PC1/report.csv", csv, zipfile.ZIP_DEFLATED),
    ("kit_survey_PC1/machine.txt", machine, zipfile.ZIP_STORED),
    ("kit_survey_PC1/picture.bin", picture, zipfile.ZIP_DEFLATED),
    ("kit_survey_PC1/\u00e9t\u00e9.txt", "\u00e9t\u00e9".encode("utf-8"), zipfile.ZIP_DEFLATED),
    ("../outside.txt", b"out", zipfile.ZIP_STORED),
    ("/absolute.txt", b"abs", zipfile.ZIP_DEFLATED),
    ("kit_survey_PC1/empty.txt", b"", zipfile.ZIP_DEFLATED),
]


def write(archive):
    for name, data, method in entries:
        info = zipfile.ZipInfo(name, date_time=(2026, 12, 9, 14, 3, 0))
        info.compress_type = method
        archive.writestr(info, data)


with zipfile.ZipFile(os.path.join(folder, "report.zip"), "w") as archive:
    write(archive)
    archive.comment = b"mailed from the field"


class Pipe(io.RawIOBase):
    """A stream that cannot seek, as a pipe: zipfile then writes the sizes after each entry."""

    def __init__(self):
        self.data = bytearray()

    def writable(self):
        return True

    def write(self, b):
        self.data += b
        return len(b)


pipe = Pipe()
with zipfile.ZipFile(pipe, "w") as archive:
    write(archive)
with open(os.path.join(folder, "streamed.zip"), "wb") as f:
    f.write(pipe.data)
