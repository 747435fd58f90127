#!/usr/bin/env python3
"""Draws the person pictures (people/00.svg .. people/31.svg) as 16 x 16 pixel art.

Each face is put together from a few parts (head, hair, clothes, beard,
glasses, bows ...) on a 16 x 16 grid; the outer edge of every shape is then
darkened so the picture stays readable on a light menu and on a dark panel.
The grid is written out as one SVG path per colour, with crisp edges, so the
picture renders pixel for pixel at 16 x 16 and stays sharp when doubled.

    python3 resources/faces.py            # rewrites resources/people/00..31.svg
    python3 resources/faces.py --ppm DIR  # also writes DIR/NN.ppm previews
"""

import os
import sys

from pixelart import Grid, darker

SKIN = {
    "light": "#ffd9b8",
    "fair": "#f6c8a0",
    "medium": "#e0a875",
    "tan": "#c58a5a",
    "dark": "#8a5634",
}

EYE = "#2a1a12"
MOUTH = "#a03a30"
LIPS = "#d8283c"
CHEEK = "#f59a9a"
WHITE = "#ffffff"


# ---------------------------------------------------------------- body parts

ADULT_HEAD = {3: (6, 9), 4: (5, 10), 5: (4, 11), 6: (4, 11), 7: (4, 11), 8: (4, 11),
              9: (4, 11), 10: (5, 10), 11: (5, 10), 12: (6, 9)}
CHILD_HEAD = {4: (6, 9), 5: (4, 11), 6: (3, 12), 7: (3, 12), 8: (3, 12), 9: (3, 12),
              10: (3, 12), 11: (4, 11), 12: (5, 10), 13: (6, 9)}


def adult_body(g, skin, shirt, collar=None, narrow=False):
    g.spans({13: (7, 8)}, skin)
    if narrow:
        g.spans({14: (4, 11), 15: (3, 12)}, shirt)
    else:
        g.spans({14: (3, 12), 15: (2, 13)}, shirt)
    if collar:
        g.points([(6, 14), (9, 14)], collar)
    g.spans(ADULT_HEAD, skin)
    g.points([(3, 7), (3, 8), (12, 7), (12, 8)], skin)  # ears


def child_body(g, skin, shirt):
    g.spans({14: (4, 11), 15: (3, 12)}, shirt)
    g.spans(CHILD_HEAD, skin)


def adult_face(g, skin, mouth="smile", lips=False, cheeks=False, wrinkles=False):
    g.points([(6, 7), (9, 7)], EYE, keep=True)
    m = LIPS if lips else MOUTH
    if mouth == "smile":
        g.points([(6, 10), (7, 11), (8, 11), (9, 10)], m)
    elif mouth == "flat":
        g.points([(7, 10), (8, 10)], m)
    elif mouth == "open":
        g.points([(6, 10), (7, 10), (8, 10), (9, 10), (7, 11), (8, 11)], m)
    if cheeks:
        g.points([(5, 9), (10, 9)], CHEEK)
    if wrinkles:
        g.points([(5, 9), (10, 9)], darker(skin, 0.8))


def child_face(g, skin, mouth="smile", cheeks=True, freckles=False):
    g.points([(5, 8), (5, 9), (10, 8), (10, 9)], EYE, keep=True)
    if mouth == "smile":
        g.points([(6, 11), (7, 12), (8, 12), (9, 11)], MOUTH)
    elif mouth == "open":
        g.points([(7, 11), (8, 11), (7, 12), (8, 12)], MOUTH)
    elif mouth == "dummy":
        g.points([(6, 11), (7, 11), (8, 11), (9, 11)], "#5aa0e6")
        g.points([(7, 12), (8, 12)], "#f2d14a")
    if cheeks:
        g.points([(4, 10), (11, 10)], CHEEK)
    if freckles:
        g.points([(4, 9), (6, 10), (9, 10), (11, 9)], darker(skin, 0.78))


