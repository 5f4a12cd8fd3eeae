#!/usr/bin/env python3
"""The library check must reject each fault it is there to catch.

    check_dll_test.py --machine i386|amd64 --objdump OBJDUMP kelbrant.dll

Takes a built library that passes the check, breaks one property at a time
in a copy (a byte-level change of the headers or the code), and requires the
check to name that property.
"""

import argparse
import os
import struct
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_dll  # noqa: E402

ARGS = None


def set_u16(data, at, value):
    struct.pack_into("<H", data, at, value)


def set_u32(data, at, value):
    struct.pack_into("<I", data, at, value)


def directory_at(image, index):
    return image.directories_at + 8 * index


def export_directory(image):
    return image.offset(image.directory(check_dll.DIRECTORY_EXPORT)[0])


def other_machine(image, data):
    set_u16(data, image.coff, 0x8664 if image.machine == 0x14C else 0x14C)


def not_a_dll(image, data):
    set_u16(data, image.coff + 18, image.characteristics & ~check_dll.FILE_DLL)


def fixed_base(image, data):
    set_u16(data, image.optional + 70, image.dll_characteristics & ~check_dll.DLL_DYNAMIC_BASE)


def copy_export_directory_to(index):
    def mutate(image, data):
        data[directory_at(image, index):directory_at(image, index) + 8] = struct.pack(
            "<II", *image.directory(check_dll.DIRECTORY_EXPORT))
    return mutate


def time_stamped(image, data):
    set_u32(data, image.coff + 4, 0x5F5E1000)


def exports_time_stamped(image, data):
    set_u32(data, export_directory(image) + 4, 0x5F5E1000)


def ordinal_base_two(image, data):
    set_u32(data, export_directory(image) + 16, 2)


def second_name(image, data):
    set_u32(data, export_directory(image) + 24, 2)


def renamed_export(image, data):
    at = data.index(b"mcn_main\0")
    data[at + 4] = ord("x")


def entry_returns_zero(image, data):
    at = image.offset(image.entry)
    assert data[at:at + 5] == b"\xb8\x01\x00\x00\x00", data[at:at + 5].hex()
    data[at + 1] = 0


def entry_calls(image, data):
    at = image.offset(image.entry)
    data[at:at + 5] = b"\xe8\x00\x00\x00\x00"


def entry_cdecl_return(image, data):
    at = image.offset(image.entry)
    assert data[at + 5] in (0xC2, 0xC3)
    data[at + 5:at + 8] = b"\xc3\x90\x90" if data[at + 5] == 0xC2 else b"\xc2\x0c\x00"


MUTATIONS = [
    ("other machine", other_machine, "machine 0x"),
    ("not flagged a DLL", not_a_dll, "characteristics 0x"),
    ("fixed base", fixed_base, "DYNAMIC_BASE"),
    ("import directory", copy_export_directory_to(check_dll.DIRECTORY_IMPORT),
     "import directory present"),
    ("delay-import directory", copy_export_directory_to(check_dll.DIRECTORY_DELAY_IMPORT),
     "delay import directory present"),
    ("TLS directory", copy_export_directory_to(check_dll.DIRECTORY_TLS),
     "thread-local storage directory present"),
    ("time stamp in the header", time_stamped, "time stamp"),
    ("time stamp in the exports", exports_time_stamped, "time stamp"),
    ("ordinal 2", ordinal_base_two, "ordinal 2"),
    ("two names", second_name, "2 names"),
    ("renamed export", renamed_export, "exported names"),
    ("entry returns 0", entry_returns_zero, "entry point does more"),
    ("entry calls", entry_calls, "entry point does more"),
    ("entry pops the wrong argument bytes", entry_cdecl_return, "entry point does more"),
]


class CheckCatchesFaults(unittest.TestCase):
    def check(self, data):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "kelbrant.dll")
            with open(path, "wb") as f:
                f.write(data)
            try:
                return check_dll.problems(path, ARGS.machine, ARGS.objdump)
            except (ValueError, struct.error, IndexError) as error:
                return ["unreadable: %s" % error]

    def test_built_library_passes(self):
        with open(ARGS.dll, "rb") as f:
            self.assertEqual(self.check(f.read()), [])

    def test_each_fault_is_named(self):
        with open(ARGS.dll, "rb") as f:
            original = f.read()
        image = check_dll.Image(original)
        for name, mutate, expected in MUTATIONS:
            if name == "entry pops the wrong argument bytes" and ARGS.machine != "i386":
                continue
            with self.subTest(fault=name):
                data = bytearray(original)
                mutate(image, data)
                found = self.check(bytes(data))
                self.assertTrue(any(expected in problem for problem in found),
                                "%s: expected a problem naming %r, got %s" % (name, expected, found))


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--machine", choices=sorted(check_dll.MACHINES), required=True)
    parser.add_argument("--objdump", required=True)
    parser.add_argument("dll")
    ARGS = parser.parse_args()
    unittest.main(argv=[sys.argv[0]])
