#!/usr/bin/env python3
"""Writes the hand-made RGBE fixtures of this directory (run from anywhere).

The files made by other programs (oiio_*.hdr, imagick_*.hdr) come from
make_tool_fixtures.sh; expected.txt lists the outcome the reader must give for every file.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def texel(x, y):
    # Distinct, easily recognised texels: exponent 129 gives (m + 0.5) / 128.
    return (128 + x, 64 + y, 32 + x + y, 129)


def run_length_row(width, texels, runs=False):
    out = bytes([2, 2, width >> 8, width & 255])
    for plane in range(4):
        values = [t[plane] for t in texels]
        if runs and len(set(values)) == 1:
            left = len(values)
            while left:
                n = min(127, left)
                out += bytes([128 + n, values[0]])
                left -= n
        else:
            for start in range(0, width, 128):
                chunk = values[start:start + 128]
                out += bytes([len(chunk)]) + bytes(chunk)
    return out


def header(lines, width, height, res=None):
    text = "".join(l + "\n" for l in lines) + "\n"
    text += res if res is not None else "-Y %d +X %d\n" % (height, width)
    return text.encode("latin-1")


def rle_image(width, height, runs=False):
    return b"".join(run_length_row(width, [texel(x, y) for x in range(width)], runs)
                    for y in range(height))


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


RADIANCE = ["#?RADIANCE", "FORMAT=32-bit_rle_rgbe"]

# Valid files.
write("small_rle.hdr", header(RADIANCE, 8, 3) + rle_image(8, 3))
# Constant planes coded as runs (row 0: texels (200, 100, 50, 130)), and a run that crosses
# from the blue plane into the exponents (row 1: texels (200, 100, 130, 130)), which is legal
# when the planes are decoded as one stream.
row = [(200, 100, 50, 130)] * 16
runs = bytes([2, 2, 0, 16]) + bytes([128 + 16, 200, 128 + 16, 100, 128 + 16, 50, 128 + 16, 130])
crossing = bytes([2, 2, 0, 16]) + bytes([128 + 16, 200, 128 + 16, 100, 128 + 32, 130])
write("runs.hdr", header(RADIANCE, 16, 2) + runs + crossing)
# The first line as an older writer wrote it: no magic line, a blank after FORMAT.
write("format_blank.hdr", header(["FORMAT 32-bit_rle_rgbe", "EXPOSURE=1"], 8, 1) +
      rle_image(8, 1))
write("format_xyze.hdr", header(["#?RADIANCE", "FORMAT=32-bit_rle_xyze"], 8, 1) +
      rle_image(8, 1))
# Header lines seen in real files: program history, repeated and indented exposures, padded
# values, primaries, gamma, a carriage return, and a line longer than 256 characters.
quirks = [
    "#?RADIANCE",
    "# made by hand",
    "pfilt -x /2 -y /2",
    "\tEXPOSURE=4.0",
    "EXPOSURE= 2.5",
    "EXPOSURE=0.5   ",
    "COLORCORR=0.9 1.0 1.1",
    "PIXASPECT=  1.25",
    "PRIMARIES=0.640 0.330 0.290 0.600 0.150 0.060 0.333 0.333",
    "GAMMA=2.2",
    "SOFTWARE=" + "x" * 300,
    "VIEW= -vtv -vp 0 0 0 -vd 0 1 0",
    "FORMAT=32-bit_rle_rgbe\r",
]
write("header_quirks.hdr", header(quirks, 8, 2) + rle_image(8, 2))
write("flip_res.hdr", header(RADIANCE, 20, 10, "+Y 10 -X 20\n") + rle_image(20, 10))
# Flat texels in a scanline of 8 or more (an old writer), and the old run-length form: a
# texel (1, 1, 1, n) repeats the previous one n times, consecutive ones shift by 8 bits more.
flat = b"".join(bytes(texel(x, 0)) for x in range(10))
old = bytes(texel(0, 1)) + bytes([1, 1, 1, 3]) + bytes(texel(4, 1)) + bytes([1, 1, 1, 5])
write("old_rle.hdr", header(RADIANCE, 10, 2) + flat + old)
old_long = bytes(texel(0, 0)) + bytes([1, 1, 1, 4]) + bytes([1, 1, 1, 1]) + bytes(texel(9, 0))
write("old_rle_shift.hdr", header(RADIANCE, 262, 1) + old_long)

# Broken files. Each must read without fault, keep the rows before the fault and leave the
# rest black.
good = header(RADIANCE, 8, 3) + rle_image(8, 3)
head = header(RADIANCE, 8, 3)
write("truncated_header.hdr", b"#?RADIANCE\nFORMAT=32-bit_rle_rgbe\nEXPOS")
write("missing_resolution.hdr", header(RADIANCE, 8, 3, ""))
write("bad_resolution.hdr", header(RADIANCE, 8, 3, "-Y +X 8\n") + rle_image(8, 3))
write("truncated_scanline.hdr", good[:len(head) + len(run_length_row(8, [texel(0, 0)] * 8)) + 20])
write("extra_scanline_missing.hdr", header(RADIANCE, 8, 4) + rle_image(8, 3))
row1 = run_length_row(8, [texel(x, 0) for x in range(8)])
write("count_zero.hdr", head + row1 + bytes([2, 2, 0, 8, 0]) + bytes(64))
write("run_overshoot.hdr", head + row1 + bytes([2, 2, 0, 8, 128 + 127, 7]) + bytes(64))
write("literal_overshoot.hdr", head + row1 + bytes([2, 2, 0, 8, 120]) + bytes(200))
write("wrong_length.hdr", head + row1 + bytes([2, 2, 0, 9]) + bytes(100))
write("old_run_first.hdr", header(RADIANCE, 10, 1) + bytes([1, 1, 1, 4]) + flat)
write("old_run_overshoot.hdr", header(RADIANCE, 10, 1) + bytes(texel(0, 0)) +
      bytes([1, 1, 1, 200]) + bytes(40))
write("old_shift_overflow.hdr", header(RADIANCE, 10, 1) + bytes(texel(0, 0)) +
      bytes([1, 1, 1, 0]) * 6 + bytes([1, 1, 1, 255]) + bytes(40))
write("huge_size.hdr", header(RADIANCE, 65535, 65535) + rle_image(8, 1))
