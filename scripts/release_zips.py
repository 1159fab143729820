#!/usr/bin/env python3
"""Writes the release downloads: the Windows, macOS and OFX zips and SHA256SUMS.

Files made elsewhere from the same checkout (the Debian package) are given
with --also: they are copied beside the zips and listed in SHA256SUMS, once
their names are checked to carry the zips' version.

Run by scripts/package after the builds (and the optional signing); it only
reads the built files. The version in the names comes from the version word
the Windows build embeds in its property list (eVER), so it is the version the
plug-in reports to the host, never typed a second time; the Info.plist of
both bundles (TINTRA.plugin and TINTRA.ofx.bundle) must agree with it.

The zips are reproducible: entries in a fixed order, every timestamp the
given epoch, modes reduced to 0755 or 0644, one compression level. Each zip
holds one folder named like the zip, with the deliverable, INSTALL.txt
(docs/install.md without the other deliverables' sections) and guide/ (the user
guide with the pictures it shows). Links between the documents are pointed
at their places in the zip; a link to a document the zip does not hold, or to
a section its copy of the note leaves out, goes to the project's copy online.
"""

import argparse
import hashlib
import os
import plistlib
import posixpath
import re
import stat
import struct
import sys
import time
import zipfile

# Unix "made by" system in a zip entry: the external attributes then carry
# st_mode in their high 16 bits, which unzip and macOS's Archive Utility honour.
ZIP_UNIX = 3

# The extended timestamp extra field: its id, then a flags byte (bit 0: the
# modification time follows) and that time as Unix seconds, UTC. The entry's
# own DOS date has no time zone, so unzip tools read it as local time; those
# that know this field (Info-ZIP's unzip, 7-Zip, bsdtar, macOS's ditto) use it
# instead, and the time is the same wherever the zip is unpacked.
EXTENDED_TIMESTAMP = 0x5455

# Where the documents and the guide's pictures go inside each zip's folder.
INSTALL_NOTE = "INSTALL.txt"
GUIDE = "guide/user-guide.md"


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


def windows_property(pipl, code):
    """The data of one property of a Windows property list: a 16-bit word,
    then the list version and property count, then properties (vendor, key,
    id, length, data padded to 4 bytes), all little-endian."""
    if len(pipl) < 10:
        raise ReleaseError("the property list is too short")
    _, _, count = struct.unpack_from("<HII", pipl, 0)
    at = 10
    for _ in range(count):
        if at + 16 > len(pipl):
            break
        _, key, _, length = struct.unpack_from("<4I", pipl, at)
        at += 16
        if key == fourcc(code):
            if at + length > len(pipl):
                raise ReleaseError(f"{code} runs past the property list")
            return pipl[at:at + length]
        at += (length + 3) // 4 * 4
    raise ReleaseError(f"the property list has no {code} property")


def windows_version_word(pipl):
    data = windows_property(pipl, "eVER")
    if len(data) != 4:
        raise ReleaseError("eVER is not one 32-bit word")
    return struct.unpack("<I", data)[0]


def support_url(pipl):
    """The eURL text (length-prefixed, padded): where the project lives."""
    data = windows_property(pipl, "eURL")
    if not data or data[0] + 1 > len(data):
        raise ReleaseError("eURL is not a length-prefixed text")
    return data[1:1 + data[0]].decode("ascii")


def release_version(pipl_path, bundles):
    with open(pipl_path, "rb") as f:
        major, minor, fix, _, build = decode_version_word(windows_version_word(f.read()))
    version = f"{major}.{minor}.{fix}"
    for bundle in bundles:
        with open(os.path.join(bundle, "Contents", "Info.plist"), "rb") as f:
            bundle_version = plistlib.load(f).get("CFBundleShortVersionString")
        if bundle_version != version:
            raise ReleaseError(f"the Windows build is {version} but {bundle}'s Info.plist says {bundle_version}; "
                               "rebuild them all from one checkout")
    return version, build


def install_note(markdown, keep, drop, title):
    """docs/install.md under the given title, with the sections in drop (the
    other deliverables', the list of downloads) left out."""
    if not markdown.startswith("# "):
        raise ReleaseError("docs/install.md does not start with its title")
    markdown = markdown.split("\n", 1)[1]
    sections = re.split(r"(?m)^(?=## )", markdown)
    headings = [s.splitlines()[0] for s in sections if s.startswith("## ")]
    for heading in [keep] + drop:
        if heading not in headings:
            raise ReleaseError(f"docs/install.md has no section '{heading}'")
    kept = [s for s in sections if s.split("\n", 1)[0] not in drop]
    return title + "\n\n" + "".join(kept).strip() + "\n"


