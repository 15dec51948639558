#!/usr/bin/env python3
"""Draws the toolbar icons (16 x 16) and the program icon (32 x 32) as XPM C
arrays into src/app/icons/. Run once; the results are committed."""
import math
import os

OUT = os.path.join(os.path.dirname(__file__), "..", "src", "app", "icons")


class Canvas:
    def __init__(self, size):
        self.size = size
        self.pixels = [[None] * size for _ in range(size)]

    def dot(self, x, y, colour):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.pixels[int(y)][int(x)] = colour

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.dot(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.dot(x, y0, colour)
            self.dot(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.dot(x0, y, colour)
            self.dot(x1, y, colour)

    def line(self, x0, y0, x1, y1, colour, width=1):
        steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
        for i in range(steps + 1):
            t = i / steps
            x, y = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
            for dx in range(width):
                self.dot(round(x) + dx, round(y), colour)

    def disc(self, cx, cy, r, colour):
        for y in range(self.size):
            for x in range(self.size):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.dot(x, y, colour)

    def xpm(self, name):
        colours = sorted({c for row in self.pixels for c in row if c})
        keys = "abcdefghijklmnopqrstuvwxyz"
        key = {c: keys[i] for i, c in enumerate(colours)}
        lines = [f'"{self.size} {self.size} {len(colours) + 1} 1"', '"  c None"']
        lines += [f'"{key[c]} c {c}"' for c in colours]
        lines += ['"' + "".join(key[c] if c else " " for c in row) + '"' for row in self.pixels]
        return f"/* XPM */\nstatic const char* const {name}_xpm[] = {{\n" + ",\n".join(lines) + "};\n"


BLACK, WHITE, GREY = "#000000", "#FFFFFF", "#808080"
BROWN, DARK_BROWN, LIGHT_BROWN = "#8B5A2B", "#5C3A1A", "#B07A45"
GREEN, DARK_GREEN, YELLOW, RED, BLUE = "#3FA535", "#1E6B1A", "#F2C12E", "#D23020", "#2050C0"
CREAM = "#F4E8C8"


def fork(c, colour, width=1):
    c.line(8, 15, 8, 8, colour, width)
    c.line(8, 8, 3, 2, colour, width)
    c.line(8, 8, 13, 2, colour, width)


def twig(c):
    c.line(7, 15, 7, 6, BROWN, 2)
    c.line(7, 10, 3, 5, BROWN)
    c.line(8, 8, 13, 3, BROWN)
    c.line(7, 6, 6, 1, BROWN)
    c.line(11, 5, 13, 6, BROWN)


def leaf(c):
    for y in range(2, 15):
        half = int(math.sin((y - 2) / 12 * math.pi) * 5)
        c.rect(8 - half, y, 8 + half, y, GREEN)
    c.line(8, 2, 8, 15, DARK_GREEN)
    c.line(8, 7, 5, 5, DARK_GREEN)
    c.line(8, 10, 11, 8, DARK_GREEN)


def candle(c, lit):
    c.rect(6, 7, 10, 15, CREAM)
    c.frame(6, 7, 10, 15, GREY)
    c.line(8, 5, 8, 6, BLACK)
    if lit:
        c.disc(8, 3, 2, YELLOW)
        c.dot(8, 1, RED)
        c.dot(8, 2, RED)
        c.dot(7, 3, RED)


def sheet(c):
    c.rect(3, 1, 12, 14, WHITE)
    c.frame(3, 1, 12, 14, GREY)
    c.line(10, 1, 12, 3, GREY)


def folder(c):
    c.rect(1, 4, 6, 5, YELLOW)
    c.rect(1, 5, 14, 13, YELLOW)
    c.frame(1, 5, 14, 13, DARK_BROWN)


def floppy(c):
    c.rect(1, 1, 14, 14, BLUE)
    c.rect(4, 1, 11, 5, WHITE)
    c.rect(4, 9, 11, 14, GREY)
    c.frame(1, 1, 14, 14, BLACK)


def pen(c):
    c.line(14, 6, 7, 13, RED, 2)
    c.dot(6, 14, BLACK)


def full3d(c):
    c.line(8, 15, 8, 8, DARK_BROWN, 3)
    c.line(8, 8, 3, 2, BROWN, 3)
    c.line(8, 8, 12, 2, LIGHT_BROWN, 3)


def small_tree(c):
    c.rect(7, 11, 8, 15, BROWN)
    c.disc(8, 6, 5, GREEN)
    c.disc(6, 5, 2, DARK_GREEN)
    c.disc(10, 8, 1.5, DARK_GREEN)


def app_icon():
    c = Canvas(32)
    c.rect(0, 0, 31, 31, "#CFE8F6")
    c.rect(0, 27, 31, 31, "#6FB24A")
    c.line(15, 30, 15, 14, DARK_BROWN, 3)
    c.line(16, 18, 8, 10, BROWN, 2)
    c.line(16, 16, 24, 8, BROWN, 2)
    for cx, cy, r in [(9, 9, 6), (23, 8, 6), (16, 6, 7), (16, 13, 5)]:
        c.disc(cx, cy, r, GREEN)
    for cx, cy in [(7, 7), (21, 5), (15, 3), (25, 11)]:
        c.disc(cx, cy, 1.5, DARK_GREEN)
    return c


def arrow(c, mirrored):
    """A curved arrow turning back (undo) or, mirrored, going on (redo)."""
    def at(x, y):
        return (15 - x, y) if mirrored else (x, y)
    # The bow: a half circle from the arrow head round to the tail.
    for i in range(0, 181, 5):
        a = math.radians(i)
        x, y = 8.5 + 4.5 * math.cos(a - math.pi / 2), 8.5 + 4.5 * math.sin(a - math.pi / 2)
        for dx, dy in [(0, 0), (0.5, 0.5)]:
            c.dot(*at(round(x + dx), round(y + dy)), BLUE)
    c.line(*at(8, 13), *at(4, 13), BLUE, 1)
    c.line(*at(8, 12), *at(4, 12), BLUE, 1)
    # The head at the upper left end of the bow, pointing left.
    for k in range(4):
        c.line(*at(4 + k, 4 - k), *at(4 + k, 4 + k), BLUE)


def icon(draw, *extra):
    c = Canvas(16)
    draw(c)
    for more in extra:
        more(c)
    return c


ICONS = {
    "Grovewright": icon(twig),
    "LeafCreator": icon(leaf),
    "LightOn": icon(lambda c: candle(c, True)),
    "LightOff": icon(lambda c: candle(c, False)),
    "Load": icon(folder),
    "NewProject": icon(sheet),
    "Save": icon(floppy),
    "SaveAs": icon(floppy, pen),
    "Line": icon(lambda c: fork(c, BLACK)),
    "WireFrame": icon(lambda c: (fork(c, BROWN), c.line(6, 14, 10, 14, BROWN), c.line(2, 2, 4, 2, BROWN),
                                 c.line(12, 2, 14, 2, BROWN))),
    "Full3D": icon(full3d),
    "BillboardExport": icon(small_tree),
    "Undo": icon(lambda c: arrow(c, False)),
    "Redo": icon(lambda c: arrow(c, True)),
}

with open(os.path.join(OUT, "ToolbarIcons.xpm"), "w") as out:
    out.write("/* The toolbar's 16 x 16 icons, drawn by tools/make-icons.py. */\n")
    for name, canvas in ICONS.items():
        out.write(canvas.xpm(name))
with open(os.path.join(OUT, "GROVEWRIGHT.xpm"), "w") as out:
    out.write(app_icon().xpm("GROVEWRIGHT"))
