"""Reads what the bundle tests need from a Mach-O file, with no tool from a Mac.

Universal (fat) headers, the load commands of a 64-bit slice, the symbol table,
the dyld bind opcodes (what the loader will actually look up, and in which
library), the export trie, and the linker's ad-hoc code signature, whose page
hashes are recomputed here because no Debian tool can verify them.
"""

import hashlib
import struct

FAT_MAGIC = 0xCAFEBABE
MH_MAGIC_64 = 0xFEEDFACF

CPU_TYPE_X86_64 = 0x01000007
CPU_TYPE_ARM64 = 0x0100000C
ARCH_NAMES = {CPU_TYPE_X86_64: "x86_64", CPU_TYPE_ARM64: "arm64"}

MH_BUNDLE = 8
MH_NOUNDEFS = 0x1
MH_DYLDLINK = 0x4
MH_TWOLEVEL = 0x80

LC_SEGMENT_64 = 0x19
LC_SYMTAB = 0x2
LC_LOAD_DYLIB = 0xC
LC_LOAD_WEAK_DYLIB = 0x80000018
LC_REEXPORT_DYLIB = 0x8000001F
LC_LAZY_LOAD_DYLIB = 0x20
LC_LOAD_UPWARD_DYLIB = 0x80000023
DYLIB_COMMANDS = (LC_LOAD_DYLIB, LC_LOAD_WEAK_DYLIB, LC_REEXPORT_DYLIB,
                  LC_LAZY_LOAD_DYLIB, LC_LOAD_UPWARD_DYLIB)
LC_CODE_SIGNATURE = 0x1D
LC_DYLD_INFO_ONLY = 0x80000022
LC_DYLD_INFO = 0x22
LC_DYLD_EXPORTS_TRIE = 0x80000033
LC_DYLD_CHAINED_FIXUPS = 0x80000034
LC_VERSION_MIN_MACOSX = 0x24
LC_BUILD_VERSION = 0x32
LC_RPATH = 0x8000001C
LC_LOAD_DYLINKER = 0xE

N_EXT = 0x01
N_TYPE = 0x0E
N_UNDF = 0x0
N_SECT = 0xE
N_STAB = 0xE0

CSMAGIC_EMBEDDED_SIGNATURE = 0xFADE0CC0
CSMAGIC_CODEDIRECTORY = 0xFADE0C02
CSSLOT_CODEDIRECTORY = 0
CSSLOT_SIGNATURESLOT = 0x10000
CS_ADHOC = 0x2
CS_LINKER_SIGNED = 0x20000
CS_HASHTYPE_SHA256 = 2


class MachOError(Exception):
    pass


def fat_slices(data):
    """(cputype, offset, size) of each slice of a universal file."""
    if len(data) < 8:
        raise MachOError("file too short for a universal header")
    magic, count = struct.unpack_from(">II", data, 0)
    if magic != FAT_MAGIC:
        raise MachOError("not a universal file (magic 0x%08x)" % magic)
    slices = []
    for i in range(count):
        cputype, _subtype, offset, size, _align = struct.unpack_from(">iiIII", data, 8 + 20 * i)
        if offset + size > len(data):
            raise MachOError("slice %d runs past the end of the file" % i)
        slices.append((cputype & 0xFFFFFFFF, offset, size))
    return slices


def _uleb(data, pos):
    result = shift = 0
    while True:
        byte = data[pos]
        pos += 1
        result |= (byte & 0x7F) << shift
        shift += 7
        if byte < 0x80:
            return result, pos


def _sleb(data, pos):
    # The same groups of seven bits as the unsigned form; bit 6 of the last
    # byte is the sign.
    result, end = _uleb(data, pos)
    if data[end - 1] & 0x40:
        result -= 1 << (7 * (end - pos))
    return result, end


def _cstring(data, pos):
    end = data.index(b"\0", pos)
    return data[pos:end].decode("ascii"), end + 1