LINK = re.compile(r"(\]\()([^)\s]+)(\))")


def anchors(markdown):
    """The anchors of a Markdown text's headings, as GitHub makes them:
    lower case, punctuation other than '-' dropped, spaces as '-'."""
    found = set()
    for heading in re.findall(r"(?m)^#+ +(.+?) *$", markdown):
        found.add(re.sub(r"[^\w\- ]", "", heading.lower()).replace(" ", "-"))
    return found


def linked_paths(markdown):
    """The targets of the relative links and pictures in a Markdown text,
    without their #anchors."""
    targets = [m.group(2).split("#", 1)[0] for m in LINK.finditer(markdown)]
    return [t for t in targets if t and not re.match(r"[a-z]+:", t)]


def relink(markdown, at, places, online, held=None):
    """Points every relative link of a document that lies at `at` in the zip
    to its place there: places maps a path relative to docs/ to a path in the
    zip, and a document not in places is linked at online/<path>, as is a
    section that held (a path's anchors in the zip, where known) lacks, be
    the link in another document or in the same one."""
    held = held or {}
    # The document's own path, for links within it: a section it no longer
    # holds is read online.
    own = next((path for path, place in places.items() if place == at), None)

    def target(match):
        link = match.group(2)
        if re.match(r"[a-z]+:", link):
            return match.group(0)
        if link.startswith("#"):
            if own is None or own not in held or link[1:] in held[own]:
                return match.group(0)
            return match.group(1) + online + "/" + own + link + match.group(3)
        path, _, anchor = link.partition("#")
        if path in places and not (anchor and path in held and anchor not in held[path]):
            place = places[path]
            new = posixpath.relpath(place, posixpath.dirname(at) or ".")
            # A plain-text note has no anchors to jump to.
            if anchor and place.endswith(".md"):
                new += "#" + anchor
        else:
            new = online + "/" + link
        return match.group(1) + new + match.group(3)
    return LINK.sub(target, markdown)


