#!/usr/bin/env python3
"""Draws the web player's button strip and writes it as buttons.gif.

The strip is 80 x 32 pixels: eight buttons side by side, 15, 15, 15, 7, 6, 1,
6 and 15 pixels wide (the player's default PanelButtonsWidths), in two rows of
16 pixels. The top row is each button at rest, the bottom row the same button
pressed. From left to right: play, pause, stop, a gap, volume down, a divider,
volume up, and the speaker (its pressed image is the muted speaker).

Python 3 standard library only: the GIF89a writer and its LZW coder are here,
so the committed image can be rebuilt on any machine. Run it after changing
the drawing and commit both files:

    python3 resources/make_buttons_gif.py            # rewrites resources/buttons.gif
    python3 resources/make_buttons_gif.py -          # writes the GIF to stdout
"""

import os
import sys

WIDTH, HEIGHT, ROW = 80, 32, 16
BUTTON_WIDTHS = (15, 15, 15, 7, 6, 1, 6, 15)

# Palette index -> RGB. A dark face so the strip sits well on both a white
# and a black page background.
PALETTE = [
    (0x2B, 0x2F, 0x36),  # 0 face
    (0x1F, 0x22, 0x27),  # 1 face, pressed
    (0x5C, 0x64, 0x70),  # 2 bevel light
    (0x10, 0x12, 0x15),  # 3 bevel dark
    (0xE8, 0xEA, 0xED),  # 4 glyph
    (0x6C, 0xC4, 0x72),  # 5 play green
    (0xE0, 0x5A, 0x4F),  # 6 stop red / mute cross
    (0x8A, 0x93, 0xA0),  # 7 glyph, dimmed (speaker waves)
]
FACE, FACE_DOWN, LIGHT, DARK, GLYPH, GREEN, RED, DIM = range(8)


class Canvas:
    def __init__(self, width, height):
        self.width, self.height = width, height
        self.pixels = [[FACE] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, x, y, w, h, colour):
        for yy in range(y, y + h):
            for xx in range(x, x + w):
                self.put(xx, yy, colour)


def bevel(c, x, y, w, pressed):
    """A raised (or, pressed, sunken) button face of width w at (x, y)."""
    top_left, bottom_right = (DARK, LIGHT) if pressed else (LIGHT, DARK)
    c.rect(x, y, w, ROW, FACE_DOWN if pressed else FACE)
    c.rect(x, y, w, 1, top_left)
    c.rect(x, y, 1, ROW, top_left)
    c.rect(x, y + ROW - 1, w, 1, bottom_right)
    c.rect(x + w - 1, y, 1, ROW, bottom_right)


# Glyphs are drawn relative to the button's left edge and row top; a pressed
# glyph moves one pixel right and down, like the face under a finger.

def play(c, x, y):
    # Right-pointing triangle, 6 wide and 9 tall.
    for row in range(9):
        reach = min(row, 8 - row)
        for col in range(reach + 2):
            c.put(x + 5 + col, y + 3 + row, GREEN)


def pause(c, x, y):
    c.rect(x + 4, y + 4, 2, 8, GLYPH)
    c.rect(x + 9, y + 4, 2, 8, GLYPH)


def stop(c, x, y):
    c.rect(x + 4, y + 4, 7, 7, RED)


def gap(c, x, y):
    # Not a button: a flat groove between the transport and volume groups.
    c.rect(x, y, 7, ROW, FACE)
    c.rect(x + 3, y + 3, 1, ROW - 6, DARK)


def volume_down(c, x, y):
    c.rect(x + 1, y + 7, 3, 1, GLYPH)


def divider(c, x, y):
    c.rect(x, y, 1, ROW, DARK)


def volume_up(c, x, y):
    c.rect(x + 1, y + 7, 3, 1, GLYPH)
    c.rect(x + 2, y + 6, 1, 3, GLYPH)


