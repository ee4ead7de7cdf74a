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


def _ico_dib(rows):
    """An icon image the classic way: a 32-bit BGRA bitmap (bottom-up, its header giving twice
    the height for the colour and mask halves) followed by the 1-bit mask, set where the pixel
    is fully transparent."""
    size = len(rows)
    colour = bytearray()
    mask = bytearray()
    mask_row_size = ((size + 31) // 32) * 4
    for row in reversed(rows):
        bits = bytearray(mask_row_size)
        for x, (r, g, b, a) in enumerate(row):
            colour += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def ico_bytes(images):
    """A Windows icon file holding several square RGBA images, smallest first: each below 256
    pixels as a bitmap, which every Windows reads, the 256-pixel one as a PNG, as Windows keeps
    its large icons."""
    entries = []
    for rows in images:
        size = len(rows)
        if any(len(row) != size for row in rows) or size > 256:
            raise ValueError("icon images are square, at most 256 pixels")
        entries.append((size, png_rgba_bytes(rows) if size == 256 else _ico_dib(rows)))
    offset = 6 + 16 * len(entries)
    directory = struct.pack("<HHH", 0, 1, len(entries))
    payload = b""
    for size, data in entries:
        # Width and height 0 stand for 256; no palette; one plane; 32 bits per pixel.
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
        payload += data
    return directory + payload