def documents(install_doc, guide_doc, keep, drop, title, online):
    """The pictures the guide shows, as (name in the zip folder, path), and
    the install note and the guide, as (name, bytes). A picture that is
    missing stops the release rather than ship a guide with holes."""
    docs = os.path.dirname(guide_doc)
    with open(install_doc, encoding="utf-8") as f:
        note = install_note(f.read(), keep, drop, title)
    with open(guide_doc, encoding="utf-8") as f:
        guide = f.read()
    pictures = sorted({p for p in linked_paths(guide) if not p.endswith(".md")})
    places = {os.path.basename(install_doc): INSTALL_NOTE, os.path.basename(guide_doc): GUIDE}
    places.update({p: posixpath.join(posixpath.dirname(GUIDE), p) for p in pictures})
    files = []
    for picture in pictures:
        path = os.path.join(docs, picture)
        if not os.path.isfile(path):
            raise ReleaseError(f"{guide_doc} shows {picture}, which does not exist")
        files.append((places[picture], path))
    held = {os.path.basename(install_doc): anchors(note)}
    texts = [(INSTALL_NOTE, relink(note, INSTALL_NOTE, places, online, held).encode("utf-8")),
             (GUIDE, relink(guide, GUIDE, places, online, held).encode("utf-8"))]
    return files, texts


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
    bytes). Folders inside the folder are made as needed. Written beside the
    target and renamed."""
    if not 0 <= epoch < 1 << 32:
        raise ReleaseError(f"the time {epoch} does not fit a zip's extended timestamp")
    date_time = time.gmtime(max(epoch, 315532800))[:6]  # zip dates start in 1980
    # The same field serves the local header and the central directory, as
    # only the modification time is given.
    timestamp = struct.pack("<HHBI", EXTENDED_TIMESTAMP, 5, 1, epoch)

    def info(name, mode):
        entry = zipfile.ZipInfo(folder + "/" + name, date_time)
        entry.extra = timestamp
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
        made = {""}

        def make_parents(name):
            parent = posixpath.dirname(name)
            if parent not in made:
                make_parents(parent)
                archive.writestr(info(parent + "/", stat.S_IFDIR | 0o755), b"")
                made.add(parent)

        for name, source in files:
            make_parents(name)
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
            make_parents(name)
            archive.writestr(info(name, stat.S_IFREG | 0o644), data)
    os.replace(temporary, target)


def also_download(path, version, out):
    """Copies a download made elsewhere into out, written beside its place
    and renamed, and gives its SHA256SUMS line. A Debian version cannot hold
    "-modified" as it is (the part after a hyphen is Debian's revision), so
    "+modified" stands for it there."""
    name = os.path.basename(path)
    spellings = {version, version.replace("-modified", "+modified")}
    if not any(f"_{spelling}_" in name or f"-{spelling}-" in name for spelling in spellings):
        raise ReleaseError(f"{name} does not carry version {version}; build it from the same checkout")
    target = os.path.join(out, name)
    with open(path, "rb") as source, open(target + ".tmp", "wb") as copy:
        copy.write(source.read())
    os.replace(target + ".tmp", target)
    print(f"package: {target}", file=sys.stderr)
    return f"{sha256(target)}  {name}\n"


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def main():
    parser = argparse.ArgumentParser(
        description="Writes TINTRA-<version>-windows-x64.zip, TINTRA-<version>-macos.zip, "
                    "TINTRA-<version>-ofx.zip and SHA256SUMS.")
    parser.add_argument("--aex", required=True, help="the Windows plug-in to ship (signed or not)")
    parser.add_argument("--pipl", required=True, help="the Windows build's property list (pipl.bin)")
    parser.add_argument("--bundle", required=True, help="the TINTRA.plugin folder")
    parser.add_argument("--ofx-bundle", required=True, help="the TINTRA.ofx.bundle folder")
    parser.add_argument("--install-doc", required=True, help="docs/install.md")
    parser.add_argument("--guide-doc", required=True, help="docs/user-guide.md (its pictures beside it)")
    parser.add_argument("--epoch", required=True, type=int, help="timestamp of every entry, in Unix seconds")
    parser.add_argument("--modified", action="store_true",
                        help="the builds come from a tree with uncommitted changes: say so in every name")
    parser.add_argument("--also", action="append", default=[],
                        help="one more download (repeatable), such as tintra_<version>_amd64.deb: "
                             "its name must hold the version; copied to --out and listed in SHA256SUMS")
    parser.add_argument("--out", required=True, help="folder for the zips and SHA256SUMS")
    args = parser.parse_args()

    try:
        version, build = release_version(args.pipl, [args.bundle, args.ofx_bundle])
        with open(args.pipl, "rb") as f:
            online = support_url(f.read()) + "/blob/main/docs"
        os.makedirs(args.out, exist_ok=True)
        about = f"version {version} (build {build})"
        if args.modified:
            version += "-modified"
            about += ", built from uncommitted changes"
        # The After Effects sections mean nothing to an OFX host, and the OFX
        # section nothing to After Effects.
        after_effects = ["## Which After Effects", "## Checking that it loaded", "## Removing it",
                         "## When it does not appear", "## 32-bpc projects"]
        # The Debian package is a download of its own, with its own section.
        platforms = [("windows-x64", "Windows x64", "TINTRA.aex", args.aex, "## Windows",
                      ["## macOS", "## OFX hosts", "## The Debian package"]),
                     ("macos", "macOS", "TINTRA.plugin", args.bundle, "## macOS",
                      ["## Windows", "## OFX hosts", "## The Debian package"]),
                     ("ofx", "OFX hosts", "TINTRA.ofx.bundle", args.ofx_bundle, "## OFX hosts",
                      ["## Windows", "## macOS", "## The Debian package"] + after_effects)]
        sums = []
        for platform, name, deliverable, source, keep, others in platforms:
            folder = f"TINTRA-{version}-{platform}"
            pictures, texts = documents(args.install_doc, args.guide_doc, keep, others + ["## Downloads"],
                                        f"# Installing TINTRA for {name}, {about}", online)
            target = os.path.join(args.out, folder + ".zip")
            write_zip(target, folder, [(deliverable, source)] + pictures, texts, args.epoch)
            sums.append(f"{sha256(target)}  {folder}.zip\n")
            print(f"package: {target}", file=sys.stderr)
        for path in args.also:
            sums.append(also_download(path, version, args.out))
        with open(os.path.join(args.out, "SHA256SUMS.tmp"), "w", encoding="ascii") as f:
            f.writelines(sums)
        os.replace(os.path.join(args.out, "SHA256SUMS.tmp"), os.path.join(args.out, "SHA256SUMS"))
    except (OSError, ReleaseError) as error:
        print(f"package: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
