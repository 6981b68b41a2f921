#!/usr/bin/env python3
"""Writes the program's icons and bitmaps into src/resources.

Icons 103, 106 and 107: the notification icon for the three kinds of session windows,
each 16 x 16 and 32 x 32, 32-bit colour with an AND mask.
Bitmaps 118 (16 x 16) and 119 (32 x 32): a miniature application window - dark title bar,
light column on the left, form area. Bitmap 122: the About box picture.

Run from anywhere: python3 scripts/make-resources.py
"""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "resources")


class Canvas:
    def __init__(self, w, h, fill=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [[fill for _ in range(w)] for _ in range(h)]  # rows top-down, (r, g, b, a)

    def rect(self, x0, y0, x1, y1, colour):
        """Fills x0 <= x < x1, y0 <= y < y1."""
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.px[y][x] = colour

    def frame(self, x0, y0, x1, y1, colour):
        self.rect(x0, y0, x1, y0 + 1, colour)
        self.rect(x0, y1 - 1, x1, y1, colour)
        self.rect(x0, y0, x0 + 1, y1, colour)
        self.rect(x1 - 1, y0, x1, y1, colour)


def opaque(r, g, b):
    return (r, g, b, 255)


def bmp24(c):
    """A bottom-up 24-bit Windows bitmap file."""
    stride = (c.w * 3 + 3) & ~3
    rows = b""
    for y in range(c.h - 1, -1, -1):
        row = b"".join(struct.pack("BBB", b, g, r) for (r, g, b, _a) in c.px[y])
        rows += row + b"\0" * (stride - len(row))
    info = struct.pack("<IiiHHIIiiII", 40, c.w, c.h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(rows), 0, 0, 14 + len(info))
    return header + info + rows


def icon_image(c):
    """One icon image: BITMAPINFOHEADER (double height), 32-bit BGRA rows, AND mask."""
    xor = b""
    for y in range(c.h - 1, -1, -1):
        xor += b"".join(struct.pack("BBBB", b, g, r, a) for (r, g, b, a) in c.px[y])
    mask_stride = ((c.w + 31) // 32) * 4
    mask = b""
    for y in range(c.h - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(c.w):
            if c.px[y][x][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(row)
    info = struct.pack("<IiiHHIIiiII", 40, c.w, c.h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + xor + mask


def ico(canvases):
    count = len(canvases)
    images = [icon_image(c) for c in canvases]
    out = struct.pack("<HHH", 0, 1, count)
    offset = 6 + 16 * count
    for c, img in zip(canvases, images):
        out += struct.pack("<BBBBHHII", c.w % 256, c.h % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    return out + b"".join(images)


def six_boxes(size, border, pane, accent):
    """The notification icon: a window frame holding six small boxes in two rows."""
    c = Canvas(size, size)
    s = size // 16  # 1 for 16 x 16, 2 for 32 x 32
    c.rect(0, 1 * s, size, size - 1 * s, border)
    c.rect(1 * s, 3 * s, size - 1 * s, size - 2 * s, opaque(240, 240, 240))
    for row in range(2):
        for col in range(3):
            x0 = (2 + col * 4) * s + s // 2 * col
            y0 = (4 + row * 5) * s
            c.rect(x0, y0, x0 + 3 * s, y0 + 4 * s, pane)
            c.rect(x0, y0, x0 + 3 * s, y0 + s, accent)
    return c


def session_window(size):
    """A miniature application window: dark title bar, light left column, form area."""
    c = Canvas(size, size, opaque(255, 255, 255))
    s = size // 16
    c.frame(0, 0, size, size, opaque(64, 64, 64))
    c.rect(1, 1, size - 1, 3 * s, opaque(24, 40, 96))              # title bar
    c.rect(size - 3 * s, s, size - 1 - s // 2, 2 * s, opaque(200, 200, 210))
    c.rect(1, 3 * s, 4 * s, size - 1, opaque(214, 226, 240))       # left column
    c.rect(4 * s, 3 * s, 4 * s + 1, size - 1, opaque(160, 170, 190))
    for i in range(4):                                              # form: labels and fields
        y = (5 + i * 3) * s
        if y + s > size - 2:
            break
        c.rect(6 * s, y, 8 * s + 1, y + s, opaque(120, 120, 120))
        field_bottom = y + s + (1 if s > 1 else 0)
        c.rect(9 * s, y, size - 2 * s, field_bottom, opaque(250, 250, 200))
        if s > 1:
            c.frame(9 * s, y, size - 2 * s, field_bottom, opaque(150, 150, 150))
    return c


def about_picture(size=48):
    """The About box picture: six boxes on a desk-blue ground."""
    c = Canvas(size, size, opaque(0, 90, 160))
    c.frame(0, 0, size, size, opaque(0, 40, 90))
    for row in range(2):
        for col in range(3):
            x0 = 5 + col * 14
            y0 = 9 + row * 17
            c.rect(x0, y0, x0 + 11, y0 + 13, opaque(236, 236, 236))
            c.rect(x0, y0, x0 + 11, y0 + 3, opaque(24, 40, 96))
            c.rect(x0 + 1, y0 + 4, x0 + 3, y0 + 12, opaque(214, 226, 240))
    return c


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def main():
    looks = {
        "quilvo.ico": (opaque(20, 60, 150), opaque(120, 160, 220), opaque(20, 60, 150)),   # 103
        "desked.ico": (opaque(20, 110, 40), opaque(140, 200, 140), opaque(230, 180, 20)),  # 106
        "afx.ico": (opaque(150, 40, 20), opaque(230, 150, 110), opaque(60, 60, 60)),       # 107
    }
    for name, (border, pane, accent) in looks.items():
        write(name, ico([six_boxes(16, border, pane, accent), six_boxes(32, border, pane, accent)]))
    write("mini16.bmp", bmp24(session_window(16)))
    write("mini32.bmp", bmp24(session_window(32)))
    write("about.bmp", bmp24(about_picture()))


if __name__ == "__main__":
    main()
