"""A small reader for the parts of a PE32+ image that the host and the loader
look at: the headers, the export and import tables and the resource tree; and
of the version resource that Windows shows in a file's Details tab."""

import struct


class PeError(Exception):
    pass


class PeFile:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise PeError("no MZ signature")
        pe = self._u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise PeError("no PE signature")
        coff = pe + 4
        (self.machine, sections, self.timestamp, _, _, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, coff)
        optional = coff + 20
        self.magic = self._u16(optional)
        if self.magic != 0x20B:
            raise PeError("not a PE32+ image (magic %#x)" % self.magic)
        self.image_base = struct.unpack_from("<Q", data, optional + 24)[0]
        self.subsystem = self._u16(optional + 68)
        self.dll_characteristics = self._u16(optional + 70)
        directory_count = self._u32(optional + 108)
        self.directories = [struct.unpack_from("<II", data, optional + 112 + 8 * i)
                            for i in range(directory_count)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            at = table + 40 * i
            name = data[at:at + 8].rstrip(b"\0").decode("ascii", "replace")
            vsize, vaddr, raw_size, raw_at = struct.unpack_from("<IIII", data, at + 8)
            self.sections.append((name, vaddr, vsize, raw_at, raw_size))

    def _u16(self, at):
        return struct.unpack_from("<H", self.data, at)[0]

    def _u32(self, at):
        return struct.unpack_from("<I", self.data, at)[0]

    def offset(self, rva):
        for _, vaddr, vsize, raw_at, raw_size in self.sections:
            if vaddr <= rva < vaddr + max(vsize, raw_size):
                if rva - vaddr >= raw_size:
                    raise PeError("rva %#x lies in uninitialised data" % rva)
                return raw_at + rva - vaddr
        raise PeError("rva %#x is in no section" % rva)

    def section_of(self, rva):
        for name, vaddr, vsize, _, raw_size in self.sections:
            if vaddr <= rva < vaddr + max(vsize, raw_size):
                return name
        return None

    def cstring(self, rva):
        at = self.offset(rva)
        end = self.data.index(b"\0", at)
        return self.data[at:end].decode("ascii")

    def directory(self, index):
        if index >= len(self.directories):
            return (0, 0)
        return self.directories[index]

    def exports(self):
        """(dll name, {exported name: function rva}, export directory timestamp)"""
        rva, size = self.directory(0)
        if rva == 0:
            return (None, {}, 0)
        at = self.offset(rva)
        (_, timestamp, _, _, name_rva, _, function_count, name_count, functions_rva,
         names_rva, ordinals_rva) = struct.unpack_from("<IIHHIIIIIII", self.data, at)
        functions = [self._u32(self.offset(functions_rva) + 4 * i) for i in range(function_count)]
        names = {}
        for i in range(name_count):
            name = self.cstring(self._u32(self.offset(names_rva) + 4 * i))
            ordinal = self._u16(self.offset(ordinals_rva) + 2 * i)
            function = functions[ordinal]
            if rva <= function < rva + size:
                raise PeError("export %s is a forwarder" % name)
            names[name] = function
        if function_count != name_count:
            raise PeError("%d exported functions but %d names" % (function_count, name_count))
        return (self.cstring(name_rva), names, timestamp)

    def imports(self):
        """{dll name: [imported names]}"""
        rva, _ = self.directory(1)
        result = {}
        if rva == 0:
            return result
        at = self.offset(rva)
        while True:
            lookup, _, _, name_rva, thunks = struct.unpack_from("<IIIII", self.data, at)
            if name_rva == 0:
                break
            names = []
            entry = self.offset(lookup or thunks)
            while True:
                value = struct.unpack_from("<Q", self.data, entry)[0]
                if value == 0:
                    break
                if value & (1 << 63):
                    names.append("#%d" % (value & 0xFFFF))
                else:
                    names.append(self.cstring((value & 0x7FFFFFFF) + 2))
                entry += 8
            result[self.cstring(name_rva)] = names
            at += 20
        return result

    def resources(self):
        """{(type, name, language): bytes}; named entries are str, numbered ones int."""
        rva, _ = self.directory(2)
        result = {}
        if rva == 0:
            return result
        base = self.offset(rva)

        def entries(directory):
            named, numbered = struct.unpack_from("<HH", self.data, base + directory + 12)
            for i in range(named + numbered):
                key, target = struct.unpack_from("<II", self.data, base + directory + 16 + 8 * i)
                if key & 0x80000000:
                    length = self._u16(base + (key & 0x7FFFFFFF))
                    start = base + (key & 0x7FFFFFFF) + 2
                    key = self.data[start:start + 2 * length].decode("utf-16-le")
                yield key, target

        for type_key, type_target in entries(0):
            if not type_target & 0x80000000:
                raise PeError("resource type %r has no directory" % (type_key,))
            for name_key, name_target in entries(type_target & 0x7FFFFFFF):
                if not name_target & 0x80000000:
                    raise PeError("resource %r/%r has no language directory" % (type_key, name_key))
                for language, leaf in entries(name_target & 0x7FFFFFFF):
                    if leaf & 0x80000000:
                        raise PeError("resource tree deeper than three levels")
                    data_rva, size = struct.unpack_from("<II", self.data, base + leaf)
                    at = self.offset(data_rva)
                    result[(type_key, name_key, language)] = self.data[at:at + size]
        return result


def version_info(data):
    """A version resource (VS_VERSIONINFO) as (fixed, strings, translations):
    fixed is its VS_FIXEDFILEINFO as 13 32-bit words, strings the {name: text}
    of its string tables, translations the (language, code page) pairs."""
    key, _, value, children = _version_node(data, 0, len(data))
    if key != "VS_VERSION_INFO" or len(value) != 52:
        raise PeError("no VS_VERSION_INFO with a fixed part")
    fixed = struct.unpack("<13I", value)
    strings, translations = {}, []
    for block, _, _, tables in children:
        if block == "StringFileInfo":
            for _, _, _, entries in tables:
                for name, kind, text, _ in entries:
                    if kind != 1 or not text.endswith(b"\0\0"):
                        raise PeError("version string %r is not a terminated text" % name)
                    strings[name] = text[:-2].decode("utf-16-le")
        elif block == "VarFileInfo":
            for _, _, pairs, _ in tables:
                translations += [struct.unpack_from("<HH", pairs, i) for i in range(0, len(pairs) - 3, 4)]
    return fixed, strings, translations


def _version_node(data, at, limit):
    """(key, type, value bytes, children) of the node at `at`. Every node is
    its length, its value's length (in characters for a text), its type (1 for
    text), a zero-terminated UTF-16 key, then the value and the children, each
    starting at a multiple of 4."""
    if at + 6 > limit:
        raise PeError("version node at %d is cut off" % at)
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    end = at + length
    if length < 6 or end > limit:
        raise PeError("version node at %d has length %d" % (at, length))
    key_end = at + 6
    while key_end + 2 <= end and data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    if key_end + 2 > end:
        raise PeError("version node at %d has no terminated key" % at)
    key = data[at + 6:key_end].decode("utf-16-le")
    value_at = _aligned(key_end + 2)
    value_end = value_at + (2 * value_length if kind == 1 else value_length)
    if value_end > end:
        raise PeError("the value of %r runs past its node" % key)
    children = []
    child = _aligned(value_end)
    while child < end:
        node = _version_node(data, child, end)
        children.append(node)
        child = _aligned(child + struct.unpack_from("<H", data, child)[0])
    return key, kind, bytes(data[value_at:value_end]), children


def _aligned(at):
    return (at + 3) // 4 * 4
