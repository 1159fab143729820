"""Inspects the built TINTRA.plugin: its universal executable, the signature of
each slice, what each slice imports and exports, Info.plist, PkgInfo and the
property-list resource.

Run with:  python3 -m unittest discover -s tests/macos -v
The bundle is taken from TINTRA_MACOS_BUNDLE (default build/macos/TINTRA.plugin).
Expected values are written out here, not taken from the generators.
"""

import os
import plistlib
import re
import shutil
import struct
import subprocess
import unittest

import macho_reader as macho
import resource_reader as rsrc

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BUNDLE = os.environ.get("TINTRA_MACOS_BUNDLE", os.path.join(REPO, "build", "macos", "TINTRA.plugin"))
STUBS = os.path.join(REPO, "cmake", "macos", "sdk", "usr", "lib")
OBJDUMP = os.environ.get("TINTRA_LLVM_OBJDUMP", "llvm-objdump-19")
NM = os.environ.get("TINTRA_LLVM_NM", "llvm-nm-19")

EXECUTABLE = os.path.join(BUNDLE, "Contents", "MacOS", "TINTRA")
LIBSYSTEM = "/usr/lib/libSystem.B.dylib"
LIBCXX = "/usr/lib/libc++.1.dylib"
ENTRY_POINTS = {"_EffectMain", "_PluginDataEntryFunction2"}

# Per architecture: the minimum-OS load command and version the host's macOS
# versions need, and the stub target name.
ARCHES = {
    "x86_64": ("LC_VERSION_MIN_MACOSX", "10.13", "x86_64-macos"),
    "arm64": ("LC_BUILD_VERSION", "11.0", "arm64-macos"),
}

# Fused multiply-adds would change colour results in the last place; the
# colour code must be built with contraction off, and arm64 contracts by default.
FMA_PATTERN = {
    "x86_64": re.compile(r"\bv?f(n)?m(add|sub)[0-9]*[sp][sd]\b"),
    "arm64": re.compile(r"\b(fmadd|fmsub|fnmadd|fnmsub|fmla|fmls)\b"),
}

PAGE = 4096


def read(path):
    with open(path, "rb") as f:
        return f.read()


def slices_of(data):
    """{arch: (offset in the universal file, Slice)}"""
    result = {}
    for cputype, offset, size in macho.fat_slices(data):
        result[macho.ARCH_NAMES.get(cputype, hex(cputype))] = (offset, macho.Slice(data[offset:offset + size]))
    return result


def allow_list():
    """{install name: {stub target: set of symbols}} from the text stubs."""
    result = {}
    for name in ("libSystem.tbd", "libc++.tbd"):
        text = "\n".join(line.split("#", 1)[0] for line in read(os.path.join(STUBS, name)).decode().splitlines())
        install = re.search(r"install-name:\s*'([^']+)'", text).group(1)
        per_target = result.setdefault(install, {})
        for targets, symbols in re.findall(r"-\s*targets:\s*\[([^\]]*)\]\s*symbols:\s*\[([^\]]*)\]", text):
            for target in re.split(r"[\s,]+", targets.strip()):
                per_target.setdefault(target, set()).update(s for s in re.split(r"[\s,]+", symbols.strip()) if s)
    return result