def glasses(g, frame, y=7, child=False):
    """Round rims around the eyes, joined by the bridge."""
    glass = "#d8ecff"
    if child:
        g.points([(4, 7), (5, 7), (6, 7), (9, 7), (10, 7), (11, 7), (7, 8), (8, 8), (3, 8), (12, 8),
                  (4, 10), (5, 10), (6, 10), (9, 10), (10, 10), (11, 10)], frame, keep=True)
        g.points([(4, 8), (6, 8), (4, 9), (6, 9), (9, 8), (11, 8), (9, 9), (11, 9)], glass, keep=True)
        return
    g.points([(6, y - 1), (9, y - 1), (5, y), (7, y), (8, y), (10, y), (6, y + 1), (9, y + 1), (4, y), (11, y)],
             frame, keep=True)


# ----------------------------------------------------------------- hair styles

def hair_short(g, c):
    g.spans({2: (5, 10), 3: (4, 11), 4: (4, 11), 5: [(4, 4), (11, 11)]}, c)


def hair_side_part(g, c):
    g.spans({2: (5, 10), 3: (4, 11), 4: (4, 11), 5: [(4, 7), (11, 11)], 6: (4, 4)}, c)


def hair_spiky(g, c):
    g.points([(5, 1), (7, 1), (9, 1), (11, 2), (4, 2)], c)
    g.spans({2: (5, 10), 3: (4, 11), 4: (4, 11), 5: [(4, 4), (6, 6), (8, 8), (11, 11)]}, c)


def hair_bald(g, c):
    g.spans({6: [(3, 4), (11, 12)], 7: [(4, 4), (11, 11)]}, c)


def hair_messy(g, c):
    g.points([(4, 1), (6, 1), (8, 1), (10, 1), (12, 2), (3, 3)], c)
    g.spans({2: (4, 11), 3: (4, 12), 4: (3, 12), 5: [(3, 6), (8, 9), (11, 12)], 6: [(3, 3), (12, 12)]}, c)


def hair_afro(g, c):
    g.spans({0: (5, 10), 1: (3, 12), 2: (2, 13), 3: (2, 13), 4: (2, 13), 5: (2, 13), 6: (2, 13),
             7: (2, 13), 8: [(2, 3), (12, 13)], 9: [(2, 3), (12, 13)], 10: [(3, 3), (12, 12)]}, c, only_empty=True)


def hair_afro_front(g, c):
    g.spans({3: (4, 11), 4: (4, 11), 5: [(4, 4), (11, 11)]}, c)


def hair_long_back(g, c, to=13):
    rows = {}
    for y in range(5, to + 1):
        rows[y] = [(3, 4), (11, 12)]
    g.spans(rows, c, only_empty=True)


def hair_long_top(g, c, fringe=False):
    g.spans({1: (5, 10), 2: (4, 11), 3: (3, 12), 4: (3, 12), 5: [(3, 4), (11, 12)],
             6: [(3, 3), (12, 12)]}, c)
    if fringe:
        g.spans({5: (3, 12)}, c)


def hair_bob(g, c):
    g.spans({1: (5, 10), 2: (4, 11), 3: (3, 12), 4: (3, 12), 5: (3, 12)}, c)
    g.spans({6: [(3, 4), (11, 12)], 7: [(3, 3), (12, 12)], 8: [(3, 3), (12, 12)], 9: [(3, 4), (11, 12)],
             10: [(3, 4), (11, 12)]}, c)


def hair_bun(g, c):
    g.spans({0: (6, 9), 1: (6, 9)}, c)
    g.spans({2: (5, 10), 3: (4, 11), 4: (4, 11), 5: [(4, 5), (10, 11)], 6: [(4, 4), (11, 11)]}, c)


def hair_pixie(g, c):
    g.spans({2: (5, 10), 3: (4, 11), 4: (4, 11), 5: [(4, 5), (9, 11)], 6: [(4, 4), (11, 11)], 7: [(4, 4)]}, c)


def hair_ponytail(g, c, band):
    g.spans({2: (5, 10), 3: (4, 11), 4: (4, 11), 5: [(4, 4), (11, 11)]}, c)
    g.spans({3: (12, 13), 4: (12, 14), 5: (13, 14), 6: (13, 14), 7: (13, 14), 8: (14, 14)}, c)
    g.points([(12, 3), (12, 4)], band, keep=True)


