#!/usr/bin/env python3
"""Assembles a .skn file: the skin's text followed by its pictures.

    assemble.py SOURCE.skn.in ART_DIR OUT.skn

Every ART_DIR/*.svg is rasterised by rsvg-convert at 1x and 2x and appended as an
`image NAME 1x|2x W H crc32 HEX` block (base64 PNG, then `end`), NAME being the file's stem.
PNG files in ART_DIR (NAME.png, optionally NAME@2x.png) are embedded as they are.
"""
import base64
import pathlib
import struct
import subprocess
import sys
import zlib


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise SystemExit("not a PNG picture")
    return struct.unpack(">II", data[16:24])


def rasterise(svg, zoom):
    return subprocess.run(["rsvg-convert", "-z", str(zoom), "-f", "png", str(svg)],
                          check=True, stdout=subprocess.PIPE).stdout


def block(name, variant, png):
    w, h = png_size(png)
    text = base64.b64encode(png).decode("ascii")
    lines = [f"image {name} {variant} {w} {h} crc32 {zlib.crc32(png):08x}"]
    lines += [text[i:i + 76] for i in range(0, len(text), 76)]
    lines.append("end")
    return "\n".join(lines) + "\n"


def main():
    if len(sys.argv) != 4:
        raise SystemExit(__doc__)
    source, art, out = (pathlib.Path(a) for a in sys.argv[1:])
    parts = [source.read_text(encoding="utf-8").rstrip("\n") + "\n"]
    if art.is_dir():
        parts.append("\n# Pictures, generated from the SVG sources by skins/assemble.py.\n")
        for svg in sorted(art.glob("*.svg")):
            one, two = rasterise(svg, 1), rasterise(svg, 2)
            w, h = png_size(one)
            if png_size(two) != (2 * w, 2 * h):
                raise SystemExit(f"{svg}: the 2x rendering is not twice the 1x size")
            parts += [block(svg.stem, "1x", one), block(svg.stem, "2x", two)]
        for png in sorted(p for p in art.glob("*.png") if not p.stem.endswith("@2x")):
            parts.append(block(png.stem, "1x", png.read_bytes()))
            double = png.with_name(png.stem + "@2x.png")
            if double.exists():
                parts.append(block(png.stem, "2x", double.read_bytes()))
    out.parent.mkdir(parents=True, exist_ok=True)
    out.write_text("".join(parts), encoding="utf-8")


if __name__ == "__main__":
    main()
