"""The AE host stand-in's Mach-O loader refuses a bundle it must not run.

usage: loader_refusals.py BUNDLE ARCH COMMAND...

Makes four altered copies of BUNDLE and runs COMMAND on each, with {plugin}
in COMMAND replaced by the copy's path; COMMAND must load the plug-in
through the AE host stand-in (tintra info --plugin {plugin}, or
tintra_platform_check check {plugin}) on a host that runs the ARCH slice:

- one byte of the ARCH slice's code changed: refused, for its signature;
- one import of the ARCH slice renamed to a symbol the host does not offer,
  and the slice signed again so that the signature holds: refused, naming
  the symbol;
- the universal header's entry for the ARCH slice marked as another
  processor: refused, saying there is no ARCH slice;
- the resource file's property list naming other global flags than the
  code reports: the host warns and global set-up fails.

Each must exit non-zero with the reason in its output. Exit status 0 when
all are refused as expected, 1 otherwise.
"""

import hashlib
import os
import shutil
import struct
import subprocess
import sys
import tempfile

import macho_reader as macho

# Renamed imports keep their length, so nothing else in the file moves.
RENAMES = {"_cbrtf": "_cbrtq"}


def slice_range(data, arch):
    for cputype, offset, size in macho.fat_slices(data):
        if macho.ARCH_NAMES.get(cputype) == arch:
            return offset, size
    raise SystemExit("loader_refusals: the bundle has no %s slice" % arch)


def text_offset(image):
    """File offset of the first byte of __TEXT,__text in a slice."""
    for offset in image.find(macho.LC_SEGMENT_64):
        nsects = struct.unpack_from("<I", image.data, offset + 64)[0]
        for k in range(nsects):
            at = offset + 72 + 80 * k
            if image.data[at:at + 16].rstrip(b"\0") == b"__text":
                return struct.unpack_from("<I", image.data, at + 48)[0]
    raise SystemExit("loader_refusals: no __text section")


def resign(image_bytes):
    """The slice with every page hash of its code directory recomputed."""
    data = bytearray(image_bytes)
    image = macho.Slice(bytes(data))
    dataoff, _ = struct.unpack_from("<II", image.data, image.one(macho.LC_CODE_SIGNATURE) + 8)
    count = struct.unpack_from(">I", data, dataoff + 8)[0]
    for i in range(count):
        slot, offset = struct.unpack_from(">II", data, dataoff + 12 + 8 * i)
        if slot != macho.CSSLOT_CODEDIRECTORY:
            continue
        cd = dataoff + offset
        hash_offset, _ident, _special, n_code, code_limit = struct.unpack_from(">IIIII", data, cd + 16)
        page = 1 << data[cd + 39]
        for p in range(n_code):
            start = p * page
            digest = hashlib.sha256(bytes(data[start:min(start + page, code_limit)])).digest()
            data[cd + hash_offset + 32 * p:cd + hash_offset + 32 * (p + 1)] = digest
        return bytes(data)
    raise SystemExit("loader_refusals: no code directory")


def altered_bundle(bundle, workdir, name, arch, alter):
    copy = os.path.join(workdir, name, "TINTRA.plugin")
    shutil.copytree(bundle, copy)
    executable = os.path.join(copy, "Contents", "MacOS", "TINTRA")
    with open(executable, "rb") as f:
        data = bytearray(f.read())
    offset, size = slice_range(bytes(data), arch)
    data[offset:offset + size] = alter(bytes(data[offset:offset + size]))
    with open(executable, "wb") as f:
        f.write(data)
    return copy


def flip_code_byte(image_bytes):
    data = bytearray(image_bytes)
    data[text_offset(macho.Slice(image_bytes)) + 16] ^= 0x01
    return bytes(data)


def rename_import(image_bytes):
    data = image_bytes
    for old, new in RENAMES.items():
        needle = old.encode() + b"\0"
        if data.count(needle) < 1:
            raise SystemExit("loader_refusals: the slice does not import %s" % old)
        data = data.replace(needle, new.encode() + b"\0")
    return resign(data)


def without_slice(bundle, workdir, arch):
    copy = os.path.join(workdir, "no-slice", "TINTRA.plugin")
    shutil.copytree(bundle, copy)
    executable = os.path.join(copy, "Contents", "MacOS", "TINTRA")
    with open(executable, "rb") as f:
        data = bytearray(f.read())
    for i, (cputype, _, _) in enumerate(macho.fat_slices(bytes(data))):
        if macho.ARCH_NAMES.get(cputype) == arch:
            struct.pack_into(">I", data, 8 + 20 * i, 0x01000012)  # 64-bit PowerPC
    with open(executable, "wb") as f:
        f.write(data)
    return copy


def other_property_list_flags(bundle, workdir):
    copy = os.path.join(workdir, "other-flags", "TINTRA.plugin")
    shutil.copytree(bundle, copy)
    resources = os.path.join(copy, "Contents", "Resources", "TINTRA.rsrc")
    with open(resources, "rb") as f:
        data = bytearray(f.read())
    # Vendor, key, id, length, then the big-endian value.
    at = data.find(b"8BIMeGLO")
    if at < 0:
        raise SystemExit("loader_refusals: the resource file has no eGLO property")
    struct.pack_into(">I", data, at + 16, struct.unpack_from(">I", data, at + 16)[0] ^ 0x04000000)
    with open(resources, "wb") as f:
        f.write(data)
    return copy


def refused(command, plugin, expected):
    argv = [part.replace("{plugin}", plugin) for part in command]
    result = subprocess.run(argv, capture_output=True, text=True, timeout=300)
    output = result.stdout + result.stderr
    if result.returncode != 0 and expected in output:
        print("refused as expected (exit %d): %s" % (result.returncode, output.strip().splitlines()[-1]))
        return True
    print("NOT refused as expected (exit %d, wanted \"%s\"):\n%s" % (result.returncode, expected, output))
    return False


def main(argv):
    if len(argv) < 4 or argv[1] in ("-h", "--help"):
        print(__doc__.strip())
        return 0 if len(argv) > 1 and argv[1] in ("-h", "--help") else 2
    bundle, arch, command = argv[1], argv[2], argv[3:]
    with tempfile.TemporaryDirectory() as workdir:
        tampered = altered_bundle(bundle, workdir, "tampered", arch, flip_code_byte)
        unknown = altered_bundle(bundle, workdir, "unknown-import", arch, rename_import)
        ok = refused(command, tampered, "code signature does not match")
        ok = refused(command, unknown, "imports %s" % RENAMES["_cbrtf"]) and ok
        ok = refused(command, without_slice(bundle, workdir, arch), "has no %s slice" % arch) and ok
        ok = refused(command, other_property_list_flags(bundle, workdir), "differ from global set-up") and ok
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
