#!/usr/bin/env python3
"""Writes the layout samples (*_layout.rtf and their .txt) in Word, WordPad and LibreOffice
styles: floating and inline pictures inside shapes, shape groups, text boxes (shapes and old
drawing objects) and tables inside table cells. Each picture is a plain colour that the view
tests look for: blue shape pictures, green pictures in groups, red fallback (\\shprslt) pictures
that must not be drawn when their shape is. The .txt is the text in the rich-edit control's
numbering: a \\shprslt counts as the text it holds, the rest of a shape nothing, a nested cell's
tab one position. Run from this folder."""
import struct
import zlib

from picture_samples import hexlines, wmf_rect


def png(width, height, rgb):
    row = b"\0" + bytes(rgb) * width
    raw = row * height

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


BLUE = hexlines(png(40, 30, (0, 0, 255)))
GREEN = hexlines(png(40, 28, (0, 160, 0)))
RED_WMF = hexlines(wmf_rect((255, 0, 0)))
OBJ = "\ufffc"


def sp(name, value):
    return "{\\sp{\\sn %s}{\\sv %s}}" % (name, value)


def write(name, rtf, text):
    with open(name + ".rtf", "w", newline="\r\n") as f:
        f.write(rtf)
    with open(name + ".txt", "w", encoding="utf-8") as f:
        f.write(text)


WORD_PARA = ("\\pard\\plain \\ltrpar\\ql \\li0\\ri0\\sa160\\sl259\\slmult1\\widctlpar\\wrapdefault\\aspalpha"
             "\\aspnum\\faauto\\adjustright\\rin0\\lin0\\itap0 \\rtlch\\fcs1 \\af0\\afs22\\alang1025 \\ltrch\\fcs0 "
             "\\f0\\fs22\\lang1036\\langfe1033\\cgrid\\langnp1036\\langfenp1033 ")
WORD_CELL = ("\\pard\\plain \\ltrpar\\ql \\li0\\ri0\\widctlpar\\intbl\\wrapdefault\\aspalpha\\aspnum\\faauto"
             "\\adjustright\\rin0\\lin0\\itap%d \\rtlch\\fcs1 \\af0\\afs22 \\ltrch\\fcs0 \\f0\\fs22\\lang1036 ")
BOX = "\\clbrdrt\\brdrs\\brdrw10 \\clbrdrl\\brdrs\\brdrw10 \\clbrdrb\\brdrs\\brdrw10 \\clbrdrr\\brdrs\\brdrw10 "
WORD_OUTER_ROW = ("\\trowd \\irow0\\irowband0\\lastrow \\ltrrow\\ts11\\trgaph108\\trleft-108\\trbrdrt\\brdrs\\brdrw10 "
                  "\\trbrdrl\\brdrs\\brdrw10 \\trbrdrb\\brdrs\\brdrw10 \\trbrdrr\\brdrs\\brdrw10 \\trbrdrh\\brdrs"
                  "\\brdrw10 \\trbrdrv\\brdrs\\brdrw10 \\trftsWidth1\\trpaddl108\\trpaddr108\\trpaddfl3\\trpaddfr3"
                  "\\tblind0\\tblindtype3 \\clvertalt" + BOX + "\\cltxlrtb\\clftsWidth3\\clwWidth3000 \\cellx2892"
                  "\\clvertalt" + BOX + "\\cltxlrtb\\clftsWidth3\\clwWidth6000 \\cellx8892")
WORD_NESTED_ROW = ("{\\*\\nesttableprops\\trowd \\irow%d\\irowband%d\\ltrrow\\ts11\\trgaph108\\trleft0"
                   "\\trbrdrt\\brdrs\\brdrw10 \\trbrdrl\\brdrs\\brdrw10 \\trbrdrb\\brdrs\\brdrw10 \\trbrdrr\\brdrs"
                   "\\brdrw10 \\trbrdrh\\brdrs\\brdrw10 \\trbrdrv\\brdrs\\brdrw10 \\trftsWidth1\\trpaddl108"
                   "\\trpaddr108\\trpaddfl3\\trpaddfr3\\tblind0\\tblindtype3 \\clvertalt" + BOX +
                   "\\clcbpat%d\\cltxlrtb\\clftsWidth3\\clwWidth2000 \\cellx2000\\clvertalt" + BOX +
                   "\\cltxlrtb\\clftsWidth3\\clwWidth2000 \\cellx4000\\nestrow}{\\nonesttables\\par }\n")

