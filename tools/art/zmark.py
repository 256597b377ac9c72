"""The Zembrola mark: a white Z on a blue-to-teal rounded square with a gold accent bar.

One scalable drawing serves the 16-pixel application icon and the splash picture."""

from palette import BLUE_DARK, GOLD, TEAL
from raster import Polygon, RoundRect, Soft, vertical_gradient

# The Z in unit coordinates of the square: top bar, diagonal, bottom bar.
_Z = [(0.22, 0.19), (0.80, 0.19), (0.80, 0.35), (0.45, 0.63), (0.80, 0.63), (0.80, 0.76),
      (0.20, 0.76), (0.20, 0.61), (0.55, 0.33), (0.22, 0.33)]


def draw_zmark(canvas, x, y, size, shadow=False):
    def at(u, v):
        return (x + u * size, y + v * size)

    if shadow:
        offset = size * 0.04
        canvas.paint(Soft(RoundRect(x + offset, y + 2 * offset, x + size + offset,
                                    y + size + 2 * offset, size * 0.22), size * 0.08),
                     (0, 20, 40), opacity=0.35)
    body = RoundRect(x, y, x + size, y + size, size * 0.22)
    canvas.paint(body, vertical_gradient(y, y + size, BLUE_DARK, TEAL))
    canvas.paint(Polygon([at(u, v) for u, v in _Z]), (255, 255, 255))
    # The accent bar under the Z, like an underline: the one warm touch of the mark.
    canvas.paint(RoundRect(*at(0.20, 0.82), *at(0.80, 0.91), size * 0.045), GOLD)
