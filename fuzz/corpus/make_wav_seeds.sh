#!/usr/bin/env bash
# Makes the WAV seeds in layouts other than the canonical one, with sox: an
# extensible 4-channel file (fact chunk), mu-law (18-byte format chunk), a
# libsndfile float file (fact and PEAK chunks), and a 16-bit file with an
# odd-sized LIST chunk spliced in before its data. Run from this folder.
set -euo pipefail
make() {  # name, sox output options
  sox -q -n -r 8000 $2 "$1" synth 0.002 sine 1000 sine 1500 sine 2000 sine 2500
}
for dir in wav_file wav_memory; do
  make $dir/extensible4.wav "-b 16 -c 4"
  make $dir/mulaw.wav "-e mu-law -c 1"
  make $dir/float_peak.wav "-e float -b 32 -c 1 -t sndfile"
  make $dir/list.wav "-b 16 -c 1"
  python3 - "$dir/list.wav" <<'PY'
import struct, sys
p = sys.argv[1]
v = bytearray(open(p, 'rb').read())
at = v.index(b'data')
body = b'INFOICMT' + struct.pack('<I', 11) + b'made by sox'
v[at:at] = b'LIST' + struct.pack('<I', len(body)) + body + b'\0'
v[4:8] = struct.pack('<I', len(v) - 8)
open(p, 'wb').write(v)
PY
done
