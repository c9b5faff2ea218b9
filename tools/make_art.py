#!/usr/bin/env python3
# Draws setup.exe's own pictures at build time (make_art.py <folder>): the icons that IdIcon chooses from
# (16, 32 and 48 pixels, 32-bit with alpha) and the finish page's bitmap (8-bit, pure red where the page's
# face colour shows through). One terminal-window motif in one set of colours; standard library only.
import math
import os
import struct
import sys

# The colours of all pictures.
FRAME = (0x2E, 0x34, 0x40)     # window chrome
TITLE = (0x43, 0x4C, 0x5E)     # title bar
SCREEN = (0x16, 0x1B, 0x26)    # the terminal's screen
TEXT = (0xD8, 0xDE, 0xE9)      # text on the screen
DIM = (0x7B, 0x88, 0xA1)       # quiet text
ACCENT = (0x3D, 0xDC, 0x97)    # the prompt: Kiv's colour
BLUE = (0x61, 0xAF, 0xEF)
AMBER = (0xE5, 0xC0, 0x7B)
AMBER_DARK = (0xC8, 0x96, 0x3E)
CORAL = (0xE0, 0x6C, 0x75)
PURPLE = (0xC6, 0x78, 0xDD)
SLATE = (0x4C, 0x56, 0x6A)
PAPER = (0xEC, 0xEF, 0xF4)
PAPER_FOLD = (0xC3, 0xCB, 0xD8)
WHITE = (0xFF, 0xFF, 0xFF)
RED = (0xFF, 0x00, 0x00)       # the finish bitmap's background: shown in the system's face colour
CLEAR = None                   # a layer that cuts a hole into the layers below it


# ----------------------------------------------------------------------------------------------------
# Shapes: each says whether a point lies inside it; a bounding box rejects most points quickly.

class Shape:
    def __init__(self, x0, y0, x1, y1):
        self.box = (x0, y0, x1, y1)

    def hit(self, x, y):
        x0, y0, x1, y1 = self.box
        return x0 <= x < x1 and y0 <= y < y1 and self.inside(x, y)

    def inside(self, x, y):
        return True


class Rect(Shape):
    pass


class RoundRect(Shape):
    def __init__(self, x0, y0, x1, y1, r):
        super().__init__(x0, y0, x1, y1)
        self.r = r

    def inside(self, x, y):
        x0, y0, x1, y1 = self.box
        r = self.r
        dx = max(x0 + r - x, 0, x - (x1 - r))
        dy = max(y0 + r - y, 0, y - (y1 - r))
        return dx * dx + dy * dy <= r * r


class Ellipse(Shape):
    """An ellipse, or with `hole` > 0 the ring between it and the same ellipse shrunk by `hole`."""

    def __init__(self, cx, cy, rx, ry, hole=0.0):
        super().__init__(cx - rx, cy - ry, cx + rx, cy + ry)
        self.c, self.r, self.hole = (cx, cy), (rx, ry), hole

    def inside(self, x, y):
        (cx, cy), (rx, ry) = self.c, self.r
        if ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 > 1:
            return False
        if self.hole <= 0:
            return True
        ix, iy = rx - self.hole, ry - self.hole
        return ix <= 0 or iy <= 0 or ((x - cx) / ix) ** 2 + ((y - cy) / iy) ** 2 > 1


def Circle(cx, cy, r, hole=0.0):
    return Ellipse(cx, cy, r, r, hole)


class Stroke(Shape):
    """A polyline `width` wide with round ends and joints."""

    def __init__(self, points, width):
        h = width / 2
        xs, ys = [p[0] for p in points], [p[1] for p in points]
        super().__init__(min(xs) - h, min(ys) - h, max(xs) + h, max(ys) + h)
        self.segments = list(zip(points, points[1:]))
        self.h2 = h * h

    def inside(self, x, y):
        for (ax, ay), (bx, by) in self.segments:
            dx, dy = bx - ax, by - ay
            length2 = dx * dx + dy * dy
            t = 0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
            px, py = ax + t * dx - x, ay + t * dy - y
            if px * px + py * py <= self.h2:
                return True
        return False


class Polygon(Shape):
    def __init__(self, points):
        xs, ys = [p[0] for p in points], [p[1] for p in points]
        super().__init__(min(xs), min(ys), max(xs), max(ys))
        self.points = points

    def inside(self, x, y):
        inside = False
        pts = self.points
        for (ax, ay), (bx, by) in zip(pts, pts[1:] + pts[:1]):
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
        return inside


