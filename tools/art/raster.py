"""A tiny anti-aliased raster: a canvas of straight-alpha RGBA pixels and filled shapes.

Coordinates are continuous: pixel (i, j) covers the square [i, i+1) x [j, j+1). Most shapes are
signed-distance shapes, whose coverage of a pixel is estimated from the distance at its centre;
axis-aligned rectangles use their exact area so that pixel-aligned edges stay crisp."""

import math


def _clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


class Shape:
    def bounds(self):
        """(x0, y0, x1, y1) in canvas coordinates; nothing outside is touched."""
        raise NotImplementedError

    def coverage(self, px, py):
        """How much of pixel (px, py) the shape covers, 0 to 1."""
        raise NotImplementedError


class SdfShape(Shape):
    def sd(self, x, y):
        raise NotImplementedError

    def coverage(self, px, py):
        return _clamp01(0.5 - self.sd(px + 0.5, py + 0.5))


class Rect(Shape):
    def __init__(self, x0, y0, x1, y1):
        self.box = (min(x0, x1), min(y0, y1), max(x0, x1), max(y0, y1))

    def bounds(self):
        return self.box

    def coverage(self, px, py):
        x0, y0, x1, y1 = self.box
        w = min(px + 1, x1) - max(px, x0)
        h = min(py + 1, y1) - max(py, y0)
        return w * h if w > 0 and h > 0 else 0.0


class Circle(SdfShape):
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r = cx, cy, r

    def bounds(self):
        return (self.cx - self.r, self.cy - self.r, self.cx + self.r, self.cy + self.r)

    def sd(self, x, y):
        return math.hypot(x - self.cx, y - self.cy) - self.r


class Ring(SdfShape):
    """A circle's outline of width w, centred on radius r."""

    def __init__(self, cx, cy, r, w):
        self.cx, self.cy, self.r, self.w = cx, cy, r, w

    def bounds(self):
        e = self.r + self.w / 2
        return (self.cx - e, self.cy - e, self.cx + e, self.cy + e)

    def sd(self, x, y):
        return abs(math.hypot(x - self.cx, y - self.cy) - self.r) - self.w / 2


def _ellipse_distance(x, y, rx, ry):
    # First-order distance to the ellipse curve: good near the curve, which is all AA needs.
    k = math.hypot(x / rx, y / ry)
    if k == 0:
        return -min(rx, ry)
    gx, gy = x / (rx * rx * k), y / (ry * ry * k)
    g = math.hypot(gx, gy)
    return (k - 1) / g if g > 0 else 0.0


class Ellipse(SdfShape):
    def __init__(self, cx, cy, rx, ry):
        self.cx, self.cy, self.rx, self.ry = cx, cy, rx, ry

    def bounds(self):
        return (self.cx - self.rx, self.cy - self.ry, self.cx + self.rx, self.cy + self.ry)

    def sd(self, x, y):
        return _ellipse_distance(x - self.cx, y - self.cy, self.rx, self.ry)


class EllipseRing(Ellipse):
    def __init__(self, cx, cy, rx, ry, w):
        super().__init__(cx, cy, rx, ry)
        self.w = w

    def bounds(self):
        e = self.w / 2
        return (self.cx - self.rx - e, self.cy - self.ry - e, self.cx + self.rx + e,
                self.cy + self.ry + e)

    def sd(self, x, y):
        return abs(super().sd(x, y)) - self.w / 2


def _segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else _clamp01(((x - ax) * dx + (y - ay) * dy) / length2)
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy))


class Line(SdfShape):
    """A stroke of width w with round ends."""

    def __init__(self, x0, y0, x1, y1, w):
        self.p = (x0, y0, x1, y1)
        self.w = w

    def bounds(self):
        x0, y0, x1, y1 = self.p
        e = self.w / 2
        return (min(x0, x1) - e, min(y0, y1) - e, max(x0, x1) + e, max(y0, y1) + e)

    def sd(self, x, y):
        return _segment_distance(x, y, *self.p) - self.w / 2


