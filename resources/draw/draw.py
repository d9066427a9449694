#!/usr/bin/env python3
"""Draws every picture the program ships and writes them as BMP and ICO files.

Run from the repository root:

    python3 resources/draw/draw.py                 # writes resources/img/ and resources/Bitmaps/
    python3 resources/draw/draw.py --preview DIR   # also writes PPM previews to look at

Every picture of the program's face is drawn at 100, 150 and 200 % (the larger ones named
name_150.bmp and name_200.bmp): the same shapes sampled on a finer grid, not the small picture
stretched. Each size is the 100 % one scaled as the program scales its layout (rounded to the
nearest pixel, halves up), cell by cell for the strips. The wallpapers are drawn once: they are
the user's pictures and shown as they are.

Only the standard library is used. The output is byte-for-byte the same on every run: there is
no clock, no system random source, and the noise comes from an integer hash.

Shapes are tested per sample on a supersampled grid and averaged down, which gives smooth edges
for the pictures that keep an alpha channel. Pictures that are keyed on magenta are "hardened"
afterwards (every pixel fully opaque or exactly the key colour) so no pink fringe can appear.
"""

import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.dirname(HERE)
IMG = os.path.join(RES, "img")
WALL = os.path.join(RES, "Bitmaps")

NAV_BLUE = (0, 130, 198)
NAV_HOT = (248, 196, 39)
BUTTON_FACE = (253, 237, 172)
MAGENTA = (255, 0, 255)
NAVY = (8, 32, 72)


# --------------------------------------------------------------------------------------------
# Shapes: point-inside tests with a bounding box, in picture pixels (floats).
# --------------------------------------------------------------------------------------------

class Shape:
    def __init__(self, inside, bbox):
        self.inside = inside
        self.bbox = bbox

    def __or__(self, other):
        a, b = self.inside, other.inside
        return Shape(lambda x, y: a(x, y) or b(x, y),
                     (min(self.bbox[0], other.bbox[0]), min(self.bbox[1], other.bbox[1]),
                      max(self.bbox[2], other.bbox[2]), max(self.bbox[3], other.bbox[3])))

    def __and__(self, other):
        a, b = self.inside, other.inside
        return Shape(lambda x, y: a(x, y) and b(x, y),
                     (max(self.bbox[0], other.bbox[0]), max(self.bbox[1], other.bbox[1]),
                      min(self.bbox[2], other.bbox[2]), min(self.bbox[3], other.bbox[3])))

    def __sub__(self, other):
        a, b = self.inside, other.inside
        return Shape(lambda x, y: a(x, y) and not b(x, y), self.bbox)

    def rotated(self, cx, cy, degrees):
        """The shape turned about (cx, cy); positive angles turn clockwise on screen."""
        t = math.radians(degrees)
        c, s = math.cos(t), math.sin(t)
        f = self.inside

        def inside(x, y):
            dx, dy = x - cx, y - cy
            return f(cx + dx * c + dy * s, cy - dx * s + dy * c)
        x0, y0, x1, y1 = self.bbox
        pts = [(x0, y0), (x1, y0), (x0, y1), (x1, y1)]
        rx = [cx + (px - cx) * c - (py - cy) * s for px, py in pts]
        ry = [cy + (px - cx) * s + (py - cy) * c for px, py in pts]
        return Shape(inside, (min(rx), min(ry), max(rx), max(ry)))

    def moved(self, dx, dy):
        f = self.inside
        x0, y0, x1, y1 = self.bbox
        return Shape(lambda x, y: f(x - dx, y - dy), (x0 + dx, y0 + dy, x1 + dx, y1 + dy))


def circle(cx, cy, r):
    r2 = r * r
    return Shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r2, (cx - r, cy - r, cx + r, cy + r))


def ellipse(cx, cy, rx, ry):
    return Shape(lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0,
                 (cx - rx, cy - ry, cx + rx, cy + ry))


def rect(x0, y0, x1, y1):
    return Shape(lambda x, y: x0 <= x < x1 and y0 <= y < y1, (x0, y0, x1, y1))


def rrect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        dx = max(x0 + r - x, 0.0, x - (x1 - r))
        dy = max(y0 + r - y, 0.0, y - (y1 - r))
        return dx * dx + dy * dy <= r * r
    return Shape(inside, (x0, y0, x1, y1))


def capsule(ax, ay, bx, by, width):
    """A line with round ends."""
    h = width / 2.0
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy or 1e-9

    def inside(x, y):
        t = ((x - ax) * dx + (y - ay) * dy) / ll
        t = 0.0 if t < 0 else 1.0 if t > 1 else t
        px, py = ax + t * dx - x, ay + t * dy - y
        return px * px + py * py <= h * h
    return Shape(inside, (min(ax, bx) - h, min(ay, by) - h, max(ax, bx) + h, max(ay, by) + h))


def polyline(points, width):
    s = capsule(*points[0], *points[1], width)
    for a, b in zip(points[1:], points[2:]):
        s = s | capsule(*a, *b, width)
    return s


def polygon(points):
    n = len(points)

    def inside(x, y):
        c = False
        j = n - 1
        for i in range(n):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                c = not c
            j = i
        return c
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(inside, (min(xs), min(ys), max(xs), max(ys)))


def ring(cx, cy, r_out, r_in):
    return circle(cx, cy, r_out) - circle(cx, cy, r_in)


def sector(cx, cy, r, a0, a1):
    """Points within r of the centre whose angle lies from a0 to a1 degrees (0 = right,
    90 = down, measured clockwise on screen)."""
    def inside(x, y):
        dx, dy = x - cx, y - cy
        if dx * dx + dy * dy > r * r:
            return False
        a = math.degrees(math.atan2(dy, dx)) % 360.0
        lo, hi = a0 % 360.0, a1 % 360.0
        return lo <= a <= hi if lo <= hi else a >= lo or a <= hi
    return Shape(inside, (cx - r, cy - r, cx + r, cy + r))


# --------------------------------------------------------------------------------------------
# Paints: a colour, or a function of the position giving one. Colours are (r, g, b) or
# (r, g, b, alpha) with alpha from 0 to 1.
# --------------------------------------------------------------------------------------------

def mix(c0, c1, t):
    t = 0.0 if t < 0 else 1.0 if t > 1 else t
    a0 = c0[3] if len(c0) > 3 else 1.0
    a1 = c1[3] if len(c1) > 3 else 1.0
    return (c0[0] + (c1[0] - c0[0]) * t, c0[1] + (c1[1] - c0[1]) * t,
            c0[2] + (c1[2] - c0[2]) * t, a0 + (a1 - a0) * t)


def linear(x0, y0, c0, x1, y1, c1):
    dx, dy = x1 - x0, y1 - y0
    ll = dx * dx + dy * dy or 1e-9
    return lambda x, y: mix(c0, c1, ((x - x0) * dx + (y - y0) * dy) / ll)


def radial(cx, cy, r, c0, c1):
    return lambda x, y: mix(c0, c1, math.hypot(x - cx, y - cy) / r)


# --------------------------------------------------------------------------------------------
# Canvas: premultiplied RGBA floats on a supersampled grid.
# --------------------------------------------------------------------------------------------

def sc(v, pct):
    """A length of the 100 % picture at pct percent, rounded as the program rounds."""
    return (v * pct * 2 + 100) // 200