write("word_layout",
      "{\\rtf1\\adeflang1025\\ansi\\ansicpg1252\\uc1\\adeff0\\deff0\\stshfdbch0\\stshfloch0\\stshfhich0"
      "\\deflang1036\\deflangfe1036{\\fonttbl{\\f0\\fswiss\\fcharset0\\fprq2 Arial;}}\n"
      "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green255\\blue204;}\n"
      "{\\*\\generator Microsoft Word 16.0;}\\paperw11906\\paperh16838\\margl1417\\margr1417\\margt1417\\margb1417\n"
      + WORD_PARA + "{\\b Photo flottante.}\\par\n"
      + WORD_PARA +
      "{\\shp{\\*\\shpinst\\shpleft5400\\shptop120\\shpright7800\\shpbottom1920\\shpfhdr0\\shpbxcolumn\\shpbxignore"
      "\\shpbypara\\shpbyignore\\shpwr2\\shpwrk0\\shpfblwtxt0\\shpz0\\shplid1026"
      + sp("shapeType", "75") + sp("fFlipH", "0") + sp("fFlipV", "0") +
      "{\\sp{\\sn pib}{\\sv {\\pict\\picscalex100\\picscaley100\\piccropl0\\piccropr0\\piccropt0\\piccropb0"
      "\\picw1058\\pich794\\picwgoal600\\pichgoal450\\pngblip\\bliptag-1{\\*\\blipuid 0123456789abcdef0123456789abcdef}\n"
      + BLUE + "}}}" + sp("pibName", "photo.png") + sp("fLine", "0") + sp("posh", "0") + sp("posrelh", "2")
      + sp("posv", "0") + sp("posrelv", "2") + sp("fLayoutInCell", "1") +
      "}{\\shprslt\\par\\pard\\ql \\li0\\ri0\\widctlpar\\pvpara\\posx5400\\posy120\\dxfrtext180\\dfrmtxtx180"
      "\\dfrmtxty0\\wraparound\\aspalpha\\aspnum\\faauto\\adjustright\\rin0\\lin0\\itap0 {\\pict\\picscalex100"
      "\\picscaley100\\picw1058\\pich794\\picwgoal2400\\pichgoal1800\\wmetafile8\\bliptag-1\\blipupi-30\n"
      + RED_WMF + "}\\par}}Le texte suit la photo qui flotte \\'e0 droite de ce paragraphe. "
      "Le texte suit la photo qui flotte \\'e0 droite de ce paragraphe. "
      "Le texte suit la photo qui flotte \\'e0 droite de ce paragraphe.\\par\n"
      + WORD_PARA +
      "{\\shp{\\*\\shpinst\\shpleft0\\shptop60\\shpright3000\\shpbottom1260\\shpfhdr0\\shpbxcolumn\\shpbxignore"
      "\\shpbypara\\shpbyignore\\shpwr2\\shpwrk0\\shpfblwtxt0\\shpz1\\shplid1027" + sp("shapeType", "202")
      + sp("lTxid", "65536") + sp("fillColor", "13434879") + sp("lineColor", "0") + sp("posh", "0")
      + sp("posrelh", "2") + sp("posv", "0") + sp("posrelv", "2") + sp("fLayoutInCell", "1") +
      "{\\shptxt \\ltrpar \\pard\\plain \\ltrpar\\ql \\li0\\ri0\\widctlpar\\wrapdefault\\aspalpha\\aspnum\\faauto"
      "\\adjustright\\rin0\\lin0\\itap0 \\f0\\fs20 {\\b Encadr\\'e9\\par }Texte {\\i format\\'e9} dans la "
      "zone.\\par }}{\\shprslt{\\*\\do\\dobxcolumn\\dobypara\\dodhgt8193\\dptxbx\\dptxlrtb{\\dptxbxtext\\ltrpar "
      "\\pard\\plain \\f0\\fs20 {\\b Encadr\\'e9\\par }Texte {\\i format\\'e9} dans la zone.\\par }\\dpx0\\dpy60"
      "\\dpxsize3000\\dpysize1200\\dpfillfgcr255\\dpfillfgcg255\\dpfillfgcb255\\dpfillbgcr255\\dpfillbgcg255"
      "\\dpfillbgcb204\\dpfillpat1\\dplinew15\\dplinecor0\\dplinecog0\\dplinecob0}}}"
      "Une zone de texte flotte \\'e0 gauche de ce paragraphe, qui l'entoure. "
      "Une zone de texte flotte \\'e0 gauche de ce paragraphe, qui l'entoure.\\par\n"
      + WORD_PARA +
      "{\\shpgrp{\\*\\shpinst\\shpleft6000\\shptop0\\shpright8400\\shpbottom2280\\shpfhdr0\\shpbxcolumn"
      "\\shpbxignore\\shpbypara\\shpbyignore\\shpwr2\\shpwrk0\\shpfblwtxt0\\shpz2\\shplid1028"
      + sp("groupLeft", "0") + sp("groupTop", "0") + sp("groupRight", "2400") + sp("groupBottom", "2280")
      + sp("posh", "0") + sp("posrelh", "2") + sp("posv", "0") + sp("posrelv", "2") +
      "{\\shp{\\*\\shpinst\\shplid1029" + sp("relLeft", "0") + sp("relTop", "0") + sp("relRight", "2400")
      + sp("relBottom", "1680") + sp("shapeType", "75") +
      "{\\sp{\\sn pib}{\\sv {\\pict\\picscalex100\\picscaley100\\picw1058\\pich741\\picwgoal600\\pichgoal420"
      "\\pngblip\n" + GREEN + "}}}" + sp("fLine", "0") + "}}"
      "{\\shp{\\*\\shpinst\\shplid1030" + sp("relLeft", "0") + sp("relTop", "1740") + sp("relRight", "2400")
      + sp("relBottom", "2280") + sp("shapeType", "202") + sp("fLine", "0") +
      "{\\shptxt \\pard\\plain \\qc \\f0\\fs18 L\\'e9gende du groupe\\par }}}"
      "}{\\shprslt{\\*\\do\\dobxcolumn\\dobypara\\dodhgt8194\\dpgroup\\dpcount3\\dpx6000\\dpy0\\dpxsize2400"
      "\\dpysize2280\\dpendgroup}}}Un groupe (photo et l\\'e9gende) flotte \\'e0 droite.\\par\n"
      + WORD_PARA + "{\\b Tableau dans un tableau.}\\par\n"
      + WORD_OUTER_ROW + "\n"
      + WORD_CELL % 1 + "Cellule ext\\'e9rieure\\cell \n"
      + WORD_CELL % 1 + "Avant le tableau interne\\~:\\par \n"
      + WORD_CELL % 2 + "A1\\nestcell B1\\nestcell \n"
      + WORD_CELL % 2 + WORD_NESTED_ROW % (0, 0, 2)
      + WORD_CELL % 2 + "A2\\nestcell B2 {\\b gras}\\nestcell \n"
      + WORD_CELL % 2 + WORD_NESTED_ROW % (1, 1, 0)
      + WORD_CELL % 1 + "Apr\\'e8s le tableau interne.\\cell \n"
      + WORD_CELL % 1 + "{" + WORD_OUTER_ROW + "\\row }\n"
      + WORD_PARA + "Fin.\\par\n}\n",
      "Photo flottante.\n\n" + OBJ + "\nLe texte suit la photo qui flotte à droite de ce paragraphe. "
      "Le texte suit la photo qui flotte à droite de ce paragraphe. "
      "Le texte suit la photo qui flotte à droite de ce paragraphe.\n"
      "Une zone de texte flotte à gauche de ce paragraphe, qui l'entoure. "
      "Une zone de texte flotte à gauche de ce paragraphe, qui l'entoure.\n"
      "Un groupe (photo et légende) flotte à droite.\n"
      "Tableau dans un tableau.\n"
      "Cellule extérieure\tAvant le tableau interne\u00a0:\vA1\tB1\tA2\tB2 gras\tAprès le tableau interne.\n"
      "Fin.")