class Polyline(SdfShape):
    """Connected strokes of width w with round joins and ends."""

    def __init__(self, points, w):
        self.points = list(points)
        self.w = w

    def bounds(self):
        e = self.w / 2
        xs = [p[0] for p in self.points]
        ys = [p[1] for p in self.points]
        return (min(xs) - e, min(ys) - e, max(xs) + e, max(ys) + e)

    def sd(self, x, y):
        pts = self.points
        d = min(_segment_distance(x, y, *pts[i], *pts[i + 1]) for i in range(len(pts) - 1))
        return d - self.w / 2


class Polygon(SdfShape):
    """A filled polygon (even-odd rule)."""

    def __init__(self, points):
        self.points = list(points)

    def bounds(self):
        xs = [p[0] for p in self.points]
        ys = [p[1] for p in self.points]
        return (min(xs), min(ys), max(xs), max(ys))

    def sd(self, x, y):
        pts = self.points
        n = len(pts)
        d = float("inf")
        inside = False
        for i in range(n):
            ax, ay = pts[i]
            bx, by = pts[(i + 1) % n]
            d = min(d, _segment_distance(x, y, ax, ay, bx, by))
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
        return -d if inside else d


class RoundRect(SdfShape):
    def __init__(self, x0, y0, x1, y1, r):
        self.box = (x0, y0, x1, y1)
        self.r = r

    def bounds(self):
        return self.box

    def sd(self, x, y):
        x0, y0, x1, y1 = self.box
        hx, hy = (x1 - x0) / 2 - self.r, (y1 - y0) / 2 - self.r
        qx = abs(x - (x0 + x1) / 2) - hx
        qy = abs(y - (y0 + y1) / 2) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - self.r


class Arc(SdfShape):
    """A stretch of ring from angle a0 to a1 in degrees, clockwise on screen from 3 o'clock, with
    round ends."""

    def __init__(self, cx, cy, r, w, a0, a1):
        self.cx, self.cy, self.r, self.w = cx, cy, r, w
        self.a0, self.a1 = a0, a1
        self.ends = [(cx + r * math.cos(math.radians(a)), cy + r * math.sin(math.radians(a)))
                     for a in (a0, a1)]

    def bounds(self):
        e = self.r + self.w / 2
        return (self.cx - e, self.cy - e, self.cx + e, self.cy + e)

    def sd(self, x, y):
        angle = math.degrees(math.atan2(y - self.cy, x - self.cx))
        span = (self.a1 - self.a0) % 360
        if (angle - self.a0) % 360 <= span:
            return abs(math.hypot(x - self.cx, y - self.cy) - self.r) - self.w / 2
        return min(math.hypot(x - ex, y - ey) for ex, ey in self.ends) - self.w / 2


class Union(SdfShape):
    """Several distance shapes painted as one, so overlaps are not blended twice."""

    def __init__(self, *shapes):
        self.shapes = shapes

    def bounds(self):
        bs = [s.bounds() for s in self.shapes]
        return (min(b[0] for b in bs), min(b[1] for b in bs), max(b[2] for b in bs),
                max(b[3] for b in bs))

    def sd(self, x, y):
        return min(s.sd(x, y) for s in self.shapes)


class Soft(Shape):
    """A distance shape with an edge blurred over `blur` pixels (shadows and glows)."""

    def __init__(self, shape, blur):
        self.shape, self.blur = shape, blur

    def bounds(self):
        x0, y0, x1, y1 = self.shape.bounds()
        e = self.blur
        return (x0 - e, y0 - e, x1 + e, y1 + e)

    def coverage(self, px, py):
        return _clamp01(0.5 - self.shape.sd(px + 0.5, py + 0.5) / self.blur)


class Minus(Shape):
    """Shape a with shape b cut away."""

    def __init__(self, a, b):
        self.a, self.b = a, b

    def bounds(self):
        return self.a.bounds()

    def coverage(self, px, py):
        c = self.a.coverage(px, py)
        return c * (1.0 - self.b.coverage(px, py)) if c > 0 else 0.0


