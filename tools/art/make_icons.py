#!/usr/bin/env python3
"""Draws every icon of the program as a 16x16 RGBA PNG into resources/icons/, and the
application icon at the desktop's sizes into src/app/icons/ (desktop_icons.py).

The program finds an icon by its name lower-cased, without a leading '~' and without the
extension, so each file is named by that stem. Run: python3 tools/art/make_icons.py"""

import argparse
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # keep the source tree free of __pycache__

import desktop_icons  # noqa: E402
import glyphs_frame  # noqa: E402,F401  (each glyph module registers its icons on import)
import glyphs_records  # noqa: E402,F401
import glyphs_research  # noqa: E402,F401
import glyphs_tags  # noqa: E402,F401
from icon_registry import ICONS  # noqa: E402
from pngfile import write_png  # noqa: E402
from raster import Canvas, Rect  # noqa: E402

SIZE = 16
DEFAULT_OUT = os.path.join(HERE, "..", "..", "resources", "icons")


def render(stem):
    canvas = Canvas(SIZE, SIZE)
    ICONS[stem](canvas)
    return canvas


def contact_sheet(path, scale=5):
    """A preview of the whole set: each icon enlarged, and at its real size on light and dark
    backgrounds, for looking at the family side by side."""
    names = sorted(ICONS)
    columns = 8
    cell = SIZE * scale + 12
    rows = (len(names) + columns - 1) // columns
    sheet = Canvas(columns * cell, rows * (cell + SIZE + 6), (236, 238, 242))
    for i, stem in enumerate(names):
        x = (i % columns) * cell + 6
        y = (i // columns) * (cell + SIZE + 6) + 6
        for cy in range(SIZE * scale // 8):
            for cx in range(SIZE * scale // 8):
                if (cx + cy) % 2:
                    sheet.paint(Rect(x + cx * 8, y + cy * 8, x + cx * 8 + 8, y + cy * 8 + 8),
                                (220, 222, 228))
        icon = render(stem)
        sheet.draw(icon, x, y, scale)
        sheet.paint(Rect(x, y + SIZE * scale + 3, x + 20, y + SIZE * scale + 23), (255, 255, 255))
        sheet.draw(icon, x + 2, y + SIZE * scale + 5)
        sheet.paint(Rect(x + 22, y + SIZE * scale + 3, x + 42, y + SIZE * scale + 23), (60, 64, 72))
        sheet.draw(icon, x + 24, y + SIZE * scale + 5)
    write_png(path, sheet.width, sheet.height, sheet.rgba_bytes())
    return names


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=DEFAULT_OUT, help="folder for the icons")
    parser.add_argument("--preview", help="also write a contact sheet of all icons to this PNG")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    for stem in sorted(ICONS):
        canvas = render(stem)
        write_png(os.path.join(args.out, stem + ".png"), SIZE, SIZE, canvas.rgba_bytes())
    if args.preview:
        contact_sheet(args.preview)
    print("%d icons written to %s" % (len(ICONS), os.path.normpath(args.out)))
    for size in desktop_icons.SIZES:
        path = desktop_icons.png_path(size)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        write_png(path, size, size, desktop_icons.render(size).rgba_bytes())
    path = desktop_icons.svg_path()
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(desktop_icons.svg())
    print("the application icon at %s pixels and as SVG written to %s" % (
        ", ".join(str(s) for s in desktop_icons.SIZES), desktop_icons.THEME))


if __name__ == "__main__":
    main()