def hair_curly_long(g, c):
    g.spans({1: (4, 11), 2: (3, 12), 3: (2, 13), 4: (2, 13), 5: [(2, 4), (11, 13)], 6: [(2, 3), (12, 13)],
             7: [(2, 3), (12, 13)], 8: [(2, 3), (12, 13)], 9: [(2, 3), (12, 13)], 10: [(2, 4), (11, 13)],
             11: [(2, 4), (11, 13)], 12: [(3, 5), (10, 12)]}, c, only_empty=False)
    g.points([(6, 5), (9, 5)], c)


def headscarf(g, c, dots):
    g.spans({1: (5, 10), 2: (4, 11), 3: (3, 12), 4: (3, 12), 5: [(3, 4), (11, 12)], 6: [(3, 3), (12, 12)],
             7: [(3, 3), (12, 12)], 8: [(3, 4), (11, 12)], 9: [(3, 4), (11, 12)], 10: [(4, 4), (11, 11)]}, c)
    g.points([(6, 12), (9, 12), (7, 13), (8, 13)], c)  # knot under the chin
    g.points([(6, 2), (9, 2), (4, 4), (11, 4), (7, 3)], dots, keep=True)


def fedora(g, c, band):
    g.spans({0: (5, 10), 1: (5, 10), 2: (5, 10), 3: (2, 13)}, c)
    g.spans({2: (5, 10)}, band)
    g.points([(4, 4), (4, 5), (11, 4), (11, 5)], "#6b4a2a")


def cap(g, c, front=True):
    g.spans({2: (5, 10), 3: (4, 11), 4: (3, 12)}, c)
    g.spans({5: (1, 7)} if front else {5: (8, 14)}, darker(c, 0.8))
    g.points([(7, 2), (8, 2)], WHITE, keep=True)


# ------------------------------------------------------------------- accessories

def bow(g, x, y, c):
    g.points([(x - 1, y - 1), (x - 1, y), (x - 1, y + 1), (x, y), (x + 1, y - 1), (x + 1, y), (x + 1, y + 1)], c)
    g.set(x, y, darker(c, 0.75))


def earrings(g, c, child=False):
    if child:
        g.points([(3, 11), (12, 11)], c, keep=True)
    else:
        g.points([(3, 9), (12, 9)], c, keep=True)


def beard_full(g, c):
    g.spans({8: [(4, 4), (11, 11)], 9: [(4, 5), (10, 11)], 10: [(5, 5), (10, 10)], 11: (5, 10), 12: (5, 10),
             13: (6, 9)}, c)
    g.points([(6, 9), (7, 9), (8, 9), (9, 9)], c)  # moustache
    g.points([(7, 10), (8, 10)], MOUTH)


def beard_goatee(g, c):
    g.points([(6, 9), (7, 9), (8, 9), (9, 9), (7, 11), (8, 11), (7, 12), (8, 12)], c)


def moustache(g, c):
    g.points([(5, 9), (6, 9), (7, 9), (8, 9), (9, 9), (10, 9)], c)


def stubble(g, c):
    g.points([(5, 11), (6, 12), (9, 12), (10, 11), (5, 10), (10, 10), (7, 12), (8, 12)], c)


def tie(g, c):
    g.points([(7, 14), (8, 14), (7, 15), (8, 15)], c)
    g.points([(6, 14), (9, 14)], WHITE)


def necklace(g, c):
    g.points([(6, 14), (7, 15), (8, 15), (9, 14)], c, keep=True)


# ------------------------------------------------------------------- the family

HAIR = {
    "brown": "#7a4a22",
    "dark": "#3a2416",
    "black": "#1e1e24",
    "blond": "#f0c848",
    "ginger": "#d8662a",
    "grey": "#a8a8a8",
    "white": "#e4e4e4",
    "auburn": "#9a3a1e",
    "chestnut": "#a0602a",
}


def face00(g):  # man, short brown hair, blue shirt
    s = SKIN["fair"]
    adult_body(g, s, "#3c6fd8", collar=WHITE)
    adult_face(g, s)
    hair_short(g, HAIR["brown"])


def face01(g):  # man, black hair and full black beard
    s = SKIN["light"]
    adult_body(g, s, "#2f9a48")
    adult_face(g, s)
    hair_short(g, HAIR["black"])
    beard_full(g, HAIR["black"])


