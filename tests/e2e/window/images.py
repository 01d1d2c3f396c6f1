"""Pictures for the window tests: the skin bitmaps as the launcher carries
them, screenshots of the X display, and pixel comparisons between them."""

import os
import struct
import subprocess


class Picture:
    """RGB pixels, row by row from the top."""

    def __init__(self, width, height, rgb):
        self.width = width
        self.height = height
        self.rgb = rgb  # bytes, 3 per pixel

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return self.rgb[i], self.rgb[i + 1], self.rgb[i + 2]


def read_bmp8(path):
    """An uncompressed 8-bit palette BMP, as the launcher's bitmaps are."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise ValueError("%s: not a BMP" % path)
    pixels_at = struct.unpack_from("<I", data, 10)[0]
    header_size, width, height, _, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
    colours = struct.unpack_from("<I", data, 46)[0] or 256
    if bits != 8 or compression != 0:
        raise ValueError("%s: not an uncompressed 8-bit bitmap" % path)
    palette_at = 14 + header_size
    palette = [data[palette_at + 4 * i: palette_at + 4 * i + 3][::-1] for i in range(colours)]
    stride = (width + 3) & ~3
    rows = []
    for row in range(abs(height)):
        start = pixels_at + row * stride
        rows.append(b"".join(palette[k] for k in data[start:start + width]))
    if height > 0:
        rows.reverse()  # stored bottom-up
    return Picture(width, abs(height), b"".join(rows))


def read_ppm(path):
    """A binary PPM (P6) with 8-bit samples."""
    with open(path, "rb") as f:
        data = f.read()
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise ValueError("%s: not an 8-bit P6 picture" % path)
    width, height = int(fields[1]), int(fields[2])
    pos += 1  # the single whitespace before the samples
    return Picture(width, height, data[pos:pos + width * height * 3])


def screenshot(png_path):
    """The whole X display (DISPLAY) saved as PNG; returns its pixels."""
    if not os.environ.get("DISPLAY"):
        raise RuntimeError("no DISPLAY to take a screenshot of")
    os.makedirs(os.path.dirname(png_path), exist_ok=True)
    subprocess.run(["import", "-window", "root", png_path], check=True, timeout=60,
                   stdin=subprocess.DEVNULL)
    ppm_path = os.path.splitext(png_path)[0] + ".ppm"
    subprocess.run(["convert", png_path, "-depth", "8", ppm_path], check=True, timeout=60,
                   stdin=subprocess.DEVNULL)
    try:
        return read_ppm(ppm_path)
    finally:
        os.remove(ppm_path)


def inside(x, y, rect):
    rx, ry, rw, rh = rect
    return rx <= x < rx + rw and ry <= y < ry + rh


def compare(screen, origin, picture, at=(0, 0), size=None, skip=(), tolerance=24, step=1):
    """Compares the picture's pixels from `at` (size: width, height; default
    the rest of the picture) with the screen at origin + at, leaving out
    the picture-relative rectangles in `skip`. Returns (pixels compared,
    pixels that differ by more than `tolerance` in a channel)."""
    ox, oy = origin
    ax, ay = at
    w, h = size if size else (picture.width - ax, picture.height - ay)
    compared = differing = 0
    for y in range(ay, ay + h, step):
        for x in range(ax, ax + w, step):
            if any(inside(x, y, r) for r in skip):
                continue
            sx, sy = ox + x, oy + y
            if not (0 <= sx < screen.width and 0 <= sy < screen.height):
                differing += 1
                compared += 1
                continue
            compared += 1
            a = screen.pixel(sx, sy)
            b = picture.pixel(x, y)
            if max(abs(a[0] - b[0]), abs(a[1] - b[1]), abs(a[2] - b[2])) > tolerance:
                differing += 1
    return compared, differing
