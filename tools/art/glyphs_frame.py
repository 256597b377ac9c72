"""Icons of the main frame's menus: the application mark, set-up, printing, exit, clipboard,
window arrangement, help and about."""

import math

from icon_parts import arrow, framed, poly, question_mark, sheet, star, window
from icon_registry import icon
from palette import (BLUE, BLUE_DARK, BLUE_LIGHT, GOLD, GOLD_DARK, GREEN, GREEN_DARK, GREY,
                     GREY_DARK, GREY_LIGHT, INK, INK_SOFT, PAPER, RED, RED_DARK, TEAL, WOOD,
                     WOOD_DARK)
from raster import (Circle, Clip, Ellipse, EllipseRing, Line, Minus, Polygon, Rect, Ring,
                    RoundRect, Union, vertical_gradient)
from zmark import draw_zmark


@icon("zembrola")
def application(c):
    draw_zmark(c, 0.5, 0.5, 15)


def book(c, cover, cover_dark, label=GOLD):
    """A closed book seen from the front, pages showing at the bottom edge."""
    framed(c, 3, 12, 14, 15, PAPER)
    c.paint(Rect(4, 13, 13, 14), GREY_LIGHT)
    framed(c, 2, 1, 14, 13, cover)
    c.paint(Rect(3, 2, 13, 12), vertical_gradient(2, 12, cover, cover_dark))
    c.paint(Rect(4, 2, 5, 12), cover_dark)
    framed(c, 7, 4, 12, 7, label, GOLD_DARK)


@icon("gendict")
def dictionary(c):
    book(c, BLUE, BLUE_DARK)


@icon("aslhelp")
def help_contents(c):
    framed(c, 3, 12, 14, 15, PAPER)
    c.paint(Rect(4, 13, 13, 14), GREY_LIGHT)
    framed(c, 2, 1, 14, 13, TEAL)
    c.paint(Rect(3, 2, 13, 12), vertical_gradient(2, 12, TEAL, (20, 100, 110)))
    c.paint(Rect(4, 2, 5, 12), (20, 100, 110))
    question_mark(c, 9.5, 7, 8, (255, 255, 255), 1.7)


def gear_outline(cx, cy, outer, inner, teeth, tooth_share=0.5):
    pts = []
    step = 2 * math.pi / teeth
    half = step * tooth_share / 2
    for i in range(teeth):
        a = i * step
        for ang, rad in ((a - step / 2 + half, inner), (a - half * 0.8, outer),
                         (a + half * 0.8, outer), (a + step / 2 - half, inner)):
            pts.append((cx + rad * math.cos(ang), cy + rad * math.sin(ang)))
    return pts


@icon("genmod")
def configure(c):
    cx = cy = 8
    outer = Polygon(gear_outline(cx, cy, 7.6, 5.4, 8))
    inner = Polygon(gear_outline(cx, cy, 6.6, 4.4, 8))
    c.paint(Minus(outer, Circle(cx, cy, 1.6)), INK)
    c.paint(Minus(inner, Circle(cx, cy, 2.6)), vertical_gradient(1, 15, GREY_LIGHT, GREY))
    c.paint(Ring(cx, cy, 4.0, 1.0), (255, 255, 255, 120))


@icon("wslprint")
def print_setup(c):
    sheet(c, 4, 1, 12, 7, fold=2, lines=False)
    framed(c, 1, 6, 15, 13, GREY_LIGHT)
    c.paint(Rect(2, 7, 14, 8), (255, 255, 255))
    c.paint(Rect(2, 11, 14, 12), GREY)
    c.paint(Circle(12.5, 9.5, 1.0), GREEN)
    framed(c, 4, 10, 12, 15, PAPER)
    c.paint(Rect(5, 12, 11, 13), BLUE_LIGHT)


@icon("aslcncl")
def exit_application(c):
    # A door with an arrow leaving through it.
    framed(c, 1, 1, 10, 15, INK_SOFT)
    poly(c, [(2, 2), (7, 3.5), (7, 15.5), (2, 14)], WOOD, WOOD_DARK)
    c.paint(Circle(5.8, 9, 0.8), GOLD)
    arrow(c, 7.5, 8, 15.5, 8, RED, RED_DARK, shaft=2.4, head=3.4)