class Gear(Shape):
    def __init__(self, cx, cy, outer, inner, hole, teeth):
        super().__init__(cx - outer, cy - outer, cx + outer, cy + outer)
        self.c, self.outer, self.inner, self.hole, self.teeth = (cx, cy), outer, inner, hole, teeth

    def inside(self, x, y):
        dx, dy = x - self.c[0], y - self.c[1]
        d = math.hypot(dx, dy)
        if d < self.hole:
            return False
        phase = (math.atan2(dy, dx) / (2 * math.pi) * self.teeth) % 1.0
        return d <= (self.outer if phase < 0.5 else self.inner)


# ----------------------------------------------------------------------------------------------------
# Text: a 5 by 7 pixel font of the characters the pictures use (an eighth row for descenders).

FONT = {
    "K": "X...X X..X. X.X.. XX... X.X.. X..X. X...X",
    "a": "..... ..... .XXX. ....X .XXXX X...X .XXXX",
    "b": "X.... X.... X.XX. XX..X X...X X...X XXXX.",
    "c": "..... ..... .XXX. X.... X.... X...X .XXX.",
    "d": "....X ....X .XX.X X..XX X...X X...X .XXXX",
    "e": "..... ..... .XXX. X...X XXXXX X.... .XXX.",
    "f": "..XX. .X..X .X... XXX.. .X... .X... .X...",
    "i": "..X.. ..... .XX.. ..X.. ..X.. ..X.. .XXX.",
    "k": "X.... X.... X..X. X.X.. XX... X.X.. X..X.",
    "l": ".XX.. ..X.. ..X.. ..X.. ..X.. ..X.. .XXX.",
    "n": "..... ..... X.XX. XX..X X...X X...X X...X",
    "o": "..... ..... .XXX. X...X X...X X...X .XXX.",
    "p": "..... ..... XXXX. X...X X...X XXXX. X.... X....",
    "r": "..... ..... X.XX. XX..X X.... X.... X....",
    "s": "..... ..... .XXXX X.... .XXX. ....X XXXX.",
    "t": ".X... .X... XXXX. .X... .X... .X..X ..XX.",
    "u": "..... ..... X...X X...X X...X X..XX .XX.X",
    "v": "..... ..... X...X X...X X...X .X.X. ..X..",
    ">": "X.... .X... ..X.. ...X. ..X.. .X... X....",
    "_": "..... ..... ..... ..... ..... ..... XXXXX",
    " ": "..... ..... ..... ..... ..... ..... .....",
}
ADVANCE = 6  # glyph width and one column of space


def text(layers, x, y, string, colour, scale=1):
    """Adds the pixels of `string` with its top left corner at (x, y)."""
    for i, char in enumerate(string):
        for row, bits in enumerate(FONT[char].split()):
            for col, bit in enumerate(bits):
                if bit == "X":
                    gx, gy = x + (i * ADVANCE + col) * scale, y + row * scale
                    layers.append((Rect(gx, gy, gx + scale, gy + scale), colour))


def text_width(string, scale=1):
    return (len(string) * ADVANCE - 1) * scale


# ----------------------------------------------------------------------------------------------------
# Rendering: layers are drawn in order, later ones on top; every pixel averages samples x samples points.

def render(layers, width, height, samples, unit=1.0, background=CLEAR):
    """Returns rows of (r, g, b, a) pixels; `unit` is the number of pixels per design unit."""
    top_down = list(reversed(layers))
    rows = []
    step = 1.0 / samples
    offsets = [(i + 0.5) * step for i in range(samples)]
    for py in range(height):
        row = []
        for px in range(width):
            r = g = b = a = 0.0
            for oy in offsets:
                y = (py + oy) / unit
                for ox in offsets:
                    x = (px + ox) / unit
                    colour = background
                    for shape, c in top_down:
                        if shape.hit(x, y):
                            colour = c
                            break
                    if colour is not None:
                        r, g, b, a = r + colour[0], g + colour[1], b + colour[2], a + 1
            n = samples * samples
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(r / a), round(g / a), round(b / a), round(255 * a / n)))
        rows.append(row)
    return rows


# ----------------------------------------------------------------------------------------------------
# The icons, drawn on a 48 by 48 unit grid; `size` lets small icons drop detail and thicken lines.

