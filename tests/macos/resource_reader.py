"""Reads a classic Mac resource file and the big-endian property list in it.

Written from the file format, not from our writer, so that the bundle tests
check the writer rather than repeat it.
"""

import collections
import struct

Resource = collections.namedtuple("Resource", "name_offset attributes data")
NO_NAME = 0xFFFF


class ResourceError(Exception):
    pass


def read_resources(data):
    """{(type, id): Resource} of every resource in a resource file."""
    if len(data) < 16:
        raise ResourceError("file too short for a resource header")
    data_offset, map_offset, data_length, map_length = struct.unpack_from(">IIII", data, 0)
    if data_offset + data_length > len(data) or map_offset + map_length != len(data):
        raise ResourceError("header areas do not fit the file: data %d+%d, map %d+%d, file %d"
                            % (data_offset, data_length, map_offset, map_length, len(data)))
    if data_offset < 16 or map_offset < data_offset + data_length:
        raise ResourceError("data and map overlap")
    rmap = data[map_offset:map_offset + map_length]
    type_list_offset, name_list_offset = struct.unpack_from(">HH", rmap, 24)
    if name_list_offset > map_length:
        raise ResourceError("name list offset %d lies outside the map" % name_list_offset)
    type_count = (struct.unpack_from(">H", rmap, type_list_offset)[0] + 1) & 0xFFFF
    resources = {}
    for t in range(type_count):
        entry = type_list_offset + 2 + 8 * t
        rtype = rmap[entry:entry + 4].decode("mac_roman")
        count, reference_offset = struct.unpack_from(">HH", rmap, entry + 4)
        for r in range(count + 1):
            ref = type_list_offset + reference_offset + 12 * r
            rid, name_offset, attributes, offset_high, offset_low = struct.unpack_from(">hHBBH", rmap, ref)
            at = data_offset + (offset_high << 16 | offset_low)
            if at + 4 > data_offset + data_length:
                raise ResourceError("resource %r %d points outside the data" % (rtype, rid))
            length = struct.unpack_from(">I", data, at)[0]
            if at + 4 + length > data_offset + data_length:
                raise ResourceError("resource %r %d runs past the data" % (rtype, rid))
            if (rtype, rid) in resources:
                raise ResourceError("resource %r %d appears twice" % (rtype, rid))
            resources[(rtype, rid)] = Resource(name_offset, attributes, data[at + 4:at + 4 + length])
    return resources


def read_mac_pipl(data):
    """(list version, [(vendor, key, id, declared length, data bytes, padding bytes)])

    A property's data occupies its declared length rounded up to four bytes;
    the rest of that block is returned as its padding.
    """
    version, count = struct.unpack_from(">II", data, 0)
    pos = 8
    properties = []
    for _ in range(count):
        if pos + 16 > len(data):
            raise ResourceError("property %d runs past the resource" % len(properties))
        vendor = data[pos:pos + 4].decode("ascii")
        key = data[pos + 4:pos + 8].decode("ascii")
        pid, length = struct.unpack_from(">II", data, pos + 8)
        pos += 16
        padded = (length + 3) & ~3
        if pos + padded > len(data):
            raise ResourceError("property %r runs past the resource" % key)
        properties.append((vendor, key, pid, length, data[pos:pos + length], data[pos + length:pos + padded]))
        pos += padded
    if pos != len(data):
        raise ResourceError("%d bytes follow the last property" % (len(data) - pos))
    return version, properties
