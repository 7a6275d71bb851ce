#!/usr/bin/env python3
"""ui/images/make_image1.py -- draws the main window's picture, image1.jpg (591 x 360, on white).

    make_image1.py [OUTPUT.jpg]        (default: image1.jpg next to this script)

A calm, text-free illustration: three server racks on a soft shadow, a light cloud, and a small
network of nodes linked to the racks, in soft blues and greens on white. The window draws the
picture at (175, 95), so its left part lies under the window's labels, toggles, folder edit and
button, and its top right corner under the "Setup" title: those areas stay white or nearly so.

Drawn here with the standard library only: every shape is a signed distance function, and a
pixel's coverage (anti-aliasing) comes from its distance to the edge. The result is written as a
binary PPM and turned into a baseline JPEG of quality 90 by ImageMagick's convert; the script
checks the JPEG's size with identify. The same script always gives the same picture.
"""

import math
import os
import subprocess
import sys
import tempfile

WIDTH, HEIGHT = 591, 360


def hex_colour(text):
    return tuple(int(text[i:i + 2], 16) / 255.0 for i in (1, 3, 5))


WHITE = hex_colour("#FFFFFF")
RACK_DARK = hex_colour("#2F5F8F")
RACK_LIGHT = hex_colour("#4F86BD")
RACK_EDGE = hex_colour("#24496F")
SLOT = hex_colour("#DCEAF7")
SLOT_SHADE = hex_colour("#B9D2EA")
LED_GREEN = hex_colour("#3FCB8B")
LED_BLUE = hex_colour("#5AB0F0")
LINK = hex_colour("#7FBFA6")
NODE_RING = hex_colour("#4C9F86")
NODE_FILL = hex_colour("#EAF7F1")
CLOUD = hex_colour("#E4EFFA")
GLOW_BLUE = hex_colour("#EAF3FC")
GLOW_GREEN = hex_colour("#EAF7EF")
SHADOW = hex_colour("#C9D6E3")


class Canvas:
    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.pixels = [list(WHITE) for _ in range(width * height)]

    def blend(self, x, y, colour, alpha):
        if alpha <= 0.0:
            return
        pixel = self.pixels[y * self.width + x]
        for i in range(3):
            pixel[i] += (colour[i] - pixel[i]) * alpha

    def fill(self, distance, box, colour, alpha=1.0):
        """Fills where distance(x, y) < 0, with a one-pixel soft edge.

        colour is a colour or a function (x, y) -> colour; box is (left, top, right, bottom)."""
        left, top, right, bottom = (int(math.floor(box[0])) - 1, int(math.floor(box[1])) - 1,
                                    int(math.ceil(box[2])) + 1, int(math.ceil(box[3])) + 1)
        for y in range(max(top, 0), min(bottom, self.height)):
            for x in range(max(left, 0), min(right, self.width)):
                cover = 0.5 - distance(x + 0.5, y + 0.5)
                if cover <= 0.0:
                    continue
                shade = colour(x + 0.5, y + 0.5) if callable(colour) else colour
                self.blend(x, y, shade, alpha * min(cover, 1.0))

    def glow(self, cx, cy, rx, ry, colour, alpha):
        """A soft elliptical patch that fades smoothly to nothing at its rim."""
        for y in range(max(int(cy - ry), 0), min(int(cy + ry) + 1, self.height)):
            for x in range(max(int(cx - rx), 0), min(int(cx + rx) + 1, self.width)):
                d = math.hypot((x + 0.5 - cx) / rx, (y + 0.5 - cy) / ry)
                if d < 1.0:
                    fade = 1.0 - d * d * (3.0 - 2.0 * d)  # smoothstep falling from 1 to 0
                    self.blend(x, y, colour, alpha * fade)

    def write_ppm(self, path):
        data = bytearray()
        for pixel in self.pixels:
            data.extend(max(0, min(255, int(round(c * 255.0)))) for c in pixel)
        with open(path, "wb") as f:
            f.write(b"P6\n%d %d\n255\n" % (self.width, self.height))
            f.write(data)


def rounded_box(cx, cy, half_w, half_h, radius):
    def distance(x, y):
        qx = abs(x - cx) - half_w + radius
        qy = abs(y - cy) - half_h + radius
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius
    return distance, (cx - half_w, cy - half_h, cx + half_w, cy + half_h)


def circle(cx, cy, radius):
    return (lambda x, y: math.hypot(x - cx, y - cy) - radius,
            (cx - radius, cy - radius, cx + radius, cy + radius))


def ring(cx, cy, radius, width):
    return (lambda x, y: abs(math.hypot(x - cx, y - cy) - radius) - width / 2.0,
            (cx - radius - width, cy - radius - width, cx + radius + width, cy + radius + width))


