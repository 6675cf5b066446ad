#!/usr/bin/env python3
"""Turns the editable icon pictures in res/icons/*.txt into 16-colour .ico files.

    make_icons.py OUTPUT_DIR SOURCE.txt [SOURCE.txt ...]

A source holds one or more square pictures, 16, 24, 32 or 48 pixels wide, one row
per line (lines starting with '#' are comments); a picture ends after as many rows
as its first row has pixels. '.' is a transparent pixel; every other character picks
a colour of the standard 16-colour palette below. A source of one picture gives an
icon of that one image. A source of several pictures, each drawn for its size, gives
an icon of those images and, for the sizes of APPLICATION_SIZES not drawn, the
drawn pictures enlarged by whole factors (pixels repeated, never blurred), so it
stays sharp at display scales up to 200 %.
The output file is named after the source in upper case (statusidle.txt ->
STATUSIDLE.ico), the name the resource script uses.
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
DRAWN_SIZES = (16, 24, 32, 48)
APPLICATION_SIZES = (16, 32, 48, 64)


def read_pictures(path):
    pictures, rows = [], []
    with open(path, encoding="ascii") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\r\n")
            if not line or line.startswith("#"):
                continue
            size = len(rows[0]) if rows else len(line)
            if size not in DRAWN_SIZES:
                sys.exit(f"{path}:{number}: a picture is 16, 24, 32 or 48 pixels wide, this row has {len(line)}")
            if len(line) != size:
                sys.exit(f"{path}:{number}: a row must have {size} pixels, this one has {len(line)}")
            for ch in line:
                if ch != "." and ch not in PALETTE:
                    sys.exit(f"{path}:{number}: unknown colour '{ch}'")
            rows.append(line)
            if len(rows) == size:
                pictures.append(rows)
                rows = []
    if rows:
        sys.exit(f"{path}: the last picture has {len(rows)} rows, it needs {len(rows[0])}")
    if not pictures:
        sys.exit(f"{path}: no picture")
    return pictures


def enlarge(rows, factor):
    return ["".join(ch * factor for ch in row) for row in rows for _ in range(factor)]


def icon_images(pictures):
    """The pictures an icon file holds, smallest first: a single picture as drawn; several
    as drawn, and each size of APPLICATION_SIZES not drawn made from the largest drawn
    picture that divides it."""
    if len(pictures) == 1:
        return pictures
    drawn = {}
    for picture in pictures:
        if len(picture) in drawn:
            sys.exit(f"two pictures of {len(picture)} pixels")
        drawn[len(picture)] = picture
    images = dict(drawn)
    for size in APPLICATION_SIZES:
        if size in images:
            continue
        base = max((s for s in drawn if size % s == 0), default=None)
        if base is None:
            sys.exit(f"no drawn picture divides the size {size}")
        images[size] = enlarge(drawn[base], size // base)
    return [images[size] for size in sorted(images)]


def encode_image(rows):
    size = len(rows)
    palette = bytearray(16 * 4)
    for index, (red, green, blue) in PALETTE.values():
        palette[index * 4:index * 4 + 4] = bytes((blue, green, red, 0))
    colour = bytearray()  # 4 bits per pixel, bottom row first, rows padded to 4 bytes
    mask = bytearray()    # 1 bit per pixel (1 = transparent), rows padded to 4 bytes
    for row in reversed(rows):
        indexes = [0 if ch == "." else PALETTE[ch][0] for ch in row]
        line = bytes((indexes[i] << 4) | indexes[i + 1] for i in range(0, size, 2))
        colour += line + bytes(-len(line) % 4)
        bits = bytearray(-(-size // 8))
        for x, ch in enumerate(row):
            if ch == ".":
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits + bytes(-len(bits) % 4)
    # The image height counts the colour and the mask halves together.
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(colour) + len(mask), 0, 0, 16, 0)
    return header + bytes(palette) + bytes(colour) + bytes(mask)


def encode_icon(images):
    encoded = [encode_image(rows) for rows in images]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for rows, image in zip(images, encoded):
        size = len(rows)
        data += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return data + b"".join(encoded)


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    for source in sys.argv[2:]:
        name = os.path.splitext(os.path.basename(source))[0].upper()
        data = encode_icon(icon_images(read_pictures(source)))
        with open(os.path.join(out_dir, name + ".ico"), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
