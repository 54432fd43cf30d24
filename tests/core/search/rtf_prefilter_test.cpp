// The raw-RTF pre-filter may only reject articles whose text cannot hold the string.

#include "core/search/rtf_prefilter.h"

#include "core/richtext/code_page.h"
#include "core/richtext/plain_text.h"
#include "core/richtext/text_find.h"
#include "core/store/cp1252.h"

#include <gtest/gtest.h>
#include <unicode/uchar.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace mirelda {
namespace {

std::string Rtf(std::string_view body)
{
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}\\f0 " + std::string(body) + "}";
}

bool Finds(std::string_view rtf, std::u16string_view what, bool matchCase)
{
    return FindText(ExtractPlainText(rtf), what, 0, matchCase, false) >= 0;
}

TEST(RtfPrefilter, everyWayOfWritingTheFirstCharacter_isKept)
{
    const RtfPrefilter filter(u"xylo", false);
    ASSERT_TRUE(filter.active());
    for (const char* body : {"la xylo", "la XYLO", "la x{\\b ylo}", "la x\r\nylo", "\\'78ylo", "\\'58ylo",
                             "\\u120?ylo", "\\u88 ?ylo", "{\\v x}ylo", "x{\\*\\bkmkstart a}ylo"}) {
        ASSERT_TRUE(Finds(Rtf(body), u"xylo", false)) << body;
        EXPECT_TRUE(filter.MayContain(Rtf(body))) << body;
    }
    // Kept without holding it: a literal x that ends a run of plain text, or one in a
    // destination that is not shown.
    for (const char* body : {"deux\\par ylo", "{\\b deux}\\tab ylo", "{\\*\\bkmkstart xylo}"}) {
        ASSERT_FALSE(Finds(Rtf(body), u"xylo", false)) << body;
        EXPECT_TRUE(filter.MayContain(Rtf(body))) << body;
    }
}

TEST(RtfPrefilter, textsWithoutTheString_areRejected)
{
    const RtfPrefilter filter(u"xylo", false);
    for (const char* body : {"un exemple de texte", "{\\b deu}s \\'e9t\\'e9s", "{\\b deux} \\'e9t\\'e9s",
                             "\\u233?t\\u233?", "xyl ophone", "{\\*\\bkmkstart lo}", "xyz"})
        EXPECT_FALSE(filter.MayContain(Rtf(body))) << body;
    EXPECT_FALSE(RtfPrefilter(u"Xylo", true).MayContain(Rtf("la xylo")));
    // "{\\urtf" is RTF to the reader, and so to the filter.
    EXPECT_FALSE(filter.MayContain("{\\urtf1 un exemple}"));
    EXPECT_TRUE(filter.MayContain("{\\urtf1 un xylo}"));
}

TEST(RtfPrefilter, inputsItCannotJudge_areKept)
{
    const RtfPrefilter filter(u"xylo", false);
    EXPECT_TRUE(filter.MayContain("xylo sans RTF"));
    // Multi-byte code pages may make an ASCII letter out of a trail byte.
    EXPECT_TRUE(filter.MayContain("{\\rtf1\\ansi\\ansicpg932 rien}"));
    EXPECT_TRUE(filter.MayContain("{\\rtf1{\\fonttbl{\\f0\\fcharset128 MS Mincho;}} rien}"));
    EXPECT_TRUE(filter.MayContain("{\\rtf1{\\fonttbl{\\f0\\cpg936 F;}} rien}"));
    EXPECT_FALSE(filter.MayContain("{\\rtf1{\\fonttbl{\\f0\\fcharset238 F;}} rien}"));
    // A first character that a non-ASCII one folds to (dotless i is I), or not a letter.
    EXPECT_FALSE(RtfPrefilter(u"ile", false).active());
    EXPECT_TRUE(RtfPrefilter(u"ile", false).MayContain(Rtf("rien")));
    EXPECT_FALSE(RtfPrefilter(u"\u00E9t\u00E9", false).active());
    EXPECT_FALSE(RtfPrefilter(u"", false).MayContain(Rtf("rien")));
}

TEST(RtfPrefilter, symbolFontText_isJudgedAsTheSymbolsItShows)
{
    // "7a" in Symbol reads "7α"; U+F037 there is the digit 7.
    const std::string fonts = "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}\\f1 ";
    const std::string literal = fonts + "7a b}", escaped = fonts + "\\u61495 ?b}";
    ASSERT_TRUE(Finds(literal, u"7\u03B1", false));
    EXPECT_TRUE(RtfPrefilter(u"7\u03B1", false).MayContain(literal));
    EXPECT_FALSE(RtfPrefilter(u"7\u03B3", false).MayContain(literal));
    ASSERT_TRUE(Finds(escaped, u"7\u03B2", false));
    EXPECT_TRUE(RtfPrefilter(u"7\u03B2", false).MayContain(escaped));
}

