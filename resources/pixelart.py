"""A 16 x 16 pixel grid that is written out as a crisp SVG.

The pictures of the program are drawn on it pixel by pixel (or with the small
shape helpers below); the outer edge of every shape can then be darkened so a
picture stays readable on a light menu and on a dark panel. The SVG holds one
path per colour, made of whole-pixel rectangles, so it renders pixel for pixel
at 16 x 16 and stays sharp when doubled.
"""

import math

SIZE = 16


def hexrgb(c):
    return tuple(int(c[i:i + 2], 16) for i in (1, 3, 5))


def rgbhex(t):
    return "#%02x%02x%02x" % t


def darker(c, f=0.62):
    r, g, b = hexrgb(c)
    return rgbhex((int(r * f), int(g * f), int(b * f)))


class Grid:
    """16 x 16 colours; None is transparent."""

    def __init__(self, height=SIZE):
        self.height = height
        self.px = [[None] * SIZE for _ in range(height)]
        self.keep = set()  # pixels the outline pass must leave alone

    def set(self, x, y, c, keep=False):
        if 0 <= x < SIZE and 0 <= y < self.height:
            self.px[y][x] = c
            if keep:
                self.keep.add((x, y))

    def get(self, x, y):
        if 0 <= x < SIZE and 0 <= y < self.height:
            return self.px[y][x]
        return None

    def spans(self, rows, c, only_empty=False):
        """rows: {y: (x0, x1)} or {y: [(x0, x1), ...]}, inclusive."""
        for y, s in rows.items():
            for x0, x1 in (s if isinstance(s, list) else [s]):
                for x in range(x0, x1 + 1):
                    if not only_empty or self.get(x, y) is None:
                        self.set(x, y, c)

    def points(self, pts, c, keep=False):
        for x, y in pts:
            self.set(x, y, c, keep)

    def outline(self, open_bottom=False, f=0.62):
        """Darkens every filled pixel that touches the transparent outside.
        With open_bottom the bottom edge counts as inside (clothes that run
        off the picture)."""
        out = [row[:] for row in self.px]
        for y in range(self.height):
            for x in range(SIZE):
                c = self.px[y][x]
                if c is None or (x, y) in self.keep:
                    continue
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                    nx, ny = x + dx, y + dy
                    if open_bottom and ny >= self.height:
                        continue
                    if not (0 <= nx < SIZE and 0 <= ny < self.height) or self.px[ny][nx] is None:
                        out[y][x] = darker(c, f)
                        break
        self.px = out

    def svg(self):
        by_colour = {}
        for y in range(self.height):
            x = 0
            while x < SIZE:
                c = self.px[y][x]
                if c is None:
                    x += 1
                    continue
                x1 = x
                while x1 + 1 < SIZE and self.px[y][x1 + 1] == c:
                    x1 += 1
                by_colour.setdefault(c, []).append("M%d %dh%dv1h-%dz" % (x, y, x1 - x + 1, x1 - x + 1))
                x = x1 + 1
        lines = ['<svg xmlns="http://www.w3.org/2000/svg" width="16" height="%d" viewBox="0 0 16 %d" '
                 'shape-rendering="crispEdges">' % (self.height, self.height)]
        for c, parts in by_colour.items():
            lines.append('<path fill="%s" d="%s"/>' % (c, "".join(parts)))
        lines.append("</svg>")
        return "\n".join(lines) + "\n"

    def ppm(self, scale=8):
        rows = []
        for y in range(self.height * scale):
            row = bytearray()
            for x in range(SIZE * scale):
                c = self.px[y // scale][x // scale]
                if c is None:
                    c = "#e6e6e6" if ((x // 4 + y // 4) % 2) else "#ffffff"
                row += bytes(hexrgb(c))
            rows.append(bytes(row))
        return b"P6 %d %d 255\n" % (SIZE * scale, self.height * scale) + b"".join(rows)


def fill_where(g, test, c, keep=False):
    """Fills every pixel whose centre passes test(x, y)."""
    for y in range(g.height):
        for x in range(SIZE):
            if test(x + 0.5, y + 0.5):
                g.set(x, y, c, keep)


def disc(g, cx, cy, r, c, keep=False):
    fill_where(g, lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, c, keep)


def ellipse(g, cx, cy, rx, ry, c, keep=False):
    fill_where(g, lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0, c, keep)


def rect(g, x0, y0, x1, y1, c, keep=False):
    """Inclusive pixel rectangle."""
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            g.set(x, y, c, keep)


def segment_distance(px, py, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy)))
    return math.hypot(px - ax - t * vx, py - ay - t * vy)


def thick_line(g, ax, ay, bx, by, half_width, c, keep=False):
    fill_where(g, lambda x, y: segment_distance(x, y, ax, ay, bx, by) <= half_width, c, keep)


def polygon(g, pts, c, keep=False):
    def inside(x, y):
        n = len(pts)
        hit = False
        j = n - 1
        for i in range(n):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    fill_where(g, inside, c, keep)


def pixels(g, rows, palette, keep=False):
    """Paints a block of text rows; '.' and ' ' leave the pixel as it is."""
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch in palette:
                g.set(x, y, palette[ch], keep)
