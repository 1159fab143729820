#!/usr/bin/env python3
"""Writes the release downloads: the Windows and macOS zips and SHA256SUMS.

Run by scripts/package after the builds (and the optional signing); it only
reads the built files. The version in the names comes from the version word
the Windows build embeds in its property list (eVER), so it is the version the
plug-in reports to the host, never typed a second time; the bundle's
Info.plist must agree with it.

The zips are reproducible: entries in a fixed order, every timestamp the
given epoch, modes reduced to 0755 or 0644, one compression level, no extra
fields. Each zip holds one folder named like the zip, with the deliverable
and INSTALL.txt (docs/install.md without the other platform's section).
"""

import argparse
import hashlib
import os
import plistlib
import re
import stat
import struct
import sys
import time
import zipfile

# Unix "made by" system in a zip entry: the external attributes then carry
# st_mode in their high 16 bits, which unzip and macOS's Archive Utility honour.
ZIP_UNIX = 3


class ReleaseError(Exception):
    pass


def fourcc(code):
    return struct.unpack(">I", code.encode("ascii"))[0]


def decode_version_word(word):
    """(major, minor, fix, stage, build) from the host's version word: build in
    bits 0-8, stage 9-10, fix 11-14, minor 15-18, major 19-21 and its high
    bits 26-29."""
    major = ((word >> 26) & 0xF) << 3 | (word >> 19) & 7
    return major, (word >> 15) & 0xF, (word >> 11) & 0xF, (word >> 9) & 3, word & 0x1FF


def windows_version_word(pipl):
    """The eVER value of a Windows property list: a 16-bit word, then the list
    version and property count, then properties (vendor, key, id, length,
    data padded to 4 bytes), all little-endian."""
    if len(pipl) < 10:
        raise ReleaseError("the property list is too short")
    _, _, count = struct.unpack_from("<HII", pipl, 0)
    at = 10
    for _ in range(count):
        if at + 16 > len(pipl):
            break
        _, key, _, length = struct.unpack_from("<4I", pipl, at)
        at += 16
        if key == fourcc("eVER"):
            if length != 4 or at + 4 > len(pipl):
                raise ReleaseError("eVER is not one 32-bit word")
            return struct.unpack_from("<I", pipl, at)[0]
        at += (length + 3) // 4 * 4
    raise ReleaseError("the property list has no eVER property")


def release_version(pipl_path, bundle):
    with open(pipl_path, "rb") as f:
        major, minor, fix, _, build = decode_version_word(windows_version_word(f.read()))
    version = f"{major}.{minor}.{fix}"
    with open(os.path.join(bundle, "Contents", "Info.plist"), "rb") as f:
        bundle_version = plistlib.load(f).get("CFBundleShortVersionString")
    if bundle_version != version:
        raise ReleaseError(f"the Windows build is {version} but the bundle's Info.plist says {bundle_version}; "
                           "rebuild both from one checkout")
    return version, build


def install_note(markdown, keep, drop, title):
    """docs/install.md under the given title, with the section of the other
    platform left out."""
    if not markdown.startswith("# "):
        raise ReleaseError("docs/install.md does not start with its title")
    markdown = markdown.split("\n", 1)[1]
    sections = re.split(r"(?m)^(?=## )", markdown)
    headings = [s.splitlines()[0] for s in sections if s.startswith("## ")]
    for heading in (keep, drop):
        if heading not in headings:
            raise ReleaseError(f"docs/install.md has no section '{heading}'")
    kept = [s for s in sections if not s.startswith(drop + "\n")]
    return (title + "\n\n" + "".join(kept).strip() + "\n").encode("utf-8")


def normalised_mode(st_mode):
    """Only what a user needs: executable or not. The build's umask must not
    change the zip."""
    if stat.S_ISDIR(st_mode):
        return stat.S_IFDIR | 0o755
    return stat.S_IFREG | (0o755 if st_mode & stat.S_IXUSR else 0o644)