// Plain text that matches up to a \'hh goes on with the byte's character, in whatever code
// page or symbol font the text is in: an article is rejected only when no reading of the byte
// gives the next character of the string.
TEST(RtfPrefilter, escapeAfterMatchingText_isJudgedByTheCharactersItCanStandFor)
{
    struct Case
    {
        std::string rtf;
        std::u16string what;
        bool matchCase;
        bool found;
    };
    const std::string cyrillic = "{\\rtf1\\ansi\\ansicpg1251 ";
    const std::string turkish = "{\\rtf1\\ansi\\ansicpg1254 ";
    const std::string symbol = "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}\\f1 ";
    const Case cases[] = {
        {Rtf("la fen\\'eatre"), u"fenetre", false, false},
        {Rtf("la fen\\'eatre"), u"fenetre", true, false},
        {Rtf("la fen\\'eatre"), u"FEN\u00CATRE", false, true},
        {Rtf("la fen\\'eatre"), u"fen\u00EAtre", true, true},
        {Rtf("la fen\\'65tre"), u"fenetre", true, true},  // \'65 is e itself
        {Rtf("la fen\\'1fetre"), u"fenetre", true, true}, // a control character reads as nothing
        {Rtf("la fen\\u234\\'eatre"), u"fenetre", false, false},
        {Rtf("la fen\\u69?tre"), u"fenetre", false, true},
        {Rtf("la fe\r\nn\r\n\\'eatre"), u"fenetre", false, false}, // CR and LF read as nothing
        {Rtf("la fe\r\nnetre"), u"fenetre", true, true},
        {Rtf("{\\uldb na\\'eff}{\\v cible}"), u"fetre", false, false}, // braces and format words
        {Rtf("{\\uldb na\\'eff}{\\v\\cf1 etre}"), u"fetre", false, true},
        {Rtf("na\\'eff\\v etre"), u"fetre", false, true},      // a pending \* is not ruled out
        {Rtf("fen\xeatre"), u"fenetre", false, false},         // a raw byte reads as \'hh does
        {cyrillic + "fen\\'eatre}", u"fenetre", false, false}, // \'ea is U+043A there
        {cyrillic + "fen\\'catre}", u"fen\u043Atre", false, true},
        {cyrillic + "fen\\'catre}", u"fen\u043Atre", true, false},
        {turkish + "f\\'fdn}", u"fin", false, true}, // dotless i's upper case is I
        {turkish + "f\\'fdn}", u"fin", true, false},
        {symbol + "fen\\'eatre}", u"fenetre", false, false},
        {symbol + "7\\'a3}", u"7\u2264", true, true}, // Symbol draws U+2264 at 0xA3
        {symbol + "7\\u61603 x}", u"7\u2264", true, true},
    };
    for (const Case& c : cases) {
        const std::string label = c.rtf + " / " + Utf16ToUtf8(c.what) + (c.matchCase ? " (case)" : "");
        ASSERT_EQ(Finds(c.rtf, c.what, c.matchCase), c.found) << label;
        const RtfPrefilter filter(c.what, c.matchCase);
        ASSERT_TRUE(filter.active()) << label;
        EXPECT_EQ(filter.MayContain(c.rtf), c.found) << label;
    }
}

// The proof leans on the code pages: in each single-byte one, a byte decodes to an ASCII
// letter or digit only when it is that very byte, and a non-ASCII character folds to one only
// for the letters on which the filter stays inactive (dotless i, in Turkish code pages).
TEST(RtfPrefilter, singleByteCodePages_makeNoAsciiAlnumFromOtherBytes)
{
    const auto isAlnum = [](UChar32 c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    };
    rtf::CodePageCache cache;
    int checked = 0;
    for (int cp = 1; cp < 70000; ++cp) {
        if (rtf::SupportedCodePage(cp) != cp || rtf::IsMultiByteCodePage(cp))
            continue;
        const rtf::ByteTable& table = cache.SingleByte(cp);
        for (int b = 0; b < 256; ++b) {
            if (isAlnum(table[b])) {
                EXPECT_EQ(table[b], b) << "code page " << cp << " byte " << b;
            }
            const UChar32 folded = u_toupper(table[b]);
            if (table[b] >= 0x80 && isAlnum(folded)) {
                EXPECT_FALSE(RtfPrefilter(std::u16string(1, static_cast<char16_t>(folded)), false).active())
                    << "code page " << cp << " byte " << b;
            }
        }
        ++checked;
    }
    EXPECT_GT(checked, 10);
    for (const int cp : {rtf::kSymbolFontCodePage, rtf::kWingdingsFontCodePage}) {
        const rtf::ByteTable& table = cache.SingleByte(cp);
        for (int b = 0; b < 256; ++b) {
            if (isAlnum(table[b]) || isAlnum(u_toupper(table[b]))) {
                EXPECT_EQ(table[b], b) << "symbol font " << cp << " byte " << b;
            }
        }
    }
    for (int charset = 0; charset < 256; ++charset) {
        const int cp = rtf::CodePageOfCharset(charset);
        EXPECT_TRUE(cp == 0 || rtf::SupportedCodePage(cp) == cp) << charset;
    }
}