@icon("aslcut")
def cut(c):
    blade = GREY_DARK
    c.paint(Line(5.6, 10.0, 11.2, 1.2, 1.9), blade)
    c.paint(Line(10.4, 10.0, 4.8, 1.2, 1.9), blade)
    c.paint(Circle(8, 6.3, 0.9), INK)
    for cx in (4.6, 11.4):
        c.paint(Ring(cx, 12.2, 2.4, 1.8), RED)
        c.paint(Ring(cx, 12.2, 3.3, 0.6), RED_DARK)


@icon("aslcopy")
def copy(c):
    sheet(c, 1, 1, 10, 12, fold=3)
    sheet(c, 6, 4, 15, 15, fold=3)


@icon("aslpaste")
def paste(c):
    framed(c, 1, 2, 12, 15, WOOD, WOOD_DARK)
    framed(c, 4, 1, 9, 4, GREY_LIGHT, INK)
    sheet(c, 6, 6, 15, 16, fold=3)


@icon("scrgrid")
def tile(c):
    for x0, y0 in ((1, 1), (8, 1), (1, 8), (8, 8)):
        window(c, x0, y0, x0 + 7, y0 + 7)


@icon("genshowt")
def cascade(c):
    window(c, 1, 1, 10, 9)
    window(c, 4, 4, 13, 12)
    window(c, 7, 7, 15, 15)


@icon("scrpbox")
def arrange_icons(c):
    framed(c, 0, 1, 16, 15, (234, 240, 248), INK_SOFT)
    for x0 in (2, 7, 12):
        framed(c, x0, 10, x0 + 4 if x0 < 12 else 14, 13, BLUE, BLUE_DARK)
    window(c, 3, 3, 11, 8)


@icon("aslglob")
def about(c):
    globe(c, 8, 8, 6.8)


def globe(c, cx, cy, r):
    ball = Circle(cx, cy, r)
    c.paint(ball, vertical_gradient(cy - r, cy + r, (92, 164, 232), BLUE_DARK))
    land = [Union(Ellipse(cx - 2.6, cy - 1.2, 2.3, 3.4), Ellipse(cx - 1.2, cy + 3.2, 1.3, 2.0)),
            Union(Ellipse(cx + 3.0, cy + 1.6, 2.2, 2.6), Ellipse(cx + 2.2, cy - 4.4, 2.4, 1.4))]
    for shape in land:
        c.paint(Clip(shape, ball), GREEN)
    grid = (255, 255, 255, 110)
    c.paint(Clip(EllipseRing(cx, cy, r * 0.45, r, 0.8), ball), grid)
    c.paint(Clip(Rect(cx - r, cy - 0.4, cx + r, cy + 0.4), ball), grid)
    c.paint(Ring(cx, cy, r, 1.2), BLUE_DARK)
    c.paint(Circle(cx - r * 0.4, cy - r * 0.45, r * 0.25), (255, 255, 255, 90))


@icon("connect", "world connect")
def update_from_internet(c):
    globe(c, 6.5, 6.5, 5.8)
    arrow(c, 12.5, 7.5, 12.5, 15.5, GREEN, GREEN_DARK, shaft=2.4, head=3.2)


@icon("wahelp")
def help_button(c):
    c.paint(Circle(8, 8, 7.3), vertical_gradient(1, 15, (90, 156, 228), BLUE_DARK))
    c.paint(Ring(8, 8, 7.3, 1.0), BLUE_DARK)
    question_mark(c, 8, 8, 10, (255, 255, 255), 2.0)


@icon("help")
def get_help(c):
    c.paint(Circle(8, 8, 7.3), vertical_gradient(1, 15, (255, 216, 96), GOLD))
    c.paint(Ring(8, 8, 7.3, 1.0), GOLD_DARK)
    question_mark(c, 8, 8, 10, INK, 2.0)


@icon("wizhelp")
def how_to_use_help(c):
    bubble = RoundRect(0.5, 1.5, 13.5, 11.5, 3.5)
    tail = Polygon([(3, 10), (7, 10), (2.5, 14.5)])
    c.paint(bubble, INK_SOFT)
    c.paint(tail, INK_SOFT)
    c.paint(RoundRect(1.5, 2.5, 12.5, 10.5, 2.5), PAPER)
    c.paint(Polygon([(3.8, 9.5), (6, 9.5), (3.6, 12.2)]), PAPER)
    question_mark(c, 7, 6.5, 7, BLUE, 1.7)
    star(c, 12.5, 12.5, 3.4)
