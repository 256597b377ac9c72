"""Icons of tagging and of on/off states: the tag commands of an item list, the tag column,
the active switch of a store and the check mark of a checked menu item."""

from icon_parts import arrow, badge, cross, framed, minus, plus, tag, tick
from icon_registry import icon
from palette import (BLUE, BLUE_DARK, BLUE_LIGHT, GOLD_DARK, GREEN_DARK, GREY, GREY_DARK,
                     GREY_LIGHT, INK, INK_SOFT, RED_DARK)
from raster import Circle, Rect, Ring, vertical_gradient


def one_tag(c):
    tag(c, 0.5, 1.5, 12.5, 10.5)


def tag_stack(c):
    tag(c, 3.5, 0.5, 14.5, 7.5, (252, 222, 140), GOLD_DARK)
    tag(c, 2, 3, 13, 10, (250, 204, 96), GOLD_DARK)
    tag(c, 0.5, 5.5, 11.5, 12.5)


def flip_sign(c):
    """Two opposite arrows at the lower right: swap tagged and untagged."""
    c.paint(Rect(7, 8, 16, 16), (255, 255, 255, 230))
    arrow(c, 7.5, 10.0, 15.8, 10.0, BLUE, BLUE_DARK, shaft=1.4, head=2.0)
    arrow(c, 15.8, 14.2, 7.5, 14.2, BLUE, BLUE_DARK, shaft=1.4, head=2.0)


def add_sign(c):
    badge(c, 12, 12, 3.9, (255, 255, 255), (255, 255, 255))
    plus(c, 12, 12, 3.6, 2.2)


def remove_sign(c):
    badge(c, 12, 12, 3.9, (255, 255, 255), (255, 255, 255))
    minus(c, 12, 12, 3.4, 2.6)


@icon("tagone")
def tag_item(c):
    one_tag(c)
    add_sign(c)


@icon("untagone")
def untag_item(c):
    one_tag(c)
    remove_sign(c)


@icon("flipone")
def flip_item(c):
    one_tag(c)
    flip_sign(c)


@icon("tagall")
def tag_all(c):
    tag_stack(c)
    add_sign(c)


@icon("untagall")
def untag_all(c):
    tag_stack(c)
    remove_sign(c)


@icon("flipall")
def flip_all(c):
    tag_stack(c)
    flip_sign(c)


@icon("prevtag")
def previous_tagged(c):
    tag(c, 0.5, 6.5, 10.5, 14.5)
    arrow(c, 12.5, 15, 12.5, 1, BLUE, BLUE_DARK, shaft=2.4, head=3.2)


@icon("nexttag")
def next_tagged(c):
    tag(c, 0.5, 1.5, 10.5, 9.5)
    arrow(c, 12.5, 1, 12.5, 15, BLUE, BLUE_DARK, shaft=2.4, head=3.2)


@icon("check")
def tagged(c):
    tick(c, [(3, 8.5), (6.5, 12), (13, 4.5)], width=2.4)


@icon("blank")
def untagged(c):
    """Nothing: an untagged row shows an empty place in the tag column."""


@icon("active")
def active_store(c):
    c.paint(Circle(8, 8, 7.3), vertical_gradient(1, 15, (96, 200, 120), GREEN_DARK))
    c.paint(Ring(8, 8, 7.3, 1.0), GREEN_DARK)
    tick(c, [(4.5, 8.2), (7, 10.8), (11.6, 5.4)], width=2.2, fill=(255, 255, 255),
         edge=(255, 255, 255, 0))


@icon("inactive")
def inactive_store(c):
    c.paint(Circle(8, 8, 7.3), vertical_gradient(1, 15, GREY_LIGHT, GREY))
    c.paint(Ring(8, 8, 7.3, 1.0), GREY_DARK)
    cross(c, 8, 8, 3.0, 2.2, RED_DARK, (255, 255, 255, 0))


def menu_check(c, box, edge, mark):
    framed(c, 1, 1, 15, 15, box, edge)
    tick(c, [(4, 8.2), (6.8, 11), (12, 5)], width=2.0, fill=mark, edge=(255, 255, 255, 0))


@icon("xxpp_on")
def menu_checked_selected(c):
    menu_check(c, BLUE_LIGHT, BLUE_DARK, INK)


@icon("xxpp_onc")
def menu_checked(c):
    menu_check(c, (236, 238, 242), INK_SOFT, GREY_DARK)