class Bundle(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not os.path.isdir(BUNDLE):
            # A missing bundle is a failure, never a skip that reads as a pass.
            raise FileNotFoundError("no bundle at %s: run scripts/build-macos first" % BUNDLE)
        cls.universal = read(EXECUTABLE)
        cls.slices = slices_of(cls.universal)


class LayoutTests(Bundle):
    def test_bundle_holds_exactly_the_four_files(self):
        found = sorted(os.path.relpath(os.path.join(d, f), BUNDLE) for d, _, fs in os.walk(BUNDLE) for f in fs)
        self.assertEqual(found, ["Contents/Info.plist", "Contents/MacOS/TINTRA", "Contents/PkgInfo",
                                 "Contents/Resources/TINTRA.rsrc"])

    def test_pkginfo_is_type_and_creator(self):
        self.assertEqual(read(os.path.join(BUNDLE, "Contents", "PkgInfo")), b"eFKTFXTC")


class UniversalFileTests(Bundle):
    def test_one_bundle_slice_per_architecture(self):
        self.assertEqual(sorted(self.slices), sorted(ARCHES))
        for arch, (_, image) in self.slices.items():
            with self.subTest(arch=arch):
                self.assertEqual(image.arch, arch, "slice header disagrees with the universal header")
                self.assertEqual(image.filetype, macho.MH_BUNDLE)
                # Two-level namespace: every import is looked up in the library
                # it was linked against, never in whatever the host loaded first.
                self.assertEqual(image.flags & (macho.MH_TWOLEVEL | macho.MH_DYLDLINK),
                                 macho.MH_TWOLEVEL | macho.MH_DYLDLINK)

    def test_minimum_os_per_slice(self):
        for arch, (command, version, _) in ARCHES.items():
            with self.subTest(arch=arch):
                self.assertEqual(self.slices[arch][1].min_os(), (command, version))

    def test_slices_lie_on_page_boundaries(self):
        for arch, (offset, _) in self.slices.items():
            with self.subTest(arch=arch):
                self.assertEqual(offset % PAGE, 0)


class LinkageTests(Bundle):
    def test_exports_exactly_the_two_entry_points(self):
        for arch, (_, image) in self.slices.items():
            with self.subTest(arch=arch):
                self.assertEqual(sorted(image.exports()), sorted(ENTRY_POINTS))
                self.assertEqual(image.defined_external_symbols(), ENTRY_POINTS)

    def test_links_only_the_system_and_cxx_libraries(self):
        for arch, (_, image) in self.slices.items():
            with self.subTest(arch=arch):
                self.assertEqual(sorted(image.dylibs()),
                                 sorted([(macho.LC_LOAD_DYLIB, LIBSYSTEM), (macho.LC_LOAD_DYLIB, LIBCXX)]))
                self.assertEqual(image.find(macho.LC_RPATH), [], "no run-path search")
                self.assertEqual(image.find(macho.LC_LOAD_DYLINKER), [], "a bundle names no loader")

    def test_every_import_comes_from_its_library_and_is_allowed(self):
        allowed = allow_list()
        for arch, (_, image) in self.slices.items():
            target = ARCHES[arch][2]
            libraries = [name for _, name in image.dylibs()]
            bound = image.bindings()
            with self.subTest(arch=arch):
                self.assertTrue(bound, "a slice with no imports at all was not read properly")
                # What dyld binds and what the symbol table declares must agree,
                # or one of the two readings is missing an import.
                self.assertEqual({name for _, _, name in bound}, set(image.undefined_symbols()))
            for kind, ordinal, name in bound:
                with self.subTest(arch=arch, symbol=name):
                    self.assertNotEqual(kind, "weak", "weak binding is a search of every loaded image")
                    self.assertTrue(1 <= ordinal <= len(libraries),
                                    "%s is bound by ordinal %d, not to a named library" % (name, ordinal))
                    library = libraries[ordinal - 1]
                    self.assertIn(name, allowed[library].get(target, set()),
                                  "%s imports %s from %s, which the stub does not allow" % (arch, name, library))

    def test_allow_list_has_no_unused_entries(self):
        imported = {}
        for arch, (_, image) in self.slices.items():
            libraries = [name for _, name in image.dylibs()]
            for _, ordinal, name in image.bindings():
                imported.setdefault((libraries[ordinal - 1], ARCHES[arch][2]), set()).add(name)
        for library, per_target in allow_list().items():
            for target, symbols in per_target.items():
                with self.subTest(library=library, target=target):
                    self.assertEqual(symbols - imported.get((library, target), set()), set(),
                                     "remove these from the stub: no slice imports them")

    def test_reader_agrees_with_the_llvm_tools(self):
        # The checks above rest on our own reading of the file; LLVM's tools
        # read the same slices independently.
        for tool in (NM, OBJDUMP):
            if shutil.which(tool) is None:
                self.fail("%s is needed to cross-check the slices" % tool)
        for arch, (_, image) in self.slices.items():
            with self.subTest(arch=arch):
                undefined = subprocess.run([NM, "--arch=" + arch, "-u", "-j", EXECUTABLE],
                                           check=True, capture_output=True, text=True).stdout.split()
                self.assertEqual(sorted(undefined), sorted(image.undefined_symbols()))
                trie = subprocess.run([OBJDUMP, "--macho", "--arch=" + arch, "--exports-trie", EXECUTABLE],
                                      check=True, capture_output=True, text=True).stdout
                self.assertEqual(sorted(re.findall(r"^0x[0-9A-Fa-f]+\s+(\S+)", trie, re.M)), sorted(image.exports()))

    def test_no_fused_multiply_add_in_any_slice(self):
        if shutil.which(OBJDUMP) is None:
            self.fail("%s is needed to disassemble the slices" % OBJDUMP)
        for arch in ARCHES:
            with self.subTest(arch=arch):
                listing = subprocess.run([OBJDUMP, "--macho", "-d", "--arch=" + arch, EXECUTABLE],
                                         check=True, capture_output=True, text=True).stdout
                self.assertIn("(__TEXT,__text)", listing)
                fused = [line.strip() for line in listing.splitlines() if FMA_PATTERN[arch].search(line)]
                self.assertEqual(fused, [], "contracted multiply-adds in the %s slice" % arch)


class SignatureTests(Bundle):
    def test_each_slice_carries_a_valid_adhoc_linker_signature(self):
        for arch, (_, image) in self.slices.items():
            with self.subTest(arch=arch):
                self.assertEqual(image.verify_signature(), [])
                self.assertEqual(image.signature_flags & (macho.CS_ADHOC | macho.CS_LINKER_SIGNED),
                                 macho.CS_ADHOC | macho.CS_LINKER_SIGNED)
                self.assertEqual(image.signature_identifier, "TINTRA")

    def test_a_flipped_byte_breaks_the_signature_of_its_page(self):
        for arch in ARCHES:
            offset, image = self.slices[arch]
            text = image.segments()["__TEXT"]
            data = image.segments()["__DATA"]
            code_limit = struct.unpack_from("<I", image.data, image.one(macho.LC_CODE_SIGNATURE) + 8)[0]
            cases = [
                ("reserved word of the header", 28),
                ("middle of __TEXT", text[2] + text[3] // 2),
                ("first byte of __DATA", data[2]),
                ("last signed byte", code_limit - 1),
            ]
            for label, position in cases:
                with self.subTest(arch=arch, byte=label):
                    copy = bytearray(self.universal)
                    copy[offset + position] ^= 0x01
                    tampered = slices_of(bytes(copy))[arch][1]
                    problems = tampered.verify_signature()
                    self.assertIn(position // PAGE, _failed_pages(problems), problems)
                    # Only the page that holds the byte may fail.
                    self.assertEqual(_failed_pages(problems), {position // PAGE}, problems)

    def test_a_changed_hash_in_the_signature_is_detected(self):
        for arch in ARCHES:
            offset, image = self.slices[arch]
            dataoff = struct.unpack_from("<I", image.data, image.one(macho.LC_CODE_SIGNATURE) + 8)[0]
            blob = image.data[dataoff:]
            count = struct.unpack_from(">I", blob, 8)[0]
            directory = dict(struct.unpack_from(">II", blob, 12 + 8 * i) for i in range(count))[0]
            hash_offset = struct.unpack_from(">I", blob, directory + 16)[0]
            with self.subTest(arch=arch):
                copy = bytearray(self.universal)
                copy[offset + dataoff + directory + hash_offset + 32 + 5] ^= 0x80  # second page's hash
                self.assertEqual(_failed_pages(slices_of(bytes(copy))[arch][1].verify_signature()), {1})


def _failed_pages(problems):
    return {int(m.group(1)) for p in problems for m in [re.match(r"page (\d+) ", p)] if m}


class InfoPlistTests(Bundle):
    EXPECTED = {
        "CFBundleExecutable": "TINTRA",
        "CFBundleIdentifier": "com.halvecort.AfterEffects.TINTRA",
        "CFBundleInfoDictionaryVersion": "6.0",
        "CFBundleName": "TINTRA",
        "CFBundlePackageType": "eFKT",
        "CFBundleShortVersionString": "1.2.0",
        "CFBundleSignature": "FXTC",
        "CFBundleVersion": "1.2.0",
    }

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        with open(os.path.join(BUNDLE, "Contents", "Info.plist"), "rb") as f:
            cls.plist = plistlib.load(f)

    def test_every_key_and_value(self):
        self.assertEqual(sorted(self.plist), sorted(self.EXPECTED))
        for key, value in self.EXPECTED.items():
            with self.subTest(key=key):
                self.assertEqual(self.plist.get(key), value)

    def test_identifier_is_reverse_domain_ending_in_the_effect(self):
        self.assertRegex(self.plist["CFBundleIdentifier"], r"^[a-z0-9-]+(\.[A-Za-z0-9-]+)+\.AfterEffects\.TINTRA$")

    def test_executable_and_pkginfo_agree_with_the_plist(self):
        self.assertTrue(os.path.isfile(os.path.join(BUNDLE, "Contents", "MacOS", self.plist["CFBundleExecutable"])))
        pkginfo = read(os.path.join(BUNDLE, "Contents", "PkgInfo")).decode("ascii")
        self.assertEqual(pkginfo, self.plist["CFBundlePackageType"] + self.plist["CFBundleSignature"])


def pascal(text):
    return bytes([len(text)]) + text.encode("ascii")


class PiplTests(Bundle):
    URL = "https://github.com/halvecort/TINTRA"
    # (key, declared length, data): big-endian numbers, Pascal texts whose
    # declared length leaves out the padding, 16-bit "eINF" declared as 2.
    EXPECTED = [
        ("kind", 4, b"eFKT"),
        ("name", 7, pascal("TINTRA")),
        ("catg", 17, pascal("Color Correction")),
        ("mi64", 11, pascal("EffectMain")),
        ("ma64", 11, pascal("EffectMain")),
        ("ePVR", 4, struct.pack(">HH", 2, 0)),
        ("eSVR", 4, struct.pack(">HH", 13, 28)),
        ("eVER", 4, struct.pack(">I", 0x00090001)),
        ("eINF", 2, struct.pack(">H", 0)),
        ("eGLO", 4, struct.pack(">I", 0x06000000)),
        ("eGL2", 4, struct.pack(">I", 0x08000000)),
        ("eMNA", 17, pascal("halvecort TINTRA")),
        ("aeFL", 4, struct.pack(">I", 0)),
        ("eURL", 1 + len(URL), pascal(URL)),
    ]

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.resources = rsrc.read_resources(read(os.path.join(BUNDLE, "Contents", "Resources", "TINTRA.rsrc")))

    def test_file_holds_one_unnamed_pipl_16000(self):
        self.assertEqual(list(self.resources), [("PiPL", 16000)])
        self.assertEqual(self.resources[("PiPL", 16000)].name_offset, rsrc.NO_NAME)

    def test_properties_in_order_with_their_values(self):
        version, properties = rsrc.read_mac_pipl(self.resources[("PiPL", 16000)].data)
        self.assertEqual(version, 0)
        self.assertEqual([p[1] for p in properties], [e[0] for e in self.EXPECTED])
        for (vendor, key, pid, length, data, padding), (_, want_length, want_data) in zip(properties, self.EXPECTED):
            with self.subTest(key=key):
                self.assertEqual((vendor, pid), ("8BIM", 0))
                self.assertEqual(length, want_length)
                self.assertEqual(data, want_data)
                self.assertEqual(padding, bytes((-length) % 4))

    def test_code_properties_name_exported_entry_points(self):
        _, properties = rsrc.read_mac_pipl(self.resources[("PiPL", 16000)].data)
        code = {key: data[1:1 + data[0]].decode("ascii") for _, key, _, _, data, _ in properties}
        for key, arch in (("mi64", "x86_64"), ("ma64", "arm64")):
            with self.subTest(key=key):
                self.assertIn("_" + code[key], self.slices[arch][1].exports())


if __name__ == "__main__":
    unittest.main()