def speaker(c, x, y, muted):
    c.rect(x + 2, y + 6, 2, 4, GLYPH)  # the box
    for step in range(3):  # the cone widens to the right
        c.rect(x + 4 + step, y + 5 - step, 1, 6 + 2 * step, GLYPH)
    if muted:
        for i in range(4):
            c.put(x + 8 + i, y + 6 + i, RED)
            c.put(x + 11 - i, y + 6 + i, RED)
    else:
        c.rect(x + 8, y + 6, 1, 4, DIM)
        c.rect(x + 10, y + 5, 1, 6, DIM)


def draw():
    c = Canvas(WIDTH, HEIGHT)
    for pressed in (False, True):
        y = ROW if pressed else 0
        shift = 1 if pressed else 0
        x = 0
        for index, width in enumerate(BUTTON_WIDTHS):
            if index == 3:
                gap(c, x, y)
            elif index == 5:
                divider(c, x, y)
            else:
                bevel(c, x, y, width, pressed)
                gx, gy = x + shift, y + shift
                if index == 0:
                    play(c, gx, gy)
                elif index == 1:
                    pause(c, gx, gy)
                elif index == 2:
                    stop(c, gx, gy)
                elif index == 4:
                    volume_down(c, gx, gy)
                elif index == 6:
                    volume_up(c, gx, gy)
                else:
                    speaker(c, gx, gy, muted=pressed)
            x += width
    assert x == WIDTH
    return c


def lzw(indices, min_code_size):
    """GIF's variable-width LZW: codes packed least significant bit first."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    out = bytearray()
    bits = bit_count = 0

    def emit(code, size):
        nonlocal bits, bit_count
        bits |= code << bit_count
        bit_count += size
        while bit_count >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            bit_count -= 8

    def fresh_table():
        return {(i,): i for i in range(clear)}, end + 1, min_code_size + 1

    table, next_code, size = fresh_table()
    emit(clear, size)
    word = ()
    for index in indices:
        longer = word + (index,)
        if longer in table:
            word = longer
            continue
        emit(table[word], size)
        if next_code == 4096:
            # Table full: start over rather than keep coding with a stale one.
            emit(clear, size)
            table, next_code, size = fresh_table()
        else:
            table[longer] = next_code
            next_code += 1
            # The decoder learns each entry one code later than we do, so it
            # widens its codes one entry later too.
            if next_code > (1 << size) and size < 12:
                size += 1
        word = (index,)
    if word:
        emit(table[word], size)
    emit(end, size)
    if bit_count:
        out.append(bits & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for start in range(0, len(data), 255):
        chunk = data[start:start + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)  # block terminator
    return bytes(out)


def gif89a(canvas, palette):
    colour_bits = max(1, (len(palette) - 1).bit_length())
    table_size = 1 << colour_bits
    min_code_size = max(2, colour_bits)
    le16 = lambda v: bytes((v & 0xFF, v >> 8))

    out = bytearray(b"GIF89a")
    out += le16(canvas.width) + le16(canvas.height)
    # Global colour table present, 8 bits of colour resolution, unsorted.
    out.append(0x80 | 0x70 | (colour_bits - 1))
    out += bytes((0, 0))  # background colour index, no aspect ratio
    for i in range(table_size):
        out += bytes(palette[i] if i < len(palette) else (0, 0, 0))
    out += b","  # image descriptor: the whole screen, not interlaced
    out += le16(0) + le16(0) + le16(canvas.width) + le16(canvas.height)
    out.append(0)
    out.append(min_code_size)
    pixels = [p for row in canvas.pixels for p in row]
    out += sub_blocks(lzw(pixels, min_code_size))
    out += b";"  # trailer
    return bytes(out)


def main(argv):
    data = gif89a(draw(), PALETTE)
    target = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                        "buttons.gif")
    if target == "-":
        sys.stdout.buffer.write(data)
    else:
        with open(target, "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
