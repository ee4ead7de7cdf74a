"""Writers for the two image formats the game reads: 24-bit BMP and 8-bit RGBA PNG.

Pixels are given as rows of (r, g, b) or (r, g, b, a) byte tuples, top row first, the way
one draws them; each writer stores them in its format's own row order.
"""

import struct
import zlib

BMP_HEADER_SIZE = 54  # 14-byte file header + 40-byte information header


def bmp24_bytes(rows):
    """A 24-bit uncompressed bottom-up BMP with its pixel data at offset 54."""
    height = len(rows)
    width = len(rows[0])
    row_size = (width * 3 + 3) & ~3
    padding = bytes(row_size - width * 3)
    pixel_data = bytearray()
    for row in reversed(rows):  # BMP stores the bottom row first
        if len(row) != width:
            raise ValueError("ragged image rows")
        for r, g, b in row:
            pixel_data += bytes((b, g, r))
        pixel_data += padding
    image_size = row_size * height
    file_header = struct.pack("<2sIHHI", b"BM", BMP_HEADER_SIZE + image_size, 0, 0, BMP_HEADER_SIZE)
    info_header = struct.pack(
        "<IiiHHIIiiII",
        40,          # information header size
        width,
        height,      # positive: bottom-up
        1,           # planes
        24,          # bits per pixel
        0,           # BI_RGB, uncompressed
        image_size,  # includes the row padding
        2835, 2835,  # 72 dpi
        0, 0,        # no palette
    )
    return file_header + info_header + bytes(pixel_data)


def _png_chunk(kind, payload):
    body = kind + payload
    return struct.pack(">I", len(payload)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png_rgba_bytes(rows):
    """A non-interlaced 8-bit RGBA PNG; every scanline uses filter type 0."""
    height = len(rows)
    width = len(rows[0])
    raw = bytearray()
    for row in rows:  # PNG stores the top row first
        if len(row) != width:
            raise ValueError("ragged image rows")
        raw.append(0)
        for pixel in row:
            raw += bytes(pixel)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # depth 8, colour type RGBA
    return (b"\x89PNG\r\n\x1a\n"
            + _png_chunk(b"IHDR", header)
            + _png_chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + _png_chunk(b"IEND", b""))
