#!/usr/bin/python3
"""Draws the launcher's skin: the background, the button faces and the icon.

The pictures are committed under res/, so a build needs no image tools; run
this again (Debian's python3-pil and fonts-ipafont-gothic) after changing a
picture here:

    /usr/bin/python3 tools/make_bitmaps.py

Every bitmap is written as an uncompressed 8-bit palette BMP, which is what
the launcher's SS_BITMAP picture and its bitmap buttons load. The icon holds
48/32/16 pixel images at 8 bits and 256/48/32/16 pixel images at 32 bits.
"""

import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFont

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BITMAP_DIR = os.path.join(ROOT, "res", "bitmaps")
ICON_PATH = os.path.join(ROOT, "res", "launcher.ico")
JP_FONT = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"
# The proportional face of the same family, for Latin logo and copyright text.
LATIN_FONT = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf"

# Where the launcher window places its controls (client pixels); the
# background stays plain white behind them.
WHITE_BAND = (0, 226, 640, 392)

SKY_LIGHT = (226, 240, 252)
SKY_MID = (196, 224, 246)
SKY_DEEP = (40, 110, 190)
NAVY = (18, 52, 110)
INK = (60, 60, 60)


def font(size, face=JP_FONT):
    return ImageFont.truetype(face, size)


def centred_text(draw, box, text, size, fill, bold=False, stroke_fill=None):
    """Draws text centred in box; IPA Gothic has no bold face, so a stroke
    of the text's own colour stands in for it."""
    f = font(size)
    stroke = 1 if bold else 0
    left, top, right, bottom = draw.textbbox((0, 0), text, font=f, stroke_width=stroke)
    x = box[0] + (box[2] - box[0] - (right - left)) // 2 - left
    y = box[1] + (box[3] - box[1] - (bottom - top)) // 2 - top
    draw.text((x, y), text, font=f, fill=fill, stroke_width=stroke,
              stroke_fill=stroke_fill if stroke_fill else fill)


def vertical_gradient(size, top, bottom):
    w, h = size
    img = Image.new("RGB", size)
    px = img.load()
    for y in range(h):
        t = y / max(1, h - 1)
        c = tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
        for x in range(w):
            px[x, y] = c
    return img