def segment(x1, y1, x2, y2, width):
    dx, dy = x2 - x1, y2 - y1
    length_sq = dx * dx + dy * dy

    def distance(x, y):
        t = max(0.0, min(1.0, ((x - x1) * dx + (y - y1) * dy) / length_sq))
        return math.hypot(x - x1 - t * dx, y - y1 - t * dy) - width / 2.0
    pad = width
    return distance, (min(x1, x2) - pad, min(y1, y2) - pad, max(x1, x2) + pad, max(y1, y2) + pad)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def draw_rack(canvas, left, top, width, height, units):
    """A rack: a rounded body lit from the left, with `units` slots, each with two lamps."""
    cx, cy = left + width / 2.0, top + height / 2.0
    edge, box = rounded_box(cx, cy, width / 2.0, height / 2.0, 7.0)
    canvas.fill(edge, box, RACK_EDGE)
    body, box = rounded_box(cx, cy, width / 2.0 - 1.5, height / 2.0 - 1.5, 6.0)
    canvas.fill(body, box, lambda x, y: mix(RACK_LIGHT, RACK_DARK, (x - left) / width))
    margin, gap = 9.0, 6.0
    slot_h = (height - 2 * margin - (units - 1) * gap) / units
    for unit in range(units):
        slot_top = top + margin + unit * (slot_h + gap)
        slot, box = rounded_box(cx, slot_top + slot_h / 2.0, width / 2.0 - margin, slot_h / 2.0, 3)
        canvas.fill(slot, box, lambda x, y, t=slot_top: mix(SLOT, SLOT_SHADE, (y - t) / slot_h))
        lamp_y = slot_top + slot_h / 2.0
        for i, lamp in enumerate((LED_GREEN, LED_BLUE if unit % 2 else LED_GREEN)):
            dot, box = circle(left + width - margin - 9.0 - i * 9.0, lamp_y, 2.6)
            canvas.fill(dot, box, lamp)
        for i in range(3):  # vent lines
            line, box = segment(left + margin + 8 + i * 7, lamp_y - slot_h * 0.22,
                                left + margin + 8 + i * 7, lamp_y + slot_h * 0.22, 2.0)
            canvas.fill(line, box, SLOT_SHADE)


def draw_cloud(canvas, cx, cy, scale):
    for dx, dy, r in ((-34, 6, 20), (-10, -8, 27), (20, -2, 23), (40, 10, 15), (0, 12, 20)):
        shape, box = circle(cx + dx * scale, cy + dy * scale, r * scale)
        canvas.fill(shape, box, CLOUD)
    base, box = rounded_box(cx + 2 * scale, cy + 18 * scale, 46 * scale, 10 * scale, 10 * scale)
    canvas.fill(base, box, CLOUD)


def draw(canvas):
    # Background light, kept off the left part (controls) and the top right corner (title).
    canvas.glow(425, 205, 185, 150, GLOW_BLUE, 1.0)
    canvas.glow(520, 270, 110, 85, GLOW_GREEN, 0.9)
    canvas.glow(420, 318, 150, 18, SHADOW, 0.8)  # the racks' shadow on the floor

    racks = [(300, 150, 62, 168, 5), (372, 104, 78, 214, 7), (460, 170, 62, 148, 4)]
    nodes = [(268, 78), (318, 52), (552, 92), (566, 176), (548, 262)]
    tops = [(331, 150), (411, 104), (491, 170)]
    links = [(0, 0), (1, 0), (1, 1), (2, 1), (3, 2), (4, 2), (2, 3), (3, 4)]
    for a, b in links:
        start = nodes[a]
        end = tops[b] if (a, b) in ((0, 0), (1, 0), (1, 1), (2, 1), (3, 2), (4, 2)) else nodes[b]
        shape, box = segment(start[0], start[1], end[0], end[1], 2.2)
        canvas.fill(shape, box, LINK, 0.75)
    draw_cloud(canvas, 440, 58, 0.9)
    for rack in racks:
        draw_rack(canvas, *rack)
    for x, y in nodes:
        shape, box = circle(x, y, 9.0)
        canvas.fill(shape, box, NODE_FILL)
        shape, box = ring(x, y, 9.0, 2.6)
        canvas.fill(shape, box, NODE_RING)
        shape, box = circle(x, y, 3.2)
        canvas.fill(shape, box, LED_GREEN)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "image1.jpg")
    canvas = Canvas(WIDTH, HEIGHT)
    draw(canvas)
    with tempfile.TemporaryDirectory(prefix="image1-") as folder:
        ppm = os.path.join(folder, "image1.ppm")
        canvas.write_ppm(ppm)
        subprocess.run(["convert", ppm, "-strip", "-interlace", "none", "-quality", "90",
                        "jpeg:" + output], check=True)
    size = subprocess.run(["identify", "-format", "%m %w %h", output], check=True,
                          capture_output=True, text=True).stdout.strip()
    if size != f"JPEG {WIDTH} {HEIGHT}":
        print(f"make_image1.py: {output} is {size!r}, not a {WIDTH} x {HEIGHT} JPEG",
              file=sys.stderr)
        return 1
    print(f"{output}: {size}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
