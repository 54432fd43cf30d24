#!/usr/bin/env python3
"""Draws the viewer's icons and images: the application icon (SVG and PNG 16..256), the
toolbar buttons (16x16 and 32x32), the contents-tree image strip (15 images of 16x16, and
the 2x strip) and the annotation bar's icon (32x32 and 64x64).

Standard library only: every picture is a list of filled shapes in a small design grid,
rendered by a scanline rasteriser with 4x4 supersampling, and written as PNG (and, for the
application icon, as SVG from the same shapes). Run it from anywhere:

    python3 res/tools/draw_icons.py        # rewrites the files under res/icons/
"""

import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(os.path.dirname(HERE), "icons")

# ----------------------------------------------------------------------------------------
# Geometry: a shape is (colour, [polygon, ...]); polygons are lists of (x, y) in design
# units; the polygons of one shape are united (non-zero winding, each one turned the same
# way), so overlapping strokes do not darken where they meet.


def rgba(hexcode, alpha=255):
    hexcode = hexcode.lstrip("#")
    return (int(hexcode[0:2], 16), int(hexcode[2:4], 16), int(hexcode[4:6], 16), alpha)


def rect(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def ellipse(cx, cy, rx, ry, steps=48):
    return [(cx + rx * math.cos(2 * math.pi * i / steps), cy + ry * math.sin(2 * math.pi * i / steps))
            for i in range(steps)]


def circle(cx, cy, r, steps=48):
    return ellipse(cx, cy, r, r, steps)


def round_rect(x0, y0, x1, y1, r, steps=8):
    pts = []
    for cx, cy, a0 in ((x1 - r, y0 + r, -90), (x1 - r, y1 - r, 0), (x0 + r, y1 - r, 90), (x0 + r, y0 + r, 180)):
        for i in range(steps + 1):
            a = math.radians(a0 + 90 * i / steps)
            pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def segment(p, q, width):
    (x0, y0), (x1, y1) = p, q
    dx, dy = x1 - x0, y1 - y0
    length = math.hypot(dx, dy) or 1.0
    nx, ny = -dy / length * width / 2, dx / length * width / 2
    return [(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)]


def stroke(points, width, round_joins=True, closed=False):
    """Polygons that draw a polyline `width` wide (round joins and caps when asked)."""
    pts = list(points) + ([points[0]] if closed else [])
    polys = [segment(pts[i], pts[i + 1], width) for i in range(len(pts) - 1)]
    if round_joins:
        polys += [circle(x, y, width / 2, 24) for x, y in pts]
    return polys


def arc(cx, cy, r, a0, a1, steps=24):
    return [(cx + r * math.cos(math.radians(a0 + (a1 - a0) * i / steps)),
             cy + r * math.sin(math.radians(a0 + (a1 - a0) * i / steps))) for i in range(steps + 1)]


def signed_area(poly):
    return sum(poly[i][0] * poly[(i + 1) % len(poly)][1] - poly[(i + 1) % len(poly)][0] * poly[i][1]
               for i in range(len(poly))) / 2


# ----------------------------------------------------------------------------------------
# Rasteriser


class Canvas:
    SUB = 4  # subsamples per pixel in each direction

    def __init__(self, width, height, scale):
        self.w, self.h, self.scale = width, height, scale
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]  # premultiplied

    def fill(self, colour, polys):
        polys = [[(x * self.scale, y * self.scale) for x, y in p] for p in polys]
        polys = [p if signed_area(p) >= 0 else p[::-1] for p in polys]
        edges = []
        for p in polys:
            for i in range(len(p)):
                (x0, y0), (x1, y1) = p[i], p[(i + 1) % len(p)]
                if y0 != y1:
                    edges.append((x0, y0, x1, y1, 1 if y1 > y0 else -1))
        cover = {}
        sub = self.SUB
        ymin = max(0, int(min(min(y for _, y in p) for p in polys)))
        ymax = min(self.h, int(math.ceil(max(max(y for _, y in p) for p in polys))))
        for py in range(ymin, ymax):
            for s in range(sub):
                y = py + (s + 0.5) / sub
                xs = []
                for x0, y0, x1, y1, d in edges:
                    lo, hi = (y0, y1) if y0 < y1 else (y1, y0)
                    if lo <= y < hi:
                        xs.append((x0 + (y - y0) * (x1 - x0) / (y1 - y0), d))
                xs.sort()
                winding = 0
                for i, (x, d) in enumerate(xs):
                    before = winding
                    winding += d
                    if before == 0 and winding != 0:
                        start = x
                    elif before != 0 and winding == 0:
                        self._span(cover, py, max(0.0, start), min(float(self.w), x), 1.0 / sub)
        r, g, b, a = colour
        alpha = a / 255.0
        for (px, py), c in cover.items():
            k = min(1.0, c) * alpha
            dst = self.px[py * self.w + px]
            inv = 1.0 - k
            dst[0] = r / 255.0 * k + dst[0] * inv
            dst[1] = g / 255.0 * k + dst[1] * inv
            dst[2] = b / 255.0 * k + dst[2] * inv
            dst[3] = k + dst[3] * inv

    @staticmethod
    def _span(cover, py, x0, x1, weight):
        if x1 <= x0:
            return
        first, last = int(x0), int(math.ceil(x1)) - 1
        for px in range(first, last + 1):
            overlap = min(x1, px + 1) - max(x0, px)
            if overlap > 0:
                cover[(px, py)] = cover.get((px, py), 0.0) + overlap * weight

    def blit(self, other, dx, dy):
        for y in range(other.h):
            for x in range(other.w):
                self.px[(y + dy) * self.w + x + dx] = list(other.px[y * other.w + x])

    def png(self, path):
        rows = []
        for y in range(self.h):
            row = bytearray([0])
            for x in range(self.w):
                r, g, b, a = self.px[y * self.w + x]
                if a > 0:
                    row += bytes([round(min(1, r / a) * 255), round(min(1, g / a) * 255),
                                  round(min(1, b / a) * 255), round(a * 255)])
                else:
                    row += bytes(4)
            rows.append(bytes(row))

        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

        data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0))
        data += chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
        with open(path, "wb") as f:
            f.write(data)


