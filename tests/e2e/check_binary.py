"""Checks the PE headers of a Windows program: x64, PE32+, the ASLR, DEP and terminal-server
flags, and imports from system DLLs only (a runtime DLL beside an elevated program could be
replaced by another user). Standard library only; exits 1 and says why when a check fails.

    python3 check_binary.py build/win64/VelmoroUninstaller.exe
"""
import struct
import sys

# The only DLLs the program may import, compared case-insensitively.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "advapi32.dll", "shell32.dll", "ole32.dll", "oleaut32.dll", "gdi32.dll",
               "msvcrt.dll", "ntdll.dll", "shlwapi.dll"}

MACHINE_X64 = 0x8664
PE32_PLUS = 0x20B
REQUIRED_FLAGS = {"HIGH_ENTROPY_VA": 0x20, "DYNAMIC_BASE": 0x40, "NX_COMPAT": 0x100,
                  "TERMINAL_SERVER_AWARE": 0x8000}


def imported_dlls(data, optional, sections):
    """The DLL names of the import directory, in file order."""
    def offset(rva):
        for virtual_size, address, raw_size, raw_offset in sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return rva - address + raw_offset
        raise ValueError(f"RVA {rva:#x} lies in no section")

    directories, _, _, table, _ = struct.unpack_from("<5I", data, optional + 108)
    if directories < 2 or not table:
        return []
    names, entry = [], offset(table)
    while name := struct.unpack_from("<I", data, entry + 12)[0]:
        start = offset(name)
        names.append(data[start:data.index(b"\0", start)].decode("ascii"))
        entry += 20
    return names


def problems(data):
    """What is wrong with the image; empty when it passes."""
    if data[:2] != b"MZ":
        return ["no MZ header"]
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        return ["no PE signature"]
    machine, section_count, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    found = [] if machine == MACHINE_X64 else [f"machine {machine:#x}, not x64"]
    if magic != PE32_PLUS:
        return found + [f"optional header magic {magic:#x}, not PE32+"]
    flags = struct.unpack_from("<H", data, optional + 70)[0]
    print(f"DllCharacteristics {flags:#06x}")
    found += [f"DllCharacteristics lacks {name}" for name, bit in REQUIRED_FLAGS.items() if not flags & bit]
    sections = [struct.unpack_from("<IIII", data, optional + optional_size + 40 * i + 8)
                for i in range(section_count)]
    dlls = imported_dlls(data, optional, sections)
    print("imports", ", ".join(dlls))
    found += [f"imports {dll}, not a listed system DLL" for dll in dlls if dll.lower() not in SYSTEM_DLLS]
    return found + ([] if dlls else ["no import directory read"])


def main():
    with open(sys.argv[1], "rb") as image:
        found = problems(image.read())
    for problem in found:
        print(f"{sys.argv[1]}: {problem}", file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