write("wordpad_layout",
      "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}}\n"
      "{\\colortbl ;\\red0\\green0\\blue255;}\n"
      "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \n"
      "\\pard\\sa200\\sl276\\slmult1\\f0\\fs22\\lang12 Un cadre de dessin :\\par\n"
      "{\\*\\do\\dobxcolumn\\dobypara\\dodhgt8192\\dptxbx{\\dptxbxtext\\pard\\plain\\f0\\fs20 Ancienne "
      "{\\b zone} de texte.\\par}\\dpx120\\dpy0\\dpxsize2880\\dpysize720\\dpfillfgcr255\\dpfillfgcg255"
      "\\dpfillfgcb255\\dpfillpat1\\dplinew15\\dplinecor0\\dplinecog0\\dplinecob0}"
      "Le texte du paragraphe entoure le cadre ancien, dessin\\'e9 \\'e0 gauche.\\par\n"
      "\\trowd\\trgaph108\\trleft-108\\trbrdrl\\brdrs\\brdrw10 \\trbrdrt\\brdrs\\brdrw10 \\trbrdrr\\brdrs\\brdrw10 "
      "\\trbrdrb\\brdrs\\brdrw10 \\trpaddl108\\trpaddr108\\trpaddfl3\\trpaddfr3\n"
      "\\clbrdrl\\brdrw10\\brdrs\\clbrdrt\\brdrw10\\brdrs\\clbrdrr\\brdrw10\\brdrs\\clbrdrb\\brdrw10\\brdrs \\cellx3000"
      "\\clbrdrl\\brdrw10\\brdrs\\clbrdrt\\brdrw10\\brdrs\\clbrdrr\\brdrw10\\brdrs\\clbrdrb\\brdrw10\\brdrs \\cellx7000 \n"
      "\\pard\\intbl\\widctlpar\\f0\\fs22 Dehors\\cell\n"
      "\\pard\\intbl\\itap2\\widctlpar un\\nestcell deux\\nestcell trois\\nestcell"
      "{\\*\\nesttableprops\\trowd\\trgaph108\\trleft-108\\trbrdrl\\brdrs\\brdrw10 \\trbrdrt\\brdrs\\brdrw10 "
      "\\trbrdrr\\brdrs\\brdrw10 \\trbrdrb\\brdrs\\brdrw10 \\trpaddl108\\trpaddr108\\trpaddfl3\\trpaddfr3\n"
      "\\clbrdrl\\brdrw10\\brdrs\\clbrdrt\\brdrw10\\brdrs\\clbrdrr\\brdrw10\\brdrs\\clbrdrb\\brdrw10\\brdrs \\cellx1200"
      "\\clbrdrl\\brdrw10\\brdrs\\clbrdrt\\brdrw10\\brdrs\\clbrdrr\\brdrw10\\brdrs\\clbrdrb\\brdrw10\\brdrs \\cellx2400"
      "\\clbrdrl\\brdrw10\\brdrs\\clbrdrt\\brdrw10\\brdrs\\clbrdrr\\brdrw10\\brdrs\\clbrdrb\\brdrw10\\brdrs \\cellx3600"
      "\\nestrow}{\\nonesttables\\par}\n"
      "\\pard\\intbl\\itap1\\widctlpar\\cell\\row \n"
      "\\pard\\sa200\\sl276\\slmult1 Fin.\\par\n}\n",
      "Un cadre de dessin :\n"
      "Le texte du paragraphe entoure le cadre ancien, dessiné à gauche.\n"
      "Dehors\tun\tdeux\ttrois\t\n"
      "Fin.")