def render(shapes, design, size):
    canvas = Canvas(size, size, size / design)
    for colour, polys in shapes:
        canvas.fill(colour, polys)
    return canvas


def svg(shapes, design, path):
    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
           % (design, design, design, design)]
    for (r, g, b, a), polys in shapes:
        d = " ".join("M" + " L".join("%.2f,%.2f" % pt for pt in (p if signed_area(p) >= 0 else p[::-1])) + " Z"
                     for p in polys)
        opacity = "" if a == 255 else ' fill-opacity="%.3f"' % (a / 255)
        out.append('  <path fill="#%02x%02x%02x"%s fill-rule="nonzero" d="%s"/>' % (r, g, b, opacity, d))
    out.append("</svg>\n")
    with open(path, "w") as f:
        f.write("\n".join(out))


# ----------------------------------------------------------------------------------------
# Pictures. The application icon is drawn on a 256 grid, the small images on a 16 grid
# with edges on whole pixels so that the 16-pixel renderings stay sharp.

OUTLINE = rgba("#303030")


def app_icon():
    cover, spine, pages, mark = rgba("#2456a4"), rgba("#173a73"), rgba("#f6efd8"), rgba("#ffd84a")
    shapes = [
        (rgba("#000000", 60), [round_rect(44, 30, 228, 242, 18)]),           # shadow
        (pages, [round_rect(52, 20, 220, 232, 14)]),                           # page block
        (rgba("#c9bf9f"), [rect(58, 214, 214, 218), rect(58, 204, 214, 207)]),  # page edges
        (cover, [round_rect(36, 14, 206, 200, 16)]),                          # front cover
        (spine, [round_rect(36, 14, 70, 200, 16), rect(56, 14, 70, 200)]),    # spine
        (rgba("#ffffff", 70), [rect(82, 30, 192, 34)]),                       # cover highlight
    ]
    hook = arc(136, 84, 34, 200, 400, 28) + [(148, 132), (137, 143), (137, 152)]
    shapes.append((mark, stroke(hook, 26)))
    shapes.append((mark, [circle(137, 181, 14)]))
    return shapes


def page_outline(x0, y0, x1, y1, fold=3, paper=rgba("#ffffff")):
    body = [(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)]
    inner = [(x0 + 1, y0 + 1), (x1 - fold - 0.4, y0 + 1), (x1 - 1, y0 + fold + 0.4), (x1 - 1, y1 - 1), (x0 + 1, y1 - 1)]
    return [(OUTLINE, [body]), (paper, [inner]), (OUTLINE, [[(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)]])]


