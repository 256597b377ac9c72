"""Round-stroked display letters for the product name, built from lines, rings and arcs.

Only the letters of "Zembrola" are drawn; each glyph is a list of distance shapes placed at a pen
position on a baseline, so one glyph can be painted twice (shadow, then face)."""

from raster import Arc, Line, Polyline, Ring


class StrokeStyle:
    def __init__(self, cap_height, x_height, stroke):
        self.cap = cap_height
        self.xh = x_height
        self.w = stroke
        self.r = (x_height - stroke) / 2  # bowl radius on the stroke's centre line
        self.gap = stroke * 0.85


def _z(s, x, b):
    w, width = s.w, s.cap * 0.64
    top, bottom = b - s.cap + w / 2, b - w / 2
    pts = [(x + w / 2, top), (x + width - w / 2, top), (x + w / 2, bottom),
           (x + width - w / 2, bottom)]
    return [Polyline(pts, w)], width


def _bowl(s, x, b):
    cx, cy = x + s.r + s.w / 2, b - s.xh / 2
    return cx, cy


def _o(s, x, b):
    cx, cy = _bowl(s, x, b)
    return [Ring(cx, cy, s.r, s.w)], s.xh


def _e(s, x, b):
    cx, cy = _bowl(s, x, b)
    return [Arc(cx, cy, s.r, s.w, 35, 360), Line(cx - s.r, cy, cx + s.r, cy, s.w)], s.xh


def _a(s, x, b):
    cx, cy = _bowl(s, x, b)
    stem_x = cx + s.r
    stem = Line(stem_x, b - s.xh + s.w / 2, stem_x, b - s.w / 2, s.w)
    return [Ring(cx, cy, s.r, s.w), stem], s.xh


def _b(s, x, b):
    stem_x = x + s.w / 2
    cx, cy = _bowl(s, x, b)
    stem = Line(stem_x, b - s.cap + s.w / 2, stem_x, b - s.w / 2, s.w)
    return [stem, Ring(cx, cy, s.r, s.w)], s.xh


def _l(s, x, b):
    stem_x = x + s.w / 2
    return [Line(stem_x, b - s.cap + s.w / 2, stem_x, b - s.w / 2, s.w)], s.w


def _r(s, x, b):
    stem_x = x + s.w / 2
    cx, cy = _bowl(s, x, b)
    return [Line(stem_x, b - s.xh + s.w / 2, stem_x, b - s.w / 2, s.w),
            Arc(cx, cy, s.r, s.w, 180, 300)], s.xh * 0.78


def _m(s, x, b):
    w = s.w
    r = (s.xh * 0.78 - w) / 2
    cy = b - s.xh + w / 2 + r
    x0 = x + w / 2
    shapes = [Line(x0, b - s.xh + w / 2, x0, b - w / 2, w)]
    for k in range(2):
        left = x0 + 2 * r * k
        shapes.append(Arc(left + r, cy, r, w, 180, 360))
        shapes.append(Line(left + 2 * r, cy, left + 2 * r, b - w / 2, w))
    return shapes, 4 * r + w


_LETTERS = {"Z": _z, "e": _e, "m": _m, "b": _b, "r": _r, "o": _o, "l": _l, "a": _a}


def layout(style, text, x, baseline):
    """The glyphs of `text` as lists of shapes, and the pen position after the last one."""
    glyphs = []
    for ch in text:
        shapes, advance = _LETTERS[ch](style, x, baseline)
        glyphs.append(shapes)
        x += advance + style.gap
    return glyphs, x - style.gap
