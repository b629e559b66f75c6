#!/usr/bin/env bash
# Makes the seed corpora of the bitmap fuzz targets with ImageMagick: small
# bitmaps in every variant the reader knows. bitmap_file gets whole files,
# bitmap_stream the same pictures as resources hold them (without the 14-byte
# file header), plus a few whole files. Run from this folder.
set -euo pipefail
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
convert -size 9x7 plasma:fractal -seed 3 "$tmp/ref.ppm"
make() {  # name, options, format
  # shellcheck disable=SC2086
  convert "$tmp/ref.ppm" $2 "$3:bitmap_file/$1.bmp"
  tail -c +15 "bitmap_file/$1.bmp" > "bitmap_stream/$1.dib"
}
make rgb24 "-type TrueColor -compress none" BMP3
make pal8 "-colors 40 -type Palette -compress none" BMP3
make pal4 "-colors 12 -type Palette -compress none" BMP3
make pal1 "-colors 2 -type Palette -compress none" BMP3
make rle8 "-colors 40 -type Palette -compress RLE" BMP3
make rle8few "-colors 3 -type Palette -compress RLE" BMP3
make rgb565 "-define bmp:subtype=RGB565" BMP
make rgb555 "-define bmp:subtype=RGB555" BMP
make argb4444 "-alpha on -define bmp:subtype=ARGB4444" BMP
make argb32 "-alpha on" BMP
make xrgb32 "-alpha on -define bmp3:alpha=true" BMP3
make v5rgb24 "" BMP
make core24 "" BMP2
make core8 "-colors 40 -type Palette" BMP2
cp bitmap_file/rgb24.bmp bitmap_file/rle8.bmp bitmap_stream/
# A hand-made RLE4 picture with delta and end-of-bitmap escapes (4 x 3, 16 greys).
python3 - <<'PY'
import struct
data = bytes([3, 0x12, 0, 0, 0, 2, 1, 1, 0, 3, 0x34, 0x50, 0, 1])
table = b''.join(bytes([i * 16] * 3 + [0]) for i in range(16))
header = struct.pack('<IiiHHIIiiII', 40, 4, 3, 1, 4, 2, len(data), 0, 0, 16, 0)
body = header + table
open('bitmap_stream/rle4.dib', 'wb').write(body + data)
whole = b'BM' + struct.pack('<IHHI', 14 + len(body) + len(data), 0, 0, 14 + len(body)) + body + data
open('bitmap_file/rle4.bmp', 'wb').write(whole)
PY