def text_lines(x0, x1, ys, colour=rgba("#7a7a7a")):
    return [(colour, [rect(x0, y, x1, y + 1) for y in ys])]


def magnifier(cx, cy, r, handle_to):
    return [
        (rgba("#d6ecff"), [circle(cx, cy, r)]),
        (OUTLINE, stroke(arc(cx, cy, r, 0, 360, 32), 1.3, round_joins=False)),
        (rgba("#6b4a2b"), stroke([(cx + r * 0.72, cy + r * 0.72), handle_to], 2.2)),
    ]


def ribbon(x0, y0, x1, y1, colour):
    mid = (x0 + x1) / 2
    return [(colour, [[(x0, y0), (x1, y0), (x1, y1), (mid, y1 - 3), (x0, y1)]])]


def notebook(written):
    shapes = [(OUTLINE, [rect(2, 1, 13, 15)]), (rgba("#fff4a8"), [rect(3, 2, 12, 14)]),
              (rgba("#c0392b"), [rect(3, 2, 4, 14)])]
    if written:
        shapes += text_lines(5, 11, [4, 6, 8, 10], rgba("#1f4fa0"))
    else:
        shapes += text_lines(5, 11, [4, 6, 8, 10], rgba("#d8c97a"))
    shapes.append((rgba("#e8a33c"), stroke([(15, 4), (9, 12)], 2.4, round_joins=False)))   # pencil
    shapes.append((rgba("#3a3a3a"), [[(8.2, 13.6), (8.6, 11.0), (10.3, 12.3)]]))          # its point
    if written:
        shapes.append((rgba("#d62828"), [circle(12.5, 12.5, 2.6)]))
    return shapes


def toolbar_images():
    blue, green, red = rgba("#2456a4"), rgba("#2e8b3e"), rgba("#c0392b")
    images = {}
    images["home"] = [
        (rgba("#f2e3c6"), [rect(4, 7, 12, 14)]),
        (OUTLINE, stroke([(4, 7.5), (4, 14), (12, 14), (12, 7.5)], 1, round_joins=False)),
        (rgba("#8b4a2b"), [rect(7, 10, 9, 14)]),
        (red, [[(1, 8), (8, 1.5), (15, 8), (13.5, 9), (8, 4), (2.5, 9)]]),
    ]
    images["copy"] = (page_outline(1, 1, 9, 11) + text_lines(3, 7, [4, 6, 8])
                      + page_outline(6, 5, 14, 15) + text_lines(8, 12, [8, 10, 12]))
    images["previous"] = [(green, [[(1, 8), (7, 2), (7, 5.5), (14, 5.5), (14, 10.5), (7, 10.5), (7, 14)]])]
    images["history"] = [
        (rgba("#ffffff"), [circle(8, 8, 6.5)]),
        (OUTLINE, stroke(arc(8, 8, 6.5, 0, 360, 40), 1.2, round_joins=False)),
        (OUTLINE, stroke([(8, 3.8), (8, 8), (11, 9.5)], 1.3)),
        (green, [[(0.5, 6.5), (3.5, 6.5), (2, 9)]]),
    ]
    images["synchronise"] = [
        (blue, [[(1, 5), (5, 1.5), (5, 3.8), (15, 3.8), (15, 6.2), (5, 6.2), (5, 8.5)]]),
        (green, [[(15, 11), (11, 7.5), (11, 9.8), (1, 9.8), (1, 12.2), (11, 12.2), (11, 14.5)]]),
    ]
    images["define_bookmark"] = (page_outline(1, 1, 11, 15) + ribbon(3, 1, 7, 9, red)
                                 + [(green, [rect(11, 7, 13, 15), rect(8, 10, 16, 12)])])
    images["bookmarks"] = (page_outline(2, 1, 14, 15) + text_lines(8, 12, [5, 8, 11])
                           + ribbon(4, 1, 7, 11, red))
    images["search"] = magnifier(6.5, 6.5, 4.5, (14, 14))
    images["results"] = page_outline(1, 1, 11, 15) + text_lines(3, 9, [4, 6, 8]) + magnifier(10.5, 10.5, 3, (15, 15))
    images["annotation"] = notebook(False)
    images["annotation_present"] = notebook(True)
    images["about"] = [
        (blue, [circle(8, 8, 7.2)]),
        (rgba("#ffffff"), stroke(arc(8, 5.8, 2.4, 190, 400, 16) + [(8.2, 9.4)], 1.8)),
        (rgba("#ffffff"), [circle(8.2, 12.3, 1.2)]),
    ]
    return images


