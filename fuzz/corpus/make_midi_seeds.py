#!/usr/bin/python3
# Writes MIDI files with mido (Debian's python3-mido): the seeds of the
# midi_file fuzz target in fuzz/corpus/midi_file/, and the files of the MIDI
# reader's tests in tests/platform/data/midi/ together with lengths.txt, the
# length of each piece in microseconds and its number of messages as mido
# reads them. Some files are wrapped in a RIFF "RMID" form afterwards (mido
# writes bare files only).
# Run from anywhere: ./make_midi_seeds.py
import io
import os
import struct
import sys

import mido
from mido import Message, MetaMessage, MidiFile, MidiTrack

here = os.path.dirname(os.path.abspath(__file__))
seeds = os.path.join(here, "midi_file")
tests = os.path.join(here, "..", "..", "tests", "platform", "data", "midi")


def melody(notes, ticks, channel=0, velocity=96, program=None):
    track = MidiTrack()
    if program is not None:
        track.append(Message("program_change", channel=channel, program=program, time=0))
    for n in notes:
        track.append(Message("note_on", channel=channel, note=n, velocity=velocity, time=0))
        # note_on with velocity 0 ends a note under running status.
        track.append(Message("note_on", channel=channel, note=n, velocity=0, time=ticks))
    track.append(MetaMessage("end_of_track", time=0))
    return track


def format0():
    f = MidiFile(type=0, ticks_per_beat=480)
    t = melody([60, 62, 64, 65, 67], 240, program=11)
    t.insert(0, MetaMessage("set_tempo", tempo=400000, time=0))
    t.insert(0, MetaMessage("track_name", name="scale", time=0))
    f.tracks.append(t)
    return f


def format1_tempo_map():
    # The conductor track changes the tempo twice; the other tracks play on
    # through the changes.
    f = MidiFile(type=1, ticks_per_beat=96)
    conductor = MidiTrack()
    conductor.append(MetaMessage("time_signature", numerator=3, denominator=4, time=0))
    conductor.append(MetaMessage("key_signature", key="D", time=0))
    conductor.append(MetaMessage("set_tempo", tempo=600000, time=0))
    conductor.append(MetaMessage("set_tempo", tempo=300000, time=288))
    conductor.append(MetaMessage("set_tempo", tempo=1000000, time=192))
    conductor.append(MetaMessage("end_of_track", time=96))
    f.tracks.append(conductor)
    lead = melody([72, 74, 76, 77, 79, 81, 83, 84], 80, channel=0, program=73)
    lead.insert(1, Message("control_change", channel=0, control=7, value=100, time=0))
    lead.insert(2, Message("pitchwheel", channel=0, pitch=-2048, time=0))
    f.tracks.append(lead)
    bass = melody([36, 43, 36], 200, channel=1, program=33)
    bass.insert(1, Message("aftertouch", channel=1, value=40, time=0))
    bass.insert(2, Message("polytouch", channel=1, note=36, value=50, time=0))
    f.tracks.append(bass)
    drums = MidiTrack()
    drums.append(Message("sysex", data=[0x7E, 0x7F, 0x09, 0x01], time=0))  # General MIDI on
    for i in range(6):
        drums.append(Message("note_on", channel=9, note=36 + (i % 2) * 2, velocity=110, time=0 if i == 0 else 60))
        drums.append(Message("note_off", channel=9, note=36 + (i % 2) * 2, velocity=0, time=30))
    drums.append(MetaMessage("end_of_track", time=0))
    f.tracks.append(drums)
    return f


def long_notes():
    # Long deltas need several bytes of variable-length quantity.
    f = MidiFile(type=1, ticks_per_beat=1024)
    t = MidiTrack()
    t.append(MetaMessage("set_tempo", tempo=250000, time=0))
    t.append(Message("note_on", note=48, velocity=80, time=0))
    t.append(Message("note_off", note=48, velocity=64, time=20000))
    t.append(MetaMessage("text", text="a long pause follows", time=0))
    t.append(Message("note_on", note=52, velocity=80, time=300000))
    t.append(Message("note_off", note=52, velocity=64, time=512))
    t.append(MetaMessage("end_of_track", time=0))
    f.tracks.append(t)
    return f


def empty_track():
    f = MidiFile(type=1, ticks_per_beat=120)
    t = MidiTrack()
    t.append(MetaMessage("end_of_track", time=0))
    f.tracks.append(t)
    f.tracks.append(melody([60], 120))
    return f


def chunk(tag, body):
    out = tag + struct.pack("<I", len(body)) + body
    if len(body) & 1:
        out += b"\0"
    return out


def rmid(smf, info=None):
    # A RIFF "RMID" form: optionally a LIST INFO chunk and a DISP chunk of odd
    # length (with its pad byte) before the "data" chunk that holds the
    # Standard MIDI File.
    body = b"RMID"
    if info is not None:
        name = info.encode() + b"\0"
        body += chunk(b"LIST", b"INFO" + chunk(b"INAM", name))
        body += chunk(b"DISP", struct.pack("<I", 1) + b"Rallex\0")  # CF_TEXT, 11 bytes
    body += chunk(b"data", smf)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def smpte(smf):
    # mido writes pulses per quarter note only; the division word becomes 25
    # frames a second of 40 ticks (a millisecond a tick).
    return smf[:12] + bytes([0x100 - 25, 40]) + smf[14:]


def bytes_of(f):
    path = "/tmp/make_midi_seeds.mid"
    f.save(path)
    with open(path, "rb") as h:
        data = h.read()
    os.remove(path)
    return data


def write(folder, name, data):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as h:
        h.write(data)


def main():
    files = {
        "format0.mid": format0(),
        "format1_tempo_map.mid": format1_tempo_map(),
        "long_notes.mid": long_notes(),
        "empty_track.mid": empty_track(),
    }
    lengths = []
    for name, f in files.items():
        data = bytes_of(f)
        write(seeds, name, data)
        write(tests, name, data)
        again = MidiFile(file=io.BytesIO(data))
        micros = round(again.length * 1e6)
        events = sum(1 for t in again.tracks for m in t if not m.is_meta)
        lengths.append((name, micros, events))
        stem = name[:-4]
        wrapped = rmid(data, info="Rallex seed " + stem)
        write(seeds, stem + ".rmi", wrapped)
        write(tests, stem + ".rmi", wrapped)
        lengths.append((stem + ".rmi", micros, events))
    write(seeds, "format0_bare_riff.rmi", rmid(bytes_of(format0())))
    write(seeds, "smpte.mid", smpte(bytes_of(format0())))
    with open(os.path.join(tests, "lengths.txt"), "w") as h:
        h.write("# file, length in microseconds and number of channel and system-exclusive\n")
        h.write("# messages, as mido " + mido.__version__ + " reads them\n")
        for name, micros, events in lengths:
            h.write("%s %d %d\n" % (name, micros, events))


if __name__ == "__main__":
    sys.exit(main())
