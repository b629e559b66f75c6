#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Writes pictures.lib, the library example's resource library, from files of
# this folder and the game's assets:
#   python3 examples/pack_library.py examples/pictures.lib
#
# The layout: "RXDC", a header value, the entry count (little-endian 32-bit),
# one 13-byte record an entry (offset, size, type byte, identifier), then the
# entries' bytes. Types here: 1 a Windows bitmap, 2 a WAV sound.
import os
import struct
import sys

here = os.path.dirname(os.path.abspath(__file__))
assets = os.path.join(here, "..", "assets")
entries = [  # identifier, type, file
    (100, 1, os.path.join(here, "sprite.bmp")),
    (101, 1, os.path.join(assets, "ball.bmp")),
    (102, 1, os.path.join(assets, "paddle.bmp")),
    (200, 2, os.path.join(here, "click.wav")),
]
blobs = [open(path, "rb").read() for _, _, path in entries]
offset = 12 + 13 * len(entries)
directory = b""
for (ident, kind, _), blob in zip(entries, blobs):
    directory += struct.pack("<IIBI", offset, len(blob), kind, ident)
    offset += len(blob)
with open(sys.argv[1], "wb") as f:
    f.write(b"RXDC" + struct.pack("<II", 0x0100, len(entries)) + directory + b"".join(blobs))
