"""Checks the built TINTRA.aex as a file: what it exports and imports, the two
resources the host reads, byte for byte, and the version resource Windows
shows. Run: python3 test_aex_file.py PATH/TINTRA.aex"""

import os
import re
import shutil
import subprocess
import sys
import unittest
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pe_file import PeError, PeFile, version_info  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
AEX = None  # set from the command line

EXPECTED_EXPORTS = {"EffectMain", "PluginDataEntryFunction2"}
ALLOWED_IMPORTS = {"kernel32.dll", "msvcrt.dll"}


def support_url():
    # The address is the project's choice; the code and the property list must
    # both carry the one written in the identity header.
    with open(os.path.join(ROOT, "effect", "identity.h")) as f:
        match = re.search(r'kSupportUrl\s*=\s*"([^"]*)"', f.read())
    return match.group(1)


def pascal_padded(text):
    data = bytes([len(text)]) + text.encode("ascii")
    return data + b"\0" * (-len(data) % 4)


def expected_pipl():
    """The Windows property list written out by hand: little-endian, so every
    four-character code appears reversed ("MIB8" for "8BIM")."""
    url = pascal_padded(support_url())
    properties = [
        # key as stored, declared length, data with its padding
        (b"dnik", 4, b"TKFe"),
        (b"eman", 8, b"\x06TINTRA\0"),
        (b"gtac", 20, b"\x10Color Correction\0\0\0"),
        (b"4668", 12, b"EffectMain\0\0"),
        (b"RVPe", 4, b"\x02\x00\x00\x00"),
        (b"RVSe", 4, b"\x0d\x00\x1c\x00"),
        (b"REVe", 4, b"\x01\x00\x09\x00"),
        (b"FNIe", 2, b"\x00\x00\x00\x00"),
        (b"OLGe", 4, b"\x00\x00\x00\x06"),
        (b"2LGe", 4, b"\x00\x00\x00\x08"),
        (b"ANMe", 20, b"\x10halvecort TINTRA\0\0\0"),
        (b"LFea", 4, b"\x00\x00\x00\x00"),
        (b"LRUe", len(url), url),
    ]
    out = b"\x01\x00" + b"\x00\x00\x00\x00" + b"\x0d\x00\x00\x00"
    for key, length, data in properties:
        out += b"MIB8" + key + b"\0\0\0\0" + length.to_bytes(4, "little") + data
    return out


# What Explorer's Details tab shows, written out by hand: 1.2.0 build 1.
EXPECTED_VERSION = (1, 2, 0, 1)
EXPECTED_VERSION_STRINGS = {
    "CompanyName": "halvecort",
    "FileDescription": "Change hue & saturation using oklab color science by halvecort <3",
    "FileVersion": "1.2.0.1",
    "InternalName": "TINTRA",
    "OriginalFilename": "TINTRA.aex",
    "ProductName": "TINTRA",
    "ProductVersion": "1.2.0.1",
}


def pipl_version(pipl):
    """(major, minor, fix, build) of the eVER word in the property list."""
    at = pipl.index(b"MIB8REVe") + 12
    word = int.from_bytes(pipl[at + 4:at + 8], "little")
    return ((word >> 26) & 0xF) << 3 | (word >> 19) & 7, (word >> 15) & 0xF, (word >> 11) & 0xF, word & 0x1FF


# Each check returns the list of problems it found in a file.

def header_problems(pe):
    problems = []
    if pe.machine != 0x8664:
        problems.append("machine %#x, not x86-64" % pe.machine)
    if not pe.characteristics & 0x2000:
        problems.append("not marked as a DLL")
    if pe.timestamp != 0:
        problems.append("COFF timestamp %#x: the build is not reproducible" % pe.timestamp)
    if pe.subsystem != 2 and pe.subsystem != 3:
        problems.append("subsystem %d" % pe.subsystem)
    # The host may load it anywhere, and its data must not be executable.
    for flag, name in ((0x40, "DYNAMIC_BASE"), (0x100, "NX_COMPAT")):
        if not pe.dll_characteristics & flag:
            problems.append("%s is not set" % name)
    if ".reloc" not in [section[0] for section in pe.sections]:
        problems.append("no relocations: the library could only load at its preferred base")
    return problems


def export_problems(pe):
    problems = []
    dll_name, exports, timestamp = pe.exports()
    if set(exports) != EXPECTED_EXPORTS:
        problems.append("exports %s" % sorted(exports))
    for name, rva in exports.items():
        if pe.section_of(rva) != ".text":
            problems.append("%s points into %s, not code" % (name, pe.section_of(rva)))
    if dll_name != "TINTRA.aex":
        problems.append("export directory names the library %r" % dll_name)
    if timestamp != 0:
        problems.append("export directory timestamp %#x" % timestamp)
    return problems