LO_PARA = "\\pard\\plain \\s0\\rtlch\\af6\\afs24 \\ltrch\\hich\\af4\\loch\\widctlpar\\ql\\f4\\fs24 "
LO_CELL = "\\pard\\plain \\s0\\intbl\\itap%d\\rtlch\\af6\\afs24 \\ltrch\\hich\\af4\\loch\\ql\\f4\\fs24 "
LO_ROW = ("\\trowd\\trql\\trleft0\\ltrrow\\trpaddft3\\trpaddt0\\trpaddfl3\\trpaddl0\\trpaddfb3\\trpaddb0"
          "\\trpaddfr3\\trpaddr0\\clbrdrt\\brdrs\\brdrw10\\brdrcf1\\clbrdrl\\brdrs\\brdrw10\\brdrcf1"
          "\\clbrdrb\\brdrs\\brdrw10\\brdrcf1\\clbrdrr\\brdrs\\brdrw10\\brdrcf1\\cellx%d\\clbrdrt\\brdrs"
          "\\brdrw10\\brdrcf1\\clbrdrl\\brdrs\\brdrw10\\brdrcf1\\clbrdrb\\brdrs\\brdrw10\\brdrcf1\\clbrdrr"
          "\\brdrs\\brdrw10\\brdrcf1\\cellx%d")

