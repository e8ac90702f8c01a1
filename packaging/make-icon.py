#!/usr/bin/env python3
"""Draws the program icon (32 x 32, 16 colours) and writes it as an indexed
PNG, as an SVG and as a Windows .ico of the same pixels. Run from this folder
after changing the drawing; the outputs are kept in the repository."""
import struct
import zlib

# The 16 colours of the classic palette; index 13 (magenta) is unused and
# stands for transparency.
PALETTE = [
    (0x00, 0x00, 0x00), (0x00, 0x00, 0x80), (0x00, 0x80, 0x00), (0x00, 0x80, 0x80),
    (0x80, 0x00, 0x00), (0x80, 0x00, 0x80), (0x80, 0x80, 0x00), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0x00, 0x00, 0xFF), (0x00, 0xFF, 0x00), (0x00, 0xFF, 0xFF),
    (0xFF, 0x00, 0x00), (0xFF, 0x00, 0xFF), (0xFF, 0xFF, 0x00), (0xFF, 0xFF, 0xFF),
]
CLEAR, BLACK, NAVY, GREEN, GRAY, SILVER, BLUE, LIME, RED, WHITE, YELLOW = 13, 0, 1, 2, 8, 7, 9, 10, 12, 15, 14
SIZE = 32

px = [[CLEAR] * SIZE for _ in range(SIZE)]


def put(x, y, c):
    if 0 <= x < SIZE and 0 <= y < SIZE:
        px[y][x] = c


def hline(x0, x1, y, c):
    for x in range(x0, x1 + 1):
        put(x, y, c)


def vline(x, y0, y1, c):
    for y in range(y0, y1 + 1):
        put(x, y, c)


def box(x0, y0, x1, y1, edge, fill):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            put(x, y, edge if x in (x0, x1) or y in (y0, y1) else fill)


# The drawing: a sheet with a dog-ear, a part outline, a hole and a
# dimension line, and the character for "text" on it.
box(1, 1, 21, 25, BLACK, WHITE)
for i in range(5):
    hline(18 + i, 21, 1 + i, CLEAR)
    hline(17, 17 + i, 1 + i, SILVER)
    put(17 + i, 1 + i, BLACK)
    put(17, 1 + i, BLACK)
hline(17, 21, 5, BLACK)
box(3, 4, 10, 10, BLUE, WHITE)
for x, y in [(13, 6), (14, 6), (15, 7), (15, 8), (14, 9), (13, 9), (12, 8), (12, 7)]:
    put(x, y, BLUE)
hline(3, 16, 13, RED)
vline(3, 12, 14, RED)
vline(16, 12, 14, RED)
for x in (4, 15):
    put(x, 12, RED)
    put(x, 14, RED)
vline(7, 15, 16, BLACK)
hline(3, 11, 17, BLACK)
for i in range(6):
    put(5 + i, 18 + i, BLACK)
    put(9 - i, 18 + i, BLACK)
put(4, 23, BLACK)
put(10, 23, BLACK)

# The listing: a yellow sheet with lines of text in front of the drawing.
box(15, 13, 30, 30, BLACK, YELLOW)
for n, y in enumerate((16, 19, 22, 25, 28)):
    hline(17, 28 if n % 2 == 0 else 25, y, NAVY)
vline(31, 14, 31, GRAY)
hline(16, 31, 31, GRAY)

# The arrow from the drawing to the listing.
hline(2, 10, 28, GREEN)
hline(2, 10, 29, GREEN)
for i in range(4):
    vline(11 + i, 25 + i, 32 - i, GREEN)
hline(3, 12, 28, LIME)


def png():
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    raw = b"".join(b"\x00" + bytes(row) for row in px)
    trns = bytes(0 if i == CLEAR else 255 for i in range(16))
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 3, 0, 0, 0))
            + chunk(b"PLTE", b"".join(bytes(c) for c in PALETTE))
            + chunk(b"tRNS", trns)
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def ico():
    """The same pixels as a 16-colour Windows icon (the Windows builds' .ico)."""
    xor = b""
    mask = b""
    for row in reversed(px):  # bottom-up
        indices = [0 if c == CLEAR else c for c in row]
        xor += bytes((indices[x] << 4) | indices[x + 1] for x in range(0, SIZE, 2))
        bits = 0
        for c in row:
            bits = (bits << 1) | (c == CLEAR)
        mask += struct.pack(">I", bits)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    image = header + palette + xor + mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 22) + image


def svg():
    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32" '
           'shape-rendering="crispEdges">']
    for y, row in enumerate(px):
        x = 0
        while x < SIZE:
            c = row[x]
            run = 1
            while x + run < SIZE and row[x + run] == c:
                run += 1
            if c != CLEAR:
                r, g, b = PALETTE[c]
                out.append(f'<rect x="{x}" y="{y}" width="{run}" height="1" fill="#{r:02x}{g:02x}{b:02x}"/>')
            x += run
    out.append("</svg>")
    return "\n".join(out) + "\n"


if __name__ == "__main__":
    with open("vaveze.png", "wb") as f:
        f.write(png())
    with open("vaveze.svg", "w") as f:
        f.write(svg())
    with open("windows/vaveze.ico", "wb") as f:
        f.write(ico())
    for row in px:
        print("".join(".0123456789ABC.EF"[0] if c == CLEAR else "0123456789ABCDEF"[c] for c in row))
