"""Checks the release downloads written by scripts/package against the builds:
each zip holds exactly the built deliverable, byte for byte with its mode, and
the install note of its own platform.

Run by scripts/test.d/40-package.sh with TINTRA_DIST (the folder package
wrote), TINTRA_WINDOWS_BUILD and TINTRA_MACOS_BUILD.
"""

import os
import plistlib
import stat
import sys
import unittest
import zipfile

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(REPO, "scripts"))
import release_zips  # noqa: E402

DIST = os.environ.get("TINTRA_DIST", os.path.join(REPO, "dist"))
AEX = os.path.join(os.environ.get("TINTRA_WINDOWS_BUILD", os.path.join(REPO, "build", "windows")), "TINTRA.aex")
BUNDLE = os.path.join(os.environ.get("TINTRA_MACOS_BUILD", os.path.join(REPO, "build", "macos")), "TINTRA.plugin")


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


class ReleaseZipTest(unittest.TestCase):
    def check_zip(self, zip_name, folder, built, own_section, other_section):
        with zipfile.ZipFile(os.path.join(DIST, zip_name)) as archive:
            entries = {info.filename: info for info in archive.infolist()}
            note = folder + "/INSTALL.txt"
            expected = {folder + "/" + name: path for name, path in built.items()}
            self.assertEqual(sorted(entries), sorted([folder + "/", note] + list(expected)))
            for name, path in expected.items():
                with self.subTest(entry=name):
                    info = entries[name]
                    self.assertEqual(info.create_system, release_zips.ZIP_UNIX)
                    self.assertEqual(info.external_attr >> 16, expected_mode(path))
                    if not name.endswith("/"):
                        with open(path, "rb") as f:
                            self.assertEqual(archive.read(info), f.read())
            text = archive.read(note).decode("utf-8")
            self.assertIn("\n" + own_section + "\n", text)
            self.assertNotIn("\n" + other_section + "\n", text)

    def test_windows_zip_holds_the_built_plugin(self):
        folder = f"TINTRA-{bundle_version()}-windows-x64"
        self.check_zip(folder + ".zip", folder, {"TINTRA.aex": AEX}, "## Windows", "## macOS")

    def test_macos_zip_holds_the_whole_bundle(self):
        folder = f"TINTRA-{bundle_version()}-macos"
        tree = built_tree(BUNDLE, "TINTRA.plugin")
        self.assertEqual(expected_mode(tree["TINTRA.plugin/Contents/MacOS/TINTRA"]), stat.S_IFREG | 0o755)
        self.check_zip(folder + ".zip", folder, tree, "## macOS", "## Windows")

    def test_version_word_decoding(self):
        # (word, major, minor, fix, stage, build); the second sets every bit
        # of every field, with major 9 reaching into the high bits.
        cases = [(0x00090001, 1, 2, 0, 0, 1), (0x040FFFFF, 9, 15, 15, 3, 511)]
        for word, *fields in cases:
            with self.subTest(word=hex(word)):
                self.assertEqual(release_zips.decode_version_word(word), tuple(fields))


if __name__ == "__main__":
    unittest.main()
