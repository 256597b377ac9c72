"""The colours shared by every icon and picture, so the set reads as one family."""

INK = (38, 50, 70)            # outlines and dark strokes
INK_SOFT = (92, 104, 122)     # secondary outlines
PAPER = (255, 255, 255)
PAPER_SHADE = (226, 232, 240)
RULE = (150, 162, 180)        # text lines on paper

BLUE = (48, 116, 200)
BLUE_DARK = (26, 72, 140)
BLUE_LIGHT = (160, 200, 242)
TEAL = (32, 150, 160)

GREEN = (44, 160, 78)
GREEN_DARK = (24, 108, 48)
RED = (212, 58, 52)
RED_DARK = (148, 32, 30)
GOLD = (244, 182, 36)
GOLD_DARK = (178, 116, 14)

GREY = (140, 148, 160)
GREY_LIGHT = (206, 212, 220)
GREY_DARK = (96, 104, 116)

FOLDER = (240, 192, 84)
FOLDER_DARK = (178, 124, 34)
FOLDER_LIGHT = (252, 222, 140)
WOOD = (176, 120, 64)
WOOD_DARK = (118, 74, 34)
