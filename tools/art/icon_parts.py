"""Pieces that several icons share (paper, magnifier, tick, badges, windows, tags), drawn on a
16x16 canvas so that the family keeps one size of stroke and one palette."""

import math

from palette import (BLUE, BLUE_DARK, BLUE_LIGHT, GOLD, GOLD_DARK, GREEN, GREEN_DARK, INK,
                     INK_SOFT, PAPER, PAPER_SHADE, RED, RED_DARK, RULE, WOOD_DARK)
from raster import (Arc, Circle, Line, Minus, Polygon, Polyline, Rect, Ring, Union,
                    vertical_gradient)


def framed(c, x0, y0, x1, y1, fill, edge=INK):
    """A pixel-aligned box with a one-pixel border."""
    c.paint(Rect(x0, y0, x1, y1), edge)
    c.paint(Rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1), fill)


def poly(c, points, fill, edge=INK, width=1.0):
    c.paint(Polygon(points), fill)
    if edge is not None:
        c.paint(Polyline(list(points) + [points[0]], width), edge)


def sheet(c, x0, y0, x1, y1, fold=3, lines=True):
    """A sheet of paper with a folded top-right corner and, optionally, lines of text."""
    outline = [(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)]
    inner = [(x0 + 1, y0 + 1), (x1 - fold - 0.4, y0 + 1), (x1 - 1, y0 + fold + 0.4),
             (x1 - 1, y1 - 1), (x0 + 1, y1 - 1)]
    c.paint(Polygon(outline), INK)
    c.paint(Polygon(inner), vertical_gradient(y0, y1, PAPER, PAPER_SHADE))
    c.paint(Polygon([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)]), PAPER_SHADE)
    c.paint(Polyline([(x1 - fold - 0.5, y0 + 0.5), (x1 - fold - 0.5, y0 + fold + 0.5),
                      (x1 - 0.5, y0 + fold + 0.5)], 1.0), INK_SOFT)
    if lines:
        y = y0 + fold + 2
        while y + 1 <= y1 - 2:
            right = x1 - 2 if y > y0 + fold + 1 else x1 - fold - 1
            c.paint(Rect(x0 + 2, y, right, y + 1), RULE)
            y += 2


def magnifier(c, cx, cy, r, handle_to=None, lens=BLUE_LIGHT):
    """A lens of radius r with a dark rim and a handle running down-right to handle_to."""
    if handle_to is None:
        d = r + 4.5
        handle_to = (cx + d * 0.7071, cy + d * 0.7071)
    start = (cx + (r + 0.6) * 0.7071, cy + (r + 0.6) * 0.7071)
    c.paint(Line(*start, *handle_to, 3.0), WOOD_DARK)
    c.paint(Circle(cx, cy, r), lens + (210,))
    c.paint(Arc(cx, cy, r * 0.55, 1.0, 200, 260), (255, 255, 255, 220))
    c.paint(Ring(cx, cy, r, 1.5), INK)


def tick(c, points, width=2.6, fill=GREEN, edge=GREEN_DARK):
    c.paint(Polyline(points, width + 1.4), edge)
    c.paint(Polyline(points, width), fill)


def cross(c, cx, cy, half, width=2.6, fill=RED, edge=RED_DARK):
    a = Line(cx - half, cy - half, cx + half, cy + half, width + 1.4)
    b = Line(cx - half, cy + half, cx + half, cy - half, width + 1.4)
    c.paint(Union(a, b), edge)
    a = Line(cx - half, cy - half, cx + half, cy + half, width)
    b = Line(cx - half, cy + half, cx + half, cy - half, width)
    c.paint(Union(a, b), fill)


def plus(c, cx, cy, half, width=2.4, fill=GREEN, edge=GREEN_DARK):
    """A plus sign with square ends, drawn as a bordered cross of two bars."""
    h, w = half, width / 2
    arms = [(cx - w, cy - h), (cx + w, cy - h), (cx + w, cy - w), (cx + h, cy - w),
            (cx + h, cy + w), (cx + w, cy + w), (cx + w, cy + h), (cx - w, cy + h),
            (cx - w, cy + w), (cx - h, cy + w), (cx - h, cy - w), (cx - w, cy - w)]
    poly(c, arms, fill, edge)


def minus(c, cx, cy, half, width=2.4, fill=RED, edge=RED_DARK):
    w = width / 2
    poly(c, [(cx - half, cy - w), (cx + half, cy - w), (cx + half, cy + w), (cx - half, cy + w)],
         fill, edge)


def badge(c, cx, cy, r, fill, edge):
    """A round disc that carries a small sign at an icon's corner."""
    c.paint(Circle(cx, cy, r + 0.8), (255, 255, 255))
    c.paint(Circle(cx, cy, r), fill)
    c.paint(Ring(cx, cy, r, 1.0), edge)


