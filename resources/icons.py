#!/usr/bin/env python3
"""Draws the small pictures of the program as 16 x 16 pixel art:

    people/32.svg          the birthday balloon
    commands/0..10.svg     pictures of the person submenu and the tray icon
    items/*.svg            pictures of the fixed menu items
    marks/0..3.svg         day-mark faces of the printed month page
    calendar/*.svg         month fold arrows (16 x 15) and legend glyphs

    python3 resources/icons.py            # rewrites the files above
    python3 resources/icons.py --ppm DIR  # also writes magnified previews
"""

import math
import os
import sys

from pixelart import Grid, disc, fill_where, pixels, polygon, rect, segment_distance, thick_line

WHITE = "#ffffff"
RED = "#e8283c"
PINK = "#ff9aaa"
GREEN = "#30b048"

HEART = [
    "................",
    "................",
    "................",
    "..####....####..",
    ".######..######.",
    ".##############.",
    ".##############.",
    ".##############.",
    "..############..",
    "...##########...",
    "....########....",
    ".....######.....",
    "......####......",
    ".......##.......",
]


def heart_cells(dy=0):
    return [(x, y + dy) for y, row in enumerate(HEART) for x, ch in enumerate(row) if ch == "#"]


def erase_around(g, cells, gap=1):
    """Clears a ring of `gap` pixels around `cells`, so a shape drawn on top
    of another keeps its own outline."""
    inside = set(cells)
    for x, y in cells:
        for dx in range(-gap, gap + 1):
            for dy in range(-gap, gap + 1):
                if (x + dx, y + dy) not in inside and abs(dx) + abs(dy) <= gap:
                    g.set(x + dx, y + dy, None)


def cells_of(test, height=16):
    return [(x, y) for y in range(height) for x in range(16) if test(x + 0.5, y + 0.5)]


def heart(g, c=RED, dy=0):
    g.points(heart_cells(dy), c)
    g.points([(3, 5 + dy), (4, 5 + dy), (3, 6 + dy)], PINK)


# ------------------------------------------------------------------ commands

def cmd_broken_heart(g):
    crack = {5: 8, 6: 7, 7: 8, 8: 9, 9: 8, 10: 7, 11: 8, 12: 7, 13: 7}
    for x, y in heart_cells():
        c = crack.get(y, 7.5)
        if x < c:
            g.set(x, y, RED)
        elif x > c or (y == 13 and x == 8):
            g.set(x + 1, y + 1, RED)
    g.points([(3, 5), (4, 5), (3, 6)], PINK)
    g.outline()


def cmd_empty(g):
    pass


def cmd_heart_monitor(g):
    heart(g)
    g.outline()
    pulse = [(3, 8), (4, 8), (5, 7), (5, 6), (6, 5), (6, 4), (7, 5), (7, 6), (7, 7), (7, 8), (7, 9),
             (8, 10), (8, 11), (9, 10), (9, 9), (10, 8), (11, 8), (12, 8)]
    g.points(pulse, WHITE)


def cmd_pencil(g):
    tip = (1.5, 14.5)
    length = 13 * math.sqrt(2)

    def along(x, y):
        return ((x - tip[0]) - (y - tip[1])) / math.sqrt(2)

    def across(x, y):
        return ((x - tip[0]) + (y - tip[1])) / math.sqrt(2)

    def inside(x, y):
        t, s = along(x, y), across(x, y)
        if t < -0.2 or t > length + 0.3:
            return False
        return abs(s) <= min(1.75, 0.2 + t * 0.5)

    for y in range(16):
        for x in range(16):
            px, py = x + 0.5, y + 0.5
            if not inside(px, py):
                continue
            t, s = along(px, py), across(px, py)
            if t < 1.6:
                c = "#303038"
            elif t < 4.2:
                c = "#f2cc94"
            elif t < length - 4.0:
                c = "#ffe060" if s < -0.6 else ("#d89410" if s > 0.6 else "#f4b820")
            elif t < length - 2.4:
                c = "#b8bcc8"
            else:
                c = "#f07890"
            g.set(x, y, c)
    g.outline()