def import_problems(pe):
    problems = []
    imports = pe.imports()
    names = {dll.lower() for dll in imports}
    if not names <= ALLOWED_IMPORTS:
        problems.append("imports from %s" % sorted(names - ALLOWED_IMPORTS))
    kernel = next((v for k, v in imports.items() if k.lower() == "kernel32.dll"), [])
    # The library entry must be there and doing its one job.
    if "DisableThreadLibraryCalls" not in kernel:
        problems.append("DisableThreadLibraryCalls is not imported")
    return problems


def resource_problems(pe):
    problems = []
    resources = pe.resources()
    wanted = {("PIPL", 16000, 1033), (24, 2, 1033), (16, 1, 1033)}
    if set(resources) != wanted:
        problems.append("resources %s" % sorted(resources, key=str))
    pipl = resources.get(("PIPL", 16000, 1033))
    if pipl is not None and pipl != expected_pipl():
        want = expected_pipl()
        at = next((i for i in range(min(len(pipl), len(want))) if pipl[i] != want[i]), min(len(pipl), len(want)))
        problems.append("PIPL differs from byte %d (size %d, expected %d)" % (at, len(pipl), len(want)))
    manifest = resources.get((24, 2, 1033))
    if manifest is not None:
        problems += manifest_problems(manifest)
    version = resources.get((16, 1, 1033))
    if version is not None and pipl is not None:
        problems += version_problems(version, pipl)
    return problems


def version_problems(resource, pipl):
    try:
        fixed, strings, translations = version_info(resource)
    except PeError as e:
        return ["version resource: %s" % e]
    problems = []
    file_version = (fixed[2] >> 16, fixed[2] & 0xFFFF, fixed[3] >> 16, fixed[3] & 0xFFFF)
    product_version = (fixed[4] >> 16, fixed[4] & 0xFFFF, fixed[5] >> 16, fixed[5] & 0xFFFF)
    if fixed[0] != 0xFEEF04BD or fixed[9] != 2:
        problems.append("the fixed part is not that of a library (signature %#x, type %d)" % (fixed[0], fixed[9]))
    for name, version in (("file", file_version), ("product", product_version)):
        if version != EXPECTED_VERSION:
            problems.append("%s version %s" % (name, version))
        # One source: the version the host is told and the one Windows shows.
        if version != pipl_version(pipl):
            problems.append("%s version %s, but the property list says %s" % (name, version, pipl_version(pipl)))
    if strings != EXPECTED_VERSION_STRINGS:
        problems.append("version strings %s" % strings)
    if translations != [(0x409, 1200)]:
        problems.append("version translations %s" % translations)
    return problems


def manifest_problems(manifest):
    try:
        root = ET.fromstring(manifest)
    except ET.ParseError as e:
        return ["manifest is not XML: %s" % e]
    v1 = "{urn:schemas-microsoft-com:asm.v1}"
    v3 = "{urn:schemas-microsoft-com:asm.v3}"
    problems = []
    if root.tag != v1 + "assembly" or root.get("manifestVersion") != "1.0":
        problems.append("manifest root %s" % root.tag)
    levels = root.findall(".//%srequestedExecutionLevel" % v3)
    if len(levels) != 1:
        return problems + ["%d execution level requests" % len(levels)]
    level = levels[0]
    if level.get("level") != "asInvoker" or level.get("uiAccess") != "false":
        problems.append("execution level %s" % level.attrib)
    # Its only request: no dependencies, no compatibility or DPI settings.
    others = [child.tag for child in root if child.tag != v3 + "trustInfo"]
    if others:
        problems.append("further manifest entries %s" % others)
    return problems


CHECKS = [header_problems, export_problems, import_problems, resource_problems]


class BuiltFile(unittest.TestCase):
    def setUp(self):
        with open(AEX, "rb") as f:
            self.data = f.read()
        self.pe = PeFile(self.data)

    def test_every_check_passes(self):
        for check in CHECKS:
            with self.subTest(check=check.__name__):
                self.assertEqual(check(self.pe), [])

    def test_pipl_is_the_hand_written_list(self):
        # Stated on its own so a failure shows both byte strings.
        self.assertEqual(self.pe.resources()[("PIPL", 16000, 1033)], expected_pipl())

    def test_reader_agrees_with_objdump(self):
        objdump = shutil.which("x86_64-w64-mingw32-objdump")
        self.assertIsNotNone(objdump, "x86_64-w64-mingw32-objdump is not installed (scripts/deps/windows.list)")
        text = subprocess.run([objdump, "-p", AEX], check=True, capture_output=True, text=True).stdout
        dlls = set(re.findall(r"^\s*DLL Name: (\S+)", text, re.M))
        self.assertEqual(dlls, set(self.pe.imports()))
        table = text.split("[Ordinal/Name Pointer] Table", 1)[1].split("\n\n", 1)[0]
        names = set(re.findall(r"\]\s+(\S+)\s*$", table, re.M))
        self.assertEqual(names, set(self.pe.exports()[1]))

    def test_reader_agrees_with_llvm_readobj(self):
        readobj = shutil.which("llvm-readobj-19") or shutil.which("llvm-readobj")
        self.assertIsNotNone(readobj, "llvm-readobj is not installed (scripts/deps/windows.list)")
        text = subprocess.run([readobj, "--coff-resources", AEX], check=True, capture_output=True,
                              text=True).stdout
        self.assertEqual(readobj_resources(text), self.pe.resources())