class Canvas:
    """w x h pixels; shapes are given in units of the 100 % picture, k pixels each."""

    def __init__(self, w, h, ss=4, k=1.0):
        self.w, self.h, self.ss, self.k = w, h, ss, k
        self.W, self.H = w * ss, h * ss
        n = self.W * self.H
        self.r = [0.0] * n
        self.g = [0.0] * n
        self.b = [0.0] * n
        self.a = [0.0] * n

    def draw(self, shape, paint):
        ss, W = self.ss * self.k, self.W
        x0, y0, x1, y1 = shape.bbox
        i0 = max(0, int(math.floor(x0 * ss)))
        i1 = min(W, int(math.ceil(x1 * ss)) + 1)
        j0 = max(0, int(math.floor(y0 * ss)))
        j1 = min(self.H, int(math.ceil(y1 * ss)) + 1)
        f = shape.inside
        solid = None if callable(paint) else mix(paint, paint, 0)
        R, G, B, A = self.r, self.g, self.b, self.a
        for j in range(j0, j1):
            y = (j + 0.5) / ss
            row = j * W
            for i in range(i0, i1):
                x = (i + 0.5) / ss
                if not f(x, y):
                    continue
                cr, cg, cb, ca = solid if solid else paint(x, y)
                if ca <= 0:
                    continue
                k = row + i
                if ca >= 1:
                    R[k], G[k], B[k], A[k] = cr, cg, cb, 1.0
                else:
                    ia = 1.0 - ca
                    R[k] = cr * ca + R[k] * ia
                    G[k] = cg * ca + G[k] * ia
                    B[k] = cb * ca + B[k] * ia
                    A[k] = ca + A[k] * ia

    def fill(self, paint):
        self.draw(rect(0, 0, self.w / self.k, self.h / self.k), paint)

    def over(self, top):
        """Composites another canvas of the same size on top of this one."""
        R, G, B, A = self.r, self.g, self.b, self.a
        for k, ta in enumerate(top.a):
            if ta <= 0:
                continue
            ia = 1.0 - ta
            R[k] = top.r[k] + R[k] * ia
            G[k] = top.g[k] + G[k] * ia
            B[k] = top.b[k] + B[k] * ia
            A[k] = ta + A[k] * ia

    def outline(self, width, colour):
        """Puts a band of the colour around everything drawn so far (a disc dilation of the
        coverage), under the drawing, so the shape reads on any background."""
        rad = max(1, int(round(width * self.ss * self.k)))
        W, H = self.W, self.H
        rows = [self.a[j * W:(j + 1) * W] for j in range(H)]
        # Horizontal running maxima for every half-width up to rad.
        hmax = [rows]
        for _ in range(rad):
            prev = hmax[-1]
            nxt = []
            for row in prev:
                left = row[1:] + [0.0]
                right = [0.0] + row[:-1]
                nxt.append(list(map(max, row, left, right)))
            hmax.append(nxt)
        dil = [[0.0] * W for _ in range(H)]
        for dy in range(-rad, rad + 1):
            hw = int(math.floor(math.sqrt(rad * rad - dy * dy)))
            src = hmax[hw]
            for j in range(max(0, -dy), min(H, H - dy)):
                dil[j] = list(map(max, dil[j], src[j + dy]))
        cr, cg, cb = colour[:3]
        ca = colour[3] if len(colour) > 3 else 1.0
        R, G, B, A = self.r, self.g, self.b, self.a
        for j in range(H):
            drow = dil[j]
            for i in range(W):
                d = drow[i] * ca
                if d <= 0:
                    continue
                k = j * W + i
                ia = 1.0 - A[k]
                R[k] += cr * d * ia
                G[k] += cg * d * ia
                B[k] += cb * d * ia
                A[k] += d * ia

    def image(self):
        """Averages the samples down to an Image (straight alpha, 8-bit)."""
        ss, W = self.ss, self.W
        n = float(ss * ss)
        out = Image(self.w, self.h)
        for y in range(self.h):
            for x in range(self.w):
                sr = sg = sb = sa = 0.0
                for j in range(y * ss, y * ss + ss):
                    base = j * W + x * ss
                    sr += sum(self.r[base:base + ss])
                    sg += sum(self.g[base:base + ss])
                    sb += sum(self.b[base:base + ss])
                    sa += sum(self.a[base:base + ss])
                a = sa / n
                if a <= 1e-6:
                    out.px[y][x] = (0, 0, 0, 0)
                    continue
                out.px[y][x] = (clamp8(sr / n / a), clamp8(sg / n / a), clamp8(sb / n / a),
                                clamp8(a * 255.0))
        return out


def clamp8(v):
    v = int(v + 0.5)
    return 0 if v < 0 else 255 if v > 255 else v


