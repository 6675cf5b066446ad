#!/usr/bin/env python3
"""Turns the editable icon pictures in res/icons/*.txt into 16 x 16, 16-colour .ico files.

    make_icons.py OUTPUT_DIR SOURCE.txt [SOURCE.txt ...]

Each source is 16 lines of 16 characters (lines starting with '#' are comments).
'.' is a transparent pixel; every other character picks a colour of the standard
16-colour palette below. The output file is named after the source in upper case
(statusidle.txt -> STATUSIDLE.ico), the name the resource script uses.
Standard library only, so the build needs nothing beyond python3.
"""
import os
import struct
import sys

# Character -> (index, (red, green, blue)) in the standard Windows 16-colour order.
PALETTE = {
    "K": (0, (0x00, 0x00, 0x00)),   # black
    "r": (1, (0x80, 0x00, 0x00)),   # dark red
    "g": (2, (0x00, 0x80, 0x00)),   # dark green
    "y": (3, (0x80, 0x80, 0x00)),   # olive
    "b": (4, (0x00, 0x00, 0x80)),   # navy
    "m": (5, (0x80, 0x00, 0x80)),   # purple
    "c": (6, (0x00, 0x80, 0x80)),   # teal
    "L": (7, (0xC0, 0xC0, 0xC0)),   # silver (light grey)
    "D": (8, (0x80, 0x80, 0x80)),   # grey (dark grey)
    "R": (9, (0xFF, 0x00, 0x00)),   # red
    "G": (10, (0x00, 0xFF, 0x00)),  # lime
    "Y": (11, (0xFF, 0xFF, 0x00)),  # yellow
    "B": (12, (0x00, 0x00, 0xFF)),  # blue
    "M": (13, (0xFF, 0x00, 0xFF)),  # fuchsia
    "C": (14, (0x00, 0xFF, 0xFF)),  # aqua
    "W": (15, (0xFF, 0xFF, 0xFF)),  # white
}
SIZE = 16


def read_picture(path):
    rows = []
    with open(path, encoding="ascii") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\r\n")
            if not line or line.startswith("#"):
                continue
            if len(line) != SIZE:
                sys.exit(f"{path}:{number}: a row must have {SIZE} pixels, this one has {len(line)}")
            for ch in line:
                if ch != "." and ch not in PALETTE:
                    sys.exit(f"{path}:{number}: unknown colour '{ch}'")
            rows.append(line)
    if len(rows) != SIZE:
        sys.exit(f"{path}: a picture has {SIZE} rows, this one has {len(rows)}")
    return rows


def encode_icon(rows):
    palette = bytearray(16 * 4)
    for index, (red, green, blue) in PALETTE.values():
        palette[index * 4:index * 4 + 4] = bytes((blue, green, red, 0))
    colour = bytearray()  # 4 bits per pixel, bottom row first, 8 bytes per row
    mask = bytearray()    # 1 bit per pixel (1 = transparent), rows padded to 4 bytes
    for row in reversed(rows):
        indexes = [0 if ch == "." else PALETTE[ch][0] for ch in row]
        colour += bytes((indexes[i] << 4) | indexes[i + 1] for i in range(0, SIZE, 2))
        bits = 0
        for ch in row:
            bits = (bits << 1) | (1 if ch == "." else 0)
        mask += struct.pack(">H", bits) + b"\0\0"
    # The image height counts the colour and the mask halves together.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(colour) + len(mask), 0, 0, 16, 0)
    image = header + bytes(palette) + bytes(colour) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    for source in sys.argv[2:]:
        name = os.path.splitext(os.path.basename(source))[0].upper()
        data = encode_icon(read_picture(source))
        with open(os.path.join(out_dir, name + ".ico"), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
