"""Icons of record work: the navigation buttons that move through a list, and the buttons that
locate, select, insert, change and delete records or accept and leave a form."""

from icon_parts import (badge, cross, framed, list_rows, magnifier, pencil, plus, poly, sheet,
                        tick, triangle, window)
from icon_registry import icon
from palette import (BLUE, BLUE_DARK, GREY, GREY_DARK, GREY_LIGHT, INK, INK_SOFT, PAPER, RED,
                     RED_DARK)
from raster import Line, Rect, RoundRect, Union, vertical_gradient


def pointer(c, apex_y, base_y):
    """A navigation triangle; it points up when its apex is above its base."""
    triangle(c, [(3, base_y), (8, apex_y), (13, base_y)])


def bar(c, y0, y1):
    poly(c, [(3, y0), (13, y0), (13, y1), (3, y1)], BLUE, BLUE_DARK)


@icon("vcrfirst")
def first_page(c):
    bar(c, 1.5, 3.5)
    pointer(c, 5, 9.5)
    pointer(c, 9.5, 14.5)


@icon("vcrprior")
def prior_page(c):
    pointer(c, 2, 8)
    pointer(c, 8, 14)


@icon("vcrup")
def prior_record(c):
    pointer(c, 4.5, 11.5)


@icon("vcrdown")
def next_record(c):
    pointer(c, 11.5, 4.5)


@icon("vcrnext")
def next_page(c):
    pointer(c, 8, 2)
    pointer(c, 14, 8)


@icon("vcrlast")
def last_page(c):
    pointer(c, 6.5, 1.5)
    pointer(c, 11, 6.5)
    bar(c, 12.5, 14.5)


@icon("find")
def locate(c):
    magnifier(c, 6.5, 6.5, 4.8, handle_to=(14.2, 14.2))


@icon("mark")
def select_record(c):
    list_rows(c, 1, 1, 15, 15, highlight=1)
    tick(c, [(9.5, 11.5), (11.5, 13.5), (15, 9)], width=1.8)


@icon("waselect")
def select_button(c):
    list_rows(c, 0, 1, 13, 12, highlight=1)
    # The mouse pointer clicking the highlighted row.
    cursor = [(7, 5), (7, 15.5), (9.4, 13.2), (11, 16), (12.6, 15.2), (11.1, 12.4), (14.2, 12.2)]
    poly(c, cursor, PAPER, INK)


@icon("insert")
def insert_record(c):
    sheet(c, 1, 1, 12, 15)
    badge(c, 11.5, 11.5, 4.0, (255, 255, 255), (255, 255, 255))
    plus(c, 11.5, 11.5, 4.0, 2.4)


@icon("wainsert")
def insert_button(c):
    plus(c, 8, 8, 6.5, 4.0)


@icon("edit")
def change_record(c):
    sheet(c, 1, 1, 12, 15)
    pencil(c, 6, 13, 15, 4)


@icon("wachange")
def change_button(c):
    pencil(c, 2, 14, 14.5, 1.5, 4.0)
    c.paint(Rect(1, 15, 7, 16), INK_SOFT)


@icon("delete")
def delete_record(c):
    sheet(c, 1, 1, 12, 15)
    cross(c, 11.5, 11.5, 3.0, 2.2)


@icon("wadelete")
def delete_button(c):
    # A waste bin with its lid.
    framed(c, 2, 2, 14, 5, GREY_LIGHT, GREY_DARK)
    framed(c, 6, 0, 10, 3, GREY_LIGHT, GREY_DARK)
    poly(c, [(3, 5), (13, 5), (12, 15.5), (4, 15.5)], GREY_LIGHT, GREY_DARK)
    for x in (6, 8, 10):
        c.paint(Rect(x - 0.5, 7, x + 0.5, 14), GREY)
    c.paint(Rect(3.5, 5, 12.5, 6), (255, 255, 255, 140))


@icon("ditto")
def previous_value(c):
    # Two entry fields: the lower one repeats the upper one, shown by ditto marks.
    framed(c, 0, 1, 16, 7, PAPER, INK_SOFT)
    c.paint(Rect(2, 3, 12, 5), GREY)
    framed(c, 0, 9, 16, 15, PAPER, INK_SOFT)
    c.paint(Union(Line(5.2, 13.4, 6.8, 10.4, 2.0), Line(9.2, 13.4, 10.8, 10.4, 2.0)), BLUE)


@icon("waok")
def ok_button(c):
    tick(c, [(2.2, 8.5), (6.2, 12.5), (13.8, 3.5)], width=3.0)


@icon("wacancel")
def cancel_button(c):
    cross(c, 8, 8, 4.8, 3.0)


@icon("waclose")
def close_window(c):
    window(c, 0, 1, 15, 14)
    c.paint(Rect(1, 4, 14, 13), vertical_gradient(4, 13, PAPER, (232, 236, 242)))
    c.paint(RoundRect(8, 6, 16, 14, 1.5), RED_DARK)
    c.paint(RoundRect(9, 7, 15, 13, 1.0), RED)
    c.paint(Union(Line(10.3, 8.3, 13.7, 11.7, 1.5), Line(10.3, 11.7, 13.7, 8.3, 1.5)),
            (255, 255, 255))
    c.paint(Rect(2, 6, 7, 7), GREY)
    c.paint(Rect(2, 9, 6, 10), GREY)