def face02(g):  # young man, blond spiky hair, red shirt
    s = SKIN["light"]
    adult_body(g, s, "#d8302c")
    adult_face(g, s, mouth="open")
    hair_spiky(g, HAIR["blond"])


def face03(g):  # grandfather, bald, grey fringe, glasses, moustache
    s = SKIN["fair"]
    adult_body(g, s, "#8a6a48", collar=WHITE)
    adult_face(g, s, mouth="flat", wrinkles=True)
    hair_bald(g, HAIR["grey"])
    moustache(g, HAIR["grey"])
    glasses(g, "#404040")


def face04(g):  # man, dark skin, short black hair, yellow shirt
    s = SKIN["dark"]
    adult_body(g, s, "#f0c020")
    adult_face(g, s)
    hair_short(g, HAIR["black"])


def face05(g):  # man, ginger hair and ginger beard, dark green shirt
    s = SKIN["light"]
    adult_body(g, s, "#2e5a38")
    adult_face(g, s)
    hair_messy(g, HAIR["ginger"])
    beard_full(g, HAIR["ginger"])


def face06(g):  # office man, glasses, white shirt and tie
    s = SKIN["fair"]
    adult_body(g, s, "#f4f4f4")
    adult_face(g, s, mouth="flat")
    hair_side_part(g, HAIR["dark"])
    glasses(g, "#202020")
    tie(g, "#c02030")


def face07(g):  # man, black side parting, black moustache, purple shirt
    s = SKIN["medium"]
    adult_body(g, s, "#7a3cb0")
    adult_face(g, s)
    hair_side_part(g, HAIR["black"])
    moustache(g, HAIR["black"])


def face08(g):  # man in a brown hat
    s = SKIN["fair"]
    adult_body(g, s, "#586878", collar="#c8c8c8")
    adult_face(g, s)
    fedora(g, "#7a5230", "#2a2a2a")


def face09(g):  # grandfather with white hair and a long white beard
    s = SKIN["light"]
    adult_body(g, s, "#a02828")
    adult_face(g, s)
    hair_short(g, HAIR["white"])
    beard_full(g, HAIR["white"])
    g.points([(5, 13), (10, 13), (6, 14), (7, 14), (8, 14), (9, 14), (7, 15), (8, 15)], HAIR["white"])


def face10(g):  # man in a green knitted hat with a bobble, goatee, orange shirt
    s = SKIN["tan"]
    adult_body(g, s, "#f07c1c")
    adult_face(g, s, mouth="flat")
    beard_goatee(g, HAIR["dark"])
    g.points([(4, 5), (11, 5)], HAIR["dark"])
    g.spans({0: (7, 8), 1: (6, 9), 2: (5, 10), 3: (4, 11)}, "#2e9a58")
    g.spans({4: (3, 12)}, "#1e6a3c")
    g.points([(7, 0), (8, 0), (7, 1), (8, 1)], WHITE)
    g.points([(5, 3), (7, 3), (9, 3)], "#58c080")


def face11(g):  # man, brown hair with stubble, teal shirt
    s = SKIN["medium"]
    adult_body(g, s, "#1c9a9a")
    adult_face(g, s, mouth="flat")
    hair_messy(g, HAIR["chestnut"])
    stubble(g, darker(s, 0.72))


def face12(g):  # woman, long blonde hair, pink top
    s = SKIN["light"]
    hair_long_back(g, HAIR["blond"], to=14)
    adult_body(g, s, "#f06aa8", narrow=True)
    adult_face(g, s, lips=True, cheeks=True)
    hair_long_top(g, HAIR["blond"])


def face13(g):  # woman, long brown hair with fringe, green top, earrings
    s = SKIN["fair"]
    hair_long_back(g, HAIR["brown"], to=13)
    adult_body(g, s, "#5ab04a", narrow=True)
    adult_face(g, s, lips=True)
    hair_long_top(g, HAIR["brown"], fringe=True)
    earrings(g, "#f4d020")


def face14(g):  # woman, black bob, red glasses, blue top
    s = SKIN["light"]
    adult_body(g, s, "#3a8ee0", narrow=True)
    adult_face(g, s, lips=True)
    hair_bob(g, HAIR["black"])
    glasses(g, "#303848")


