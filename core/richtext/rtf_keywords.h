#pragma once
// The RTF control words the reader acts on, and their lookup. Internal to core/richtext.

#include <cstdint>
#include <string_view>

namespace mirelda::rtf {

// clang-format off
// Every control word the reader knows. A word that is not here is ignored (and makes a
// {\* ...} group skipped).
#define MIRELDA_RTF_KEYWORDS(X)                                                               \
    /* document */ X(rtf) X(ansi) X(mac) X(pc) X(pca) X(ansicpg) X(deff) X(uc) X(u) X(bin)    \
    /* destinations read */ X(fonttbl) X(colortbl) X(pict) X(shppict) X(field) X(fldinst)    \
    X(fldrslt) X(pn) X(pntxtb) X(pntxta) X(listtext) X(object) X(result) X(shp) X(shprslt)    \
    /* font table */ X(f) X(fnil) X(froman) X(fswiss) X(fmodern) X(fscript) X(fdecor)         \
    X(ftech) X(fbidi) X(fcharset) X(fprq) X(cpg)                                              \
    /* colour table */ X(red) X(green) X(blue)                                                \
    /* character formatting */ X(plain) X(b) X(i) X(ul) X(uld) X(uldash) X(uldashd)         \
    X(uldashdd) X(uldb) X(ulhwave) X(ulldash) X(ulnone) X(ulth) X(ulthd) X(ulthdash)          \
    X(ulthdashd) X(ulthdashdd) X(ulthldash) X(ululdbwave) X(ulw) X(ulwave) X(strike)          \
    X(striked) X(fs) X(cf) X(cb) X(highlight) X(chcbpat) X(super) X(sub) X(nosupersub)       \
    X(caps) X(scaps) X(v)                                                                     \
    /* paragraph formatting */ X(pard) X(ql) X(qc) X(qr) X(qj) X(qd) X(li) X(lin) X(ri)      \
    X(rin) X(fi) X(sb) X(sa) X(sl) X(slmult) X(keep) X(keepn) X(pagebb) X(tx) X(tb) X(tqr)    \
    X(tqc) X(tqdec) X(tldot) X(tlhyph) X(tlul) X(tlth) X(tleq) X(intbl) X(itap) X(ls)         \
    /* tables */ X(trowd) X(cellx) X(cell) X(row) X(nestcell) X(nestrow) X(trgaph) X(trleft)  \
    X(trrh) X(trql) X(trqc) X(trqr) X(trbrdrt) X(trbrdrl) X(trbrdrb) X(trbrdrr) X(trbrdrh)    \
    X(trbrdrv) X(clbrdrt) X(clbrdrl) X(clbrdrb) X(clbrdrr) X(clcbpat) X(clcfpat) X(clshdng)   \
    X(clvertalt) X(clvertalc) X(clvertalb) X(clmgf) X(clmrg) X(trpaddl) X(trpaddr)              \
    X(clvmgf) X(clvmrg) X(clpadl) X(clpadt) X(clpadr) X(clpadb) X(clpadfl) X(clpadft)         \
    X(clpadfr) X(clpadfb) X(ilvl)                                                             \
    /* borders */ X(brdrt) X(brdrl) X(brdrb) X(brdrr) X(brdrbtw) X(brdrbar) X(box) X(chbrdr)  \
    X(brdrs) X(brdrth) X(brdrsh) X(brdrdb) X(brdrtriple) X(brdrdot) X(brdrdash) X(brdrdashsm) \
    X(brdrhair) X(brdrnone) X(brdrw) X(brdrcf)                                                \
    /* numbering */ X(pnlvlblt) X(pnlvlbody) X(pnlvlcont) X(pnlvl) X(pndec) X(pncard)         \
    X(pnord) X(pnordt) X(pnucltr) X(pnlcltr) X(pnucrm) X(pnlcrm) X(pnstart) X(pnf)           \
    X(pnindent)                                                                               \
    /* pictures */ X(pngblip) X(jpegblip) X(emfblip) X(wmetafile) X(macpict) X(dibitmap)      \
    X(wbitmap) X(pmmetafile) X(picw) X(pich) X(picwgoal) X(pichgoal) X(picscalex)             \
    X(picscaley) X(piccropl) X(piccropt) X(piccropr) X(piccropb) X(wbmbitspixel) X(wbmplanes) \
    X(wbmwidthbytes) X(picbpp)                                                                \
    /* characters */ X(par) X(sect) X(page) X(line) X(tab) X(emdash) X(endash) X(emspace)     \
    X(enspace) X(qmspace) X(bullet) X(lquote) X(rquote) X(ldblquote) X(rdblquote) X(zwj)      \
    X(zwnj) X(ltrmark) X(rtlmark)                                                             \
    /* shapes, text boxes, nested tables */ X(shpgrp) X(shptxt) X(shpleft) X(shptop)       \
    X(shpright) X(shpbottom) X(shpbxpage) X(shpbxmargin) X(shpbxcolumn) X(shpbypage)          \
    X(shpbymargin) X(shpbypara) X(shpwr) X(shpfblwtxt) X(nesttableprops) X(dptxbx)            \
    X(dptxbxtext) X(dpx) X(dpy) X(dpxsize) X(dpysize) X(dobxpage) X(dobxmargin)               \
    X(dobxcolumn) X(dobypage) X(dobymargin) X(dobypara)

// Destinations whose content no reader shows: skipped whole wherever they appear.
#define MIRELDA_RTF_SKIPPED_DESTINATIONS(X)                                                   \
    X(pntext) X(nonshppict) X(stylesheet) X(info) X(header) X(headerl) X(headerr) X(headerf)  \
    X(footer) X(footerl) X(footerr) X(footerf) X(footnote) X(annotation) X(atnid)             \
    X(atnauthor) X(atndate) X(atnicn) X(atnref) X(atrfstart) X(atrfend) X(themedata)          \
    X(colorschememapping) X(latentstyles) X(datastore) X(xmlnstbl) X(listtable)               \
    X(listoverridetable) X(rsidtbl) X(generator) X(filetbl) X(revtbl) X(private) X(pgdsctbl)  \
    X(template) X(userprops) X(docvar) X(ftnsep) X(ftnsepc) X(ftncn) X(aftnsep) X(aftnsepc)   \
    X(aftncn) X(xe) X(tc) X(txe) X(bkmkstart) X(bkmkend) X(comment) X(author) X(operator)     \
    X(title) X(subject) X(keywords) X(doccomm) X(company) X(category) X(nonesttables) X(upr)  \
    X(objdata) X(objclass) X(objname) X(shpinst) X(falt) X(panose) X(listpicture) X(fchars)   \
    X(lchars) X(pgptbl) X(protusertbl) X(mmathPr) X(defchp) X(defpap) X(wgrffmtfilter)        \
    X(blipuid) X(picprop) X(background) X(passwordhash) X(expandedcolortbl) X(do) X(sp)       \
    X(sn) X(sv) X(fname) X(pnseclvl) X(leveltext) X(levelnumbers) X(revision) X(rxe)
// clang-format on

enum class Kw : std::uint16_t {
    Unknown,
#define MIRELDA_RTF_ENUM(name) k_##name,
    MIRELDA_RTF_KEYWORDS(MIRELDA_RTF_ENUM) FirstSkipped,
    MIRELDA_RTF_SKIPPED_DESTINATIONS(MIRELDA_RTF_ENUM) LastSkipped,
#undef MIRELDA_RTF_ENUM
};

inline bool IsSkippedDestination(Kw kw)
{
    return kw > Kw::FirstSkipped && kw < Kw::LastSkipped;
}

// The keyword spelled by `letters` (case-sensitive, as RTF is), or Kw::Unknown.
Kw LookupKeyword(std::string_view letters);

// A destination none of whose content takes a text position: the skipped ones and those the
// reader interprets (font and colour tables, pictures, field instructions, list labels). The
// help-set compiler leaves what is inside them alone, so it sees exactly the reader's text.
bool IsDestinationWithoutText(std::string_view word);

} // namespace mirelda::rtf