class Image:
    """Final pixels, rows top down, each (r, g, b, a) with straight alpha."""

    def __init__(self, w, h, fill=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def blit(self, src, ox, oy):
        """Source-over composite of another image at (ox, oy)."""
        for y in range(src.h):
            ty = oy + y
            if not 0 <= ty < self.h:
                continue
            for x in range(src.w):
                tx = ox + x
                if not 0 <= tx < self.w:
                    continue
                sr, sg, sb, sa = src.px[y][x]
                if sa == 0:
                    continue
                if sa == 255:
                    self.px[ty][tx] = (sr, sg, sb, 255)
                    continue
                dr, dg, db, da = self.px[ty][tx]
                a = sa / 255.0
                da_f = da / 255.0 * (1 - a)
                oa = a + da_f
                self.px[ty][tx] = (clamp8((sr * a + dr * da_f) / oa), clamp8((sg * a + dg * da_f) / oa),
                                   clamp8((sb * a + db * da_f) / oa), clamp8(oa * 255))

    def on(self, colour):
        """This image flattened onto an opaque colour."""
        out = Image(self.w, self.h, tuple(colour[:3]) + (255,))
        out.blit(self, 0, 0)
        return out

    def harden(self, threshold=128):
        """Every pixel becomes either fully opaque or fully transparent, so that the picture
        can be laid on the magenta key without a blended fringe."""
        out = Image(self.w, self.h)
        for y in range(self.h):
            for x in range(self.w):
                r, g, b, a = self.px[y][x]
                out.px[y][x] = (r, g, b, 255) if a >= threshold else (0, 0, 0, 0)
        return out


def render(w, h, fn, ss=4, pct=100):
    """fn's drawing of a w x h picture (100 % units) at pct percent."""
    c = Canvas(sc(w, pct), sc(h, pct), ss, pct / 100.0)
    fn(c)
    return c.image()


def layer(base, fn, outline=None, width=1.0):
    """Draws fn on a fresh layer of base's size, outlines it and composites it onto base."""
    c = Canvas(base.w, base.h, base.ss, base.k)
    fn(c)
    if outline:
        c.outline(width, outline)
    base.over(c)


# --------------------------------------------------------------------------------------------
# File writers.
# --------------------------------------------------------------------------------------------

def bmp_bytes(img, bits):
    """An uncompressed bottom-up BMP (BITMAPINFOHEADER). 24-bit drops alpha; 32-bit stores
    premultiplied alpha in the fourth byte, as AlphaBlend expects."""
    w, h = img.w, img.h
    bpp = bits // 8
    stride = (w * bpp + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for r, g, b, a in img.px[y]:
            if bits == 32:
                row += bytes((b * a // 255 if a < 255 else b, g * a // 255 if a < 255 else g,
                              r * a // 255 if a < 255 else r, a))
            else:
                row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        data += row
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return head + info + bytes(data)


def ico_bytes(images):
    """An .ico holding 32-bit images (straight alpha) with their AND masks."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for img in images:
        w, h = img.w, img.h
        xor = bytearray()
        for y in range(h - 1, -1, -1):
            for r, g, b, a in img.px[y]:
                xor += bytes((b, g, r, a) if a else (0, 0, 0, 0))
        mstride = ((w + 31) // 32) * 4
        mask = bytearray()
        for y in range(h - 1, -1, -1):
            row = bytearray(mstride)
            for x in range(w):
                if img.px[y][x][3] == 0:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        blob = info + bytes(xor) + bytes(mask)
        entries.append(struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


def ppm_bytes(img, bg=(255, 255, 255)):
    flat = img.on(bg)
    data = bytearray()
    for row in flat.px:
        for r, g, b, _ in row:
            data += bytes((r, g, b))
    return b"P6\n%d %d\n255\n" % (img.w, img.h) + bytes(data)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


# --------------------------------------------------------------------------------------------
# A small bitmap font: capitals 7 rows high, small letters with two rows of descender.
# --------------------------------------------------------------------------------------------

_FONT_SRC = {
    "A": ".XXX. X...X X...X XXXXX X...X X...X X...X",
    "B": "XXXX. X...X X...X XXXX. X...X X...X XXXX.",
    "C": ".XXX. X...X X.... X.... X.... X...X .XXX.",
    "D": "XXXX. X...X X...X X...X X...X X...X XXXX.",
    "E": "XXXXX X.... X.... XXXX. X.... X.... XXXXX",
    "F": "XXXXX X.... X.... XXXX. X.... X.... X....",
    "G": ".XXX. X...X X.... X.XXX X...X X...X .XXXX",
    "H": "X...X X...X X...X XXXXX X...X X...X X...X",
    "I": "XXX .X. .X. .X. .X. .X. XXX",
    "J": "..XXX ...X. ...X. ...X. ...X. X..X. .XX..",
    "K": "X...X X..X. X.X.. XX... X.X.. X..X. X...X",
    "L": "X.... X.... X.... X.... X.... X.... XXXXX",
    "M": "X...X XX.XX X.X.X X.X.X X...X X...X X...X",
    "N": "X...X X...X XX..X X.X.X X..XX X...X X...X",
    "O": ".XXX. X...X X...X X...X X...X X...X .XXX.",
    "P": "XXXX. X...X X...X XXXX. X.... X.... X....",
    "Q": ".XXX. X...X X...X X...X X.X.X X..X. .XX.X",
    "R": "XXXX. X...X X...X XXXX. X.X.. X..X. X...X",
    "S": ".XXXX X.... X.... .XXX. ....X ....X XXXX.",
    "T": "XXXXX ..X.. ..X.. ..X.. ..X.. ..X.. ..X..",
    "U": "X...X X...X X...X X...X X...X X...X .XXX.",
    "V": "X...X X...X X...X X...X X...X .X.X. ..X..",
    "W": "X...X X...X X...X X.X.X X.X.X X.X.X .X.X.",
    "X": "X...X X...X .X.X. ..X.. .X.X. X...X X...X",
    "Y": "X...X X...X .X.X. ..X.. ..X.. ..X.. ..X..",
    "Z": "XXXXX ....X ...X. ..X.. .X... X.... XXXXX",
    "a": "..... ..... .XXX. ....X .XXXX X...X .XXXX",
    "b": "X.... X.... XXXX. X...X X...X X...X XXXX.",
    "c": ".... .... .XXX X... X... X... .XXX",
    "d": "....X ....X .XXXX X...X X...X X...X .XXXX",
    "e": "..... ..... .XXX. X...X XXXXX X.... .XXX.",
    "f": "..XX .X.. XXXX .X.. .X.. .X.. .X..",
    "g": "..... ..... .XXXX X...X X...X X...X .XXXX ....X .XXX.",
    "h": "X.... X.... XXXX. X...X X...X X...X X...X",
    "i": "X . X X X X X",
    "j": "..X ... ..X ..X ..X ..X ..X ..X XX.",
    "k": "X... X... X..X X.X. XX.. X.X. X..X",
    "l": "X X X X X X X",
    "m": "..... ..... XX.X. X.X.X X.X.X X.X.X X.X.X",
    "n": "..... ..... XXXX. X...X X...X X...X X...X",
    "o": "..... ..... .XXX. X...X X...X X...X .XXX.",
    "p": "..... ..... XXXX. X...X X...X X...X XXXX. X.... X....",
    "q": "..... ..... .XXXX X...X X...X X...X .XXXX ....X ....X",
    "r": ".... .... X.XX XX.. X... X... X...",
    "s": ".... .... .XXX X... .XX. ...X XXX.",
    "t": ".X. .X. XXX .X. .X. .X. ..X",
    "u": "..... ..... X...X X...X X...X X...X .XXXX",
    "v": "..... ..... X...X X...X X...X .X.X. ..X..",
    "w": "..... ..... X...X X...X X.X.X X.X.X .X.X.",
    "x": "..... ..... X...X .X.X. ..X.. .X.X. X...X",
    "y": "..... ..... X...X X...X X...X X...X .XXXX ....X .XXX.",
    "z": "..... ..... XXXXX ...X. ..X.. .X... XXXXX",
    "0": ".XXX. X...X X..XX X.X.X XX..X X...X .XXX.",
    "1": ".X. XX. .X. .X. .X. .X. XXX",
    "2": ".XXX. X...X ....X ...X. ..X.. .X... XXXXX",
    "3": "XXXX. ....X ....X .XXX. ....X ....X XXXX.",
    "4": "...X. ..XX. .X.X. X..X. XXXXX ...X. ...X.",
    "5": "XXXXX X.... XXXX. ....X ....X X...X .XXX.",
    "6": ".XXX. X.... X.... XXXX. X...X X...X .XXX.",
    "7": "XXXXX ....X ...X. ..X.. .X... .X... .X...",
    "8": ".XXX. X...X X...X .XXX. X...X X...X .XXX.",
    "9": ".XXX. X...X X...X .XXXX ....X ....X .XXX.",
    ":": ". . X . . X .",
    ".": ". . . . . . X",
    ",": ". . . . . . X X",
    "/": "..X ..X .X. .X. .X. X.. X..",
    "-": "... ... ... XXX ... ... ...",
    " ": "... ... ... ... ... ... ...",
}
FONT = {ch: src.split() for ch, src in _FONT_SRC.items()}


def text_width(text, bold=False):
    w = 0
    for ch in text:
        w += len(FONT[ch][0]) + 1 + (1 if bold else 0)
    return max(0, w - 1)


def draw_text(img, x, y, text, colour, bold=False):
    """Draws text with its cap line at row y; small-letter descenders go two rows below."""
    for ch in text:
        glyph = FONT[ch]
        for gy, row in enumerate(glyph):
            for gx, bit in enumerate(row):
                if bit == "X":
                    for dx in ((0, 1) if bold else (0,)):
                        px, py = x + gx + dx, y + gy
                        if 0 <= px < img.w and 0 <= py < img.h:
                            img.px[py][px] = tuple(colour[:3]) + (255,)
        x += len(glyph[0]) + 1 + (1 if bold else 0)
    return x


def draw_text_canvas(c, x, y, text, colour):
    """The same font as whole-pixel squares on a canvas."""
    for ch in text:
        glyph = FONT[ch]
        for gy, row in enumerate(glyph):
            for gx, bit in enumerate(row):
                if bit == "X":
                    c.draw(rect(x + gx, y + gy, x + gx + 1, y + gy + 1), colour)
        x += len(glyph[0]) + 1


# --------------------------------------------------------------------------------------------
# Navigation icons, 32 x 32, drawn for the blue navigation bar.
# --------------------------------------------------------------------------------------------

OUT_W = 1.1  # outline width around each part of an icon, in pixels


def icon_repair(c):
    cx, cy, r = 13.5, 13.5, 11.5
    globe = circle(cx, cy, r)

    def globe_parts(l):
        l.draw(globe, radial(cx - 4, cy - 5, r * 1.7, (175, 230, 255), (20, 95, 185)))
        land = (polygon([(6, 7), (11, 4), (15, 6), (14, 10), (10, 12), (11, 16), (8, 19), (5, 15), (4, 10)])
                | polygon([(17, 13), (22, 12), (24, 16), (22, 21), (18, 24), (16, 20)])
                | ellipse(17.5, 5.5, 3.0, 1.6))
        l.draw(land & globe, radial(cx - 4, cy - 5, r * 1.6, (150, 225, 95), (35, 130, 40)))
        grid = (ring(cx, cy, r, r - 0.7) | (ellipse(cx, cy, 5.0, r) - ellipse(cx, cy, 4.3, r - 0.7))
                | rect(cx - r, cy - 0.35, cx + r, cy + 0.35))
        l.draw(grid & globe, (255, 255, 255, 0.45))
        l.draw(ellipse(cx - 4.5, cy - 6, 4.0, 2.4), (255, 255, 255, 0.55))
    layer(c, globe_parts, NAVY, OUT_W)

    def wrench(l):
        body = (capsule(17, 17, 28.5, 28.5, 4.6)
                | (circle(16.8, 16.8, 5.6) - rect(14.6, 8.0, 19.0, 17.3).rotated(16.8, 16.8, -45)))
        l.draw(body, linear(14, 24, (250, 250, 252), 24, 14, (140, 150, 165)))
        l.draw(capsule(19.5, 21.0, 27.0, 28.5, 1.1), (255, 255, 255, 0.7))
        l.draw(circle(26.8, 26.8, 0.9), (90, 100, 115))
    layer(c, wrench, NAVY, OUT_W)


def icon_startup(c):
    cx, cy = 16, 16

    def button(l):
        l.draw(circle(cx, cy, 13.2), linear(0, 3, (150, 235, 95), 0, 29, (25, 135, 35)))
        l.draw(ring(cx, cy, 13.2, 12.2), (20, 95, 25, 0.7))
        l.draw(ellipse(cx, 9.5, 9.0, 5.2), linear(0, 4.5, (255, 255, 255, 0.65), 0, 14, (255, 255, 255, 0.0)))
        glyph = ((ring(cx, cy + 1, 8.0, 5.3) - sector(cx, cy + 1, 9, 238, 302))
                 | capsule(cx, 6.2, cx, 15.0, 2.8))
        l.draw(glyph.moved(0, 0.8), (10, 80, 15, 0.6))
        l.draw(glyph, (255, 255, 255))
    layer(c, button, NAVY, OUT_W)


def icon_context_menu(c):
    def menu(l):
        l.draw(rect(11.5, 7.5, 30.5, 30.5), (0, 20, 50, 0.35))
        l.draw(rect(10, 6, 29, 29), (253, 253, 250))
        l.draw(rect(10, 6, 14, 29), (214, 224, 240))
        for y, w in ((9.0, 11), (13.0, 8)):
            l.draw(rect(16, y, 16 + w, y + 1.6), (80, 84, 96))
        l.draw(rect(15, 16.3, 28, 17.0), (150, 155, 170))
        l.draw(rect(10.8, 18.2, 28.2, 23.0), (40, 105, 210))
        l.draw(rect(16, 19.8, 25, 21.4), (255, 255, 255))
        l.draw(rect(16, 25.2, 26, 26.8), (80, 84, 96))
        for y in (9.8, 25.8):
            l.draw(circle(12, y, 1.0), (40, 105, 210))
    layer(c, menu, NAVY, OUT_W)

    def arrow(l):
        pts = [(3.5, 2.5), (3.5, 17.5), (7.0, 14.2), (9.6, 19.8), (12.0, 18.7), (9.5, 13.3), (14.2, 13.3)]
        l.draw(polygon(pts), (255, 255, 255))
    layer(c, arrow, (0, 0, 0), 1.0)


def icon_wallpaper(c):
    def frame(l):
        l.draw(rrect(2, 5, 30, 28, 1.5), linear(2, 5, (250, 215, 120), 30, 28, (185, 115, 35)))
        l.draw(rect(4.5, 7.5, 27.5, 25.5), (120, 70, 20))
        pic = rect(5.2, 8.2, 26.8, 24.8)
        l.draw(pic, linear(0, 8, (110, 190, 250), 0, 22, (225, 245, 255)))
        l.draw(circle(21.5, 12.5, 2.6) & pic, (255, 225, 60))
        l.draw(ellipse(10.5, 12.5, 3.6, 1.5) | ellipse(13.0, 11.6, 2.6, 1.6), (255, 255, 255))
        l.draw(ellipse(21, 29, 13, 10) & pic, linear(0, 18, (120, 200, 80), 0, 25, (60, 140, 45)))
        l.draw(ellipse(8, 30, 12, 10) & pic, linear(0, 19, (90, 175, 60), 0, 25, (40, 110, 35)))
        l.draw(rect(2, 5, 30, 6) , (255, 240, 190, 0.8))
    layer(c, frame, NAVY, OUT_W)


def icon_privacy(c):
    def paper(l):
        sheet = polygon([(2, 18), (20, 15), (22, 28), (4, 31)])
        l.draw(sheet, (255, 255, 255))
        # Pencil scribble on the right of the sheet; the left part is already rubbed clean.
        scribble = polyline([(12.5, 19.5), (14.5, 24.5), (16, 19), (18, 24), (19.5, 18.5), (20.5, 22)], 1.1)
        l.draw(scribble & sheet, (70, 75, 90))
        for x, y in ((8.5, 22.5), (6.5, 25.5), (10.0, 26.5)):
            l.draw(circle(x, y, 0.7), (235, 140, 165))
    layer(c, paper, NAVY, OUT_W)

    def eraser(l):
        cx, cy, ang = 18.5, 12.0, -35
        rubber = rrect(cx - 11, cy - 5, cx - 1, cy + 5, 1.6)
        sleeve = rrect(cx - 2, cy - 5, cx + 11, cy + 5, 1.6)
        l.draw(rubber.rotated(cx, cy, ang), linear(0, 6, (255, 170, 190), 0, 24, (215, 70, 110)))
        l.draw(sleeve.rotated(cx, cy, ang), linear(0, 2, (90, 140, 240), 0, 22, (20, 50, 150)))
        l.draw(rect(cx + 2, cy - 5, cx + 4.5, cy + 5).rotated(cx, cy, ang), (255, 255, 255))
        l.draw(rect(cx + 7, cy - 5, cx + 8, cy + 5).rotated(cx, cy, ang), (255, 255, 255, 0.8))
        l.draw(rect(cx - 11, cy - 5, cx + 11, cy - 3.2).rotated(cx, cy, ang), (255, 255, 255, 0.35))
        l.draw(rect(cx - 2, cy - 5, cx - 1, cy + 5).rotated(cx, cy, ang), (120, 30, 60, 0.5))
    layer(c, eraser, NAVY, OUT_W)


def icon_address(c):
    def lst(l):
        l.draw(rect(6.5, 17.5, 29.5, 30.5), (0, 20, 50, 0.35))
        l.draw(rect(5, 15, 28, 29), (253, 253, 250))
        for y, w, hi in ((17.0, 15, False), (21.0, 18, True), (25.5, 13, False)):
            if hi:
                l.draw(rect(5.8, y - 1.0, 27.2, y + 2.6), (40, 105, 210))
            l.draw(rect(8, y, 8 + w, y + 1.6), (255, 255, 255) if hi else (80, 84, 96))
    layer(c, lst, NAVY, OUT_W)

    def field(l):
        l.draw(rrect(1, 3, 31, 15, 1.5), (255, 255, 255))
        l.draw(rect(1, 3, 31, 4.2), (200, 210, 225))
        l.draw(circle(5.6, 9.2, 3.1), radial(4.6, 8.0, 4.5, (140, 215, 255), (20, 95, 185)))
        l.draw(ring(5.6, 9.2, 3.1, 2.5) | rect(2.5, 8.9, 8.7, 9.5) | (ellipse(5.6, 9.2, 1.4, 3.1) - ellipse(5.6, 9.2, 0.8, 2.5)),
               (255, 255, 255, 0.8))
        draw_text_canvas(l, 11, 6, "www", (20, 60, 160))
    layer(c, field, NAVY, OUT_W)


def icon_cookie(c):
    cx, cy, r = 15.5, 16.5, 13.0
    bites = circle(27.5, 5.0, 5.6) | circle(30.5, 11.5, 3.8) | circle(23.0, 2.0, 3.0)
    cookie = circle(cx, cy, r) - bites

    def body(l):
        l.draw(cookie, radial(cx - 4, cy - 5, r * 1.6, (250, 215, 140), (190, 120, 45)))
        l.draw(cookie - circle(cx, cy, r - 1.3), (160, 95, 35, 0.55))
        chips = [(9, 10, 2.2, 1.6, 20), (17, 9.5, 1.8, 1.4, -30), (10.5, 19, 2.0, 1.6, 60),
                 (18, 17, 2.3, 1.7, 10), (24, 21, 1.9, 1.5, -50), (15, 25, 2.0, 1.5, 35),
                 (6, 15, 1.3, 1.1, 0), (22, 12.5, 1.3, 1.0, 40)]
        for x, y, rx, ry, a in chips:
            chip = ellipse(x, y, rx, ry).rotated(x, y, a)
            l.draw(chip & cookie, (85, 45, 20))
            l.draw(ellipse(x - 0.5, y - 0.5, rx * 0.45, ry * 0.4) & cookie, (150, 95, 55))
        for x, y in ((12.5, 13.5), (20.5, 26), (7.5, 23.5), (13, 5.5)):
            l.draw(circle(x, y, 0.55), (165, 105, 40))
    layer(c, body, NAVY, OUT_W)

    def crumbs(l):
        for x, y, rr in ((29.5, 18.0, 1.1), (27.5, 21.5, 0.8)):
            l.draw(circle(x, y, rr), (225, 170, 90))
    layer(c, crumbs, NAVY, 0.7)


def icon_toolbar_button(c):
    def bar(l):
        l.draw(rrect(1.5, 6, 30.5, 21, 2.0), linear(0, 6, (252, 252, 255), 0, 21, (190, 198, 212)))
        l.draw(rect(3.5, 8, 4.5, 19), (150, 158, 175))
        l.draw(rrect(15.2, 7.6, 23.8, 19.4, 1.5), linear(0, 8, (255, 235, 150), 0, 19, (240, 175, 30)))
        l.draw(rrect(15.2, 7.6, 23.8, 19.4, 1.5) - rrect(16.0, 8.4, 23.0, 18.6, 1.0), (170, 110, 10))
        l.draw(circle(10, 13.5, 3.0), linear(0, 10.5, (255, 120, 100), 0, 16.5, (200, 30, 20)))
        l.draw(polygon([(17.3, 13.5), (21.8, 10.4), (21.8, 16.6)]).rotated(19.5, 13.5, 180), (30, 140, 40))
        l.draw(rrect(25.6, 10.5, 28.8, 16.5, 0.8), (70, 110, 210))
    layer(c, bar, NAVY, OUT_W)

    def badge(l):
        l.draw(circle(23.5, 24.5, 6.0), linear(0, 18.5, (150, 235, 95), 0, 30.5, (25, 135, 35)))
        l.draw(rect(20.0, 23.4, 27.0, 25.6) | rect(22.4, 21.0, 24.6, 28.0), (255, 255, 255))
    layer(c, badge, NAVY, OUT_W)


def icon_browsers(c):
    def window(l):
        l.draw(rrect(3.5, 5.5, 28.5, 25.5, 2.0), (0, 20, 50, 0.35))
        l.draw(rrect(1.5, 3.5, 26.5, 23.5, 2.0), (252, 252, 250))
        l.draw(rrect(1.5, 3.5, 26.5, 9.5, 2.0) | rect(1.5, 7, 26.5, 9.5),
               linear(0, 3.5, (120, 175, 245), 0, 9.5, (30, 85, 185)))
        l.draw(rrect(4.5, 5.0, 13.5, 9.5, 1.0), (252, 252, 250))
        for x in (17.5, 20.5, 23.5):
            l.draw(circle(x, 6.5, 0.9), (255, 255, 255))
        l.draw(rrect(3.5, 11.0, 24.5, 14.0, 1.2), (220, 228, 240))
        for y, w in ((16.5, 14), (19.5, 10)):
            l.draw(rect(4.5, y, 4.5 + w, y + 1.4), (120, 126, 140))
    layer(c, window, NAVY, OUT_W)

    def badge(l):
        shield = polygon(shield_points(16.0, 14.0, 30.5, 31.0))
        l.draw(shield, linear(0, 14, (150, 235, 95), 0, 31, (25, 135, 35)))
        l.draw(shield & rect(16, 14, 23.25, 31), (255, 255, 255, 0.18))
        l.draw(polyline([(19.3, 22.6), (22.2, 25.6), (27.3, 18.8)], 2.2), (255, 255, 255))
    layer(c, badge, NAVY, OUT_W)


NAV_ICONS = [
    ("IE Repair", icon_repair),
    ("StartUp", icon_startup),
    ("Context Menu", icon_context_menu),
    ("Toolbar WallPaper", icon_wallpaper),
    ("Protect Privacy", icon_privacy),
    ("Manage Address", icon_address),
    ("Manage Cookies", icon_cookie),
    ("Toolbar Button", icon_toolbar_button),
    ("Browsers", icon_browsers),
]


def nav_strip(pct=100):
    cell = sc(32, pct)
    strip = Image(cell * len(NAV_ICONS), cell)
    icons = []
    for i, (_, fn) in enumerate(NAV_ICONS):
        icon = render(32, 32, fn, pct=pct)
        icons.append(icon)
        strip.blit(icon, cell * i, 0)
    return strip, icons


# --------------------------------------------------------------------------------------------
# Title bar, 29 pixels high: ends, stretched middle, close and minimise buttons.
# --------------------------------------------------------------------------------------------

TITLE_H = 29
TITLE_LEFT_W = 30
TITLE_MID_W = 8
TITLE_RIGHT_W = 6
TITLE_BUTTON = 19
TITLE_STATES = 3


def title_row_colour(y):
    """The colour of title bar row y: a light rim, a glossy upper half, a deeper lower half
    (dark enough under the caption for white bold text) and a dark bottom line."""
    if y == 0:
        return (150, 210, 245)
    if y == TITLE_H - 1:
        return (0, 50, 105)
    if y < 11:
        t = (y - 1) / 10.0
        return tuple(int(round(a + (b - a) * t)) for a, b in zip((55, 155, 220), (18, 118, 190)))
    t = (y - 11) / float(TITLE_H - 2 - 11)
    return tuple(int(round(a + (b - a) * t)) for a, b in zip((0, 96, 168), (0, 118, 186)))


def title_row_colour_at(y, pct):
    """Row y of the bar at pct percent: the 100 % row it lies in, the one-pixel rims kept
    sc(1) rows thick."""
    h, rim = sc(TITLE_H, pct), sc(1, pct)
    if y < rim:
        return title_row_colour(0)
    if y >= h - rim:
        return title_row_colour(TITLE_H - 1)
    # The rows between the rims, spread over the 27 rows between them at 100 %.
    return title_row_colour(1 + (y - rim) * (TITLE_H - 2) // (h - 2 * rim))


def title_mid(pct=100):
    w, h = sc(TITLE_MID_W, pct), sc(TITLE_H, pct)
    img = Image(w, h)
    for y in range(h):
        c = title_row_colour_at(y, pct) + (255,)
        img.px[y] = [c] * w
    return img


def title_end(left, pct=100):
    w = sc(TITLE_LEFT_W if left else TITLE_RIGHT_W, pct)
    h, e = sc(TITLE_H, pct), sc(1, pct)
    base = Image(w, h)
    for y in range(h):
        base.px[y] = [title_row_colour_at(y, pct) + (255,)] * w
    # A dark edge with a light line inside it, rounded off at the top corner.
    edge = range(0, e) if left else range(w - e, w)
    inner = range(e, 2 * e) if left else range(w - 2 * e, w - e)
    for y in range(h):
        for x in edge:
            base.px[y][x] = (0, 50, 105, 255)
        if e <= y < h - e:
            for x in inner:
                base.px[y][x] = tuple(min(255, v + 45) for v in title_row_colour_at(y, pct)) + (255,)
    corner = [(0, 0), (e, 0), (0, e)] if left else [(w - e, 0), (w - 2 * e, 0), (w - e, e)]
    for cx, cy in corner:
        for y in range(cy, cy + e):
            for x in range(cx, cx + e):
                base.px[y][x] = (0, 50, 105, 255)
    if left:
        emblem = render(16, 16, lambda cv: app_icon_shapes(cv, 16), pct=pct)
        base.blit(emblem, sc(8, pct), sc(6, pct))
    return base


def title_button(kind, pct=100):
    cell = sc(TITLE_BUTTON, pct)
    img = Image(cell * TITLE_STATES, cell)
    for state in range(TITLE_STATES):
        def fn(c, state=state):
            s = TITLE_BUTTON
            off = 0.6 if state == 2 else 0.0
            if kind == "close":
                faces = [((70, 150, 215), (20, 95, 170)), ((245, 120, 95), (200, 45, 25)),
                         ((170, 40, 20), (215, 80, 55))]
            else:
                faces = [((70, 150, 215), (20, 95, 170)), ((120, 200, 250), (30, 130, 210)),
                         ((0, 70, 140), (30, 115, 190))]
            top, bottom = faces[state]
            box = rrect(0.5, 0.5, s - 0.5, s - 0.5, 3.0)
            c.draw(box, (0, 40, 90))
            c.draw(rrect(1.5, 1.5, s - 1.5, s - 1.5, 2.2), linear(0, 1.5, top, 0, s - 1.5, bottom))
            c.draw(rrect(1.5, 1.5, s - 1.5, s - 1.5, 2.2) - rrect(2.3, 2.3, s - 2.3, s - 2.3, 1.6),
                   (255, 255, 255, 0.45 if state != 2 else 0.15))
            if state != 2:
                c.draw(rrect(2.3, 2.3, s - 2.3, s / 2.0, 1.6), (255, 255, 255, 0.18))
            if kind == "close":
                glyph = capsule(6 + off, 6 + off, 13 + off, 13 + off, 2.4) | capsule(13 + off, 6 + off, 6 + off, 13 + off, 2.4)
            else:
                glyph = rect(5.5 + off, 11.5 + off, 13.5 + off, 14.0 + off)
            c.draw(glyph.moved(0.7, 0.7), (0, 30, 70, 0.45))
            c.draw(glyph, (255, 255, 255))
        img.blit(render(TITLE_BUTTON, TITLE_BUTTON, fn, pct=pct), cell * state, 0)
    return img


# --------------------------------------------------------------------------------------------
# The "About..." glyph and the bullet.
# --------------------------------------------------------------------------------------------

def about_glyph(c):
    c.draw(circle(8, 8, 7.4), (10, 45, 110))
    c.draw(circle(8, 8, 6.5), linear(0, 1.5, (90, 170, 245), 0, 14.5, (0, 80, 175)))
    c.draw(ellipse(8, 5.0, 4.6, 2.6), (255, 255, 255, 0.25))
    c.draw(circle(8, 4.6, 1.35), (255, 255, 255))
    c.draw(rect(6.1, 6.9, 9.2, 8.1) | rect(7.0, 6.9, 9.2, 11.9) | rect(5.9, 11.2, 10.2, 12.6), (255, 255, 255))


def bullet(c):
    c.draw(circle(6, 6, 5.6), (25, 100, 15))
    c.draw(circle(6, 6, 4.8), radial(4.6, 4.3, 6.2, (248, 250, 220), (60, 170, 30)))
    c.draw(ellipse(4.6, 4.0, 1.5, 1.0), (255, 255, 240, 0.9))


# --------------------------------------------------------------------------------------------
# Application icon: a shield carrying a globe.
# --------------------------------------------------------------------------------------------

def shield_points(x0, y0, x1, y1, n=24):
    """A heater shield: flat top with a small dip, straight sides, curving to a point."""
    w = x1 - x0
    mid = (x0 + x1) / 2.0
    pts = [(x0, y0 + w * 0.06), (mid, y0), (x1, y0 + w * 0.06), (x1, y0 + (y1 - y0) * 0.45)]
    sy = y0 + (y1 - y0) * 0.45
    for i in range(1, n + 1):
        t = i / float(n)
        # Quadratic from the right side down to the point.
        px = (1 - t) ** 2 * x1 + 2 * (1 - t) * t * x1 + t * t * mid
        py = (1 - t) ** 2 * sy + 2 * (1 - t) * t * (y1 - (y1 - sy) * 0.25) + t * t * y1
        pts.append((px, py))
    for px, py in reversed(pts[4:-1]):
        pts.append((2 * mid - px, py))
    pts.append((x0, sy))
    return pts


def app_icon_shapes(c, size):
    k = size / 48.0
    p = lambda v: v * k  # noqa: E731
    small = size <= 16
    outer = polygon(shield_points(p(5), p(2), p(43), p(46)))
    inner = polygon(shield_points(p(9), p(6), p(39), p(41.5)))
    c.draw(outer, linear(p(5), p(2), (255, 230, 130), p(43), p(46), (190, 125, 20)))
    c.draw(inner, linear(0, p(6), (40, 140, 225), 0, p(41), (0, 60, 150)))
    gx, gy, gr = p(24), p(21.5), p(11.5)
    globe = circle(gx, gy, gr)
    c.draw(globe, radial(gx - p(4), gy - p(5), gr * 1.8, (220, 245, 255), (60, 150, 230)))
    if not small:
        land = (polygon([(p(16), p(15)), (p(21), p(12)), (p(25), p(14)), (p(23), p(19)),
                         (p(19), p(21)), (p(20), p(26)), (p(16), p(27)), (p(14), p(21))])
                | polygon([(p(26), p(22)), (p(31), p(20)), (p(34), p(24)), (p(30), p(30)), (p(26), p(29))]))
        c.draw(land & globe, (60, 170, 60))
    lw = max(p(1.0), 0.75)
    grid = ((ring(gx, gy, gr, gr - lw)) | (ellipse(gx, gy, gr * 0.45, gr) - ellipse(gx, gy, gr * 0.45 - lw, gr - lw))
            | rect(gx - gr, gy - lw / 2, gx + gr, gy + lw / 2))
    c.draw(grid & globe, (0, 70, 150, 0.85))
    c.draw(ellipse(gx - gr * 0.35, gy - gr * 0.5, gr * 0.4, gr * 0.22), (255, 255, 255, 0.6))
    c.draw(outer - polygon(shield_points(p(6.2), p(3.2), p(41.8), p(44.6))), (110, 70, 5))


def app_icon(size):
    return render(size, size, lambda cv: app_icon_shapes(cv, size), ss=6 if size <= 16 else 4)


# --------------------------------------------------------------------------------------------
# The toolbar preview: a browser's menu bar, button bar and address bar on magenta.
# --------------------------------------------------------------------------------------------

PREVIEW_W, PREVIEW_H = 370, 93
GREY_DARK = (128, 128, 128, 255)
WHITE = (255, 255, 255, 255)
BLACK = (0, 0, 0)


def tb_icon(kind, pct=100):
    """One 20 x 20 button icon, outlined and hardened for the magenta key."""
    def fn(c):
        if kind in ("back", "forward"):
            c.draw(circle(10, 10, 8.6), linear(0, 2, (140, 225, 110), 0, 18, (20, 125, 30)))
            c.draw(ellipse(10, 6, 6, 3.2), (255, 255, 255, 0.35))
            arrow = polygon([(4.5, 10), (9.5, 5.0), (9.5, 8.2), (15, 8.2), (15, 11.8), (9.5, 11.8), (9.5, 15.0)])
            if kind == "forward":
                arrow = arrow.rotated(10, 10, 180)
            c.draw(arrow, (255, 255, 255))
        elif kind == "stop":
            oct_pts = [(10 + 8.8 * math.cos(math.radians(22.5 + 45 * i)),
                        10 + 8.8 * math.sin(math.radians(22.5 + 45 * i))) for i in range(8)]
            c.draw(polygon(oct_pts), linear(0, 2, (255, 110, 90), 0, 18, (190, 20, 15)))
            c.draw(capsule(6.5, 6.5, 13.5, 13.5, 2.6) | capsule(13.5, 6.5, 6.5, 13.5, 2.6), (255, 255, 255))
        elif kind == "refresh":
            arc = ring(10, 10.5, 7.6, 4.4) & sector(10, 10.5, 8, 300, 200)
            head = polygon([(16.5, 1.5), (17.5, 9.5), (9.5, 7.5)])
            c.draw(arc | head, linear(0, 2, (120, 215, 100), 0, 18, (20, 125, 30)))
        elif kind == "home":
            c.draw(rect(4.5, 9.5, 15.5, 18), (250, 240, 215))
            c.draw(polygon([(1.5, 10.5), (10, 2.0), (18.5, 10.5)]), linear(0, 2, (240, 90, 60), 0, 10, (170, 40, 20)))
            c.draw(rect(8.3, 12.3, 11.7, 18), (160, 100, 40))
            c.draw(rect(13.5, 3.5, 15.5, 7.5), (170, 40, 20))
        elif kind == "search":
            c.draw(capsule(12.5, 12.5, 17.5, 17.5, 3.6), (120, 75, 30))
            c.draw(circle(8.5, 8.5, 6.6), (60, 60, 70))
            c.draw(circle(8.5, 8.5, 5.2), radial(6.5, 6.5, 8, (230, 245, 255), (120, 190, 240)))
            c.draw(ellipse(6.8, 6.3, 2.2, 1.3), (255, 255, 255))
        elif kind == "favorites":
            pts = []
            for i in range(10):
                rr = 8.8 if i % 2 == 0 else 3.8
                a = math.radians(-90 + 36 * i)
                pts.append((10 + rr * math.cos(a), 10.8 + rr * math.sin(a)))
            c.draw(polygon(pts), linear(0, 2, (255, 240, 120), 0, 18, (235, 160, 10)))
        elif kind == "go":
            c.draw(rect(2, 2, 13, 13), linear(0, 2, (140, 225, 110), 0, 13, (20, 125, 30)))
            c.draw(polygon([(4.5, 6.2), (8.0, 6.2), (8.0, 4.0), (11.5, 7.5), (8.0, 11.0), (8.0, 8.8), (4.5, 8.8)]),
                   (255, 255, 255))
        elif kind == "page":
            c.draw(rect(2, 1, 10, 11), (255, 255, 255))
            c.draw(circle(6, 6, 3.3), radial(5, 5, 4.5, (150, 215, 255), (20, 95, 185)))
            c.draw(ring(6, 6, 3.3, 2.7) | rect(2.7, 5.7, 9.3, 6.3), (255, 255, 255))
        c.outline(0.8, (30, 30, 40))
    size = 15 if kind == "go" else 12 if kind == "page" else 20
    return render(size, size, fn, pct=pct).harden()


def etched_h(img, y, x0, x1):
    for x in range(x0, x1):
        img.px[y][x] = GREY_DARK
        img.px[y + 1][x] = WHITE


def gripper(img, x, y0, y1):
    for y in range(y0, y1):
        img.px[y][x] = WHITE
        img.px[y][x + 1] = WHITE
        img.px[y][x + 2] = GREY_DARK
    for y in (y0, y1 - 1):
        for dx in range(3):
            img.px[y][x + dx] = WHITE if y == y0 else GREY_DARK


def small_down_arrow(img, x, y):
    for i, w in enumerate((5, 3, 1)):
        for dx in range(w):
            img.px[y + i][x + i + dx] = (0, 0, 0, 255)


def blocks(img, pct):
    """The picture at pct percent, each pixel a block as wide as the scaling rule makes it: for
    the lines and the small pixel font, which have no finer shape to draw."""
    w, h = sc(img.w, pct), sc(img.h, pct)
    xs = [x for x in range(img.w) for _ in range(sc(x + 1, pct) - sc(x, pct))]
    ys = [y for y in range(img.h) for _ in range(sc(y + 1, pct) - sc(y, pct))]
    out = Image(w, h)
    out.px = [[img.px[ys[y]][xs[x]] for x in range(w)] for y in range(h)]
    return out


def toolbar_preview(pct=100):
    """The preview at pct percent: its lines and letters in blocks of the 100 % pixels, its button
    icons drawn at that size."""
    icons = []
    img = toolbar_lines(icons, pct == 100)
    if pct == 100:
        return img
    img = blocks(img, pct)
    for kind, x, y in icons:
        img.blit(tb_icon(kind, pct), sc(x, pct), sc(y, pct))
    return img


def toolbar_lines(icons, with_icons):
    """The 100 % preview; the button icons go to `icons` as (kind, x, y), and onto the picture
    when `with_icons`."""
    def put_icon(kind, x, y):
        icons.append((kind, x, y))
        if with_icons:
            img.blit(tb_icon(kind), x, y)

    img = Image(PREVIEW_W, PREVIEW_H, MAGENTA + (255,))
    # Menu bar, rows 0 to 15.
    gripper(img, 2, 2, 14)
    x = 10
    for word in ("File", "Edit", "View", "Favorites", "Tools", "Help"):
        draw_text(img, x, 4, word, BLACK)
        x += text_width(word) + 12
    etched_h(img, 16, 0, PREVIEW_W)
    # Button bar, rows 18 to 51.
    gripper(img, 2, 20, 50)
    x = 8
    buttons = [("back", "Back", True), ("forward", "Forward", True), ("stop", "Stop", False),
               ("refresh", "Refresh", False), ("home", "Home", False), ("|", None, None),
               ("search", "Search", False), ("favorites", "Favorites", False)]
    for kind, label, drop in buttons:
        if kind == "|":
            for y in range(21, 49):
                img.px[y][x + 1] = GREY_DARK
                img.px[y][x + 2] = WHITE
            x += 6
            continue
        cell = max(text_width(label) + 8, 30)
        ix = x + (cell - 20) // 2 - (3 if drop else 0)
        put_icon(kind, ix, 20)
        if drop:
            small_down_arrow(img, ix + 22, 29)
        draw_text(img, x + (cell - text_width(label)) // 2, 42, label, BLACK)
        x += cell + (4 if drop else 0)
    etched_h(img, 52, 0, PREVIEW_W)
    # Address bar, rows 54 to 70.
    gripper(img, 2, 55, 70)
    draw_text(img, 9, 59, "Address", BLACK)
    fx0, fx1, fy0, fy1 = 50, 336, 55, 70
    for y in range(fy0, fy1):
        for x in range(fx0, fx1):
            img.px[y][x] = WHITE
    for x in range(fx0, fx1):
        img.px[fy0][x] = GREY_DARK
        img.px[fy1 - 1][x] = (212, 208, 200, 255)
    for y in range(fy0, fy1):
        img.px[y][fx0] = GREY_DARK
        img.px[y][fx1 - 1] = (212, 208, 200, 255)
    put_icon("page", fx0 + 3, fy0 + 2)
    draw_text(img, fx0 + 19, fy0 + 4, "about:blank", BLACK)
    # Drop-down button at the field's right end.
    bx0 = fx1 - 15
    for y in range(fy0 + 1, fy1 - 1):
        for x in range(bx0, fx1 - 1):
            img.px[y][x] = (212, 208, 200, 255)
    for y in range(fy0 + 1, fy1 - 1):
        img.px[y][bx0] = WHITE
        img.px[y][fx1 - 2] = GREY_DARK
    small_down_arrow(img, bx0 + 4, fy0 + 6)
    put_icon("go", fx1 + 4, fy0)
    draw_text(img, fx1 + 21, fy0 + 4, "Go", BLACK)
    return img


# --------------------------------------------------------------------------------------------
# Wallpapers: tileable, light, made from periodic functions and wrap-around value noise.
# --------------------------------------------------------------------------------------------

def _fmix(h):
    h &= 0xFFFFFFFF
    h ^= h >> 16
    h = (h * 0x85EBCA6B) & 0xFFFFFFFF
    h ^= h >> 13
    h = (h * 0xC2B2AE35) & 0xFFFFFFFF
    h ^= h >> 16
    return h


def hash01(ix, iy, seed):
    """A well-mixed value in [0, 1) for an integer lattice point and a seed."""
    h = _fmix(ix + _fmix(iy + _fmix(seed * 0x9E3779B1)))
    return (h & 0xFFFFFF) / float(0x1000000)


def value_noise(x, y, period, seed):
    """Smooth noise that repeats every `period` lattice cells in both directions."""
    ix, iy = int(math.floor(x)), int(math.floor(y))
    fx, fy = x - ix, y - iy
    sx, sy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
    p = period

    def v(i, j):
        return hash01(i % p, j % p, seed)
    top = v(ix, iy) + (v(ix + 1, iy) - v(ix, iy)) * sx
    bot = v(ix, iy + 1) + (v(ix + 1, iy + 1) - v(ix, iy + 1)) * sx
    return top + (bot - top) * sy


def fbm(u, v, base, octaves, seed):
    """Fractal noise over the unit tile (u, v in [0, 1)), seamless at the tile edges."""
    total, amp, norm = 0.0, 1.0, 0.0
    cells = base
    for o in range(octaves):
        total += amp * value_noise(u * cells, v * cells, cells, seed + o * 101)
        norm += amp
        amp *= 0.5
        cells *= 2
    return total / norm


def smoothstep(e0, e1, x):
    t = (x - e0) / (e1 - e0)
    t = 0.0 if t < 0 else 1.0 if t > 1 else t
    return t * t * (3 - 2 * t)


def pixel_image(w, h, fn):
    img = Image(w, h)
    for y in range(h):
        for x in range(w):
            r, g, b = fn(x / float(w), y / float(h))[:3]
            img.px[y][x] = (clamp8(r), clamp8(g), clamp8(b), 255)
    return img


def wall_blue_sky():
    def fn(u, v):
        wu = u + 0.08 * math.sin(2 * math.pi * (v + fbm(u, v, 2, 2, 13)))
        n = fbm(wu % 1.0, v, 3, 5, 11)
        cloud = smoothstep(0.45, 0.78, n)
        sky = mix((160, 205, 245), (190, 222, 250), fbm(u, v, 2, 2, 17))
        return mix(sky, (250, 252, 255), 0.9 * cloud)
    return pixel_image(128, 128, fn)


def wall_sand():
    def fn(u, v):
        warp = fbm(u, v, 4, 3, 23)
        ripple = 0.5 + 0.5 * math.sin(2 * math.pi * (3 * u + 5 * v) + 5.0 * warp)
        grain = hash01(int(u * 96), int(v * 96), 7)
        base = mix((242, 226, 188), (226, 204, 158), ripple ** 2)
        return mix(base, (205, 182, 140), 0.18 * grain)
    return pixel_image(96, 96, fn)


def wall_marble():
    def fn(u, v):
        turb = fbm(u, v, 2, 4, 37)
        s = math.sin(2 * math.pi * (u + 2 * v) + 6.0 * turb)
        vein = 1.0 - smoothstep(0.0, 0.22, abs(s))
        s2 = math.sin(2 * math.pi * (2 * u - v) + 5.0 * fbm(u, v, 3, 3, 53))
        vein2 = 1.0 - smoothstep(0.0, 0.10, abs(s2))
        base = mix((248, 247, 243), (230, 231, 234), fbm(u, v, 4, 3, 61))
        base = mix(base, (170, 180, 196), 0.5 * vein)
        return mix(base, (200, 205, 214), 0.3 * vein2)
    return pixel_image(128, 128, fn)


def wall_waves():
    def fn(u, v):
        y = v + 0.045 * math.sin(2 * math.pi * 2 * u) + 0.02 * math.sin(2 * math.pi * (3 * u + v))
        band = 0.5 + 0.5 * math.sin(2 * math.pi * 6 * y)
        crest = smoothstep(0.86, 0.99, band)
        base = mix((200, 232, 245), (168, 214, 238), band)
        return mix(base, (250, 254, 255), crest)
    return pixel_image(128, 128, fn)


def wall_gingham():
    def fn(u, v):
        su = 1.0 if (int(u * 8) % 2 == 0) else 0.0
        sv = 1.0 if (int(v * 8) % 2 == 0) else 0.0
        weave = 0.04 * hash01(int(u * 64), int(v * 64), 71)
        t = 0.42 * su + 0.42 * sv
        return mix((252, 248, 236), (236, 150, 150), t - weave)
    return pixel_image(64, 64, fn)


def scatter(w, h, grid, seed):
    """Points spread evenly but irregularly over a tile: one per grid cell, jittered."""
    pts = []
    cw, ch = w / float(grid), h / float(grid)
    for j in range(grid):
        for i in range(grid):
            k = j * grid + i
            pts.append(((i + 0.1 + 0.8 * hash01(k, 1, seed)) * cw, (j + 0.1 + 0.8 * hash01(k, 2, seed)) * ch,
                        hash01(k, 3, seed), hash01(k, 4, seed), hash01(k, 5, seed)))
    return pts


def tiled_layer(w, h, fn, ss=4):
    """Draws fn nine times, shifted by the tile size, so shapes cross the edges seamlessly."""
    c = Canvas(w, h, ss)
    for dx in (-w, 0, w):
        for dy in (-h, 0, h):
            fn(c, dx, dy)
    return c


def wall_leaves():
    w = h = 128
    c = Canvas(w, h)
    c.fill(lambda x, y: mix((222, 240, 205), (210, 234, 195),
                            fbm(x / w, y / h, 4, 3, 83)))
    leaves = [(x, y, 7 + 5 * a, b * 360, t) for x, y, a, b, t in scatter(w, h, 5, 91)]
    for x, y, size, ang, tone in leaves:
        def fn(cv, dx, dy, x=x, y=y, size=size, ang=ang, tone=tone):
            cx, cy = x + dx, y + dy
            if not (-size * 2 < cx < w + size * 2 and -size * 2 < cy < h + size * 2):
                return
            leaf = (ellipse(cx, cy, size, size * 0.45)).rotated(cx, cy, ang)
            col = mix((170, 215, 140), (200, 228, 160), tone)
            cv.draw(leaf, col)
            vein = capsule(cx - size * 0.9, cy, cx + size * 0.95, cy, 0.7).rotated(cx, cy, ang)
            cv.draw(vein, mix(col, (120, 170, 95), 0.6))
        top = tiled_layer(w, h, fn)
        c.over(top)
    img = c.image()
    for row in img.px:
        for i, p in enumerate(row):
            row[i] = p[:3] + (255,)
    return img


def wall_stars():
    w = h = 96
    c = Canvas(w, h)
    c.fill(lambda x, y: mix((190, 202, 240), (214, 220, 248), fbm(x / w, y / h, 3, 4, 97)))
    stars = [(x, y, 1.6 + 3.6 * a ** 2, t) for x, y, a, t, _ in scatter(w, h, 5, 5)]

    def star_shape(cx, cy, r):
        pts = []
        for k in range(10):
            rr = r if k % 2 == 0 else r * 0.42
            a = math.radians(-90 + 36 * k)
            pts.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
        return polygon(pts)
    for x, y, r, tone in stars:
        def fn(cv, dx, dy, x=x, y=y, r=r, tone=tone):
            cx, cy = x + dx, y + dy
            if not (-8 < cx < w + 8 and -8 < cy < h + 8):
                return
            col = (255, 255, 255) if tone < 0.6 else (255, 232, 140)
            if r < 2.2:
                cv.draw(circle(cx, cy, r * 0.6), col)
            else:
                cv.draw(star_shape(cx, cy, r), col)
        c.over(tiled_layer(w, h, fn))
    img = c.image()
    for row in img.px:
        for i, p in enumerate(row):
            row[i] = p[:3] + (255,)
    return img


WALLPAPERS = [
    ("Blue Sky", wall_blue_sky),
    ("Sand", wall_sand),
    ("Marble", wall_marble),
    ("Leaves", wall_leaves),
    ("Waves", wall_waves),
    ("Stars", wall_stars),
    ("Gingham", wall_gingham),
]


# --------------------------------------------------------------------------------------------
# Previews for people to look at (not shipped).
# --------------------------------------------------------------------------------------------

def preview_nav(icons):
    w, cell = 113, 58
    img = Image(w * 2 + 8, cell * len(icons), NAV_BLUE + (255,))
    for col, bg in enumerate((NAV_BLUE, NAV_HOT)):
        for i, (name, _) in enumerate(NAV_ICONS):
            x0 = col * (w + 8)
            for y in range(cell * i + 2, cell * i + cell - 2):
                for x in range(x0 + 4, x0 + w - 4):
                    img.px[y][x] = bg + (255,)
            img.blit(icons[i], x0 + (w - 32) // 2, cell * i + 6)
            tw = text_width(name)
            draw_text(img, x0 + (w - tw) // 2, cell * i + 42, name, (255, 255, 255) if col == 0 else (0, 0, 0))
    return img


def preview_title(left, mid, right, close, minimise):
    w = 534
    img = Image(w, TITLE_H)
    img.blit(left, 0, 0)
    for x in range(TITLE_LEFT_W, w - TITLE_RIGHT_W):
        for y in range(TITLE_H):
            img.px[y][x] = mid.px[y][0]
    img.blit(right, w - TITLE_RIGHT_W, 0)
    draw_text(img, TITLE_LEFT_W + 2, 11, "Norvane And Quillet", (255, 255, 255), bold=True)
    cx = w - TITLE_RIGHT_W - 3 - TITLE_BUTTON
    mx = cx - 2 - TITLE_BUTTON
    out = Image(w, TITLE_H * 3)
    for state in range(TITLE_STATES):
        row = Image(w, TITLE_H)
        row.px = [list(r) for r in img.px]
        for name, img_s, x in (("close", close, cx), ("min", minimise, mx)):
            part = Image(TITLE_BUTTON, TITLE_BUTTON)
            part.px = [r[state * TITLE_BUTTON:(state + 1) * TITLE_BUTTON] for r in img_s.px]
            row.blit(part, x, 5)
        out.blit(row, 0, TITLE_H * state)
    return out


def preview_tiles(img, n=3):
    out = Image(img.w * n, img.h * n)
    for i in range(n):
        for j in range(n):
            out.blit(img, img.w * i, img.h * j)
    return out


def scaled(img, k):
    out = Image(img.w * k, img.h * k)
    for y in range(out.h):
        out.px[y] = [img.px[y // k][x // k] for x in range(out.w)]
    return out


# --------------------------------------------------------------------------------------------

def main(argv):
    preview = None
    if len(argv) == 3 and argv[1] == "--preview":
        preview = argv[2]
    elif len(argv) != 1:
        sys.stderr.write("usage: draw.py [--preview DIR]\n")
        return 2

    for pct in (150, 200):
        suffix = "_%d.bmp" % pct
        write(os.path.join(IMG, "navicons" + suffix), bmp_bytes(nav_strip(pct)[0], 32))
        write(os.path.join(IMG, "title_left" + suffix), bmp_bytes(title_end(True, pct), 24))
        write(os.path.join(IMG, "title_mid" + suffix), bmp_bytes(title_mid(pct), 24))
        write(os.path.join(IMG, "title_right" + suffix), bmp_bytes(title_end(False, pct), 24))
        write(os.path.join(IMG, "title_close" + suffix), bmp_bytes(title_button("close", pct), 32))
        write(os.path.join(IMG, "title_min" + suffix), bmp_bytes(title_button("min", pct), 32))
        write(os.path.join(IMG, "about" + suffix), bmp_bytes(render(16, 16, about_glyph, pct=pct), 32))
        write(os.path.join(IMG, "bullet" + suffix), bmp_bytes(render(12, 12, bullet, pct=pct), 32))
        write(os.path.join(IMG, "toolbar" + suffix), bmp_bytes(toolbar_preview(pct), 24))

    strip, icons = nav_strip()
    write(os.path.join(IMG, "navicons.bmp"), bmp_bytes(strip, 32))

    left, mid, right = title_end(True), title_mid(), title_end(False)
    close, minimise = title_button("close"), title_button("min")
    write(os.path.join(IMG, "title_left.bmp"), bmp_bytes(left, 24))
    write(os.path.join(IMG, "title_mid.bmp"), bmp_bytes(mid, 24))
    write(os.path.join(IMG, "title_right.bmp"), bmp_bytes(right, 24))
    write(os.path.join(IMG, "title_close.bmp"), bmp_bytes(close, 32))
    write(os.path.join(IMG, "title_min.bmp"), bmp_bytes(minimise, 32))

    about = render(16, 16, about_glyph)
    bul = render(12, 12, bullet)
    write(os.path.join(IMG, "about.bmp"), bmp_bytes(about, 32))
    write(os.path.join(IMG, "bullet.bmp"), bmp_bytes(bul, 32))

    toolbar = toolbar_preview()
    write(os.path.join(IMG, "toolbar.bmp"), bmp_bytes(toolbar, 24))

    # The icon at the sizes the system asks for at 100, 150 and 200 %.
    ico = [app_icon(s) for s in (16, 24, 32, 48, 64)]
    write(os.path.join(RES, "norvane.ico"), ico_bytes(ico))

    walls = []
    for name, fn in WALLPAPERS:
        img = fn()
        walls.append((name, img))
        write(os.path.join(WALL, name + ".bmp"), bmp_bytes(img, 24))

    if preview:
        P = lambda n: os.path.join(preview, n)  # noqa: E731
        write(P("nav.ppm"), ppm_bytes(scaled(preview_nav(icons), 2)))
        write(P("nav1x.ppm"), ppm_bytes(preview_nav(icons)))
        write(P("title.ppm"), ppm_bytes(scaled(preview_title(left, mid, right, close, minimise), 2)))
        small = Image(80, 40, BUTTON_FACE + (255,))
        small.blit(about, 4, 4)
        small.blit(bul, 30, 6)
        small.blit(bul.on(NAV_BLUE), 50, 6)
        write(P("small.ppm"), ppm_bytes(scaled(small, 6)))
        icos = Image(140, 60, (255, 255, 255, 255))
        x = 4
        for im in ico:
            icos.blit(im, x, 4)
            x += im.w + 8
        write(P("ico.ppm"), ppm_bytes(scaled(icos, 4)))
        write(P("toolbar.ppm"), ppm_bytes(toolbar))
        for name, img in walls:
            tb = preview_tiles(img, 3)
            over = Image(tb.w, tb.h)
            over.px = [list(r) for r in tb.px]
            for y in range(min(toolbar.h, over.h)):
                for x in range(min(toolbar.w, over.w)):
                    if toolbar.px[y][x][:3] != MAGENTA:
                        over.px[y][x] = toolbar.px[y][x]
            write(P("wall_%s.ppm" % name.replace(" ", "_")), ppm_bytes(over))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