class Slice:
    """One thin 64-bit Mach-O image (bytes relative to its own start)."""

    def __init__(self, data):
        self.data = bytes(data)
        if len(self.data) < 32:
            raise MachOError("file too short for a Mach-O header")
        (magic, self.cputype, self.cpusubtype, self.filetype, ncmds, sizeofcmds,
         self.flags, _reserved) = struct.unpack_from("<IiiIIIII", self.data, 0)
        if magic != MH_MAGIC_64:
            raise MachOError("not a 64-bit Mach-O image (magic 0x%08x)" % magic)
        self.cputype &= 0xFFFFFFFF
        self.commands = []  # (cmd, offset of the command, its size)
        pos = 32
        for _ in range(ncmds):
            cmd, size = struct.unpack_from("<II", self.data, pos)
            if size < 8 or pos + size > 32 + sizeofcmds:
                raise MachOError("load command at %d has a bad size" % pos)
            self.commands.append((cmd, pos, size))
            pos += size

    @property
    def arch(self):
        return ARCH_NAMES.get(self.cputype, "cpu 0x%x" % self.cputype)

    def find(self, cmd):
        return [offset for c, offset, _ in self.commands if c == cmd]

    def one(self, cmd):
        found = self.find(cmd)
        if len(found) != 1:
            raise MachOError("expected one load command 0x%x, found %d" % (cmd, len(found)))
        return found[0]

    # --- layout -------------------------------------------------------------

    def segments(self):
        """name -> (vmaddr, vmsize, fileoff, filesize)"""
        result = {}
        for offset in self.find(LC_SEGMENT_64):
            name = self.data[offset + 8:offset + 24].rstrip(b"\0").decode("ascii")
            result[name] = struct.unpack_from("<QQQQ", self.data, offset + 24)
        return result

    def min_os(self):
        """(load command, minimum OS version as 'major.minor')"""
        for cmd, offset, _ in self.commands:
            if cmd == LC_VERSION_MIN_MACOSX:
                version = struct.unpack_from("<I", self.data, offset + 8)[0]
                return "LC_VERSION_MIN_MACOSX", _version(version)
            if cmd == LC_BUILD_VERSION:
                platform, minos = struct.unpack_from("<II", self.data, offset + 8)
                if platform != 1:
                    raise MachOError("build version names platform %d, not macOS" % platform)
                return "LC_BUILD_VERSION", _version(minos)
        raise MachOError("no minimum OS version")

    # --- libraries and symbols -------------------------------------------------

    def dylibs(self):
        """Every library dependency, in ordinal order: (command, install name)."""
        result = []
        for cmd, offset, _ in self.commands:
            if cmd in DYLIB_COMMANDS:
                name_offset = struct.unpack_from("<I", self.data, offset + 8)[0]
                name, _ = _cstring(self.data, offset + name_offset)
                result.append((cmd, name))
        return result

    def symbols(self):
        """(name, n_type, n_sect, n_desc) of every symbol-table entry."""
        symoff, nsyms, stroff, _strsize = struct.unpack_from("<IIII", self.data, self.one(LC_SYMTAB) + 8)
        result = []
        for i in range(nsyms):
            strx, ntype, nsect, ndesc, _value = struct.unpack_from("<IBBHQ", self.data, symoff + 16 * i)
            name, _ = _cstring(self.data, stroff + strx)
            result.append((name, ntype, nsect, ndesc))
        return result

    def undefined_symbols(self):
        """name -> library ordinal, from the symbol table."""
        return {name: (desc >> 8) & 0xFF for name, ntype, _, desc in self.symbols()
                if not ntype & N_STAB and ntype & N_TYPE == N_UNDF and ntype & N_EXT}

    def defined_external_symbols(self):
        return {name for name, ntype, _, _ in self.symbols()
                if not ntype & N_STAB and ntype & N_TYPE == N_SECT and ntype & N_EXT}

    def _dyld_info(self):
        found = self.find(LC_DYLD_INFO_ONLY) + self.find(LC_DYLD_INFO)
        if len(found) != 1:
            if self.find(LC_DYLD_CHAINED_FIXUPS):
                raise MachOError("chained fixups are not read by this checker; keep the "
                                 "deployment targets below macOS 13 or extend it")
            raise MachOError("expected one dyld info command, found %d" % len(found))
        return struct.unpack_from("<IIIIIIIIII", self.data, found[0] + 8)

    def bindings(self):
        """Every symbol dyld will bind: (kind, library ordinal, name)."""
        (_rebase_off, _rebase_size, bind_off, bind_size, weak_off, weak_size,
         lazy_off, lazy_size, _export_off, _export_size) = self._dyld_info()
        result = []
        for kind, off, size in (("bind", bind_off, bind_size), ("weak", weak_off, weak_size),
                                ("lazy", lazy_off, lazy_size)):
            result.extend((kind, ordinal, name) for ordinal, name in _bind_opcodes(self.data[off:off + size]))
        return result

    def exports(self):
        """Names in the export trie, which is what dlsym and the host look up."""
        found = self.find(LC_DYLD_EXPORTS_TRIE)
        if found:
            off, size = struct.unpack_from("<II", self.data, found[0] + 8)
        else:
            off, size = self._dyld_info()[8:10]
        trie = self.data[off:off + size]
        names = []
        if size:
            _walk_trie(trie, 0, "", names, set())
        return names

    # --- code signature ----------------------------------------------------------

    def verify_signature(self):
        """Problems with the ad-hoc signature; an empty list means it is valid.

        Also records the code directory's identifier and flags on the slice.
        """
        self.signature_identifier = self.signature_flags = None
        problems = []
        dataoff, datasize = struct.unpack_from("<II", self.data, self.one(LC_CODE_SIGNATURE) + 8)
        if dataoff + datasize > len(self.data):
            return ["signature runs past the end of the image"]
        linkedit = self.segments().get("__LINKEDIT")
        if linkedit is None or linkedit[2] + linkedit[3] != dataoff + datasize:
            problems.append("signature is not the end of __LINKEDIT")
        blob = self.data[dataoff:dataoff + datasize]
        magic, length, count = struct.unpack_from(">III", blob, 0)
        if magic != CSMAGIC_EMBEDDED_SIGNATURE or length > datasize:
            return problems + ["no embedded signature super blob"]
        slots = dict(struct.unpack_from(">II", blob, 12 + 8 * i) for i in range(count))
        if CSSLOT_CODEDIRECTORY not in slots:
            return problems + ["no code directory"]
        if slots.get(CSSLOT_SIGNATURESLOT) is not None:
            cms_length = struct.unpack_from(">I", blob, slots[CSSLOT_SIGNATURESLOT] + 4)[0]
            if cms_length > 8:
                problems.append("a CMS signature is present, so this is not an ad-hoc signature")
        cd = blob[slots[CSSLOT_CODEDIRECTORY]:]
        (cd_magic, _cd_length, version, flags, hash_offset, ident_offset, n_special, n_code,
         code_limit, hash_size, hash_type, _platform, page_log2) = struct.unpack_from(">IIIIIIIIIBBBB", cd, 0)
        if cd_magic != CSMAGIC_CODEDIRECTORY:
            return problems + ["code directory magic is 0x%08x" % cd_magic]
        self.signature_identifier, _ = _cstring(cd, ident_offset)
        self.signature_flags = flags
        if not flags & CS_ADHOC:
            problems.append("code directory is not marked ad hoc")
        if hash_type != CS_HASHTYPE_SHA256 or hash_size != 32:
            return problems + ["hash type %d size %d, expected SHA-256" % (hash_type, hash_size)]
        if code_limit != dataoff:
            problems.append("signature covers %d bytes, but the signature starts at %d" % (code_limit, dataoff))
        page = 1 << page_log2 if page_log2 else code_limit
        if n_code != (code_limit + page - 1) // page:
            problems.append("%d page hashes for %d bytes of %d-byte pages" % (n_code, code_limit, page))
        # Special slots would seal Info.plist or resources; a linker signature
        # seals none of them, and an unknown non-empty one cannot be checked here.
        for k in range(1, n_special + 1):
            if any(cd[hash_offset - k * hash_size:hash_offset - (k - 1) * hash_size]):
                problems.append("special slot -%d is not empty" % k)
        for i in range(n_code):
            expected = cd[hash_offset + i * hash_size:hash_offset + (i + 1) * hash_size]
            start = i * page
            actual = hashlib.sha256(self.data[start:min(start + page, code_limit)]).digest()
            if actual != expected:
                problems.append("page %d (bytes %d-%d) does not match its hash"
                                % (i, start, min(start + page, code_limit) - 1))
        if version >= 0x20400:
            base, limit, _ = struct.unpack_from(">QQQ", cd, 0x40)
            text = self.segments().get("__TEXT")
            if text is None or (base, limit) != (text[2], text[3]):
                problems.append("executable segment in the signature is not __TEXT")
        return problems