def terminal(size, prompt=ACCENT):
    layers = [
        (RoundRect(3, 7, 45, 41, 4), FRAME),
        (RoundRect(3, 7, 45, 16, 4), TITLE),
        (Rect(3, 13, 45, 15), FRAME),
        (RoundRect(6, 15, 42, 38, 2), SCREEN),
    ]
    if size >= 32:
        layers += [(Circle(9, 11, 1.6), CORAL), (Circle(14, 11, 1.6), AMBER), (Circle(19, 11, 1.6), ACCENT)]
    width = 3.2 if size >= 32 else 4.2
    layers.append((Stroke([(11, 20), (17, 25.5), (11, 31)], width), prompt))
    layers.append((Rect(20.5, 28.5, 30, 31.6) if size >= 32 else Rect(20, 28, 31, 32), TEXT))
    return layers


def badge(colour, glyph):
    """A round sign at the lower right, cut out of what lies below it."""
    layers = [(Circle(36, 36, 12), CLEAR), (Circle(36, 36, 10), colour)]
    return layers + [(shape, WHITE) for shape in glyph]


ARROW_DOWN = [Stroke([(36, 30), (36, 41)], 3), Stroke([(31.5, 36.5), (36, 41), (40.5, 36.5)], 3)]
ARROW_UP = [Stroke([(36, 42), (36, 31)], 3), Stroke([(31.5, 35.5), (36, 31), (40.5, 35.5)], 3)]
CROSS = [Stroke([(32, 32), (40, 40)], 3), Stroke([(40, 32), (32, 40)], 3)]
GLOBE = [Circle(36, 36, 6.5, 1.6), Ellipse(36, 36, 2.8, 6.5, 1.4), Stroke([(30, 36), (42, 36)], 1.5)]
EXCHANGE = [Stroke([(30.5, 33), (41, 33)], 2.2), Stroke([(38, 30), (41, 33), (38, 36)], 2.2),
            Stroke([(41.5, 39), (31, 39)], 2.2), Stroke([(34, 36), (31, 39), (34, 42)], 2.2)]
GEAR = [Gear(36, 36, 7, 5.2, 2.4, 8)]


def document(size):
    layers = [
        (Polygon([(9, 2), (31, 2), (41, 12), (41, 46), (9, 46)]), SLATE),
        (Polygon([(10.5, 3.5), (30.4, 3.5), (39.5, 12.6), (39.5, 44.5), (10.5, 44.5)]), PAPER),
        (Polygon([(30.4, 3.5), (30.4, 12.6), (39.5, 12.6)]), PAPER_FOLD),
        (RoundRect(14, 18, 36, 39, 2), SCREEN),
    ]
    width = 2.6 if size >= 32 else 4
    layers.append((Stroke([(18, 23), (22.5, 27), (18, 31)], width), ACCENT))
    layers.append((Rect(24.5, 30, 31.5, 32.6) if size >= 32 else Rect(24, 29, 32, 33), TEXT))
    return layers


def printer(size):
    layers = [
        (Rect(13, 4, 35, 20), SLATE),
        (Rect(14.2, 5.2, 33.8, 20), PAPER),
        (RoundRect(4, 17, 44, 35, 3), FRAME),
        (Rect(4, 17, 44, 21), TITLE),
        (Rect(11, 29, 37, 31.5), SCREEN),
        (Rect(13, 31, 35, 45), SLATE),
        (Rect(14.2, 31, 33.8, 43.8), PAPER),
        (Circle(38.5, 24.5, 1.6), ACCENT),
    ]
    if size >= 32:
        for y in (8, 11.5, 15):
            layers.append((Rect(17, y, 31, y + 1.4), DIM))
        layers.append((Rect(17, 34.5, 22, 36), ACCENT))
        for y in (37.5, 40.5):
            layers.append((Rect(17, y, 31, y + 1.4), DIM))
    return layers


def folder(size):
    layers = [
        (RoundRect(4, 8, 22, 17, 2.5), AMBER_DARK),
        (RoundRect(4, 12, 44, 41, 3), AMBER),
    ]
    width = 3.2 if size >= 32 else 4.2
    layers.append((Stroke([(13, 21), (19, 26.5), (13, 32)], width), FRAME))
    layers.append((Rect(22.5, 29.5, 32, 32.6) if size >= 32 else Rect(22, 29, 33, 33), FRAME))
    return layers


