"""Checks the release downloads written by scripts/package against the builds:
each zip holds exactly the built deliverable, byte for byte with its mode, the
install note of its own platform and the user guide with its pictures, every
link pointing at something the zip holds, every entry dated in UTC.

Run by scripts/test.d/40-package.sh with TINTRA_DIST (the folder package
wrote), TINTRA_SIGNED_DIST (the same, signed), TINTRA_EPOCH (the entries'
time), TINTRA_MODIFIED (1 if the tree had uncommitted changes),
TINTRA_WINDOWS_BUILD, TINTRA_MACOS_BUILD and TINTRA_OFX_BUILD.
"""

import os
import plistlib
import posixpath
import re
import stat
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(REPO, "scripts"))
import release_zips  # noqa: E402

DIST = os.environ.get("TINTRA_DIST", os.path.join(REPO, "dist"))
SIGNED_DIST = os.environ.get("TINTRA_SIGNED_DIST")
EPOCH = int(os.environ["TINTRA_EPOCH"]) if "TINTRA_EPOCH" in os.environ else None
SUFFIX = "-modified" if os.environ.get("TINTRA_MODIFIED") == "1" else ""
DOCS = os.path.join(REPO, "docs")

# Words that belong to one zip's steps only: the other zips' notes must not
# hold them. The OFX note has checks and folders for all three platforms, so
# only the After Effects plug-ins' own words are kept out of it.
PLATFORM_WORDS = {
    "windows-x64": ["TINTRA.aex", "Get-FileHash", "Get-AuthenticodeSignature", "C:\\"],
    "macos": ["TINTRA.plugin", "xattr", "shasum", "ditto", "codesign", "/Applications/"],
    "ofx": ["TINTRA.ofx.bundle", "OFX_PLUGIN_PATH", "/usr/OFX/Plugins"],
}
FORBIDDEN_WORDS = {
    "windows-x64": PLATFORM_WORDS["macos"] + PLATFORM_WORDS["ofx"],
    "macos": PLATFORM_WORDS["windows-x64"] + PLATFORM_WORDS["ofx"],
    "ofx": ["TINTRA.aex", "TINTRA.plugin", "Get-AuthenticodeSignature", "codesign", "/Applications/",
            "After Effects <version>"],
}
AEX = os.path.join(os.environ.get("TINTRA_WINDOWS_BUILD", os.path.join(REPO, "build", "windows")), "TINTRA.aex")
BUNDLE = os.path.join(os.environ.get("TINTRA_MACOS_BUILD", os.path.join(REPO, "build", "macos")), "TINTRA.plugin")
OFX_BUNDLE = os.path.join(os.environ.get("TINTRA_OFX_BUILD", os.path.join(REPO, "build", "ofx")), "TINTRA.ofx.bundle")


def bundle_version():
    with open(os.path.join(BUNDLE, "Contents", "Info.plist"), "rb") as f:
        return plistlib.load(f)["CFBundleShortVersionString"]


def expected_mode(path):
    """What the zip must carry: the built file's executable bit, as a user's
    unzip will restore it."""
    st_mode = os.stat(path).st_mode
    if stat.S_ISDIR(st_mode):
        return stat.S_IFDIR | 0o755
    return stat.S_IFREG | (0o755 if st_mode & stat.S_IXUSR else 0o644)


def built_tree(folder, name):
    """{name in the zip: path} for the folder itself and everything in it."""
    tree = {name + "/": folder}
    for path, dirs, files in os.walk(folder):
        relative = os.path.relpath(path, folder).replace(os.sep, "/")
        prefix = name + "/" if relative == "." else name + "/" + relative + "/"
        for d in dirs:
            tree[prefix + d + "/"] = os.path.join(path, d)
        for f in files:
            tree[prefix + f] = os.path.join(path, f)
    return tree


def relative_links(text):
    """Targets of the relative Markdown links and pictures, without anchors."""
    targets = [t.split("#", 1)[0] for t in re.findall(r"\]\(([^)\s]+)\)", text)]
    return [t for t in targets if t and not re.match(r"[a-z]+:", t)]