def face15(g):  # woman, long curly red hair, teal top
    s = SKIN["light"]
    hair_curly_long(g, HAIR["auburn"])
    adult_body(g, s, "#20a0a0", narrow=True)
    adult_face(g, s, lips=True, cheeks=True)
    hair_curly_long(g, HAIR["auburn"])
    g.spans({5: (5, 10)}, s)


def face16(g):  # woman, hair in a bun, purple top, earrings
    s = SKIN["medium"]
    adult_body(g, s, "#9a48c8", narrow=True)
    adult_face(g, s, lips=True)
    hair_bun(g, HAIR["dark"])
    earrings(g, "#40d0f0")


def face17(g):  # grandmother, grey bun, glasses, lilac shawl
    s = SKIN["fair"]
    adult_body(g, s, "#b090d0", narrow=True)
    adult_face(g, s, wrinkles=True)
    hair_bun(g, HAIR["grey"])
    glasses(g, "#8a5a20")
    necklace(g, WHITE)


def face18(g):  # grandmother in a red headscarf with white dots
    s = SKIN["fair"]
    adult_body(g, s, "#485aa8", narrow=True)
    adult_face(g, s, wrinkles=True)
    headscarf(g, "#d82020", WHITE)


def face19(g):  # woman, dark skin, big black curls, yellow top, gold earrings
    s = SKIN["dark"]
    hair_afro(g, HAIR["black"])
    adult_body(g, s, "#f4d030", narrow=True)
    adult_face(g, s, lips=True)
    hair_afro_front(g, HAIR["black"])
    earrings(g, "#ffd040")


def face20(g):  # woman, blonde ponytail with a red band, light blue top
    s = SKIN["fair"]
    adult_body(g, s, "#8ac8f0", narrow=True)
    adult_face(g, s, lips=True, cheeks=True)
    hair_ponytail(g, HAIR["blond"], "#e02030")


def face21(g):  # woman, long black straight hair, red top
    s = SKIN["medium"]
    hair_long_back(g, HAIR["black"], to=14)
    adult_body(g, s, "#d82838", narrow=True)
    adult_face(g, s, lips=True)
    hair_long_top(g, HAIR["black"])
    necklace(g, "#f4d020")


def face22(g):  # woman, short chestnut pixie cut, orange top
    s = SKIN["light"]
    adult_body(g, s, "#f08a30", narrow=True)
    adult_face(g, s, lips=True, mouth="open")
    hair_pixie(g, HAIR["chestnut"])
    earrings(g, "#30b050")


def face23(g):  # boy in a red cap, blue shirt
    s = SKIN["light"]
    child_body(g, s, "#2e6ad0")
    child_face(g, s, mouth="open")
    g.points([(3, 5), (12, 5), (3, 6), (12, 6)], HAIR["brown"])
    cap(g, "#e02828")


def face24(g):  # boy, blond bowl cut, freckles, green shirt
    s = SKIN["light"]
    child_body(g, s, "#38a838")
    child_face(g, s, freckles=True)
    g.spans({2: (5, 10), 3: (4, 11), 4: (3, 12), 5: (3, 12), 6: (3, 12), 7: [(3, 3), (12, 12)]}, HAIR["blond"])


def face25(g):  # girl, brown pigtails with red bows, pink dress
    s = SKIN["fair"]
    g.spans({6: [(0, 2), (13, 15)], 7: [(0, 2), (13, 15)], 8: [(0, 2), (13, 15)], 9: [(1, 2), (13, 14)],
             10: [(1, 1), (14, 14)]}, HAIR["brown"])
    child_body(g, s, "#f070b0")
    child_face(g, s)
    g.spans({3: (5, 10), 4: (4, 11), 5: (3, 12), 6: [(3, 3), (12, 12)]}, HAIR["brown"])
    bow(g, 3, 4, "#e02028")
    bow(g, 12, 4, "#e02028")


def face26(g):  # girl, blonde with a big pink bow, yellow dress
    s = SKIN["light"]
    child_body(g, s, "#f4d23c")
    child_face(g, s, mouth="open")
    g.spans({3: (5, 10), 4: (4, 11), 5: (3, 12), 6: [(3, 4), (11, 12)], 7: [(3, 3), (12, 12)],
             8: [(3, 3), (12, 12)], 9: [(2, 3), (12, 13)], 10: [(2, 3), (12, 13)]}, HAIR["blond"])
    g.spans({0: [(4, 6), (9, 11)], 1: [(4, 7), (8, 11)], 2: [(4, 6), (9, 11)]}, "#f050a0")
    g.points([(7, 1), (8, 1)], "#b0206a")