ICONS = {
    "kiv": lambda size: terminal(size),
    "setup": lambda size: terminal(size) + badge(ACCENT, ARROW_DOWN),
    "remove": lambda size: terminal(size) + badge(CORAL, CROSS),
    "document": document,
    "protocol": lambda size: terminal(size) + badge(PURPLE, GLOBE),
    "kivblue": lambda size: terminal(size, BLUE),
    "kivamber": lambda size: terminal(size, AMBER),
    "connection": lambda size: terminal(size) + badge(BLUE, EXCHANGE),
    "printer": printer,
    "folder": folder,
    "settings": lambda size: terminal(size) + badge(SLATE, GEAR),
    "update": lambda size: terminal(size) + badge(BLUE, ARROW_UP),
}
ICON_SIZES = (16, 32, 48)


def ico_image(rows):
    """One icon image: the BITMAPINFOHEADER (double height for the mask), BGRA bottom-up, the AND mask."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, pixel in enumerate(row):
            if pixel[3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + bytes(mask)


def ico_file(images):
    """An .ico file of (size, image bytes) pairs."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def make_icon(name):
    images = []
    for size in ICON_SIZES:
        rows = render(ICONS[name](size), size, size, 4, size / 48.0)
        images.append((size, ico_image(rows)))
    return ico_file(images)


# ----------------------------------------------------------------------------------------------------
# The finish page's picture: a terminal that has just installed Kiv, and the name below it. No smoothing:
# every pixel is one of few colours, and edges against the red background stay clean.

FINISH_WIDTH, FINISH_HEIGHT = 120, 186


def finish_layers():
    layers = [
        (RoundRect(3, 6, 117, 118, 4), TITLE),
        (RoundRect(6, 19, 114, 115, 2), SCREEN),
        (Circle(11.5, 12.5, 2.5), CORAL),
        (Circle(19.5, 12.5, 2.5), AMBER),
        (Circle(27.5, 12.5, 2.5), ACCENT),
    ]
    text(layers, 60 - text_width("kiv") // 2, 9, "kiv", DIM)
    text(layers, 11, 26, ">", ACCENT)
    text(layers, 23, 26, "kiv setup", TEXT)
    layers.append((Rect(11, 40, 109, 46), FRAME))
    layers.append((Rect(12, 41, 108, 45), ACCENT))
    for i, word in enumerate(("files", "links", "record")):
        y = 53 + 12 * i
        text(layers, 17, y, word, DIM)
        check_mark(layers, y)
    text(layers, 11, 96, ">", ACCENT)
    layers.append((Rect(23, 96, 28, 104), TEXT))
    name = "Kiv_"
    left = (FINISH_WIDTH - text_width(name, 4)) // 2
    text(layers, left, 132, "Kiv", FRAME, 4)
    text(layers, left + 3 * ADVANCE * 4, 132, "_", ACCENT, 4)
    text(layers, (FINISH_WIDTH - text_width("norba")) // 2, 170, "norba", SLATE)
    return layers


def check_mark(layers, y):
    """The green mark at the right end of a status line."""
    layers.append((Stroke([(97, y + 4), (99.5, y + 6.5), (104, y + 1)], 1.6), ACCENT))


def bmp_file(rows):
    """An 8-bit .bmp file with the palette of the colours the picture uses."""
    palette = sorted({pixel[:3] for row in rows for pixel in row})
    if len(palette) > 256:
        raise ValueError("the finish picture uses more than 256 colours")
    index = {colour: i for i, colour in enumerate(palette)}
    width, height = len(rows[0]), len(rows)
    stride = (width + 3) & ~3
    pixels = b"".join(bytes(index[p[:3]] for p in row) + bytes(stride - width) for row in reversed(rows))
    colours = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(pixels), 3780, 3780, len(palette), 0)
    offset = 14 + len(info) + len(colours)
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + info + colours + pixels


def make_finish():
    rows = render(finish_layers(), FINISH_WIDTH, FINISH_HEIGHT, 1, 1.0, RED)
    return bmp_file(rows)


def write(folder, name, data):
    """Writes through a temporary file, so that an interrupted build leaves no half picture behind."""
    path = os.path.join(folder, name)
    with open(path + ".tmp", "wb") as f:
        f.write(data)
    os.replace(path + ".tmp", path)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name in ICONS:
        write(folder, name + ".ico", make_icon(name))
    write(folder, "finish.bmp", make_finish())


if __name__ == "__main__":
    main()
