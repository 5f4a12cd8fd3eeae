#!/usr/bin/env python3
"""Checks the properties the host relies on in a built kelbrant.dll.

    check_dll.py --machine i386|amd64 --objdump OBJDUMP kelbrant.dll

The headers are read from the file itself (PE/COFF layout); the code of the
entry point and of mcn_main is disassembled with the target's objdump.
Checked:
  - the machine (i386 or x86-64) and the image kind: an executable DLL image
    with base relocations, flagged relocatable (DYNAMIC_BASE) and NX_COMPAT;
  - exports: one function, one name, mcn_main, at ordinal 1, in code, not
    forwarded, in a library named kelbrant.dll;
  - imports: none at all (no import, bound-import, delay-import or import
    address directory, and objdump -p shows no import table), and no TLS
    directory, whose callbacks would run code at load;
  - the entry point does nothing and reports success: it sets eax to 1 and
    returns (popping its three arguments on i386, as the loader's __stdcall
    call expects), touching no memory and calling nothing;
  - no time stamp (0 in the COFF header and in the export directory), so
    that two builds of the same sources give the same bytes;
  - mcn_main calls no service through an address (it only keeps the host
    vector) and returns with a plain ret: __cdecl, the caller removes the
    arguments.
Prints each failed property and exits 1 if there is any.
"""

import argparse
import re
import struct
import subprocess
import sys

MACHINES = {"i386": 0x014C, "amd64": 0x8664}
MAGIC = {"i386": 0x10B, "amd64": 0x20B}  # PE32, PE32+

FILE_RELOCS_STRIPPED = 0x0001
FILE_EXECUTABLE_IMAGE = 0x0002
FILE_32BIT_MACHINE = 0x0100
FILE_DLL = 0x2000
DLL_DYNAMIC_BASE = 0x0040
DLL_NX_COMPAT = 0x0100
SECTION_EXECUTE = 0x20000000

DIRECTORY_EXPORT = 0
DIRECTORY_IMPORT = 1
DIRECTORY_BASERELOC = 5
DIRECTORY_TLS = 9
DIRECTORY_BOUND_IMPORT = 11
DIRECTORY_IAT = 12
DIRECTORY_DELAY_IMPORT = 13
NO_IMPORT_DIRECTORIES = {
    DIRECTORY_IMPORT: "import",
    DIRECTORY_BOUND_IMPORT: "bound import",
    DIRECTORY_IAT: "import address table",
    DIRECTORY_DELAY_IMPORT: "delay import",
    DIRECTORY_TLS: "thread-local storage",
}

# Instructions the entry point may hold, as objdump (AT&T syntax) prints
# them: an optional frame, the result 1 in eax, and the return.
ENTRY_RESULT = "mov $0x1,%eax"
ENTRY_FRAME = {"push %ebp", "mov %esp,%ebp", "pop %ebp", "leave", "push %rbp",
               "mov %rsp,%rbp", "pop %rbp", "nop"}
ENTRY_RETURN = {"i386": "ret $0xc", "amd64": "ret"}


