#!/usr/bin/env python3
"""Checks the generated artwork and the help pages in resources/: every icon the generator
draws is present, decodes and is a 16x16 RGBA PNG, with no stray icon files; every picture
decodes with djpeg at its expected size; every icon and picture a window layout names exists;
the application icon is there at every size of the desktop's icon theme;
every help page has a title, loads nothing from outside and links only to pages that exist,
and the contents page links to every page.
Run: python3 tools/art/check_art.py (exit status 1 when something is wrong)."""

import glob
import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # keep the source tree free of __pycache__

import desktop_icons  # noqa: E402
import make_icons  # noqa: E402
from icon_registry import ICONS  # noqa: E402
from pngfile import decode_png  # noqa: E402

RESOURCES = os.path.normpath(os.path.join(HERE, "..", "..", "resources"))
PICTURES = {"wall.jpg": (256, 256), "toolbox.jpg": (512, 40), "worm.jpg": (420, 260)}
EMPTY_ICONS = {"blank"}  # drawn empty on purpose


def check_icons(problems):
    folder = os.path.join(RESOURCES, "icons")
    present = {os.path.basename(p)[:-4] for p in glob.glob(os.path.join(folder, "*.png"))}
    for stem in sorted(set(ICONS) - present):
        problems.append("icon %s.png is missing: run make_icons.py" % stem)
    for stem in sorted(present - set(ICONS)):
        problems.append("icon %s.png is not drawn by make_icons.py" % stem)
    for stem in sorted(present & set(ICONS)):
        path = os.path.join(folder, stem + ".png")
        try:
            with open(path, "rb") as f:
                width, height, rgba = decode_png(f.read())
        except ValueError as error:
            problems.append("%s does not decode: %s" % (path, error))
            continue
        if (width, height) != (make_icons.SIZE, make_icons.SIZE):
            problems.append("%s is %dx%d" % (path, width, height))
        opaque = any(rgba[i] for i in range(3, len(rgba), 4))
        if opaque == (stem in EMPTY_ICONS):
            problems.append("%s is %s" % (path, "not empty" if opaque else "empty"))
        if make_icons.render(stem).rgba_bytes() != rgba:
            problems.append("%s differs from what make_icons.py draws" % path)


def check_desktop_icons(problems):
    for size in desktop_icons.SIZES:
        path = desktop_icons.png_path(size)
        try:
            with open(path, "rb") as f:
                width, height, rgba = decode_png(f.read())
        except (OSError, ValueError) as error:
            problems.append("%s: %s (run make_icons.py)" % (path, error))
            continue
        if (width, height) != (size, size):
            problems.append("%s is %dx%d" % (path, width, height))
        elif desktop_icons.render(size).rgba_bytes() != rgba:
            problems.append("%s differs from what make_icons.py draws" % path)
    path = desktop_icons.svg_path()
    try:
        with open(path, encoding="utf-8") as f:
            if f.read() != desktop_icons.svg():
                problems.append("%s differs from what make_icons.py writes" % path)
    except OSError as error:
        problems.append("%s: %s (run make_icons.py)" % (path, error))


def check_pictures(problems):
    for name, size in sorted(PICTURES.items()):
        path = os.path.join(RESOURCES, "pictures", name)
        if not os.path.exists(path):
            problems.append("picture %s is missing: run make_pictures.py" % name)
            continue
        result = subprocess.run(["djpeg", "-pnm", path], capture_output=True)
        header = result.stdout.split(None, 3)
        if result.returncode != 0 or len(header) < 3:
            problems.append("%s does not decode: %s" % (path, result.stderr.decode().strip()))
            continue
        if (int(header[1]), int(header[2])) != size:
            problems.append("%s is %sx%s, expected %dx%d" % (path, header[1].decode(),
                                                              header[2].decode(), *size))


def icon_stem(name):
    """The file stem the program looks up for an icon name: lower case, no '~', no extension."""
    name = name[1:] if name.startswith("~") else name
    return os.path.splitext(name)[0].lower()


def check_layout_references(problems):
    """Every icon and picture that a window layout names must exist."""
    for path in sorted(glob.glob(os.path.join(RESOURCES, "layout", "*.json"))):
        with open(path, encoding="utf-8") as f:
            text = f.read()
        for name in sorted(set(re.findall(r'"([^"]+\.ico)"', text, re.I))):
            if icon_stem(name) not in ICONS:
                problems.append("%s names icon %s, which is not drawn" % (path, name))
        for name in sorted(set(re.findall(r'"([^"]+\.jpg)"', text, re.I))):
            if name.lower() not in PICTURES:
                problems.append("%s names picture %s, which is not drawn" % (path, name))


def check_help(problems):
    folder = os.path.join(RESOURCES, "help")
    pages = sorted(os.path.basename(p) for p in glob.glob(os.path.join(folder, "*.htm")))
    if "index.htm" not in pages:
        problems.append("help contents page index.htm is missing")
    for page in pages:
        with open(os.path.join(folder, page), encoding="utf-8") as f:
            text = f.read()
        body = re.sub(r"<!DOCTYPE[^>]*>", "", text, flags=re.I)
        if not re.search(r"<title>[^<]+</title>", body, re.I):
            problems.append("help page %s has no title" % page)
        if re.search(r"<script|\bsrc\s*=|<link\b|@import|url\(|https?:", body, re.I):
            problems.append("help page %s uses a script or an outside resource" % page)
        for target in re.findall(r'href="([^"]+)"', body, re.I):
            if target.split("#")[0] not in pages:
                problems.append("help page %s links to missing %s" % (page, target))
        if page == "index.htm":
            linked = set(re.findall(r'href="([^"#]+)', body))
            for other in pages:
                if other != "index.htm" and other not in linked:
                    problems.append("index.htm does not list %s" % other)


def main():
    problems = []
    check_icons(problems)
    check_desktop_icons(problems)
    check_pictures(problems)
    check_layout_references(problems)
    check_help(problems)
    for problem in problems:
        print(problem)
    if problems:
        sys.exit(1)
    print("%d icons, %d pictures and the help pages are in order" % (len(ICONS), len(PICTURES)))


if __name__ == "__main__":
    main()