def readobj_resources(text):
    """{(type, name, language): bytes} from llvm-readobj's --coff-resources dump."""
    result = {}
    path = {}
    data = None
    for line in text.splitlines():
        line = line.strip()
        level = re.match(r"(Type|Name|Language): (.*?)\s*\[$", line)
        if level:
            number = re.search(r"\(ID (\d+)\)", level.group(2))
            path[level.group(1)] = int(number.group(1)) if number else level.group(2)
        elif line == "Data (":
            data = b""
        elif data is not None and line == ")":
            result[(path["Type"], path["Name"], path["Language"])] = data
            data = None
        elif data is not None:
            data += bytes.fromhex(line.split(":", 1)[1].split("|", 1)[0].replace(" ", ""))
    return result


class ChecksSeeFaults(unittest.TestCase):
    """Each check must notice a file that is wrong in its respect."""

    def setUp(self):
        with open(AEX, "rb") as f:
            self.data = bytearray(f.read())
        self.pe = PeFile(bytes(self.data))

    def replace_at(self, rva_or_offset, old, new, is_rva=True):
        at = self.pe.offset(rva_or_offset) if is_rva else rva_or_offset
        self.assertEqual(bytes(self.data[at:at + len(old)]), old)
        self.data[at:at + len(new)] = new

    def pipl_offset(self):
        # The resource data is stored once; find it through the tree.
        pipl = self.pe.resources()[("PIPL", 16000, 1033)]
        at = bytes(self.data).find(pipl)
        self.assertGreater(at, 0)
        return at

    def assert_caught(self, check):
        problems = check(PeFile(bytes(self.data)))
        self.assertNotEqual(problems, [])

    def test_faults(self):
        cases = [
            ("PIPL name changed", resource_problems,
             lambda: self.replace_at(self.pipl_offset() + 10 + 20 + 16, b"\x06TINTRA", b"\x06TINTRB", False)),
            ("eINF length 4", resource_problems,
             lambda: self.replace_at(self.pipl_offset() + expected_pipl().index(b"FNIe") + 8,
                                     b"\x02", b"\x04", False)),
            ("the company renamed", resource_problems,
             lambda: self.replace_at(bytes(self.data).find("halvecort\0".encode("utf-16-le")),
                                     "halvecort".encode("utf-16-le"), "halvecorx".encode("utf-16-le"), False)),
            ("file version 1.2.0.2", resource_problems,
             lambda: self.replace_at(bytes(self.data).find(b"\xbd\x04\xef\xfe") + 12, b"\x01\x00", b"\x02\x00",
                                     False)),
            ("manifest asks for elevation", resource_problems,
             lambda: self.replace_at(bytes(self.data).find(b'level="asInvoker"'), b'level="asInvoker"',
                                     b'level="asInvokez"', False)),
            ("an export renamed", export_problems,
             lambda: self.replace_at(bytes(self.data).find(b"EffectMain\0PluginDataEntryFunction2\0"),
                                     b"EffectMain", b"EffectMaim", False)),
            ("an import from another library", import_problems,
             lambda: self.replace_at(bytes(self.data).find(b"msvcrt.dll"), b"msvcrt", b"msvcrx", False)),
            ("a timestamp", header_problems,
             lambda: self.data.__setitem__(slice(self.coff_timestamp(), self.coff_timestamp() + 1), b"\x01")),
            ("no address randomisation", header_problems,
             lambda: self.data.__setitem__(self.dll_characteristics(), self.data[self.dll_characteristics()] & ~0x40)),
        ]
        original = bytes(self.data)
        for name, check, mutate in cases:
            with self.subTest(fault=name):
                self.data = bytearray(original)
                mutate()
                self.assert_caught(check)

    def coff_timestamp(self):
        return int.from_bytes(self.data[0x3C:0x40], "little") + 4 + 4

    def dll_characteristics(self):
        return int.from_bytes(self.data[0x3C:0x40], "little") + 4 + 20 + 70


def main():
    global AEX
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    AEX = sys.argv.pop(1)
    try:
        PeFile(open(AEX, "rb").read())
    except (OSError, PeError) as e:
        print("cannot read %s: %s" % (AEX, e), file=sys.stderr)
        return 1
    result = unittest.main(exit=False, verbosity=2).result
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