class Clip(Shape):
    """Shape a limited to shape b."""

    def __init__(self, a, b):
        self.a, self.b = a, b

    def bounds(self):
        return self.a.bounds()

    def coverage(self, px, py):
        c = self.a.coverage(px, py)
        return c * self.b.coverage(px, py) if c > 0 else 0.0


def vertical_gradient(y0, y1, top, bottom):
    """A colour function blending `top` at y0 into `bottom` at y1."""

    def colour(px, py):
        t = _clamp01((py + 0.5 - y0) / (y1 - y0)) if y1 != y0 else 0.0
        return mix(top, bottom, t)

    return colour


def mix(a, b, t):
    a = tuple(a) + (255,) * (4 - len(a))
    b = tuple(b) + (255,) * (4 - len(b))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(4))


class Canvas:
    def __init__(self, width, height, fill=(0, 0, 0, 0)):
        self.width, self.height = width, height
        f = tuple(fill) + (255,) * (4 - len(fill))
        self.px = [[f[0] / 255, f[1] / 255, f[2] / 255, f[3] / 255]
                   for _ in range(width * height)]

    def paint(self, shape, colour, opacity=1.0):
        """Composite `shape` over the canvas in `colour`: an (r, g, b[, a]) tuple in 0..255 or a
        function of the pixel (px, py) that returns one."""
        x0, y0, x1, y1 = shape.bounds()
        xa, ya = max(0, int(math.floor(x0)) - 1), max(0, int(math.floor(y0)) - 1)
        xb, yb = min(self.width, int(math.ceil(x1)) + 1), min(self.height, int(math.ceil(y1)) + 1)
        fixed = None if callable(colour) else tuple(colour) + (255,) * (4 - len(colour))
        for py in range(ya, yb):
            row = py * self.width
            for px in range(xa, xb):
                c = shape.coverage(px, py)
                if c <= 0:
                    continue
                r, g, b, a = fixed if fixed else _rgba(colour(px, py))
                self.blend(row + px, r / 255, g / 255, b / 255, a / 255 * c * opacity)

    def blend(self, index, r, g, b, a):
        if a <= 0:
            return
        d = self.px[index]
        out_a = a + d[3] * (1 - a)
        k = d[3] * (1 - a)
        d[0] = (r * a + d[0] * k) / out_a
        d[1] = (g * a + d[1] * k) / out_a
        d[2] = (b * a + d[2] * k) / out_a
        d[3] = out_a

    def fill_with(self, colour_at):
        """Set every pixel to colour_at(px, py) (opaque backgrounds)."""
        for py in range(self.height):
            for px in range(self.width):
                r, g, b = colour_at(px, py)[:3]
                self.px[py * self.width + px] = [r / 255, g / 255, b / 255, 1.0]

    def draw(self, other, ox, oy, scale=1):
        """Composite another canvas with its top-left at (ox, oy), enlarged by a whole factor."""
        for y in range(other.height * scale):
            ty = oy + y
            if not 0 <= ty < self.height:
                continue
            for x in range(other.width * scale):
                tx = ox + x
                if 0 <= tx < self.width:
                    s = other.px[(y // scale) * other.width + x // scale]
                    self.blend(ty * self.width + tx, s[0], s[1], s[2], s[3])

    def rgba_bytes(self):
        out = bytearray()
        for r, g, b, a in self.px:
            if a <= 0:
                out += b"\0\0\0\0"
            else:
                out += bytes((_byte(r), _byte(g), _byte(b), _byte(a)))
        return bytes(out)

    def rgb_bytes(self, background=(255, 255, 255)):
        out = bytearray()
        bg = [c / 255 for c in background]
        for r, g, b, a in self.px:
            out += bytes((_byte(r * a + bg[0] * (1 - a)), _byte(g * a + bg[1] * (1 - a)),
                          _byte(b * a + bg[2] * (1 - a))))
        return bytes(out)


def _rgba(c):
    return (c[0], c[1], c[2], c[3] if len(c) > 3 else 255)


def _byte(v):
    return max(0, min(255, int(round(v * 255))))