BOOK_COLOURS = ["#138a8a", "#808000", "#8b1a1a", "#2e8b3e", "#1c3f94"]  # teal, olive, dark red, green, dark blue


def closed_book(colour):
    c = rgba(colour)
    return [
        (OUTLINE, [rect(2, 1, 14, 15)]),
        (rgba("#f6efd8"), [rect(11, 2, 13, 14)]),
        (c, [rect(3, 2, 11, 14)]),
        (rgba("#000000", 70), [rect(3, 2, 5, 14)]),
        (rgba("#ffffff", 150), [rect(6, 5, 10, 6)]),
    ]


def open_book(colour):
    c = rgba(colour)
    return [
        (c, [[(0, 4), (8, 5), (16, 4), (16, 14), (8, 15), (0, 14)]]),
        (rgba("#ffffff"), [[(1, 3), (7.5, 4.2), (7.5, 13.2), (1, 12)], [(8.5, 4.2), (15, 3), (15, 12), (8.5, 13.2)]]),
        (OUTLINE, [rect(7.5, 4, 8.5, 14)]),
        (rgba("#9a9a9a"), [rect(2.5, 6, 6.5, 7), rect(2.5, 8.5, 6.5, 9.5), rect(9.5, 6, 13.5, 7), rect(9.5, 8.5, 13.5, 9.5)]),
    ]


def tree_page():
    return page_outline(3, 1, 13, 15) + text_lines(5, 11, [5, 7, 9, 11])


def annotation_bar_icon():
    # A hand holding a pencil over an open notebook, on a 32 grid.
    shapes = [
        (rgba("#5a3d1e"), [[(1, 12), (16, 14), (31, 12), (31, 28), (16, 30), (1, 28)]]),
        (rgba("#ffffff"), [[(2, 11), (15.5, 13), (15.5, 28), (2, 26.5)], [(16.5, 13), (30, 11), (30, 26.5), (16.5, 28)]]),
        (OUTLINE, [rect(15.5, 12.5, 16.5, 29)]),
        (rgba("#1f4fa0"), [rect(4, 16, 13, 17), rect(4, 19, 13, 20), rect(4, 22, 10, 23), rect(19, 16, 27, 17)]),
        (rgba("#e8a33c"), stroke([(28, 2), (20, 18)], 3, round_joins=False)),                # pencil
        (rgba("#3a3a3a"), [[(19.3, 20.5), (19.0, 16.8), (21.6, 18.1)]]),
        (rgba("#f1c27d"), [round_rect(21, 9, 30, 17, 3.5), circle(20.5, 15, 2.6)]),        # hand
        (rgba("#c68c53"), stroke([(23, 12), (28, 12)], 0.8)),
        (rgba("#3c78c3"), [rect(26, 10, 32, 19)]),                                          # sleeve
    ]
    return shapes


def main():
    os.makedirs(OUT, exist_ok=True)
    icon = app_icon()
    svg(icon, 256, os.path.join(OUT, "mirelda.svg"))
    for size in (16, 22, 24, 32, 48, 64, 128, 256):
        render(icon, 256, size).png(os.path.join(OUT, "mirelda-%d.png" % size))

    for name, shapes in toolbar_images().items():
        render(shapes, 16, 16).png(os.path.join(OUT, "tb_%s.png" % name))
        render(shapes, 16, 32).png(os.path.join(OUT, "tb_%s@2x.png" % name))

    tree = [closed_book(c) for c in BOOK_COLOURS] + [open_book(c) for c in BOOK_COLOURS] + [tree_page()] * 5
    for scale, suffix in ((1, ""), (2, "@2x")):
        strip = Canvas(16 * scale * len(tree), 16 * scale, 1)
        for i, shapes in enumerate(tree):
            strip.blit(render(shapes, 16, 16 * scale), i * 16 * scale, 0)
        strip.png(os.path.join(OUT, "tree%s.png" % suffix))

    note = annotation_bar_icon()
    render(note, 32, 32).png(os.path.join(OUT, "annotation_bar.png"))
    render(note, 32, 64).png(os.path.join(OUT, "annotation_bar@2x.png"))


if __name__ == "__main__":
    main()
