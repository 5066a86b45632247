"""What a Windows shortcut (.lnk, the Shell Link format) points at: the
target's local path, working folder, arguments and icon."""

import struct

# Link flags, and the optional strings in the order they are stored.
HAS_ID_LIST, HAS_LINK_INFO, UNICODE = 0x1, 0x2, 0x80
STRINGS = [(0x4, "name"), (0x8, "relative_path"), (0x10, "working_dir"), (0x20, "arguments"),
           (0x40, "icon")]


def read(path):
    data = open(path, "rb").read()
    if data[:4] != b"\x4c\x00\x00\x00":
        raise ValueError(f"{path}: not a shortcut")
    flags = struct.unpack_from("<I", data, 0x14)[0]
    at = 0x4C
    link = {}
    if flags & HAS_ID_LIST:
        at += 2 + struct.unpack_from("<H", data, at)[0]
    if flags & HAS_LINK_INFO:
        size, _, _, _, base = struct.unpack_from("<5I", data, at)
        end = data.index(b"\0", at + base)
        link["target"] = data[at + base:end].decode("latin-1")
        at += size
    for flag, name in STRINGS:
        if flags & flag:
            count = struct.unpack_from("<H", data, at)[0]
            width = 2 if flags & UNICODE else 1
            text = data[at + 2:at + 2 + count * width]
            # Wine counts a closing NUL in the length.
            link[name] = text.decode("utf-16-le" if width == 2 else "latin-1").rstrip("\0")
            at += 2 + count * width
    return link
