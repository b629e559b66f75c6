#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Writes tune.mid, the music example's song: a Standard MIDI File of format 0,
# four seconds at 120 beats a minute, a piano melody over a bass line.
#   python3 examples/tune.py examples/tune.mid
import struct
import sys

TICKS = 480  # a beat


def var(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.insert(0, 0x80 | (n & 0x7F))
        n >>= 7
    return bytes(out)


notes = []  # (start tick, length, channel, key, velocity)
melody = [72, 74, 76, 79, 76, 74, 72, 67]
for i, key in enumerate(melody):
    notes.append((i * TICKS, TICKS - 40, 0, key, 100))
for i, key in enumerate([48, 43, 45, 41]):
    notes.append((i * 2 * TICKS, 2 * TICKS - 40, 1, key, 90))

events = [(0, bytes([0xFF, 0x51, 3]) + (500000).to_bytes(3, "big")),  # 120 beats a minute
          (0, bytes([0xC0, 0])),    # channel 1: piano
          (0, bytes([0xC1, 33]))]   # channel 2: bass
for start, length, ch, key, vel in notes:
    events.append((start, bytes([0x90 | ch, key, vel])))
    events.append((start + length, bytes([0x80 | ch, key, 0])))
events.sort(key=lambda e: e[0])
track, now = b"", 0
for tick, data in events:
    track += var(tick - now) + data
    now = tick
track += var(8 * TICKS - now) + bytes([0xFF, 0x2F, 0])
with open(sys.argv[1], "wb") as f:
    f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, TICKS))
    f.write(b"MTrk" + struct.pack(">I", len(track)) + track)
