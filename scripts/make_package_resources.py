#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the design-time package's data resources where the build takes them.

- description.bin: "Vantrel Quindle Package" as UTF-16 (little-endian) with a
  terminating zero.
- packageinfo.bin: the package information: flags, required packages (a
  one-byte name hash and the zero-terminated name each) and contained units
  (a flags byte, a name hash and the zero-terminated name each).
- packageoptions.bin: the option block: a version word, four option bytes,
  then key and value pairs, each a one-byte length and the text.
- version.bin: the version block in the standard version-resource layout.

The hash is the one rtl::PackageNameHash computes. Running this again gives
the same bytes.

    scripts/make_package_resources.py [output-folder]   (default: package/resources)
"""

import os
import struct
import sys

PACKAGE = "quindle_design"
DESCRIPTION = "Vantrel Quindle Package"
DESIGN_TIME_PACKAGE = 0x40000002
REQUIRES = ["dclstd30", "VCLDB30", "vcl30"]
# (flags, name): the main unit is the main and the package unit (3).
UNITS = [(3, PACKAGE), (0, "quindle"), (0, "SysInit"), (0, "about_box"),
         (0, "overwrite_dialog"), (0, "quindle_reg")]
COMPANY = "The Quindle developers"
COPYRIGHT = "Copyright (c) 2026 The Quindle developers"
VERSION_STRINGS = [
    ("CompanyName", COMPANY),
    ("FileDescription", "Quindle Component"),
    ("FileVersion", "2.0.0.0"),
    ("InternalName", ""),
    ("LegalCopyright", COPYRIGHT),
    ("LegalTrademarks", ""),
    ("OriginalFilename", ""),
    ("ProductName", "Quindle Component"),
    ("ProductVersion", "2.0.0.0"),
    ("Comments", ""),
]


def name_hash(name):
    """Rotates the hash left by one bit and adds each upper-cased byte."""
    h = 0
    for byte in name.upper().encode("ascii"):
        h = (((h << 1) | (h >> 7)) & 0xFF) ^ byte
    return h


def package_info():
    out = struct.pack("<II", DESIGN_TIME_PACKAGE, len(REQUIRES))
    for name in REQUIRES:
        out += bytes([name_hash(name)]) + name.encode("ascii") + b"\0"
    out += struct.pack("<I", len(UNITS))
    for flags, name in UNITS:
        out += bytes([flags, name_hash(name)]) + name.encode("ascii") + b"\0"
    return out


def package_options():
    out = struct.pack("<I", 1)
    # Design-time only, not run-time only, never rebuilt implicitly, reserved.
    out += bytes([1, 0, 0, 0])
    for key, value in [("Description", DESCRIPTION), ("UnitAliases", ""),
                       ("Requires", ";".join(REQUIRES)), ("OutputName", PACKAGE)]:
        for text in (key, value):
            data = text.encode("ascii")
            out += bytes([len(data)]) + data
    return out


def utf16z(text):
    return text.encode("utf-16-le") + b"\0\0"


def pad4(data):
    return data + b"\0" * (-len(data) % 4)


def block(key, value, value_length, value_type, children=b""):
    """One version-resource block: wLength, wValueLength, wType, the key,
    padding, the value, padding, the children. wLength counts up to the end
    of the last child, without trailing padding."""
    body = pad4(struct.pack("<HHH", 0, value_length, value_type) + utf16z(key))
    body += value
    if children:
        body = pad4(body) + children
    return struct.pack("<H", len(body)) + body[2:]


def version_block():
    fixed = struct.pack("<13I", 0xFEEF04BD, 0x00010000,
                        (2 << 16) | 0, 0, (2 << 16) | 0, 0,
                        0x3F, 0, 4, 1, 0, 0, 0)
    strings = b""
    for key, value in VERSION_STRINGS:
        text = utf16z(value)
        strings = pad4(strings) + block(key, text, len(text) // 2, 1)
    table = block("040904E4", b"", 0, 1, strings)
    string_info = block("StringFileInfo", b"", 0, 1, table)
    translation = block("Translation", struct.pack("<HH", 0x0409, 0x04E4), 4, 0)
    var_info = block("VarFileInfo", b"", 0, 1, translation)
    return block("VS_VERSION_INFO", fixed, len(fixed), 0, pad4(string_info) + var_info)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "package/resources"
    os.makedirs(folder, exist_ok=True)
    files = {
        "description.bin": utf16z(DESCRIPTION),
        "packageinfo.bin": package_info(),
        "packageoptions.bin": package_options(),
        "version.bin": version_block(),
    }
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
        print(f"{os.path.join(folder, name)}: {len(data)} bytes")


if __name__ == "__main__":
    main()