def face27(g):  # baby with one curl and a dummy, light blue romper
    s = SKIN["light"]
    g.spans({14: (4, 11), 15: (3, 12)}, "#9ad0f4")
    g.spans({4: (6, 9), 5: (4, 11), 6: (3, 12), 7: (3, 12), 8: (3, 12), 9: (3, 12), 10: (3, 12),
             11: (4, 11), 12: (5, 10), 13: (6, 9)}, s)
    g.points([(7, 2), (8, 2), (8, 3), (6, 3)], HAIR["chestnut"])
    child_face(g, s, mouth="dummy")


def face28(g):  # boy, dark skin, short black hair, orange shirt
    s = SKIN["dark"]
    child_body(g, s, "#f08020")
    child_face(g, s, cheeks=False)
    g.spans({3: (5, 10), 4: (4, 11), 5: (3, 12), 6: [(3, 3), (12, 12)]}, HAIR["black"])


def face29(g):  # girl, ginger braids with green bows, freckles, blue dress
    s = SKIN["light"]
    g.spans({7: [(2, 2), (13, 13)], 8: [(2, 2), (13, 13)], 9: [(2, 2), (13, 13)], 10: [(2, 2), (13, 13)],
             11: [(2, 3), (12, 13)], 12: [(2, 3), (12, 13)], 13: [(2, 3), (12, 13)]}, HAIR["ginger"])
    child_body(g, s, "#3a70d8")
    child_face(g, s, freckles=True)
    g.spans({3: (5, 10), 4: (4, 11), 5: (3, 12), 6: [(3, 3), (12, 12)]}, HAIR["ginger"])
    g.points([(7, 5), (8, 5)], s)  # parting
    g.points([(1, 14), (2, 14), (3, 14), (12, 14), (13, 14), (14, 14)], "#30b040")
    g.points([(2, 15), (13, 15)], "#208030")


def face30(g):  # schoolboy, black messy hair, glasses, striped shirt
    s = SKIN["fair"]
    child_body(g, s, "#f4f4f4")
    child_face(g, s, cheeks=False)
    g.spans({2: [(4, 4), (7, 7), (10, 10)], 3: (4, 11), 4: (3, 12), 5: [(3, 9), (12, 12)], 6: [(3, 3), (12, 12)]},
            HAIR["black"])
    glasses(g, "#2a4ad8", child=True)
    g.spans({14: (4, 11)}, "#2a4ad8")


def face31(g):  # girl, black hair with a fringe and a blue band, red dress
    s = SKIN["medium"]
    g.spans({6: [(2, 2), (13, 13)], 7: [(2, 2), (13, 13)], 8: [(2, 2), (13, 13)], 9: [(2, 2), (13, 13)],
             10: [(2, 2), (13, 13)], 11: [(2, 3), (12, 13)], 12: [(3, 4), (11, 12)]}, HAIR["black"])
    child_body(g, s, "#d02838")
    child_face(g, s)
    g.spans({2: (5, 10), 3: (4, 11), 4: (3, 12), 5: (3, 12), 6: (3, 12), 7: [(3, 3), (12, 12)]}, HAIR["black"])
    g.spans({4: (3, 12)}, "#30a0f0")


FACES = [globals()["face%02d" % i] for i in range(32)]


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "people")
    os.makedirs(out, exist_ok=True)
    ppm_dir = argv[argv.index("--ppm") + 1] if "--ppm" in argv else None
    for i, draw in enumerate(FACES):
        g = Grid()
        draw(g)
        g.outline(open_bottom=True)
        with open(os.path.join(out, "%02d.svg" % i), "w") as f:
            f.write(g.svg())
        if ppm_dir:
            os.makedirs(ppm_dir, exist_ok=True)
            with open(os.path.join(ppm_dir, "%02d.ppm" % i), "wb") as f:
                f.write(g.ppm())


if __name__ == "__main__":
    main(sys.argv)