class ReleaseZipTest(unittest.TestCase):
    def check_zip(self, platform, built, own_section, other_sections):
        folder = f"TINTRA-{bundle_version()}{SUFFIX}-{platform}"
        with zipfile.ZipFile(os.path.join(DIST, folder + ".zip")) as archive:
            entries = {info.filename: info for info in archive.infolist()}
            note = folder + "/INSTALL.txt"
            guide = folder + "/guide/user-guide.md"
            expected = {folder + "/" + name: path for name, path in built.items()}
            shipped_docs = [name for name in entries if name.startswith(folder + "/guide/")]
            self.assertEqual(sorted(entries), sorted([folder + "/", note] + list(expected) + shipped_docs))
            self.check_documents(archive, folder, entries)
            text = archive.read(note).decode("utf-8")
            self.assertIn("\n" + own_section + "\n", text)
            for other_section in other_sections:
                self.assertNotIn("\n" + other_section + "\n", text)
            for word in FORBIDDEN_WORDS[platform]:
                with self.subTest(word=word):
                    self.assertNotIn(word, text + archive.read(guide).decode("utf-8"))
            # The note names the deliverable it comes with.
            self.assertTrue(any(word in text for word in PLATFORM_WORDS[platform]))
            for name, path in expected.items():
                with self.subTest(entry=name):
                    info = entries[name]
                    self.assertEqual(info.create_system, release_zips.ZIP_UNIX)
                    self.assertEqual(info.external_attr >> 16, expected_mode(path))
                    if not name.endswith("/"):
                        with open(path, "rb") as f:
                            self.assertEqual(archive.read(info), f.read())

    def check_documents(self, archive, folder, entries):
        """The guide's pictures are those of docs/, each shown by the guide,
        and no link of the note or the guide points outside the zip."""
        guide_links = relative_links(archive.read(folder + "/guide/user-guide.md").decode("utf-8"))
        for name in entries:
            if name.startswith(folder + "/guide/") and name.endswith(".png"):
                relative = name[len(folder + "/guide/"):]
                with self.subTest(picture=relative):
                    self.assertIn(relative, guide_links)
                    with open(os.path.join(DOCS, relative), "rb") as f:
                        self.assertEqual(archive.read(name), f.read())
        for document in ("INSTALL.txt", "guide/user-guide.md"):
            for link in relative_links(archive.read(folder + "/" + document).decode("utf-8")):
                with self.subTest(document=document, link=link):
                    target = posixpath.normpath(posixpath.join(folder, posixpath.dirname(document), link))
                    self.assertIn(target, entries)
        # A section of the note that this zip leaves out is linked online.
        note = archive.read(folder + "/INSTALL.txt").decode("utf-8")
        guide = archive.read(folder + "/guide/user-guide.md").decode("utf-8")
        with open(os.path.join(DOCS, "user-guide.md"), encoding="utf-8") as f:
            sections = set(re.findall(r"\]\(install\.md#([^)\s]+)\)", f.read()))
        for section in sections:
            with self.subTest(section=section):
                held = section in release_zips.anchors(note)
                self.assertEqual(held, "/docs/install.md#" + section + ")" not in guide)
        # A link within the note goes to a section it holds.
        for anchor in re.findall(r"\]\(#([^)\s]+)\)", note):
            with self.subTest(anchor=anchor):
                self.assertIn(anchor, release_zips.anchors(note))

    def test_windows_zip_holds_the_built_plugin(self):
        self.check_zip("windows-x64", {"TINTRA.aex": AEX}, "## Windows", ["## macOS", "## OFX hosts", "## The Debian package"])

    def test_macos_zip_holds_the_whole_bundle(self):
        tree = built_tree(BUNDLE, "TINTRA.plugin")
        self.assertEqual(expected_mode(tree["TINTRA.plugin/Contents/MacOS/TINTRA"]), stat.S_IFREG | 0o755)
        self.check_zip("macos", tree, "## macOS", ["## Windows", "## OFX hosts", "## The Debian package"])

    def test_ofx_zip_holds_the_whole_bundle(self):
        tree = built_tree(OFX_BUNDLE, "TINTRA.ofx.bundle")
        binaries = [f"TINTRA.ofx.bundle/Contents/{p}/TINTRA.ofx" for p in ("Linux-x86-64", "Win64", "MacOS")]
        for binary in binaries:
            self.assertEqual(expected_mode(tree[binary]), stat.S_IFREG | 0o755, binary)
        self.check_zip("ofx", tree, "## OFX hosts",
                       ["## Windows", "## macOS", "## The Debian package", "## Which After Effects"])
        # The bundle's Info.plist is the one the zip's name was taken from.
        with open(os.path.join(OFX_BUNDLE, "Contents", "Info.plist"), "rb") as f:
            self.assertEqual(plistlib.load(f)["CFBundleShortVersionString"], bundle_version())

    def test_a_bundle_of_another_version_stops_the_release(self):
        with tempfile.TemporaryDirectory() as other:
            os.makedirs(os.path.join(other, "Contents"))
            with open(os.path.join(other, "Contents", "Info.plist"), "wb") as f:
                plistlib.dump({"CFBundleShortVersionString": "0.9.0"}, f)
            pipl = os.path.join(os.path.dirname(AEX), "platform", "windows", "pipl.bin")
            self.assertEqual(release_zips.release_version(pipl, [BUNDLE, OFX_BUNDLE])[0], bundle_version())
            with self.assertRaisesRegex(release_zips.ReleaseError, "0.9.0"):
                release_zips.release_version(pipl, [BUNDLE, other])

    @unittest.skipUnless(EPOCH is not None, "TINTRA_EPOCH is not set")
    def test_entries_are_dated_in_utc_wherever_unzipped(self):
        timestamp = struct.pack("<HHBI", 0x5455, 5, 1, EPOCH)
        for zip_name in sorted(n for n in os.listdir(DIST) if n.endswith(".zip")):
            with zipfile.ZipFile(os.path.join(DIST, zip_name)) as archive:
                for info in archive.infolist():
                    with self.subTest(entry=info.filename):
                        self.assertEqual(info.extra, timestamp)
            # Unzipped on either side of the date line, the times are the same.
            for zone in ("Pacific/Kiritimati", "America/Los_Angeles"):
                with self.subTest(zip=zip_name, zone=zone), tempfile.TemporaryDirectory() as into:
                    subprocess.run(["unzip", "-q", os.path.join(DIST, zip_name), "-d", into], check=True,
                                   env=dict(os.environ, TZ=zone))
                    for path, _, files in os.walk(into):
                        for f in files:
                            self.assertEqual(os.stat(os.path.join(path, f)).st_mtime, EPOCH, f)

    @unittest.skipUnless(SIGNED_DIST, "TINTRA_SIGNED_DIST is not set")
    def test_signing_changes_only_the_plugin_bytes(self):
        name = f"TINTRA-{bundle_version()}{SUFFIX}-windows-x64"
        with zipfile.ZipFile(os.path.join(DIST, name + ".zip")) as unsigned, \
                zipfile.ZipFile(os.path.join(SIGNED_DIST, name + ".zip")) as signed:
            for a, b in zip(unsigned.infolist(), signed.infolist(), strict=True):
                with self.subTest(entry=a.filename):
                    self.assertEqual((a.filename, a.external_attr, a.extra, a.date_time),
                                     (b.filename, b.external_attr, b.extra, b.date_time))
                    same = unsigned.read(a) == signed.read(b)
                    self.assertEqual(same, not a.filename.endswith("/TINTRA.aex"))

    def test_version_word_decoding(self):
        # (word, major, minor, fix, stage, build); the second sets every bit
        # of every field, with major 9 reaching into the high bits.
        cases = [(0x00090001, 1, 2, 0, 0, 1), (0x040FFFFF, 9, 15, 15, 3, 511)]
        for word, *fields in cases:
            with self.subTest(word=hex(word)):
                self.assertEqual(release_zips.decode_version_word(word), tuple(fields))


if __name__ == "__main__":
    unittest.main()