def cmd_printer(g):
    rect(g, 4, 1, 11, 6, WHITE)
    rect(g, 5, 3, 10, 3, "#b8b8b8")
    rect(g, 1, 6, 14, 11, "#c4c8d0")
    rect(g, 2, 7, 13, 7, "#e4e8ee")
    rect(g, 3, 10, 12, 10, "#3c4048")
    g.set(12, 8, "#30d040")
    rect(g, 4, 11, 11, 14, WHITE)
    rect(g, 5, 12, 10, 12, "#8090b0")
    rect(g, 5, 13, 8, 13, "#8090b0")
    g.outline()
    g.points([(3, 10), (12, 10)], "#3c4048")


def cmd_spreadsheet(g):
    rect(g, 1, 1, 14, 14, WHITE)
    rect(g, 1, 1, 14, 3, "#2e9a48")
    rect(g, 1, 4, 3, 14, "#cdeccf")
    for x in (4, 9):
        rect(g, x, 4, x, 14, "#7cbc8c")
    for y in (6, 9, 12):
        rect(g, 1, y, 14, y, "#7cbc8c")
    for x0, x1, y in ((5, 7, 5), (10, 13, 5), (5, 8, 8), (10, 12, 8), (5, 6, 11), (10, 13, 11), (5, 7, 14)):
        rect(g, x0, y, x1, y, "#404850")
    g.outline()


def cmd_screen(g):
    rect(g, 0, 1, 15, 11, "#4c545e")
    rect(g, 1, 2, 14, 10, "#2f7fd8")
    for x in range(2, 14):
        y = 6 - round(2.6 * math.sin((x - 2) / 11.0 * 2 * math.pi))
        g.set(x, y, "#ffe050")
    rect(g, 6, 12, 9, 12, "#6a727c")
    rect(g, 3, 13, 12, 14, "#9aa2ac")
    g.outline()


def cmd_floppy(g):
    rect(g, 1, 1, 14, 14, "#2c4ca0")
    g.set(14, 1, None)
    rect(g, 4, 1, 11, 5, "#c8ccd4")
    rect(g, 9, 2, 10, 4, "#3a4250")
    rect(g, 3, 8, 12, 14, "#f6f6f6")
    rect(g, 4, 10, 11, 10, "#8aa0d0")
    rect(g, 4, 12, 11, 12, "#8aa0d0")
    g.outline()


def cmd_chart(g):
    """Paper with a zero line and two joined curves, one behind the other."""
    rect(g, 0, 1, 15, 14, "#8a9098")
    rect(g, 1, 2, 14, 13, WHITE)
    rect(g, 1, 7, 14, 7, "#b8bcc4")
    for colour, shift, sign in (("#2060e0", 1.6, 1), ("#e8283c", 0.0, -1)):
        last = None
        for x in range(1, 15):
            y = 7 + sign * round(4.2 * math.sin((x - 1) / 13.0 * 2 * math.pi + shift))
            # Steep places are joined half from each side, so the line never breaks.
            if last is not None and abs(y - last) > 1:
                step = 1 if y > last else -1
                mid = last + (y - last) // 2
                for yy in range(last + step, mid + step, step):
                    g.set(x - 1, yy, colour)
                for yy in range(mid + step, y, step):
                    g.set(x, yy, colour)
            g.set(x, y, colour)
            last = y


def bust(head_x, head_y, head_r, top, half_width, bottom=16):
    """Head and shoulders: a round head over a body with a domed top."""
    dome = 3.0

    def test(x, y):
        if (x - head_x) ** 2 + (y - head_y) ** 2 <= head_r * head_r:
            return True
        if y < top or y > bottom:
            return False
        if y < top + dome:
            return ((x - head_x) / half_width) ** 2 + ((y - top - dome) / dome) ** 2 <= 1
        return abs(x - head_x) <= half_width
    return test


