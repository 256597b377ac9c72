"""The application icon as the desktop's icon theme wants it: the Zembrola mark drawn at each
size a launcher or dock asks for, and once as SVG for any other size. The 16-pixel icon is the
program's own (resources/icons/zembrola.png); these go beside the desktop entry in src/app.

Drawn from the same geometry as the 16-pixel mark, never scaled up from it."""

import os

from palette import BLUE_DARK, GOLD, TEAL
from raster import Canvas
from zmark import _Z, draw_zmark

HERE = os.path.dirname(os.path.abspath(__file__))
THEME = os.path.normpath(os.path.join(HERE, "..", "..", "src", "app", "icons", "hicolor"))
SIZES = (32, 48, 64, 128, 256)
NAME = "zembrola"


def png_path(size, theme=THEME):
    return os.path.join(theme, "%dx%d" % (size, size), "apps", NAME + ".png")


def svg_path(theme=THEME):
    return os.path.join(theme, "scalable", "apps", NAME + ".svg")


def _margin(size):
    # The 16-pixel mark leaves half a pixel all round; larger ones keep the same proportion.
    return size / 32


def render(size):
    canvas = Canvas(size, size)
    margin = _margin(size)
    draw_zmark(canvas, margin, margin, size - 2 * margin)
    return canvas


def _hex(colour):
    return "#%02x%02x%02x" % colour


def svg():
    """The mark at 128 units, the same shapes as draw_zmark paints."""
    units = 128
    m = _margin(units)
    s = units - 2 * m

    def at(u, v):
        return "%.2f,%.2f" % (m + u * s, m + v * s)

    bar_x, bar_y = m + 0.20 * s, m + 0.82 * s
    return "\n".join([
        '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
        % (units, units, units, units),
        '  <title>Zembrola</title>',
        '  <defs>',
        '    <linearGradient id="body" x1="0" y1="0" x2="0" y2="1">',
        '      <stop offset="0" stop-color="%s"/>' % _hex(BLUE_DARK),
        '      <stop offset="1" stop-color="%s"/>' % _hex(TEAL),
        '    </linearGradient>',
        '  </defs>',
        '  <rect x="%.2f" y="%.2f" width="%.2f" height="%.2f" rx="%.2f" fill="url(#body)"/>'
        % (m, m, s, s, 0.22 * s),
        '  <polygon points="%s" fill="#ffffff"/>' % " ".join(at(u, v) for u, v in _Z),
        '  <rect x="%.2f" y="%.2f" width="%.2f" height="%.2f" rx="%.2f" fill="%s"/>'
        % (bar_x, bar_y, 0.60 * s, 0.09 * s, 0.045 * s, _hex(GOLD)),
        '</svg>',
        '',
    ])