class Image:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.coff = coff = pe + 4
        (self.machine, sections, self.time_stamp, _, _, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, coff)
        self.optional = optional = coff + 20
        self.magic = struct.unpack_from("<H", data, optional)[0]
        self.entry = struct.unpack_from("<I", data, optional + 16)[0]
        if self.magic == 0x20B:
            self.image_base = struct.unpack_from("<Q", data, optional + 24)[0]
            directories = optional + 112
        else:
            self.image_base = struct.unpack_from("<I", data, optional + 28)[0]
            directories = optional + 96
        self.dll_characteristics = struct.unpack_from("<H", data, optional + 70)[0]
        self.directories_at = directories
        count = struct.unpack_from("<I", data, directories - 4)[0]
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i)
                            for i in range(count)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            (name, virtual_size, address, raw_size, raw_offset, _, _, _, _,
             flags) = struct.unpack_from("<8sIIIIIIHHI", data, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode("latin-1"), address,
                                  max(virtual_size, raw_size), raw_offset, flags))

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def section_of(self, rva):
        for section in self.sections:
            if section[1] <= rva < section[1] + section[2]:
                return section
        return None

    def offset(self, rva):
        section = self.section_of(rva)
        if section is None:
            raise ValueError("address 0x%x lies in no section" % rva)
        return section[3] + rva - section[1]

    def u32(self, rva):
        return struct.unpack_from("<I", self.data, self.offset(rva))[0]

    def u16(self, rva):
        return struct.unpack_from("<H", self.data, self.offset(rva))[0]

    def text(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("latin-1")

    def is_code(self, rva):
        section = self.section_of(rva)
        return section is not None and section[4] & SECTION_EXECUTE != 0


def run(*command):
    """The output of an objdump command; an unreadable file is a failed check."""
    done = subprocess.run(command, capture_output=True, text=True, errors="replace")
    if done.returncode != 0:
        raise ValueError("%s: %s" % (" ".join(command[:2]), done.stderr.strip()))
    return done.stdout


def disassemble(objdump, path, image, rva, limit=64):
    """The instructions from rva to the first return, whitespace collapsed."""
    start = image.image_base + rva
    listing = run(objdump, "-d", "--no-show-raw-insn", "--start-address=0x%x" % start,
                  "--stop-address=0x%x" % (start + limit), path)
    instructions = []
    for line in listing.splitlines():
        match = re.match(r"\s*[0-9a-f]+:\s+(.*)$", line)
        if not match:
            continue
        instruction = " ".join(match.group(1).split("#")[0].split())
        instructions.append(instruction)
        if instruction.startswith("ret"):
            break
    return instructions


def export_fields(image):
    """Name, ordinal base, counts and tables of the export directory."""
    address = image.directory(DIRECTORY_EXPORT)[0]
    return struct.unpack_from("<IIHHIIIIIII", image.data, image.offset(address))[4:]


def exports_problems(image):
    address, size = image.directory(DIRECTORY_EXPORT)
    if address == 0:
        return ["no export directory"]
    found = []
    name, base, functions, names, function_table, name_table, ordinal_table = export_fields(image)
    if image.text(name).lower() != "kelbrant.dll":
        found.append("library name %r, not kelbrant.dll" % image.text(name))
    if functions != 1 or names != 1:
        found.append("%d exported functions and %d names, not one of each" % (functions, names))
    try:
        exported = [image.text(image.u32(name_table + 4 * i)) for i in range(min(names, 8))]
    except ValueError as error:
        exported = ["(unreadable: %s)" % error]
    if exported != ["mcn_main"]:
        found.append("exported names %s, not ['mcn_main']" % exported)
    if names >= 1:
        ordinal = base + image.u16(ordinal_table)
        if ordinal != 1:
            found.append("mcn_main has ordinal %d, not 1" % ordinal)
        target = image.u32(function_table + 4 * image.u16(ordinal_table))
        if address <= target < address + size:
            found.append("mcn_main is forwarded to another library")
        elif not image.is_code(target):
            found.append("mcn_main does not point into code")
    return found


def code_problems(image, path, machine, objdump):
    """What objdump shows: the import table, the entry point, mcn_main."""
    found = []
    headers = run(objdump, "-p", path)
    if "The Import Tables" in headers:
        found.append("objdump -p shows an import table")

    if image.entry == 0 or not image.is_code(image.entry):
        found.append("the entry point is not in code")
    else:
        entry = disassemble(objdump, path, image, image.entry)
        body = entry[:-1] if entry else []
        if (not entry or entry[-1] != ENTRY_RETURN[machine] or ENTRY_RESULT not in body
                or any(i != ENTRY_RESULT and i not in ENTRY_FRAME for i in body)):
            found.append("the entry point does more than return 1: %s" % "; ".join(entry))

    if not exports_problems(image):
        main = disassemble(objdump, path, image, image.u32(export_fields(image)[4]), limit=256)
        if not main or not main[-1].startswith("ret"):
            found.append("mcn_main: no return found")
        else:
            if main[-1] != "ret":
                found.append("mcn_main returns with %r: not __cdecl" % main[-1])
            if any(re.match(r"(call|jmp)\s*\*", i) for i in main):
                found.append("mcn_main calls through an address (a host service?): %s"
                             % "; ".join(main))
    return found


def problems(path, machine, objdump):
    with open(path, "rb") as f:
        image = Image(f.read())
    found = []
    if image.machine != MACHINES[machine]:
        found.append("machine 0x%04x, not %s" % (image.machine, machine))
    if image.magic != MAGIC[machine]:
        found.append("optional header magic 0x%x, not 0x%x" % (image.magic, MAGIC[machine]))
    wanted = FILE_DLL | FILE_EXECUTABLE_IMAGE | (FILE_32BIT_MACHINE if machine == "i386" else 0)
    if image.characteristics & wanted != wanted:
        found.append("characteristics 0x%04x lack 0x%04x (DLL, executable image%s)"
                     % (image.characteristics, wanted, ", 32-bit" if machine == "i386" else ""))
    if image.characteristics & FILE_RELOCS_STRIPPED:
        found.append("relocations stripped")
    if image.directory(DIRECTORY_BASERELOC)[0] == 0:
        found.append("no base relocations: the library could not be loaded elsewhere")
    wanted = DLL_DYNAMIC_BASE | DLL_NX_COMPAT
    if image.dll_characteristics & wanted != wanted:
        found.append("DLL characteristics 0x%04x lack DYNAMIC_BASE and NX_COMPAT"
                     % image.dll_characteristics)

    found += exports_problems(image)
    export_time_stamp = struct.unpack_from(
        "<I", image.data, image.offset(image.directory(DIRECTORY_EXPORT)[0]) + 4)[0]
    if image.time_stamp != 0 or export_time_stamp != 0:
        found.append("time stamp 0x%x in the header, 0x%x in the exports: builds would differ"
                     % (image.time_stamp, export_time_stamp))

    for index, what in NO_IMPORT_DIRECTORIES.items():
        if image.directory(index) != (0, 0):
            found.append("%s directory present" % what)
    try:
        found += code_problems(image, path, machine, objdump)
    except ValueError as error:
        found.append("objdump cannot read the library: %s" % error)
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--machine", choices=sorted(MACHINES), required=True)
    parser.add_argument("--objdump", required=True)
    parser.add_argument("dll")
    args = parser.parse_args()
    try:
        found = problems(args.dll, args.machine, args.objdump)
    except (ValueError, struct.error, IndexError) as error:
        found = ["unreadable: %s" % error]
    for problem in found:
        print("%s: %s" % (args.dll, problem))
    if found:
        return 1
    print("%s: one export mcn_main at ordinal 1, no imports, an entry point that returns 1, "
          "%s DLL" % (args.dll, args.machine))
    return 0


if __name__ == "__main__":
    sys.exit(main())