def cmd_two_people(g):
    back = cells_of(bust(10.5, 3.6, 2.5, 7.4, 4.2))
    g.points(back, "#3aa858")
    front = cells_of(bust(5.5, 6.6, 2.6, 10.4, 4.6))
    erase_around(g, front)
    g.points(front, "#3a78e0")
    g.outline()


def balloon(g, cx, cy, rx, ry, c, highlight=WHITE):
    cells = cells_of(lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1)
    erase_around(g, cells)
    g.points(cells, c)
    hx, hy = int(cx - rx * 0.45), int(cy - ry * 0.5)
    g.points([(hx, hy), (hx, hy + 1)], highlight)
    return cells


def cmd_balloons(g):
    balloon(g, 2.9, 5.6, 2.7, 3.5, "#e82838")
    balloon(g, 13.1, 5.6, 2.7, 3.5, "#2e78e8")
    balloon(g, 8.0, 4.1, 2.8, 3.6, "#f4c820")
    g.outline()
    string = "#505860"
    g.points([(3, 9), (3, 10), (4, 11), (5, 12), (6, 13), (7, 14), (12, 9), (12, 10), (11, 11), (10, 12), (9, 13),
              (8, 14), (8, 8), (8, 9), (8, 10), (8, 11), (8, 12), (8, 13), (8, 15)], string)


# --------------------------------------------------------------- person 32

def birthday_balloon(g):
    cells = cells_of(lambda x, y: ((x - 8.0) / 5.0) ** 2 + ((y - 6.0) / 5.8) ** 2 <= 1)
    g.points(cells, "#e8283c")
    g.points([(5, 3), (5, 4), (6, 2), (5, 5)], "#ff9aa8")
    g.points([(7, 12), (8, 12), (6, 13), (9, 13)], "#b01828")
    g.outline()
    g.points([(7, 14), (8, 15)], "#505860")
    g.points([(7, 13), (8, 13)], "#b01828")


# ---------------------------------------------------------------- fixed items

def item_heart(g):
    heart(g, dy=-1)
    plus = [(12, 11), (12, 12), (12, 13), (11, 12), (13, 12)]
    body = [(x, y) for x in range(10, 15) for y in range(10, 15) if abs(x - 12) <= 1 or abs(y - 12) <= 1]
    erase_around(g, body)
    g.points(body, GREEN)
    g.outline()
    g.points(plus, WHITE)


def item_wrench(g):
    cx, cy = 4.6, 4.6

    def test(x, y):
        head = (x - cx) ** 2 + (y - cy) ** 2 <= 4.2 ** 2
        handle = segment_distance(x, y, 5.0, 5.0, 13.2, 13.2) <= 1.7
        if not (head or handle):
            return False
        # open jaw towards the top left
        t = ((cx - x) + (cy - y)) / math.sqrt(2)
        s = ((x - cx) - (y - cy)) / math.sqrt(2)
        return not (t > -0.6 and abs(s) < 1.2)

    fill_where(g, test, "#98a2b0")
    thick_line(g, 7.0, 6.6, 12.6, 12.2, 0.45, "#d0d8e2")
    g.outline(f=0.5)


def item_exit(g):
    rect(g, 1, 1, 9, 15, "#7a5230")
    rect(g, 2, 2, 8, 15, "#2c2c38")
    polygon(g, [(2, 2), (6.2, 3.5), (6.2, 15.8), (2, 16)], "#b07840")
    g.set(5, 9, "#ffd040")
    rect(g, 7, 7, 11, 8, GREEN)
    polygon(g, [(11, 3.2), (15.9, 8.0), (11, 12.8)], GREEN)
    g.outline()


def item_envelope(g):
    rect(g, 0, 3, 15, 12, "#fff6dc")
    g.outline()
    for x, y in ((1, 4), (2, 5), (3, 6), (4, 7), (5, 8), (6, 9), (7, 9), (8, 9), (9, 9), (10, 8), (11, 7),
                 (12, 6), (13, 5), (14, 4)):
        g.set(x, y, "#b89c6c")
    rect(g, 11, 9, 13, 11, "#e04040")


