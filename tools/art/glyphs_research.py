"""Icons of the research windows: queries, the catalog tree and its folders, expanding and
contracting the tree, loading an item list, checking the competition and the campaign."""

from icon_parts import arrow, framed, magnifier, minus, plus, sheet, star
from icon_registry import icon
from palette import (BLUE, BLUE_DARK, FOLDER, FOLDER_DARK, FOLDER_LIGHT, GOLD, GOLD_DARK, GREEN,
                     GREEN_DARK, INK, INK_SOFT, PAPER, RED, RED_DARK, RULE)
from raster import Polygon, Polyline, Rect, vertical_gradient


@icon("wizfind")
def queries(c):
    sheet(c, 1, 1, 11, 14)
    magnifier(c, 10, 9.5, 3.6, handle_to=(15, 15))


@icon("newquery")
def new_query(c):
    magnifier(c, 6.5, 7.5, 4.6, handle_to=(14, 15))
    star(c, 12, 4, 3.9)


@icon("in", "zoom in")
def expand_all(c):
    magnifier(c, 6.5, 6.5, 5.2, handle_to=(14.5, 14.5), lens=(236, 244, 252))
    plus(c, 6.5, 6.5, 3.2, 1.8, BLUE, BLUE_DARK)


@icon("out", "zoom out")
def contract_all(c):
    magnifier(c, 6.5, 6.5, 5.2, handle_to=(14.5, 14.5), lens=(236, 244, 252))
    minus(c, 6.5, 6.5, 3.2, 1.8, BLUE, BLUE_DARK)


def node(c, x0, y0, x1, y1, fill, edge):
    framed(c, x0, y0, x1, y1, fill, edge)
    c.paint(Rect(x0 + 1, y0 + 1, x1 - 1, y0 + 2), (255, 255, 255, 110))


@icon("mcrtree")
def catalog_tree(c):
    c.paint(Polyline([(3.5, 6), (3.5, 13.5), (8, 13.5)], 1.0), INK_SOFT)
    c.paint(Rect(3.5, 8, 8, 9), INK_SOFT)
    node(c, 1, 1, 7, 6, BLUE, BLUE_DARK)
    node(c, 8, 6, 14, 11, GREEN, GREEN_DARK)
    node(c, 8, 11, 14, 16, GOLD, GOLD_DARK)


def folder_back(c):
    c.paint(Polygon([(1, 3), (6, 3), (7.5, 5), (15, 5), (15, 14), (1, 14)]), FOLDER_DARK)
    c.paint(Polygon([(2, 4), (5.6, 4), (7.1, 6), (14, 6), (14, 13), (2, 13)]), FOLDER)


@icon("shutfold")
def closed_folder(c):
    folder_back(c)
    c.paint(Rect(1, 7, 15, 14), FOLDER_DARK)
    c.paint(Rect(2, 8, 14, 13), vertical_gradient(8, 13, FOLDER_LIGHT, FOLDER))


@icon("openfold")
def open_folder(c):
    folder_back(c)
    sheet(c, 4, 5, 12, 11, fold=2, lines=False)
    front = [(3.5, 8), (16, 8), (13, 14.5), (0.5, 14.5)]
    c.paint(Polygon(front), FOLDER_DARK)
    c.paint(Polygon([(4.2, 9), (14.6, 9), (12.3, 13.5), (1.9, 13.5)]),
            vertical_gradient(9, 13.5, FOLDER_LIGHT, FOLDER))


@icon("scractns")
def load_list(c):
    framed(c, 1, 1, 11, 15, PAPER)
    for y in (3, 6, 9, 12):
        c.paint(Rect(3, y, 9, y + 1), RULE)
    arrow(c, 12.5, 1, 12.5, 11, GREEN, GREEN_DARK, shaft=2.6, head=3.4)
    c.paint(Rect(9, 14, 16, 16), GREEN_DARK)


@icon("wizcnvt")
def check_competition(c):
    c.paint(Rect(1, 14, 15, 15), INK)
    c.paint(Rect(1, 2, 2, 15), INK)
    for x0, top, fill, edge in ((3, 8, BLUE, BLUE_DARK), (7, 4, GOLD, GOLD_DARK),
                                (11, 10, RED, RED_DARK)):
        framed(c, x0, top, x0 + 3, 14, fill, edge)
    c.paint(Polyline([(3.5, 6.5), (8.5, 2.5), (12.5, 8.5), (15, 5)], 1.2), INK)


@icon("grid")
def campaign(c):
    framed(c, 0, 1, 16, 15, PAPER)
    c.paint(Rect(1, 2, 15, 5), BLUE)
    for y in (8, 11):
        c.paint(Rect(1, y, 15, y + 1), RULE)
    for x in (5, 10):
        c.paint(Rect(x, 2, x + 1, 14), RULE)
    c.paint(Rect(6, 9, 10, 11), (200, 236, 206))
    c.paint(Rect(1.5, 3, 4.5, 4), (255, 255, 255, 200))