write("libreoffice_layout",
      "{\\rtf1\\ansi\\deff4\\adeflang1025\n"
      "{\\fonttbl{\\f0\\froman\\fprq2\\fcharset0 Times New Roman;}{\\f4\\fswiss\\fprq2\\fcharset0 Liberation Sans;}"
      "{\\f6\\fnil\\fprq2\\fcharset0 Noto Sans;}}\n"
      "{\\colortbl;\\red0\\green0\\blue0;\\red230\\green230\\blue255;}\n"
      "{\\*\\generator LibreOffice/7.4.7.2$Linux_X86_64 LibreOffice_project/40$Build-2}\\formshade"
      "\\paperh16838\\paperw11906\\margl1134\\margr1134\\margt1134\\margb1134\n"
      + LO_PARA +
      "{\\shp{\\*\\shpinst\\shpwr2\\shpwrk0\\shpbypara\\shpbyignore\\shptop0\\shpbottom1500\\shpbxcolumn"
      "\\shpbxignore\\shpleft0\\shpright2000" + sp("shapeType", "75") + sp("wzName", "Image1") +
      "{\\sp{\\sn pib}{\\sv {\\pict\\picscalex100\\picscaley100\\piccropl0\\piccropr0\\piccropt0\\piccropb0"
      "\\picw40\\pich30\\picwgoal2000\\pichgoal1500\\pngblip\n" + BLUE + "}}}"
      + sp("posrelh", "2") + sp("posh", "1") + sp("posrelv", "2") + sp("posv", "0")
      + sp("fLayoutInCell", "1") + "}}"
      "Image ancr\\'e9e au paragraphe, \\'e0 gauche\\~; le texte coule \\'e0 sa droite sur "
      "plusieurs lignes, comme dans Writer.\\par\n"
      + LO_PARA +
      "{\\shp{\\*\\shpinst\\shpwr2\\shpwrk0\\shpbypara\\shpbyignore\\shptop0\\shpbottom900\\shpbxcolumn"
      "\\shpbxignore\\shpleft6000\\shpright9000" + sp("shapeType", "202") + sp("fillColor", "16770790")
      + sp("posrelh", "2") + sp("posh", "3") + sp("posrelv", "2") + sp("posv", "0") +
      "{\\shptxt\\pard\\plain \\s0\\ql\\f4\\fs20 Cadre de {\\i texte} Writer.\\par}}}"
      "Un cadre de texte est ancr\\'e9 \\'e0 droite de ce paragraphe.\\par\n"
      + LO_PARA + "Image en ligne {\\shp{\\*\\shpinst\\shpwr2\\shpleft0\\shptop0\\shpright600\\shpbottom450"
      + sp("shapeType", "75") + sp("fPseudoInline", "1") +
      "{\\sp{\\sn pib}{\\sv {\\pict\\picwgoal600\\pichgoal450\\pngblip\n" + BLUE + "}}}}}"
      " dans la ligne.\\par\n"
      + LO_ROW % (3000, 9000) + "\n"
      + LO_CELL % 1 + "Externe\\cell" + LO_CELL % 2 + "I1\\nestcell" + LO_CELL % 2 + "I2\\nestcell"
      "{\\*\\nesttableprops" + LO_ROW % (2500, 5000) + "\\nestrow}{\\nonesttables\\par}"
      + LO_CELL % 2 + "I3\\nestcell" + LO_CELL % 2 + "I4\\nestcell"
      "{\\*\\nesttableprops" + LO_ROW % (2500, 5000) + "\\nestrow}{\\nonesttables\\par}"
      + LO_CELL % 1 + "\\cell\\row\n"
      + LO_PARA + "Fin.\\par\n}\n",
      "Image ancrée au paragraphe, à gauche\u00a0; le texte coule à sa droite sur plusieurs lignes, "
      "comme dans Writer.\n"
      "Un cadre de texte est ancré à droite de ce paragraphe.\n"
      "Image en ligne  dans la ligne.\n"
      "Externe\tI1\tI2\tI3\tI4\t\n"
      "Fin.")