def sky_pattern(size):
    """Light blue with soft diagonal stripes and a dot grid."""
    w, h = size
    img = Image.new("RGB", size, SKY_LIGHT)
    draw = ImageDraw.Draw(img)
    for k in range(-h, w, 24):
        draw.polygon([(k, h), (k + 10, h), (k + 10 + h, 0), (k + h, 0)], fill=SKY_MID)
    for y in range(6, h, 12):
        for x in range(6 + (y // 12 % 2) * 6, w, 12):
            draw.point((x, y), fill=(250, 252, 255))
    return img


def draw_logo_mark(draw, cx, cy, r):
    """The product mark: a ring with an orbit dot."""
    draw.ellipse((cx - r, cy - r, cx + r, cy + r), outline=SKY_DEEP, width=max(2, r // 4))
    d = max(3, r // 3)
    draw.ellipse((cx + r - d, cy - r - d // 2, cx + r + d, cy - r + d + d // 2), fill=(250, 170, 40))


def background():
    img = sky_pattern((640, 440))
    draw = ImageDraw.Draw(img)
    # Product logo.
    draw_logo_mark(draw, 150, 105, 46)
    draw.text((215, 52), "Orvane", font=font(80, LATIN_FONT), fill=NAVY, stroke_width=2, stroke_fill=NAVY)
    draw.text((500, 92), "6.0", font=font(44, LATIN_FONT), fill=SKY_DEEP, stroke_width=1, stroke_fill=SKY_DEEP)
    centred_text(draw, (0, 160, 640, 200), "かんたんセットアップ", 22, NAVY)
    # White middle behind the buttons, edged by thin lines.
    draw.rectangle(WHITE_BAND, fill=(255, 255, 255))
    draw.line((0, WHITE_BAND[1] - 2, 640, WHITE_BAND[1] - 2), fill=SKY_DEEP, width=2)
    draw.line((0, WHITE_BAND[3] + 1, 640, WHITE_BAND[3] + 1), fill=SKY_DEEP, width=2)
    # Maker logo and copyright line along the bottom.
    draw.rectangle((12, 400, 38, 426), fill=NAVY)
    centred_text(draw, (12, 400, 38, 426), "M", 20, (255, 255, 255), bold=True)
    draw.text((46, 398), "ミルベク株式会社", font=font(16), fill=NAVY)
    draw.text((46, 419), "Copyright (C) Milbek Co., Ltd. All rights reserved.", font=font(11, LATIN_FONT), fill=INK)
    return img


def rounded_face(size, top, bottom, border, radius):
    w, h = size
    face = vertical_gradient(size, top, bottom)
    mask = Image.new("L", size, 0)
    ImageDraw.Draw(mask).rounded_rectangle((0, 0, w - 1, h - 1), radius=radius, fill=255)
    img = Image.new("RGB", size, (255, 255, 255))
    img.paste(face, (0, 0), mask)
    ImageDraw.Draw(img).rounded_rectangle((0, 0, w - 1, h - 1), radius=radius, outline=border, width=2)
    return img


def beginner_mark(draw, x, y, h):
    """The green-and-yellow beginner's mark: a pointed shield split down the middle."""
    w = h * 2 // 3
    mid = x + w // 2
    left = [(x, y), (mid, y + h // 5), (mid, y + h), (x, y + h * 4 // 5)]
    right = [(mid, y + h // 5), (x + w, y), (x + w, y + h * 4 // 5), (mid, y + h)]
    draw.polygon(left, fill=(250, 220, 0), outline=(255, 255, 255))
    draw.polygon(right, fill=(0, 150, 60), outline=(255, 255, 255))


def install_face(state):
    size = (390, 60)
    tops = {"normal": (110, 200, 80), "selected": (40, 120, 30), "focus": (150, 230, 110)}
    bottoms = {"normal": (30, 130, 30), "selected": (60, 150, 50), "focus": (50, 170, 50)}
    img = rounded_face(size, tops[state], bottoms[state], (20, 90, 20), 12)
    draw = ImageDraw.Draw(img)
    shift = 1 if state == "selected" else 0
    # The top-left corner stays plain: the launcher draws its shield icon there.
    beginner_mark(draw, 48 + shift, 12 + shift, 36)
    centred_text(draw, (60 + shift, shift, 390 + shift, 60 + shift), "インストール", 30,
                 (255, 255, 255), bold=True, stroke_fill=(255, 255, 255))
    if state == "focus":
        draw.rounded_rectangle((3, 3, 386, 56), radius=10, outline=(255, 250, 180), width=2)
    return img


def book_mark(draw, x, y, colour):
    """An open book."""
    draw.polygon([(x, y + 3), (x + 12, y + 6), (x + 12, y + 22), (x, y + 19)], fill=(255, 255, 255), outline=colour)
    draw.polygon([(x + 12, y + 6), (x + 24, y + 3), (x + 24, y + 19), (x + 12, y + 22)], fill=(255, 255, 255), outline=colour)
    for k in range(3):
        draw.line((x + 3, y + 8 + k * 4, x + 9, y + 9 + k * 4), fill=colour)
        draw.line((x + 15, y + 9 + k * 4, x + 21, y + 8 + k * 4), fill=colour)


def guide_face(state):
    size = (250, 38)
    tops = {"normal": (90, 160, 230), "selected": (30, 90, 170), "focus": (130, 190, 250)}
    bottoms = {"normal": (30, 100, 190), "selected": (50, 120, 200), "focus": (50, 130, 220)}
    img = rounded_face(size, tops[state], bottoms[state], (20, 60, 130), 8)
    draw = ImageDraw.Draw(img)
    shift = 1 if state == "selected" else 0
    book_mark(draw, 14 + shift, 7 + shift, (20, 60, 130))
    centred_text(draw, (42 + shift, shift, 246 + shift, 38 + shift), "操作マニュアルを読む", 17,
                 (255, 255, 255), bold=True)
    if state == "focus":
        draw.rounded_rectangle((3, 3, 246, 34), radius=6, outline=(255, 250, 180), width=1)
    return img


def reader_badge():
    """A generic download badge for a PDF reader: a page with a folded corner."""
    size = (122, 36)
    img = rounded_face(size, (70, 70, 80), (25, 25, 30), (10, 10, 10), 6)
    draw = ImageDraw.Draw(img)
    draw.polygon([(8, 5), (22, 5), (28, 11), (28, 31), (8, 31)], fill=(255, 255, 255))
    draw.polygon([(22, 5), (22, 11), (28, 11)], fill=(190, 190, 190))
    centred_text(draw, (8, 14, 28, 28), "PDF", 7, (30, 30, 30))
    draw.text((34, 4), "Get", font=font(10, LATIN_FONT), fill=(220, 220, 220))
    draw.text((34, 16), "PDF Reader", font=font(14, LATIN_FONT), fill=(255, 255, 255), stroke_width=0)
    return img


def close_face(state):
    size = (110, 25)
    tops = {"normal": (245, 245, 245), "selected": (170, 170, 170), "focus": (255, 255, 255)}
    bottoms = {"normal": (190, 190, 190), "selected": (215, 215, 215), "focus": (210, 225, 245)}
    border = (60, 110, 190) if state == "focus" else (110, 110, 110)
    img = rounded_face(size, tops[state], bottoms[state], border, 6)
    draw = ImageDraw.Draw(img)
    shift = 1 if state == "selected" else 0
    centred_text(draw, (shift, shift, 110 + shift, 25 + shift), "閉じる", 14, (40, 40, 40))
    return img


def icon_image(px):
    """The application icon at px x px, RGBA: the product mark on a blue tile."""
    scale = 4
    big = px * scale
    img = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    draw = ImageDraw.Draw(img)
    draw.rounded_rectangle((0, 0, big - 1, big - 1), radius=big // 6, fill=SKY_DEEP + (255,))
    r = big * 3 // 10
    c = big // 2
    draw.ellipse((c - r, c - r, c + r, c + r), outline=(255, 255, 255, 255), width=max(scale, big // 9))
    d = big // 9
    draw.ellipse((c + r - d, c - r - d, c + r + d, c - r + d), fill=(250, 170, 40, 255))
    return img.resize((px, px), Image.LANCZOS)


def to_palette(img):
    return img.convert("RGB").quantize(colors=256, method=Image.MEDIANCUT, dither=Image.NONE)


def save_bmp8(img, name):
    p = to_palette(img)
    path = os.path.join(BITMAP_DIR, name)
    p.save(path, format="BMP")
    return path


def dib_8bit(img):
    """Icon image at 8 bits: header with doubled height, palette, pixels, mask."""
    w, h = img.size
    alpha = img.getchannel("A")
    p = to_palette(Image.alpha_composite(Image.new("RGBA", img.size, (255, 255, 255, 255)), img))
    pal = p.getpalette()[:768]
    pal += [0] * (768 - len(pal))
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    colours = b"".join(struct.pack("BBBB", pal[i * 3 + 2], pal[i * 3 + 1], pal[i * 3], 0) for i in range(256))
    pixels = p.load()
    row = (w + 3) & ~3
    xor = b"".join(bytes(pixels[x, y] for x in range(w)) + b"\0" * (row - w) for y in range(h - 1, -1, -1))
    return header + colours + xor + and_mask(alpha)


def dib_32bit(img):
    w, h = img.size
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    px = img.load()
    xor = b"".join(struct.pack("BBBB", px[x, y][2], px[x, y][1], px[x, y][0], px[x, y][3])
                   for y in range(h - 1, -1, -1) for x in range(w))
    return header + xor + and_mask(img.getchannel("A"))


def and_mask(alpha):
    """1 bit per pixel, set where the picture is transparent; rows padded to 32 bits."""
    w, h = alpha.size
    a = alpha.load()
    row_bytes = ((w + 31) // 32) * 4
    out = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(row_bytes)
        for x in range(w):
            if a[x, y] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def write_icon(path):
    images = [(48, 8), (32, 8), (16, 8), (256, 32), (48, 32), (32, 32), (16, 32)]
    blobs = [(px, bits, dib_8bit(icon_image(px)) if bits == 8 else dib_32bit(icon_image(px)))
             for px, bits in images]
    out = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for px, bits, blob in blobs:
        dim = 0 if px == 256 else px
        colours = 0  # an 8-bit image has 256 colours, which this byte cannot hold
        out += struct.pack("<BBBBHHII", dim, dim, colours, 0, 1, bits, len(blob), offset)
        offset += len(blob)
    out += b"".join(blob for _, _, blob in blobs)
    with open(path, "wb") as f:
        f.write(out)


def main():
    os.makedirs(BITMAP_DIR, exist_ok=True)
    save_bmp8(background(), "background.bmp")
    for state in ("normal", "selected", "focus"):
        save_bmp8(install_face(state), "install_%s.bmp" % state)
        save_bmp8(guide_face(state), "guide_%s.bmp" % state)
        save_bmp8(close_face(state), "close_%s.bmp" % state)
    save_bmp8(reader_badge(), "reader.bmp")
    write_icon(ICON_PATH)
    return 0


if __name__ == "__main__":
    sys.exit(main())
