#!/usr/bin/env python3
"""Writes the picture samples (*_pictures.rtf and their .txt) in WordPad, Word and LibreOffice
styles. Each picture is a plain colour that the view tests look for: blue bitmaps, red WMF
rectangles, green EMF rectangles. Run from this folder."""
import struct


def hexlines(data):
    h = data.hex()
    return "\n".join(h[i:i + 128] for i in range(0, len(h), 128))


def dib(width, height, bits, top_down=False, rgb=(0, 0, 255), rle=False):
    palette = b""
    if bits <= 8:
        palette = bytes([255, 255, 255, 0, rgb[2], rgb[1], rgb[0], 0])  # white, colour
        colors = 2
    else:
        colors = 0
    stride = (width * bits + 31) // 32 * 4
    if rle:
        rows = b"".join(bytes([width, 1, 0, 0]) for _ in range(height)) + b"\x00\x01"
        pixels = rows
    else:
        if bits == 8:
            row = bytes([1] * width)
        elif bits == 24:
            row = bytes([rgb[2], rgb[1], rgb[0]] * width)
        elif bits == 32:
            row = bytes([rgb[2], rgb[1], rgb[0], 0] * width)
        elif bits == 4:
            row = bytes([0x11] * ((width + 1) // 2))
        else:
            row = bytes([0xFF] * ((width + 7) // 8))
        pixels = (row + bytes(stride - len(row))) * height
    header = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bits,
                         1 if rle else 0, len(pixels), 3780, 3780, colors, 0)
    return header + palette + pixels


def wmf_record(function, *words, data=b""):
    body = b"".join(struct.pack("<h" if w < 0 else "<H", w) for w in words) + data
    if len(body) % 2:
        body += b"\0"
    return struct.pack("<IH", 3 + len(body) // 2, function) + body


def colorref(r, g, b):
    return struct.pack("<BBBB", r, g, b, 0)


def wmf(records, objects=4):
    body = b"".join(records) + wmf_record(0)
    header = struct.pack("<HHHIHIH", 1, 9, 0x300, (18 + len(body)) // 2, objects, 0, 0)
    return header + body


def wmf_rect(rgb, text=None, bitmap=None):
    records = [
        wmf_record(0x020B, 0, 0),  # SetWindowOrg(y, x)
        wmf_record(0x020C, 1000, 1000),  # SetWindowExt(y, x)
        wmf_record(0x02FC, 0, data=colorref(*rgb) + struct.pack("<H", 0)),  # solid brush
        wmf_record(0x02FA, 0, 0, 0, data=colorref(*rgb)),  # pen
        wmf_record(0x012D, 0),
        wmf_record(0x012D, 1),
        wmf_record(0x0999, 1, 2, 3),  # unknown: skipped
        wmf_record(0x041B, 900, 900, 100, 100),  # Rectangle(bottom, right, top, left)
    ]
    if bitmap:
        records.append(wmf_record(0x0F43, 0x0020, 0x00CC, 0, 8, 8, 0, 0, 300, 300, 350, 350, data=bitmap))
    if text:
        face = b"Arial".ljust(32, b"\0")
        records += [
            wmf_record(0x02FB, -80 & 0xFFFF, 0, 0, 0, 400, data=bytes([0, 0, 0, 0, 0, 0, 0, 0]) + face),
            wmf_record(0x012D, 2),
            wmf_record(0x0209, data=colorref(0, 0, 0)),
            wmf_record(0x0521, len(text), data=text + (b"\0" if len(text) % 2 else b"") + struct.pack("<hh", 950, 100)),
        ]
    return wmf(records)


def emf_record(kind, data):
    return struct.pack("<II", kind, 8 + len(data)) + data


def emf_rect(rgb):
    records = [
        emf_record(39, struct.pack("<II", 1, 0) + colorref(*rgb) + struct.pack("<I", 0)),  # brush 1
        emf_record(37, struct.pack("<I", 1)),
        emf_record(37, struct.pack("<I", 0x80000008)),  # NULL_PEN
        emf_record(4242, b"\0" * 8),  # unknown: skipped
        emf_record(43, struct.pack("<iiii", 10, 10, 90, 90)),
    ]
    body = b"".join(records) + emf_record(14, struct.pack("<III", 0, 16, 20))
    # 100 x 100 pixels on a 96-dpi reference device of 1000 x 1000 pixels (264.58 mm).
    header_fields = struct.pack("<iiii", 0, 0, 99, 99) + struct.pack("<iiii", 0, 0, 2646, 2646) + \
        struct.pack("<IIIIHHIIIiiii", 0x464D4520, 0x10000, 0, 0, 3, 0, 0, 0, 0, 1000, 1000, 265, 265)
    header = emf_record(1, header_fields)
    total = len(header) + len(body)
    header = header[:48] + struct.pack("<II", total, len(records) + 2) + header[56:]
    return header + body


BLUE8 = dib(8, 8, 8)
BLUE24_TD = dib(8, 8, 24, top_down=True)


def write(name, rtf, text):
    with open(name + ".rtf", "w", newline="\r\n") as f:
        f.write(rtf)
    with open(name + ".txt", "w", encoding="utf-8") as f:
        f.write(text)


OBJ = "\ufffc"

write("wordpad_pictures",
      "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}}\n"
      "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \n"
      "\\pard\\sa200\\sl276\\slmult1\\f0\\fs22\\lang12 Carte :\\par\n"
      "{\\pict{\\*\\picprop}\\wmetafile8\\picw1764\\pich1764\\picwgoal1000\\pichgoal1000 \n"
      + hexlines(wmf_rect((255, 0, 0), text=b"Zone", bitmap=BLUE8)) + "\n}\\par\n"
      "Fin.\\par\n}\n",
      "Carte :\n" + OBJ + "\nFin.")

write("word_pictures",
      "{\\rtf1\\adeflang1025\\ansi\\ansicpg1252\\uc1\\adeff0\\deff0{\\fonttbl{\\f0\\froman\\fcharset0\\fprq2 Times New Roman;}}\n"
      "{\\colortbl;\\red0\\green0\\blue0;}\n"
      "\\pard\\plain \\ql \\f0\\fs24 Sch\\'e9ma {\\*\\shppict{\\pict{\\*\\picprop\\shplid1025{\\sp{\\sn shapeType}{\\sv 75}}}"
      "\\picscalex100\\picscaley100\\piccropl0\\piccropr0\\piccropt0\\piccropb0\\picw2646\\pich2646\\picwgoal1500\\pichgoal1500"
      "\\emfblip\\bliptag1\n" + hexlines(emf_rect((0, 255, 0))) + "\n}}"
      "{\\nonshppict{\\pict\\picw2646\\pich2646\\picwgoal1500\\pichgoal1500\\wmetafile8\\bliptag1\n"
      + hexlines(wmf_rect((255, 0, 0))) + "\n}} et copie d'\\'e9cran "
      "{\\*\\shppict{\\pict\\picscalex200\\picscaley200\\picw8\\pich8\\picwgoal120\\pichgoal120\\dibitmap0\n"
      + hexlines(BLUE24_TD) + "\n}}.\\par\n}\n",
      "Schéma " + OBJ + " et copie d'écran " + OBJ + ".")

write("libreoffice_pictures",
      "{\\rtf1\\ansi\\deff4\\adeflang1025{\\fonttbl{\\f0\\froman\\fprq2\\fcharset0 Times New Roman;}"
      "{\\f4\\fswiss\\fprq2\\fcharset0 Liberation Sans;}}\n"
      "{\\colortbl;\\red0\\green0\\blue0;}{\\*\\generator LibreOffice/7.4}\\formshade\n"
      "\\pard\\plain \\s0\\f4\\fs24 Rectangle rouge {\\*\\shppict{\\pict\\picw1764\\pich1764\\picwgoal1000\\pichgoal1000\\wmetafile8\n"
      + hexlines(wmf_rect((255, 0, 0))) + "\n}}\\par\n"
      "\\pard\\plain \\s0\\f4\\fs24 Carr\\'e9s bleus {\\pict\\picwgoal240\\pichgoal240\\dibitmap0\n"
      + hexlines(dib(8, 8, 8, rle=True)) + "\n}{\\pict\\picwgoal240\\pichgoal240\\dibitmap0\n"
      + hexlines(dib(8, 8, 24)) + "\n}{\\pict\\picwgoal240\\pichgoal240\\dibitmap0\n"
      + hexlines(dib(8, 8, 8, top_down=True)) + "\n}{\\pict\\picw16\\pich16\\picwgoal240\\pichgoal240\\wbitmap0\\wbmbitspixel1\\wbmplanes1\\wbmwidthbytes2\n"
      + hexlines(bytes(32)) + "\n}\\par\n}\n",
      "Rectangle rouge " + OBJ + "\nCarrés bleus " + OBJ * 4)