def _version(packed):
    return "%d.%d" % (packed >> 16, (packed >> 8) & 0xFF)


def _bind_opcodes(stream):
    """(library ordinal, symbol) at every bind action of a dyld bind stream."""
    pos, ordinal, symbol, found = 0, 0, None, []
    while pos < len(stream):
        byte = stream[pos]
        pos += 1
        opcode, imm = byte & 0xF0, byte & 0x0F
        if opcode == 0x00:  # done (lazy streams carry one after every entry)
            continue
        if opcode == 0x10:
            ordinal = imm
        elif opcode == 0x20:
            ordinal, pos = _uleb(stream, pos)
        elif opcode == 0x30:  # self, main executable, flat lookup: negative ordinals
            ordinal = imm - 16 if imm else 0
        elif opcode == 0x40:
            symbol, pos = _cstring(stream, pos)
        elif opcode == 0x50:
            pass
        elif opcode == 0x60:
            _, pos = _sleb(stream, pos)
        elif opcode in (0x70, 0x80):
            _, pos = _uleb(stream, pos)
        elif opcode in (0x90, 0xB0):
            found.append((ordinal, symbol))
        elif opcode == 0xA0:
            _, pos = _uleb(stream, pos)
            found.append((ordinal, symbol))
        elif opcode == 0xC0:
            _, pos = _uleb(stream, pos)
            _, pos = _uleb(stream, pos)
            found.append((ordinal, symbol))
        else:
            raise MachOError("bind opcode 0x%02x is not read by this checker" % byte)
    return found


def _walk_trie(trie, offset, prefix, names, seen):
    if offset in seen or offset >= len(trie):
        raise MachOError("export trie is malformed at %d" % offset)
    seen.add(offset)
    terminal_size, pos = _uleb(trie, offset)
    if terminal_size:
        names.append(prefix)
    pos += terminal_size
    children = trie[pos]
    pos += 1
    for _ in range(children):
        edge, pos = _cstring(trie, pos)
        child, pos = _uleb(trie, pos)
        _walk_trie(trie, child, prefix + edge, names, seen)
