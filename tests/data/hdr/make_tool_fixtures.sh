#!/usr/bin/env bash
# Makes the fixtures written by independent RGBE writers from known floats: an OpenImageIO
# and an ImageMagick file each, 5 x 3 (flat scanlines) and 40 x 2 (run-length scanlines).
# The floats are knownValue() of hdri_test.cpp.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for size in 5x3 40x2; do
  w=${size%x*}; h=${size#*x}
  python3 - "$w" "$h" "$tmp/k.pfm" <<'PY'
import struct, sys
w, h, path = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
def known(x, y, c):
    if x < w // 2:
        return (0.75, 0.5, 0.25)[c] * (y + 1)
    return 0.125 * (x + 1) * (c + 1) + y
out = b"PF\n%d %d\n-1.0\n" % (w, h)
for y in reversed(range(h)):  # PFM stores the bottom row first
    for x in range(w):
        out += struct.pack("<3f", *(known(x, y, c) for c in range(3)))
open(path, "wb").write(out)
PY
  oiiotool "$tmp/k.pfm" -o "oiio_$size.hdr"
  convert-im6.q16hdri "$tmp/k.pfm" "imagick_$size.hdr"
done
