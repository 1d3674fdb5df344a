#!/usr/bin/env python3
"""Reads what tools/windows-checks.sh checks in Windows files, on Linux.

  windows-files.py resources PROGRAM.exe
      the program's icon groups and its version resource, one "Key: value" a
      line: "icon group 1: 16x16 32x32 48x48", "FileVersion (fixed): 1.8.0.0",
      then the strings, "ProductName: ...".
  windows-files.py shortcut LINK.lnk
      where a shortcut leads: "target: C:\\...", "working directory: ...",
      "icon: ...", "arguments: ...".

Exits with 2 and a message when the file is not what it should be."""

import struct
import sys

RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16


class Unreadable(Exception):
    pass


def u16(data, at):
    return struct.unpack_from("<H", data, at)[0]


def u32(data, at):
    return struct.unpack_from("<I", data, at)[0]


def resource_reader(data):
    """The resource section's start (file offset) and a function from RVAs
    inside it to file offsets."""
    if data[:2] != b"MZ":
        raise Unreadable("not a Windows program (no MZ)")
    pe = u32(data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        raise Unreadable("not a PE file")
    coff = pe + 4
    sections, optional_size = u16(data, coff + 2), u16(data, coff + 16)
    optional = coff + 20
    magic = u16(data, optional)
    directories = optional + (112 if magic == 0x20B else 96)
    resource_rva = u32(data, directories + 2 * 8)
    if resource_rva == 0:
        raise Unreadable("no resources")
    table = optional + optional_size
    ranges = []
    for i in range(sections):
        s = table + 40 * i
        size, rva, raw_size, raw = struct.unpack_from("<IIII", data, s + 8)
        ranges.append((rva, max(size, raw_size), raw))

    def offset(at):
        for rva, size, raw in ranges:
            if rva <= at < rva + size:
                return raw + at - rva
        raise Unreadable(f"address {at:#x} lies in no section")

    return resource_rva, offset


def resources(data):
    """{type: {name: bytes}} of each resource, in U.S. English or else its first language."""
    base_rva, offset = resource_reader(data)
    base = offset(base_rva)

    def entries(directory):
        count = u16(data, directory + 12) + u16(data, directory + 14)
        for i in range(count):
            name, target = struct.unpack_from("<II", data, directory + 16 + 8 * i)
            yield name, target

    found = {}
    for type_id, type_target in entries(base):
        if not type_target & 0x80000000:
            continue
        names = found.setdefault(type_id, {})
        for name, name_target in entries(base + (type_target & 0x7FFFFFFF)):
            if not name_target & 0x80000000:
                continue
            languages = dict(entries(base + (name_target & 0x7FFFFFFF)))
            if not languages:
                continue
            leaf = languages.get(0x409, next(iter(languages.values())))  # U.S. English first
            rva, size = struct.unpack_from("<II", data, base + leaf)
            names[name] = data[offset(rva):offset(rva) + size]
    return found


def version_blocks(data, start, end):
    """(key, value bytes, value type, children start, block end) of each
    VS_VERSIONINFO-style block between start and end."""
    at = start
    while at + 6 <= end:
        length, value_length, value_type = struct.unpack_from("<HHH", data, at)
        if length == 0:
            break
        key_end = at + 6
        while data[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = data[at + 6:key_end].decode("utf-16-le")
        value_at = (key_end + 2 + 3) & ~3
        value_size = value_length * 2 if value_type == 1 else value_length
        yield key, data[value_at:value_at + value_size], value_type, (value_at + value_size + 3) & ~3, at + length
        at = (at + length + 3) & ~3


def print_resources(path):
    with open(path, "rb") as f:
        data = f.read()
    found = resources(data)
    for name, group in sorted(found.get(RT_GROUP_ICON, {}).items()):
        count = u16(group, 4)
        sizes = []
        for i in range(count):
            width, height = group[6 + 14 * i], group[7 + 14 * i]
            icon_id = u16(group, 6 + 14 * i + 12)
            if icon_id in found.get(RT_ICON, {}):
                sizes.append(f"{width or 256}x{height or 256}")
        print(f"icon group {name}: {' '.join(sizes)}")
    for version in found.get(RT_VERSION, {}).values():
        for key, value, _, children, end in version_blocks(version, 0, len(version)):
            if key != "VS_VERSION_INFO":
                continue
            if len(value) >= 52 and u32(value, 0) == 0xFEEF04BD:
                ms, ls = u32(value, 8), u32(value, 12)
                print(f"FileVersion (fixed): {ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}")
            for info, _, _, info_children, info_end in version_blocks(version, children, end):
                if info != "StringFileInfo":
                    continue
                for _, _, _, table_children, table_end in version_blocks(version, info_children, info_end):
                    for string, text, _, _, _ in version_blocks(version, table_children, table_end):
                        print(f"{string}: {text.decode('utf-16-le').rstrip(chr(0))}")


def print_shortcut(path):
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 0x4C or u32(data, 0) != 0x4C:
        raise Unreadable("not a shortcut")
    flags = u32(data, 0x14)
    at = 0x4C
    if flags & 0x1:  # HasLinkTargetIDList
        at += 2 + u16(data, at)
    target = None
    if flags & 0x2:  # HasLinkInfo
        info_size, header_size, info_flags = struct.unpack_from("<III", data, at)
        local_base, _, suffix = struct.unpack_from("<III", data, at + 16)

        def ansi(offset):
            end = data.index(b"\0", at + offset)
            return data[at + offset:end].decode("mbcs" if sys.platform == "win32" else "gbk")

        def wide(offset):
            end = at + offset
            while data[end:end + 2] != b"\0\0":
                end += 2
            return data[at + offset:end].decode("utf-16-le")

        if info_flags & 0x1:  # VolumeIDAndLocalBasePath
            if header_size >= 0x24:
                target = wide(u32(data, at + 28)) + wide(u32(data, at + 32))
            else:
                target = ansi(local_base) + ansi(suffix)
        at += info_size
    if target is None:
        raise Unreadable("the shortcut names no local target path")
    print(f"target: {target}")
    unicode = flags & 0x80
    for flag, name in ((0x4, "description"), (0x8, "relative path"), (0x10, "working directory"),
                       (0x20, "arguments"), (0x40, "icon")):
        if flags & flag:
            count = u16(data, at)
            size = count * 2 if unicode else count
            text = data[at + 2:at + 2 + size]
            # Some writers count the terminating null too.
            print(f"{name}: {text.decode('utf-16-le' if unicode else 'gbk').rstrip(chr(0))}")
            at += 2 + size


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("resources", "shortcut"):
        print(__doc__, file=sys.stderr)
        return 2
    try:
        (print_resources if sys.argv[1] == "resources" else print_shortcut)(sys.argv[2])
    except (Unreadable, struct.error, IndexError, ValueError, UnicodeDecodeError) as e:
        print(f"{sys.argv[2]}: {e}", file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
