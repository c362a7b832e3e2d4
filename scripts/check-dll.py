#!/usr/bin/env python3
"""Checks that a PE file (DLL or EXE) is fit for a reproducible release.

    check-dll.py FILE [FORBIDDEN_TEXT...]

Fails (exit status 1, one line per fault) when the file carries a time stamp
(in the COFF header, the export, resource or debug directories) or holds any
FORBIDDEN_TEXT, typically the source and build folders, in single-byte or
UTF-16 form. Reads the file only.
"""
import struct
import sys

EXPORT_DIRECTORY, RESOURCE_DIRECTORY, DEBUG_DIRECTORY = 0, 2, 6
DEBUG_ENTRY_SIZE = 28


class PeImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        self.pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[self.pe:self.pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        coff = self.pe + 4
        self.section_count, self.time_stamp = struct.unpack_from("<HI", data, coff + 2)
        optional_size = struct.unpack_from("<H", data, coff + 16)[0]
        optional = coff + 20
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + (96 if magic == 0x10B else 112)
        directory_count = struct.unpack_from("<I", data, directories - 4)[0]
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(directory_count)]
        sections = optional + optional_size
        self.sections = [struct.unpack_from("<IIII", data, sections + 40 * i + 8) for i in range(self.section_count)]

    def offset(self, rva):
        """File offset of a relative virtual address; None when no section holds it."""
        for virtual_size, address, raw_size, raw_offset in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw_offset + rva - address
        return None

    def directory(self, index):
        """(file offset, size) of a data directory, or None when it is absent."""
        if index >= len(self.directories) or self.directories[index][1] == 0:
            return None
        rva, size = self.directories[index]
        return self.offset(rva), size


def time_stamp_faults(image):
    faults = []
    if image.time_stamp:
        faults.append("COFF header time stamp %#x" % image.time_stamp)
    # Both directories keep their time stamp at offset 4.
    for index, name in ((EXPORT_DIRECTORY, "export"), (RESOURCE_DIRECTORY, "resource")):
        found = image.directory(index)
        if found and found[0] is not None:
            stamp = struct.unpack_from("<I", image.data, found[0] + 4)[0]
            if stamp:
                faults.append("%s directory time stamp %#x" % (name, stamp))
    found = image.directory(DEBUG_DIRECTORY)
    if found and found[0] is not None:
        for entry in range(found[1] // DEBUG_ENTRY_SIZE):
            stamp = struct.unpack_from("<I", image.data, found[0] + entry * DEBUG_ENTRY_SIZE + 4)[0]
            if stamp:
                faults.append("debug directory entry %d time stamp %#x" % (entry, stamp))
    return faults


def text_faults(data, forbidden):
    faults = []
    for text in forbidden:
        for encoding in ("utf-8", "utf-16-le"):
            if text.encode(encoding) in data:
                faults.append("holds %r (%s)" % (text, encoding))
    return faults


def main(arguments):
    if not arguments:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    path, forbidden = arguments[0], [text for text in arguments[1:] if text]
    with open(path, "rb") as file:
        data = file.read()
    try:
        faults = time_stamp_faults(PeImage(data)) + text_faults(data, forbidden)
    except (ValueError, struct.error) as error:
        faults = ["not a PE file: %s" % error]
    for fault in faults:
        print("%s: %s" % (path, fault), file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