def item_house(g):
    rect(g, 11, 1, 12, 5, "#8a3a2a")
    rect(g, 2, 7, 13, 14, "#f2dcaa")
    polygon(g, [(-0.2, 8.2), (8, 0.6), (16.2, 8.2)], "#d83a2a")
    rect(g, 7, 10, 8, 14, "#8a5a2a")
    rect(g, 3, 9, 5, 11, "#8ad0f8")
    rect(g, 10, 9, 12, 11, "#8ad0f8")
    g.outline()


def item_bubble(g):
    def body(x, y):
        # rounded rectangle from (0.5, 1) to (15.5, 11.5), radius 3
        qx = max(abs(x - 8.0) - (7.5 - 3.0), 0.0)
        qy = max(abs(y - 6.25) - (5.25 - 3.0), 0.0)
        return qx * qx + qy * qy <= 9.0

    fill_where(g, body, "#e4f0ff")
    polygon(g, [(3, 10), (2.5, 15.6), (8, 10)], "#e4f0ff")
    g.outline(f=0.5)
    for x in (4, 7, 10):
        rect(g, x, 6, x + 1, 7, "#2a58b8")


def item_gear(g):
    def test(x, y):
        dx, dy = x - 8.0, y - 8.0
        r = math.hypot(dx, dy)
        if r <= 2.1:
            return False
        if r <= 5.2:
            return True
        a = math.degrees(math.atan2(dy, dx)) % 45.0
        return r <= 7.6 and (a < 11.5 or a > 33.5)

    fill_where(g, test, "#9aa2b0")
    g.outline(f=0.5)


# --------------------------------------------------------------------- marks

FACE_YELLOW = "#ffd83a"
FACE_DARK = "#5a2a10"


def smiley(g, cy=8.0, r=7.5):
    disc(g, 8.0, cy, r, FACE_YELLOW)
    g.outline(f=0.55)


def mark_laughing(g):
    smiley(g)
    g.points([(4, 6), (5, 5), (6, 6), (9, 6), (10, 5), (11, 6)], FACE_DARK)
    pixels(g, [
        "", "", "", "", "", "", "", "", "",
        "....xxxxxxxx....",
        "....xwwwwwwx....",
        ".....xxrrxx.....",
        "......xrrx......",
        ".......xx.......",
    ], {"x": "#7a1818", "w": WHITE, "r": "#f05a6a"})


def mark_sad(g):
    smiley(g)
    g.points([(5, 5), (5, 6), (10, 5), (10, 6)], FACE_DARK)
    g.points([(6, 10), (7, 10), (8, 10), (9, 10), (5, 11), (10, 11), (4, 12), (11, 12)], FACE_DARK)
    g.points([(4, 8), (4, 9)], "#3a9af0")


def mark_angry(g):
    disc(g, 8.0, 9.0, 6.8, "#ffc830")
    horns = [(3, 0), (3, 1), (4, 1), (3, 2), (4, 2), (5, 2), (12, 0), (12, 1), (11, 1), (12, 2), (11, 2), (10, 2)]
    g.points(horns, "#e01818")
    g.outline(f=0.55)
    g.points(horns, "#e01818")
    g.points([(4, 5), (5, 5), (6, 6), (7, 6), (8, 6), (9, 6), (10, 5), (11, 5)], FACE_DARK)
    g.points([(5, 7), (6, 7), (5, 8), (6, 8), (9, 7), (10, 7), (9, 8), (10, 8)], "#e01818")
    g.points([(6, 11), (7, 11), (8, 11), (9, 11), (5, 12), (10, 12)], FACE_DARK)


def mark_straight(g):
    smiley(g)
    g.points([(5, 5), (5, 6), (10, 5), (10, 6)], FACE_DARK)
    rect(g, 5, 11, 10, 11, FACE_DARK)


# ------------------------------------------------------------------ calendar

SILVER = "#c0c0c0"


