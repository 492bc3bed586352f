#!/usr/bin/env python3
"""Draws the tool bars' image strips <bar id>.png: one 16 x 15 image per button (separators not
counted), magenta background, a rounded tile in the bar's colour with two letters naming the
command. Run from this folder to draw them again; needs only the Python standard library."""
import struct
import zlib

# 3 x 5 letters, rows top to bottom.
FONT = {
    'A': ['010', '101', '111', '101', '101'], 'B': ['110', '101', '110', '101', '110'],
    'C': ['011', '100', '100', '100', '011'], 'D': ['110', '101', '101', '101', '110'],
    'E': ['111', '100', '110', '100', '111'], 'F': ['111', '100', '110', '100', '100'],
    'G': ['011', '100', '101', '101', '011'], 'H': ['101', '101', '111', '101', '101'],
    'I': ['111', '010', '010', '010', '111'], 'K': ['101', '101', '110', '101', '101'],
    'L': ['100', '100', '100', '100', '111'], 'M': ['101', '111', '111', '101', '101'],
    'N': ['110', '101', '101', '101', '101'], 'O': ['010', '101', '101', '101', '010'],
    'P': ['110', '101', '110', '100', '100'], 'R': ['110', '101', '110', '101', '101'],
    'S': ['011', '100', '010', '001', '110'], 'T': ['111', '010', '010', '010', '010'],
    'U': ['101', '101', '101', '101', '111'], 'V': ['101', '101', '101', '101', '010'],
    'X': ['101', '101', '010', '101', '101'], 'Y': ['101', '101', '010', '010', '010'],
    '<': ['001', '010', '100', '010', '001'], '>': ['100', '010', '001', '010', '100'],
    '-': ['000', '000', '111', '000', '000'], '+': ['000', '010', '111', '010', '000'],
}

# bar id: (tile colour, labels of the buttons in order)
BARS = {
    16000: ((70, 110, 170), ['NG', 'NP', 'CA', 'TH', 'TV']),
    16001: ((60, 130, 80), ['NS', 'OP', 'SV', 'PR', 'CP']),
    16002: ((150, 80, 60), ['DK', 'RF', 'SN', 'RS', 'KS']),
    212: ((110, 110, 110), ['OP', 'SV']),
    16100: ((60, 120, 140), ['DK', 'RF', 'SN', 'SE', 'RS', 'CF']),
    16101: ((120, 90, 150), ['CU', '<<', '--', '-', '+', '++', '>>']),
    16102: ((150, 120, 40), ['AS', 'SS', 'US']),
    16103: ((40, 110, 120), ['SC', 'SD', 'AB', 'TR', 'IR', 'SR', 'CU']),
    16104: ((140, 60, 100), ['TA', 'ST', 'PA', 'SP', 'SU', 'SV']),
    16200: ((80, 100, 60), ['AX', 'AY', 'SS', 'US', 'CP', 'PR']),
}

W, H = 16, 15
MAGENTA = (255, 0, 255)


def image(colour, label):
    px = [[MAGENTA] * W for _ in range(H)]
    dark = tuple(c // 2 for c in colour)
    for y in range(1, 14):
        for x in range(1, 15):
            corner = (x in (1, 14)) and (y in (1, 13))
            if corner:
                continue
            edge = x in (1, 14) or y in (1, 13)
            px[y][x] = dark if edge else colour
    glyphs = [FONT[c] for c in label]
    width = sum(3 for _ in glyphs) * 2 + (len(glyphs) - 1) if len(glyphs) > 1 else 6
    scale = 2 if len(glyphs) <= 2 and width <= 12 else 1
    if len(glyphs) == 1:
        scale = 2
    total = len(glyphs) * 3 * scale + (len(glyphs) - 1)
    x0 = (W - total) // 2
    y0 = (H - 5 * scale) // 2
    for g in glyphs:
        for gy, row in enumerate(g):
            for gx, bit in enumerate(row):
                if bit == '1':
                    for sy in range(scale):
                        for sx in range(scale):
                            px[y0 + gy * scale + sy][x0 + gx * scale + sx] = (255, 255, 255)
        x0 += 3 * scale + 1
    return px


def write_png(path, rows):
    raw = b''.join(b'\x00' + bytes(c for p in row for c in p) for row in rows)

    def chunk(kind, data):
        return (struct.pack('>I', len(data)) + kind + data +
                struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack('>IIBBBBB', len(rows[0]), len(rows), 8, 2, 0, 0, 0)
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
                chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


for bar, (colour, labels) in BARS.items():
    images = [image(colour, label) for label in labels]
    strip = [sum((img[y] for img in images), []) for y in range(H)]
    write_png('%d.png' % bar, strip)