// Random RTF built from the pieces that produce, hide or split text; strings taken from the
// text itself so that most of them are there. Never a rejected article that holds the string.
TEST(RtfPrefilter, randomDocuments_neverRejectATextThatHoldsTheString)
{
    std::mt19937 rng(12345);
    const std::vector<std::string> pieces = {"xy",
                                             "Xylo",
                                             "lo",
                                             "ph",
                                             "e",
                                             " ",
                                             "x",
                                             "\\'78",
                                             "\\'58",
                                             "\\'79",
                                             "\\'e9",
                                             "\\u120?",
                                             "\\u88 ",
                                             "\\u0120?",
                                             "\\u00088 ",
                                             "\\u-65416?",
                                             "\\ansicpg1252",
                                             "\\fcharset0 ",
                                             "\\cf1 ",
                                             "texte exemple ",
                                             "\\u-3?",
                                             "\\uc0 ",
                                             "\\uc2 ",
                                             "{\\b ",
                                             "}",
                                             "{",
                                             "{\\*\\x xylo}",
                                             "{\\v ",
                                             "\\par ",
                                             "\\tab ",
                                             "\\~",
                                             "\r\n",
                                             "\\\\",
                                             "\\{",
                                             "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt ",
                                             "}}",
                                             "\\bin2 xy",
                                             "\x9e",
                                             "\x7f",
                                             "{\\pict ab}",
                                             "\\'7",
                                             "\\u",
                                             "\\line ",
                                             std::string(1, '\0'),
                                             "\\emspace ",
                                             "{\\f1 ",
                                             "{\\f2 ",
                                             "1a",
                                             "\\u61489 ",
                                             "\\u61637 ",
                                             "\\'3?",
                                             "\xe9",
                                             "\\ansicpg936 ",
                                             "\\fcharset128 ",
                                             "\\cpg950 ",
                                             "\\cpg0949 ",
                                             "\\fcharset1 ",
                                             "fen",
                                             "\\'ea",
                                             "\\'ca",
                                             "\\'fd",
                                             "\\'65",
                                             "\\'1f",
                                             "{\\f3 ",
                                             "{\\f4 ",
                                             "\\u234?",
                                             "\\u101?",
                                             "\\u61603 ",
                                             "\\v ",
                                             "\\cf1",
                                             "\\*",
                                             "\\plain "};
    int kept = 0, rejected = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string body;
        // Long enough, often, for whole vectors of every width.
        const int count = 1 + static_cast<int>(rng() % (round % 2 ? 14 : 60));
        for (int i = 0; i < count; ++i)
            body += pieces[rng() % pieces.size()];
        // Symbol and Wingdings text reads as the symbols the fonts draw (a Greek letter for an
        // ASCII one).
        const std::string rtf =
            "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}"
            "{\\f2\\fcharset2 Wingdings;}{\\f3\\fcharset204 Cyr;}{\\f4\\fcharset162 Tr;}}" +
            body + "}";
        const std::u16string text = ExtractPlainText(rtf);
        std::u16string what;
        if (rng() % 4 == 0 || text.size() < 2) {
            what = rng() % 2 ? u"xylo" : u"Xy";
        } else {
            const std::size_t at = rng() % (text.size() - 1);
            what = text.substr(at, 1 + rng() % std::min<std::size_t>(6, text.size() - at));
        }
        const bool matchCase = rng() % 2;
        const RtfPrefilter filter(what, matchCase);
        const bool may = filter.MayContain(rtf);
        ASSERT_EQ(may, filter.MayContainByteByByte(rtf)) << rtf;
        for (const auto width : {RtfPrefilter::Width::k16, RtfPrefilter::Width::k32, RtfPrefilter::Width::k64,
                                 RtfPrefilter::Width::k64Lookup})
            ASSERT_EQ(filter.MayContain(rtf, width), may) << rtf;
        if (FindText(text, what, 0, matchCase, false) >= 0) {
            ASSERT_TRUE(may) << rtf << " / " << Utf16ToUtf8(what);
            ++kept;
        } else if (!may) {
            ++rejected;
        }
    }
    EXPECT_GT(kept, 1000);
    EXPECT_GT(rejected, 1000); // and it does reject
}

} // namespace
} // namespace mirelda