def embossed(g, cells, face="#e8e8e8"):
    """A light glyph on silver: white edge to the top left, grey shadow to the bottom right."""
    inside = set(cells)
    for x, y in cells:
        for dx, dy in ((1, 0), (0, 1), (1, 1)):
            if (x + dx, y + dy) not in inside:
                g.set(x + dx, y + dy, "#808080")
    for x, y in cells:
        for dx, dy in ((-1, 0), (0, -1)):
            if (x + dx, y + dy) not in inside and g.get(x + dx, y + dy) == SILVER:
                g.set(x + dx, y + dy, WHITE)
    g.points(cells, face)


def arrow(g, right):
    rect(g, 0, 0, 15, g.height - 1, SILVER)
    cells = []
    for y in range(2, 13):
        d = abs(y - 7)
        for x in range(4 + d, 10):
            cells.append((15 - x if right else x, y))
    embossed(g, cells)


def arrow_left(g):
    arrow(g, False)


def arrow_right(g):
    arrow(g, True)


def glyph(g, rows, colour):
    rect(g, 0, 0, 15, 15, SILVER)
    pixels(g, rows, {"#": colour})


def help_plus(g):
    glyph(g, ["", "", "", "",
              ".......##", ".......##", ".......##",
              "....########", "....########",
              ".......##", ".......##", ".......##"], "#000000")


def help_zero(g):
    glyph(g, ["", "", "",
              "......####", ".....######",
              ".....##..##", ".....##..##", ".....##..##", ".....##..##", ".....##..##", ".....##..##",
              ".....######", "......####"], "#800000")


def help_minus(g):
    glyph(g, ["", "", "", "", "", "", "",
              "....########", "....########"], "#000000")


def help_k(g):
    glyph(g, ["", "", "",
              "....##....##", "....##...##", "....##..##", "....##.##", "....####",
              "....####", "....##.##", "....##..##", "....##...##", "....##....##"], "#ff0000")


PICTURES = [
    ("people/32.svg", birthday_balloon, 16),
    ("commands/0.svg", cmd_broken_heart, 16),
    ("commands/1.svg", cmd_empty, 16),
    ("commands/2.svg", cmd_heart_monitor, 16),
    ("commands/3.svg", cmd_pencil, 16),
    ("commands/4.svg", cmd_printer, 16),
    ("commands/5.svg", cmd_spreadsheet, 16),
    ("commands/6.svg", cmd_screen, 16),
    ("commands/7.svg", cmd_floppy, 16),
    ("commands/8.svg", cmd_two_people, 16),
    ("commands/9.svg", cmd_balloons, 16),
    ("commands/10.svg", cmd_chart, 16),
    ("items/heart.svg", item_heart, 16),
    ("items/wrench.svg", item_wrench, 16),
    ("items/exit.svg", item_exit, 16),
    ("items/envelope.svg", item_envelope, 16),
    ("items/house.svg", item_house, 16),
    ("items/bubble.svg", item_bubble, 16),
    ("items/gear.svg", item_gear, 16),
    ("marks/0.svg", mark_laughing, 16),
    ("marks/1.svg", mark_sad, 16),
    ("marks/2.svg", mark_angry, 16),
    ("marks/3.svg", mark_straight, 16),
    ("calendar/arrow_left.svg", arrow_left, 15),
    ("calendar/arrow_right.svg", arrow_right, 15),
    ("calendar/help0.svg", help_plus, 16),
    ("calendar/help1.svg", help_zero, 16),
    ("calendar/help2.svg", help_minus, 16),
    ("calendar/help3.svg", help_k, 16),
]


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    ppm_dir = argv[argv.index("--ppm") + 1] if "--ppm" in argv else None
    for name, draw, height in PICTURES:
        g = Grid(height)
        draw(g)
        path = os.path.join(here, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write(g.svg())
        if ppm_dir:
            os.makedirs(ppm_dir, exist_ok=True)
            with open(os.path.join(ppm_dir, name.replace("/", "_").replace(".svg", ".ppm")), "wb") as f:
                f.write(g.ppm())


if __name__ == "__main__":
    main(sys.argv)
