#!/usr/bin/env python3
"""Draws the 32x32 book shown on the guide's home page and prints it as an RTF picture group.

The PNG is written by hand (zlib + struct), so no imaging library is needed. Paste the output
into articles/accueil.rtf in place of the existing {\\*\\shppict ...}{\\nonshppict ...} groups.
"""
import struct
import zlib

W = H = 32
CLEAR = (0, 0, 0, 0)
COVER = (0, 112, 112, 255)
SPINE = (0, 64, 64, 255)
PAGES = (250, 248, 235, 255)
PAGE_LINE = (200, 200, 190, 255)
LABEL = (230, 190, 60, 255)
EDGE = (30, 30, 30, 255)
RIBBON = (200, 30, 30, 255)


def draw():
    px = [[CLEAR] * W for _ in range(H)]
    for y in range(3, 29):
        for x in range(6, 27):
            px[y][x] = SPINE if x < 10 else COVER
    for y in range(26, 29):                 # the pages, seen from below
        for x in range(10, 27):
            px[y][x] = PAGES
    for x in range(10, 27):
        px[26][x] = PAGE_LINE
    for y in range(8, 14):                  # title label on the cover
        for x in range(13, 24):
            px[y][x] = LABEL
    for x in range(14, 23):
        px[10][x] = SPINE
        px[12][x] = SPINE if x < 20 else LABEL
    for y in range(3, 29):
        px[y][5] = EDGE
        px[y][27] = EDGE
    for x in range(5, 28):
        px[2][x] = EDGE
        px[29][x] = EDGE
    for y in range(26, 31):                 # bookmark ribbon hanging below the pages
        px[y][21] = RIBBON
        px[y][22] = RIBBON
    return px


def png(px):
    raw = b''.join(b'\x00' + b''.join(bytes(p) for p in row) for row in px)

    def chunk(kind, data):
        crc = zlib.crc32(kind + data) & 0xffffffff
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', crc)

    return (b'\x89PNG\r\n\x1a\n'
            + chunk(b'IHDR', struct.pack('>IIBBBBB', W, H, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9))
            + chunk(b'IEND', b''))


def rtf_picture():
    hexdata = png(draw()).hex()
    lines = '\n'.join(hexdata[i:i + 128] for i in range(0, len(hexdata), 128))
    # Readers without PNG support get an empty Windows metafile (header and end record).
    wmf = struct.pack('<HHHIHIH', 1, 9, 0x300, 12, 0, 3, 0) + struct.pack('<IH', 3, 0)
    return ('{\\*\\shppict{\\pict\\pngblip\\picw32\\pich32\\picwgoal480\\pichgoal480\n' + lines + '}}'
            + '{\\nonshppict{\\pict\\wmetafile8\\picw32\\pich32\\picwgoal480\\pichgoal480\n'
            + wmf.hex() + '}}')


if __name__ == '__main__':
    print(rtf_picture())
