#!/usr/bin/env python3
"""Writes the samples of what Word, WordPad and LibreOffice write around the text (*_features.rtf
and their .txt): font tables with panose and alternative names, Symbol and Wingdings text,
list labels in letters, vertically merged and padded cells, a \\page in a cell, cells defined
before \\trowd, pictures under the wrong word, \\bin data in a sub-group, a flipped picture and
a damaged hex escape. Run from this folder."""
import struct
import zlib


def hexlines(data):
    h = data.hex()
    return "\n".join(h[i:i + 128] for i in range(0, len(h), 128))


def png(width, height, colours):
    """One row repeated: `colours` gives each column's (r, g, b)."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    row = b"\0" + b"".join(bytes(c) for c in colours)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(row * height)) + chunk(b"IEND", b""))


RED, BLUE, GREEN = (255, 0, 0), (0, 0, 255), (0, 160, 0)
# A red half and a blue half: flipped left to right, the blue comes first.
HALVES = png(16, 8, [RED] * 8 + [BLUE] * 8)
GREEN_PNG = png(12, 12, [GREEN] * 12)
# 2 x 2 red GIF: two colours, LZW data of four pixels of colour 0.
RED_GIF = (b"GIF89a" + struct.pack("<HHBBB", 2, 2, 0x80, 0, 0) + bytes(RED) + bytes(3)
           + b"\x2c" + struct.pack("<HHHHB", 0, 0, 2, 2, 0) + b"\x02\x02\x84\x51\x00\x3b")


def wmf_record(function, *words, data=b""):
    body = b"".join(struct.pack("<H", w) for w in words) + data
    return struct.pack("<IH", 3 + len(body) // 2, function) + body


# Red over the left half of a 100 x 100 window: flipped left to right, over the right half.
LEFT_RED_WMF_RECORDS = (wmf_record(0x020B, 0, 0) + wmf_record(0x020C, 100, 100)
                        + wmf_record(0x02FC, 0, data=bytes(RED) + b"\0\0\0")
                        + wmf_record(0x02FA, 5, 0, 0, data=bytes(4))  # null pen
                        + wmf_record(0x012D, 0) + wmf_record(0x012D, 1)
                        + wmf_record(0x041B, 100, 50, 0, 0) + wmf_record(0))
LEFT_RED_WMF = struct.pack("<HHHIHIH", 1, 9, 0x300, (18 + len(LEFT_RED_WMF_RECORDS)) // 2, 2, 7, 0) \
    + LEFT_RED_WMF_RECORDS


def write(name, rtf, text, newline="\r\n"):
    """`rtf` holds one character per byte (binary data as Latin-1)."""
    with open(name + ".rtf", "wb") as f:
        f.write(rtf.replace("\n", newline).encode("latin-1") if newline != "\n" else rtf.encode("latin-1"))
    with open(name + ".txt", "w", encoding="utf-8") as f:
        f.write(text)


OBJ = "\ufffc"
NOTHING = "\u2060"

BORDERS = ("\\clbrdrt\\brdrs\\brdrw10 \\clbrdrl\\brdrs\\brdrw10 \\clbrdrb\\brdrs\\brdrw10 "
           "\\clbrdrr\\brdrs\\brdrw10 ")

write("word_features",
      "{\\rtf1\\adeflang1025\\ansi\\ansicpg1252\\uc1\\adeff0\\deff0\\stshfdbch0\\stshfloch37\\stshfhich37"
      "\\deflang1036\\deflangfe1036{\\fonttbl"
      "{\\f0\\fbidi \\froman\\fcharset0\\fprq2{\\*\\panose 02020603050405020304}Times New Roman;}"
      "{\\f2\\fbidi \\fmodern\\fcharset0\\fprq1{\\*\\panose 02070309020205020404}Courier New;}\n"
      "{\\f3\\fbidi \\froman\\fcharset2\\fprq2{\\*\\panose 05050102010706020507}Symbol;}"
      "{\\f10\\fbidi \\fnil\\fcharset2\\fprq2{\\*\\panose 05000000000000000000}Wingdings;}\n"
      "{\\f37\\fbidi \\fswiss\\fcharset0\\fprq2{\\*\\panose 020f0502020204030204}Calibri;}"
      "{\\f38\\fbidi \\froman\\fcharset0\\fprq2{\\*\\panose 02040503050406030204}Cambria;}"
      "{\\f39\\fbidi \\fswiss\\fcharset0\\fprq2{\\*\\panose 020b0604020202020204}Arial;}}\n"
      "{\\colortbl;\\red0\\green0\\blue0;}\n"
      "{\\*\\listtable{\\*\\listpicture{\\*\\shppict{\\pict{\\*\\picprop\\shplid1026{\\sp{\\sn shapeType}{\\sv 75}}}"
      "\\picscalex100\\picscaley100\\picw318\\pich318\\picwgoal180\\pichgoal180\\pngblip\\bliptag2\n"
      + hexlines(GREEN_PNG) + "\n}}}\n"
      "{\\list\\listtemplateid2\\listhybrid{\\listlevel\\levelnfc23\\levelnfcn23\\leveljc0\\leveljcn0\\levelfollow0"
      "\\levelstartat1\\levelpicture0{\\leveltext\\leveltemplateid67698689\\'01\\u-3913 ?;}{\\levelnumbers;}\\f3\\fbias0 "
      "\\fi-360\\li720\\lin720 }\\listid2}\n"
      "{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelnfcn0\\leveljc0\\leveljcn0\\levelfollow0"
      "\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\fi-360\\li720\\lin720 }"
      "{\\listlevel\\levelnfc4\\levelnfcn4\\leveljc0\\leveljcn0\\levelfollow0\\levelstartat1{\\leveltext\\'02\\'01.;}"
      "{\\levelnumbers\\'01;}\\fi-360\\li1440\\lin1440 }{\\listlevel\\levelnfc2\\levelnfcn2\\leveljc2\\leveljcn2"
      "\\levelfollow0\\levelstartat1{\\leveltext\\'02\\'02.;}{\\levelnumbers\\'01;}\\fi-180\\li2160\\lin2160 }"
      "\\listid1}}\n{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}"
      "{\\listoverride\\listid2\\listoverridecount0\\ls2}}\n"
      "\\pard\\plain \\ltrpar\\ql \\li0\\ri0\\sa160\\sl259\\slmult1\\f37\\fs22\\lang1036 Texte en Calibri.\\par\n"
      "{\\f0 Times New Roman, }{\\f39 Arial, }{\\f2 Courier New, }{\\f38 Cambria.}\\par\n"
      "Symboles : {\\f3 \\'c5 \\'b9 \\'a3 ab} et {\\f10 \\'fc \\'4a}.\\par\n"
      "{\\listtext\\pard\\plain \\f37\\fs22 1.\\tab}\\pard\\plain \\ls1\\fi-360\\li720\\sa160\\f37\\fs22 Premier\\par\n"
      "{\\listtext\\pard\\plain \\f37\\fs22 a.\\tab}\\pard\\plain \\ls1\\ilvl1\\fi-360\\li1440\\sa160\\f37\\fs22 Sous a\\par\n"
      "{\\listtext\\pard\\plain \\f37\\fs22 b.\\tab}Sous b\\par\n"
      "{\\listtext\\pard\\plain \\f37\\fs22 i.\\tab}\\pard\\plain \\ls1\\ilvl2\\fi-180\\li2160\\sa160\\f37\\fs22 Romain i\\par\n"
      "{\\listtext\\pard\\plain \\f37\\fs22 ii.\\tab}Romain ii\\par\n"
      "{\\listtext\\pard\\plain \\f37\\fs22 2.\\tab}\\pard\\plain \\ls1\\fi-360\\li720\\sa160\\f37\\fs22 Second\\par\n"
      "{\\listtext\\pard\\plain \\f3\\fs22 \\'b7\\tab}\\pard\\plain \\ls2\\fi-360\\li720\\sa160\\f37\\fs22 Puce image\\par\n"
      "\\pard\\plain \\sa160\\f37\\fs22 Tableau :\\par\n"
      "\\trowd \\irow0\\irowband0\\ts11\\trgaph108\\trleft-108\\trftsWidth1\\trpaddl108\\trpaddr108"
      "\\trpaddfl3\\trpaddft3\\trpaddfb3\\trpaddfr3\\tblind0\\tblindtype3 \\clvmgf\\clvertalc" + BORDERS +
      "\\cltxlrtb\\clftsWidth3\\clwWidth3000\\clshdrawnil \\cellx2892" + BORDERS +
      "\\clpadl300\\clpadfl3\\clpadt600\\clpadft3\\cltxlrtb\\clftsWidth3\\clwWidth3000\\clshdrawnil \\cellx5892\n"
      "\\pard\\plain \\ltrpar\\ql \\intbl\\f37\\fs22 Fusionn\\'e9e\\cell Marges\\page suite\\cell "
      "\\pard\\plain \\intbl\\f37\\fs22 \\trowd \\irow0\\irowband0\\trgaph108\\trleft-108\\clvmgf\\clvertalc" + BORDERS +
      "\\cellx2892" + BORDERS + "\\clpadl300\\clpadfl3\\clpadt600\\clpadft3\\cellx5892\\row\n"
      "\\trowd \\irow1\\irowband1\\lastrow \\ts11\\trgaph108\\trleft-108\\clvmrg\\clvertalc" + BORDERS +
      "\\cellx2892" + BORDERS + "\\cellx5892\n"
      "\\pard\\plain \\ltrpar\\ql \\intbl\\f37\\fs22 \\cell Seconde ligne\\cell "
      "\\pard\\plain \\intbl\\f37\\fs22 \\trowd \\irow1\\irowband1\\lastrow \\trgaph108\\trleft-108\\clvmrg"
      + BORDERS + "\\cellx2892" + BORDERS + "\\cellx5892\\row\n"
      "\\pard\\plain \\sa160\\f37\\fs22 Image retourn\\'e9e : {\\*\\shppict{\\pict{\\*\\picprop\\shplid1025"
      "{\\sp{\\sn shapeType}{\\sv 75}}{\\sp{\\sn fFlipH}{\\sv 1}}{\\sp{\\sn fFlipV}{\\sv 0}}{\\sp{\\sn fLayoutInCell}{\\sv 1}}}"
      "\\picscalex100\\picscaley100\\piccropl0\\piccropr0\\piccropt0\\piccropb0\\picw423\\pich212"
      "\\picwgoal960\\pichgoal480\\jpegblip\\bliptag255{\\*\\blipuid 0123456789abcdef0123456789abcdef}\n"
      + hexlines(HALVES) + "\n}}{\\nonshppict{\\pict\\picw423\\pich212\\picwgoal960\\pichgoal480\\wmetafile8 0100}}"
      " puis {\\pict{\\*\\picprop{\\sp{\\sn fFlipH}{\\sv 1}}}\\picwgoal720\\pichgoal720\\wmetafile8\n"
      + hexlines(LEFT_RED_WMF) + "\n} fin.\\par\n}\n",
      "Texte en Calibri.\nTimes New Roman, Arial, Courier New, Cambria.\n"
      "Symboles : \u2295 \u2260 \u2264 \u03b1\u03b2 et \u2714 \u263a.\n"
      "Premier\nSous a\nSous b\nRomain i\nRomain ii\nSecond\nPuce image\nTableau :\n"
      "Fusionnée\tMarges" + NOTHING + "suite\n\tSeconde ligne\n"
      "Image retournée : " + OBJ + " puis " + OBJ + " fin.")

write("wordpad_features",
      "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1036{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}"
      "{\\f1\\fnil\\fcharset2 Symbol;}{\\f2\\fnil\\fcharset2 Wingdings;}}\n"
      "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \n"
      "\\pard\\sa200\\sl276\\slmult1\\f0\\fs22\\lang12 Formule : \\f1 a\\'b3b \\'de \\'c4\\f0  et coche \\f2\\'fc\\f0 .\\par\n"
      "\\pard{\\pntext\\f0 a)\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart1\\pnlcltr{\\pntxta)}}\n"
      "\\fi-360\\li720\\sa200\\sl276\\slmult1 Premier\\par\n"
      "{\\pntext\\f0 b)\\tab}Second\\par\n"
      "\\pard\\sa200\\sl276\\slmult1 Escape ab\\'3?\\'3fm\\'e9e.\\par\n"
      "GIF sous pngblip : {\\pict{\\*\\picprop}\\pngblip\\picw1\\pich2\\picwgoal600\\pichgoal600 \n"
      + hexlines(RED_GIF) + "\n}\\par\n}\n",
      "Formule : \u03b1\u2265\u03b2 \u21d2 \u2297 et coche \u2714.\nPremier\nSecond\n"
      "Escape ab" + NOTHING + "?mée.\nGIF sous pngblip : " + OBJ)

LO_PNG = GREEN_PNG
write("libreoffice_features",
      "{\\rtf1\\ansi\\deff3\\adeflang1025\n"
      "{\\fonttbl{\\f0\\froman\\fprq2\\fcharset0 Times New Roman;}{\\f1\\froman\\fprq2\\fcharset2 Symbol;}"
      "{\\f2\\fswiss\\fprq2\\fcharset0 Arial;}{\\f3\\froman\\fprq2\\fcharset0 Liberation Serif{\\*\\falt Times New Roman};}"
      "{\\f4\\fswiss\\fprq2\\fcharset0 Liberation Sans{\\*\\falt Arial};}{\\f5\\fnil\\fprq2\\fcharset2 Wingdings;}}\n"
      "{\\colortbl;\\red0\\green0\\blue0;}{\\*\\generator LibreOffice/7.4.7.2$Linux_X86_64 LibreOffice_project/40$Build-2}\n"
      "\\formshade\\paperh16838\\paperw11906\\margl1134\\margr1134\\margt1134\\margb1134\\sectd\\sbknone\\pgndec\\pgwsxn11906\\pghsxn16838\\marglsxn1134\\margrsxn1134\\margtsxn1134\\margbsxn1134\\ftnbj\\ftnstart1\\ftnrstcont\\ftnnar\\aenddoc\\aftnrstcont\\aftnstart1\\aftnnrlc\n"
      "{\\*\\ftnsep\\chftnsep}\\pgndec\\pard\\plain \\s0\\widctlpar\\hyphpar0\\ltrpar\\cf0\\dbch\\af5\\langfe2052\\dbch\\af6\\afs24\\alang1081\\loch\\f3\\hich\\af3\\fs24\\lang1036\\ql\\ltrpar"
      "{\\rtlch \\ltrch\\loch Symboles : }{\\loch\\f1\\hich\\af1 \\u61637\\'3f \\u61623\\'3f}{\\rtlch \\ltrch\\loch  et }{\\loch\\f5\\hich\\af5 \\u61692\\'3f}\n"
      "\\par \\pard\\plain \\s0\\ql\\ltrpar{\\listtext\\pard\\plain \\rtlch \\ltrch\\loch I.\\tab}\\ilvl0\\ls1 \\li720\\ri0\\lin720\\rin0\\fi-360\\loch Grand un\n"
      "\\par \\pard\\plain \\s0\\ql\\ltrpar{\\listtext\\pard\\plain \\rtlch \\ltrch\\loch II.\\tab}\\ilvl0\\ls1 \\li720\\ri0\\lin720\\rin0\\fi-360\\loch Grand deux\n"
      "\\par \\pard\\plain \\s0\\ql\\ltrpar{\\listtext\\pard\\plain \\rtlch \\ltrch\\loch A.\\tab}\\ilvl1\\ls1 \\li1440\\ri0\\lin1440\\rin0\\fi-360\\loch Lettre A\n"
      "\\par \\trowd\\trql\\trleft0\\ltrrow\\trpaddft3\\trpaddt0\\trpaddfl3\\trpaddl0\\trpaddfb3\\trpaddb0\\trpaddfr3\\trpaddr0"
      "\\clvmgf\\clbrdrt\\brdrs\\brdrw10\\brdrcf1\\clbrdrl\\brdrs\\brdrw10\\brdrcf1\\clbrdrb\\brdrs\\brdrw10\\brdrcf1\\clbrdrr\\brdrs\\brdrw10\\brdrcf1"
      "\\clpadfl3\\clpadl55\\clpadft3\\clpadt55\\clpadfb3\\clpadb55\\clpadfr3\\clpadr55\\cellx3212"
      "\\clbrdrt\\brdrs\\brdrw10\\brdrcf1\\clbrdrl\\brdrs\\brdrw10\\brdrcf1\\clbrdrb\\brdrs\\brdrw10\\brdrcf1\\clbrdrr\\brdrs\\brdrw10\\brdrcf1"
      "\\clpadfl3\\clpadl55\\clpadft3\\clpadt55\\clpadfb3\\clpadb55\\clpadfr3\\clpadr55\\cellx6424"
      "\\pard\\plain \\s0\\intbl\\ql\\ltrpar\\loch Deux lignes\\cell\\pard\\plain \\s0\\intbl\\ql\\ltrpar\\loch Haut\\cell\\row\\pard"
      "\\trowd\\trql\\trleft0\\ltrrow\\trpaddft3\\trpaddt0\\trpaddfl3\\trpaddl0\\trpaddfb3\\trpaddb0\\trpaddfr3\\trpaddr0"
      "\\clvmrg\\clbrdrt\\brdrs\\brdrw10\\brdrcf1\\clbrdrl\\brdrs\\brdrw10\\brdrcf1\\clbrdrb\\brdrs\\brdrw10\\brdrcf1\\clbrdrr\\brdrs\\brdrw10\\brdrcf1"
      "\\clpadfl3\\clpadl55\\clpadft3\\clpadt55\\clpadfb3\\clpadb55\\clpadfr3\\clpadr55\\cellx3212"
      "\\clbrdrt\\brdrs\\brdrw10\\brdrcf1\\clbrdrl\\brdrs\\brdrw10\\brdrcf1\\clbrdrb\\brdrs\\brdrw10\\brdrcf1\\clbrdrr\\brdrs\\brdrw10\\brdrcf1"
      "\\clpadfl3\\clpadl55\\clpadft3\\clpadt55\\clpadfb3\\clpadb55\\clpadfr3\\clpadr55\\cellx6424"
      "\\pard\\plain \\s0\\intbl\\ql\\ltrpar\\cell\\pard\\plain \\s0\\intbl\\ql\\ltrpar\\loch Bas\\cell\\row\\pard"
      "\\pard\\plain \\s0\\ql\\ltrpar\\loch Image en binaire : {\\*\\shppict{\\pict\\picwgoal360\\pichgoal360\\pngblip{\\bin"
      + str(len(LO_PNG)) + " " + LO_PNG.decode("latin-1") + "}}} fin.\n"
      "\\par }",
      "Symboles : \u2295 \u2022 et \u2714\nGrand un\nGrand deux\nLettre A\n"
      "Deux lignes\tHaut\n\tBas\nImage en binaire : " + OBJ + " fin.",
      newline="\n")  # as LibreOffice writes, and the \\bin data stays as it is
