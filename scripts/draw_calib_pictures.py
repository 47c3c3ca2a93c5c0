#!/usr/bin/env python3
"""Draws the pictures of the distance calibration page into resources/:
the sensor seen from the side, transmitter on the left, receiver on the
right, the laser band between them and the object at position 1 (in front
of the receiver), position 2 (in front of the transmitter) or, for the
overview, both positions outlined. 24-bit BMP, no libraries needed:
    scripts/draw_calib_pictures.py
"""
import os
import struct

W, H = 240, 140
WHITE = (255, 255, 255)
GREY = (90, 90, 90)
LIGHT = (200, 200, 200)
BEAM = (255, 190, 190)
LASER = (220, 0, 0)
SENSOR = (0, 90, 200)
OBJECT = (30, 30, 30)

# 5x7 digits for the position numbers.
DIGITS = {
    "1": ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    "2": ["01110", "10001", "00001", "00010", "00100", "01000", "11111"],
}


class Canvas:
    def __init__(self):
        self.px = [[WHITE] * W for _ in range(H)]

    def rect(self, x0, y0, x1, y1, c):
        for y in range(max(0, y0), min(H, y1)):
            for x in range(max(0, x0), min(W, x1)):
                self.px[y][x] = c

    def disc(self, cx, cy, r, c, ring=False):
        for y in range(cy - r, cy + r + 1):
            for x in range(cx - r, cx + r + 1):
                d = (x - cx) ** 2 + (y - cy) ** 2
                inside = d <= r * r
                if ring:
                    inside = inside and d >= (r - 2) ** 2
                if inside and 0 <= x < W and 0 <= y < H:
                    self.px[y][x] = c

    def digit(self, ch, x0, y0, scale, c):
        for row, bits in enumerate(DIGITS[ch]):
            for col, b in enumerate(bits):
                if b == "1":
                    self.rect(x0 + col * scale, y0 + row * scale, x0 + (col + 1) * scale, y0 + (row + 1) * scale, c)

    def save(self, path):
        stride = (W * 3 + 3) & ~3
        data = bytearray()
        for y in range(H - 1, -1, -1):
            row = bytearray()
            for (r, g, b) in self.px[y]:
                row += bytes((b, g, r))
            row += b"\0" * (stride - len(row))
            data += row
        header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        with open(path, "wb") as f:
            f.write(header + info + data)


def scene(position):
    c = Canvas()
    top, bottom = 40, 90
    # Transmitter with its laser window, receiver with its line sensor.
    c.rect(8, 25, 38, 105, GREY)
    c.rect(34, top, 40, bottom, LASER)
    c.rect(202, 25, 232, 105, GREY)
    c.rect(200, top, 206, bottom, SENSOR)
    c.rect(40, top, 200, bottom, BEAM)
    c.rect(8, 112, 232, 114, LIGHT)
    spots = {1: 170, 2: 70}
    for n, x in spots.items():
        if position in (0, n):
            c.disc(x, 65, 16, OBJECT, ring=position == 0)
            c.digit(str(n), x - 7, 118, 3, OBJECT if position else GREY)
    return c


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
    for name, pos in (("calib_distance.bmp", 0), ("calib_position1.bmp", 1), ("calib_position2.bmp", 2)):
        scene(pos).save(os.path.join(out, name))


if __name__ == "__main__":
    main()