def tree_entries(source, name):
    """(name in the zip, path) for a file or a whole folder, folders before
    their contents, names in byte order; symbolic links are refused, since
    a bundle that needs one cannot be checked here."""
    entries = []
    if os.path.islink(source):
        raise ReleaseError(f"{source}: a symbolic link")
    for path, dirs, files in os.walk(source):
        dirs.sort()
        for sub in dirs:
            if os.path.islink(os.path.join(path, sub)):
                raise ReleaseError(f"{os.path.join(path, sub)}: a symbolic link")
        relative = os.path.relpath(path, source)
        folder = name if relative == "." else name + "/" + relative.replace(os.sep, "/")
        entries.append((folder + "/", path))
        for file in sorted(files):
            full = os.path.join(path, file)
            if os.path.islink(full) or not os.path.isfile(full):
                raise ReleaseError(f"{full}: not a regular file")
            entries.append((folder + "/" + file, full))
    return entries


def write_zip(target, folder, files, texts, epoch):
    """files: (name inside the folder, path or folder on disk); texts: (name,
    bytes). Written beside the target and renamed."""
    date_time = time.gmtime(max(epoch, 315532800))[:6]  # zip dates start in 1980

    def info(name, mode):
        entry = zipfile.ZipInfo(folder + "/" + name, date_time)
        entry.create_system = ZIP_UNIX
        entry.external_attr = mode << 16
        if stat.S_ISDIR(mode):
            entry.external_attr |= 0x10  # the DOS folder flag, for Windows tools
        else:
            entry.compress_type = zipfile.ZIP_DEFLATED
        return entry

    temporary = target + ".tmp"
    with zipfile.ZipFile(temporary, "w", compresslevel=9) as archive:
        archive.writestr(info("", stat.S_IFDIR | 0o755), b"")
        for name, source in files:
            if os.path.isdir(source):
                entries = tree_entries(source, name)
            else:
                entries = [(name, source)]
            for entry_name, path in entries:
                mode = normalised_mode(os.stat(path).st_mode)
                if stat.S_ISDIR(mode):
                    archive.writestr(info(entry_name, mode), b"")
                else:
                    with open(path, "rb") as f:
                        archive.writestr(info(entry_name, mode), f.read())
        for name, data in texts:
            archive.writestr(info(name, stat.S_IFREG | 0o644), data)
    os.replace(temporary, target)


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def main():
    parser = argparse.ArgumentParser(
        description="Writes TINTRA-<version>-windows-x64.zip, TINTRA-<version>-macos.zip and SHA256SUMS.")
    parser.add_argument("--aex", required=True, help="the Windows plug-in to ship (signed or not)")
    parser.add_argument("--pipl", required=True, help="the Windows build's property list (pipl.bin)")
    parser.add_argument("--bundle", required=True, help="the TINTRA.plugin folder")
    parser.add_argument("--install-doc", required=True, help="docs/install.md")
    parser.add_argument("--epoch", required=True, type=int, help="timestamp of every entry, in Unix seconds")
    parser.add_argument("--out", required=True, help="folder for the zips and SHA256SUMS")
    args = parser.parse_args()

    try:
        version, build = release_version(args.pipl, args.bundle)
        with open(args.install_doc, encoding="utf-8") as f:
            markdown = f.read()
        os.makedirs(args.out, exist_ok=True)
        about = f"version {version} (build {build})"
        downloads = [
            (f"TINTRA-{version}-windows-x64", [("TINTRA.aex", args.aex)],
             install_note(markdown, "## Windows", "## macOS", f"# Installing TINTRA for Windows x64, {about}")),
            (f"TINTRA-{version}-macos", [("TINTRA.plugin", args.bundle)],
             install_note(markdown, "## macOS", "## Windows", f"# Installing TINTRA for macOS, {about}")),
        ]
        sums = []
        for folder, files, note in downloads:
            target = os.path.join(args.out, folder + ".zip")
            write_zip(target, folder, files, [("INSTALL.txt", note)], args.epoch)
            sums.append(f"{sha256(target)}  {folder}.zip\n")
            print(f"package: {target}", file=sys.stderr)
        with open(os.path.join(args.out, "SHA256SUMS.tmp"), "w", encoding="ascii") as f:
            f.writelines(sums)
        os.replace(os.path.join(args.out, "SHA256SUMS.tmp"), os.path.join(args.out, "SHA256SUMS"))
    except (OSError, ReleaseError) as error:
        print(f"package: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
