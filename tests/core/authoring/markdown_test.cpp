// Markdown articles: the text the reader numbers, links on exactly their text, and errors
// with their lines.

#include "core/authoring/markdown.h"
#include "core/richtext/rtf_reader.h"

#include <gtest/gtest.h>

namespace mirelda::authoring {
namespace {

// A 1x1 PNG.
const std::string kPng("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x06\0\0\0\x1f\x15\xc4\x89", 33);

std::string Convert(std::string_view markdown, Diagnostics& diags)
{
    return MarkdownToRtf(
        markdown, "a.md",
        [](const std::string& name) -> std::optional<std::string> {
            if (name == "logo.png")
                return kPng;
            return std::nullopt;
        },
        diags);
}

TEST(Markdown, everyConstructGivesItsTextAndNumbering)
{
    Diagnostics diags;
    const RichDocument doc = ReadRtf(Convert("# Titre\n"
                                             "\n"
                                             "Un *mot*, **gras** et `co{de}`.\\\n"
                                             "Suite\n"
                                             "\n"
                                             "> Cité\n"
                                             "\n"
                                             "- a\n"
                                             "  - b\n"
                                             "\n"
                                             "3. trois\n"
                                             "\n"
                                             "| A | B |\n"
                                             "|---|--:|\n"
                                             "| c | d |\n"
                                             "\n"
                                             "---\n"
                                             "\n"
                                             "    x = 1\n"
                                             "    y\n"
                                             "\n"
                                             "Neige ☃, œuvre 😀 ![logo](logo.png)\n",
                                             diags));
    EXPECT_TRUE(diags.empty());
    EXPECT_EQ(doc.text, u"Titre\r"
                        u"Un mot, gras et co{de}.\vSuite\r"
                        u"Cité\r"
                        u"a\rb\r"
                        u"trois\r"
                        u"A\tB\rc\td\r"
                        u"\r"
                        u"x = 1\vy\r"
                        u"Neige ☃, œuvre 😀 \uFFFC\r");
    ASSERT_EQ(doc.pictures.size(), 1u);
    EXPECT_EQ(std::string(doc.pictures[0].bytes.begin(), doc.pictures[0].bytes.end()), kPng);
}

TEST(Markdown, linksCoverExactlyTheirText)
{
    Diagnostics diags;
    const RichDocument doc =
        ReadRtf(Convert("Voir [la *page*](cible), [le n° 12](12) et [ici](#cible).\n", diags));
    EXPECT_TRUE(diags.empty());
    ASSERT_EQ(doc.hyperlinks.size(), 3u);
    const std::u16string expected[] = {u"la page", u"le n° 12", u"ici"};
    const std::u16string targets[] = {u"cible", u"12", u"#cible"};
    for (std::size_t k = 0; k < 3; ++k) {
        const RichHyperlink& h = doc.hyperlinks[k];
        EXPECT_EQ(doc.text.substr(h.first, h.last - h.first + 1), expected[k]);
        EXPECT_EQ(h.target.empty() ? h.anchor : h.target, targets[k]);
    }
}

TEST(Markdown, whatTheViewerCannotShowIsAnErrorOnItsLine)
{
    Diagnostics diags;
    Convert("Ligne un.\n"
            "\n"
            "Voir [le site](https://exemple.org).\n"
            "\n"
            "<div>brut</div>\n"
            "\n"
            "![image](absente.png)\n",
            diags);
    ASSERT_EQ(diags.size(), 3u);
    EXPECT_EQ(diags[0].line, 3u);
    EXPECT_NE(diags[0].message.find("https://exemple.org"), std::string::npos);
    EXPECT_EQ(diags[1].line, 5u);
    EXPECT_NE(diags[1].message.find("HTML"), std::string::npos);
    EXPECT_EQ(diags[2].line, 7u);
    EXPECT_NE(diags[2].message.find("absente.png"), std::string::npos);
    for (const Diagnostic& d : diags)
        EXPECT_EQ(d.file, "a.md");
}

} // namespace
} // namespace mirelda::authoring