def arrow(c, x0, y0, x1, y1, fill=GREEN, edge=GREEN_DARK, shaft=2.4, head=3.4):
    """A straight arrow from (x0, y0) to its point at (x1, y1)."""
    length = math.hypot(x1 - x0, y1 - y0)
    ux, uy = (x1 - x0) / length, (y1 - y0) / length
    nx, ny = -uy, ux
    bx, by = x1 - ux * head * 1.1, y1 - uy * head * 1.1
    s = shaft / 2
    shape = [(x0 + nx * s, y0 + ny * s), (bx + nx * s, by + ny * s),
             (bx + nx * head, by + ny * head), (x1, y1), (bx - nx * head, by - ny * head),
             (bx - nx * s, by - ny * s), (x0 - nx * s, y0 - ny * s)]
    poly(c, shape, fill, edge)


def question_mark(c, cx, cy, size, colour, width=None):
    """A question mark centred on (cx, cy), about `size` pixels tall."""
    w = width if width is not None else max(1.6, size * 0.2)
    r = size * 0.24
    top = cy - size / 2 + r + w / 2
    hook = Arc(cx, top, r, w, 185, 80)
    bend = (cx + r * math.cos(math.radians(80)), top + r * math.sin(math.radians(80)))
    stem = Line(bend[0], bend[1], cx, cy + size * 0.16, w)
    c.paint(Union(hook, stem), colour)
    c.paint(Circle(cx, cy + size / 2 - w / 2, w * 0.62), colour)


def window(c, x0, y0, x1, y1, title=BLUE, body=PAPER):
    """A small application window: border, title bar and client area."""
    framed(c, x0, y0, x1, y1, body)
    c.paint(Rect(x0 + 1, y0 + 1, x1 - 1, y0 + 3), title)


def tag(c, x0, y0, x1, y1, fill=GOLD, edge=GOLD_DARK):
    """A price tag pointing left with a punched hole."""
    mid = (y0 + y1) / 2
    point = x0 + (y1 - y0) / 2
    outline = [(x0, mid), (point, y0), (x1, y0), (x1, y1), (point, y1)]
    hole = Circle(point, mid, 1.1)
    c.paint(Minus(Polygon(outline), hole), fill)
    c.paint(Polyline(outline + [outline[0]], 1.0), edge)
    c.paint(Ring(point, mid, 1.1, 0.9), edge)


def pencil(c, x0, y0, x1, y1, width=3.2):
    """A pencil lying from its tip at (x0, y0) to its end at (x1, y1)."""
    length = math.hypot(x1 - x0, y1 - y0)
    ux, uy = (x1 - x0) / length, (y1 - y0) / length
    nx, ny = -uy, ux
    h = width / 2
    cone = 3.2
    bx, by = x0 + ux * cone, y0 + uy * cone
    ex, ey = x1 - ux * 2.2, y1 - uy * 2.2
    body = [(bx + nx * h, by + ny * h), (ex + nx * h, ey + ny * h), (ex - nx * h, ey - ny * h),
            (bx - nx * h, by - ny * h)]
    eraser = [(ex + nx * h, ey + ny * h), (x1 + nx * h, y1 + ny * h), (x1 - nx * h, y1 - ny * h),
              (ex - nx * h, ey - ny * h)]
    tip = [(x0, y0), (bx + nx * h, by + ny * h), (bx - nx * h, by - ny * h)]
    poly(c, body, GOLD, INK)
    poly(c, eraser, (232, 132, 140), INK)
    poly(c, tip, (238, 214, 170), INK)
    c.paint(Circle(x0 + ux * 0.9, y0 + uy * 0.9, 0.9), INK)


def list_rows(c, x0, y0, x1, y1, highlight=None):
    """A list box: framed white area with rows of text; `highlight` is the row number shown
    selected."""
    framed(c, x0, y0, x1, y1, PAPER)
    row = 0
    y = y0 + 2
    while y + 2 <= y1 - 1:
        if row == highlight:
            c.paint(Rect(x0 + 1, y - 1, x1 - 1, y + 2), BLUE)
            c.paint(Rect(x0 + 3, y, x1 - 3, y + 1), (255, 255, 255))
        else:
            c.paint(Rect(x0 + 3, y, x1 - 3, y + 1), RULE)
        y += 3
        row += 1


def triangle(c, points, fill=BLUE, edge=BLUE_DARK):
    poly(c, points, fill, edge)


def star(c, cx, cy, r, fill=GOLD, edge=GOLD_DARK):
    pts = []
    for i in range(10):
        rad = r if i % 2 == 0 else r * 0.45
        a = math.radians(-90 + 36 * i)
        pts.append((cx + rad * math.cos(a), cy + rad * math.sin(a)))
    poly(c, pts, fill, edge, 0.9)

