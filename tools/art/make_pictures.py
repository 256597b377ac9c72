#!/usr/bin/env python3
"""Draws the program's pictures into resources/pictures/: the frame's wallpaper (wall.jpg), the
toolbar background (toolbox.jpg) and the splash picture (worm.jpg).

Each picture is drawn with the standard library, written as a PPM file to a temporary folder and
turned into JPEG by cjpeg (Debian package libjpeg-turbo-progs), which only this script needs.
Run: python3 tools/art/make_pictures.py"""

import argparse
import math
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # keep the source tree free of __pycache__

from bitmap_font import draw_text, text_width  # noqa: E402
from palette import BLUE_DARK, GOLD, INK_SOFT, TEAL  # noqa: E402
from raster import Canvas, Circle, RoundRect, Soft, Union, mix, vertical_gradient  # noqa: E402
from stroke_font import StrokeStyle, layout  # noqa: E402
from zmark import draw_zmark  # noqa: E402

DEFAULT_OUT = os.path.join(HERE, "..", "..", "resources", "pictures")
QUALITY = "90"


def _grain(x, y, period):
    """Repeatable fine grain in -1..1 that tiles with the picture."""
    h = ((x % period) * 73856093 ^ (y % period) * 19349663) & 0xFFFF
    h = (h * 2654435761) & 0xFFFF
    return h / 32767.5 - 1.0


def wall(size=256, cell=32):
    """A soft diagonal weave in pale blue-grey. Every period divides the size, so the tile
    repeats without seams."""
    base = (214, 222, 232)
    canvas = Canvas(size, size)

    def colour(x, y):
        u, v = (x + y) % cell, (x - y) % cell
        over_a = ((x + y) // cell + (x - y) // cell) % 2 == 0
        a = 0.5 + 0.5 * math.cos(2 * math.pi * (u + 0.5) / cell)
        b = 0.5 + 0.5 * math.cos(2 * math.pi * (v + 0.5) / cell)
        thread = a if over_a else b
        under = b if over_a else a
        shade = 7.0 * thread - 3.0 * (1 - thread) * under + 0.8 * _grain(x, y, size)
        return tuple(c + shade for c in base)

    canvas.fill_with(colour)
    return canvas


def toolbox(width=512, height=40):
    """A gentle vertical gradient: light at the top, darkening slowly, then back to light over
    the last rows. It varies only down the picture, so it tiles across a toolbar of any width,
    and its last row meets its first, so windows that tile it both ways show no hard lines."""
    top, bottom = (250, 251, 253), (214, 223, 235)
    turn = 0.85

    def colour(x, y):
        t = (y + 0.5) / height
        depth = t / turn if t < turn else (1 - t) / (1 - turn)
        return mix(top, bottom, depth ** 0.9)

    canvas = Canvas(width, height)
    canvas.fill_with(colour)
    return canvas


def splash(width=420, height=260):
    """The splash and about picture: the mark above the name in large round letters, a gold
    rule and the subtitle, on a pale sky gradient."""
    canvas = Canvas(width, height)
    top, bottom = (252, 253, 255), (200, 222, 244)
    canvas.fill_with(lambda x, y: mix(top, bottom, (y + 0.4 * x) / (height + 0.4 * width)))
    # Large, faint circles give the background some depth without competing with the name.
    for cx, cy, r, alpha in ((380, 30, 120, 0.18), (40, 250, 90, 0.14), (330, 250, 60, 0.12)):
        canvas.paint(Circle(cx, cy, r), (255, 255, 255), opacity=alpha)

    mark = 68
    mark_y = 30
    draw_zmark(canvas, (width - mark) / 2, mark_y, mark, shadow=True)

    style = StrokeStyle(cap_height=58, x_height=40, stroke=9)
    baseline = mark_y + mark + 16 + style.cap
    _, title_width = layout(style, "Zembrola", 0, baseline)
    title_x = (width - title_width) / 2
    shadow, _ = layout(style, "Zembrola", title_x + 2, baseline + 3)
    for shapes in shadow:
        canvas.paint(Soft(Union(*shapes), 4), (10, 30, 60), opacity=0.22)
    face, _ = layout(style, "Zembrola", title_x, baseline)
    ink = vertical_gradient(baseline - style.cap, baseline, BLUE_DARK, TEAL)
    for shapes in face:
        canvas.paint(Union(*shapes), ink)

    rule_y = baseline + 14
    canvas.paint(RoundRect(width / 2 - 80, rule_y, width / 2 + 80, rule_y + 3, 1.5), GOLD)
    subtitle = "Keyword ads for Amazon products"
    scale = 2
    sub_x = (width - text_width(subtitle, scale)) // 2
    draw_text(canvas, subtitle, sub_x, rule_y + 14, scale, INK_SOFT)
    return canvas


def write_jpeg(canvas, path, workdir):
    ppm = os.path.join(workdir, os.path.basename(path) + ".ppm")
    with open(ppm, "wb") as out:
        out.write(b"P6\n%d %d\n255\n" % (canvas.width, canvas.height))
        out.write(canvas.rgb_bytes())
    subprocess.run(["cjpeg", "-quality", QUALITY, "-optimize", "-outfile", path, ppm], check=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=DEFAULT_OUT, help="folder for the pictures")
    args = parser.parse_args()
    if shutil.which("cjpeg") is None:
        sys.exit("cjpeg is missing: install the Debian package libjpeg-turbo-progs")
    os.makedirs(args.out, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="zembrola-art-") as workdir:
        for name, draw in (("wall.jpg", wall), ("toolbox.jpg", toolbox), ("worm.jpg", splash)):
            write_jpeg(draw(), os.path.join(args.out, name), workdir)
            print("wrote", os.path.normpath(os.path.join(args.out, name)))


if __name__ == "__main__":
    main()
