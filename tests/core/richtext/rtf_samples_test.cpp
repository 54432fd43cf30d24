// The hand-written samples in the style of WordPad, LibreOffice Writer and Word: each reads to
// the text written beside it (UTF-8, paragraph marks as line feeds, the final mark left out).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/store/cp1252.h"
#include "rtf_test_support.h"

namespace mirelda {
namespace {

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

TEST(RtfSamples, everySample_readsToItsExpectedText)
{
    const std::filesystem::path dir = MIRELDA_SOURCE_DIR "/tests/data/rtf";
    int samples = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() != ".rtf")
            continue;
        ++samples;
        SCOPED_TRACE(entry.path().filename().string());
        std::filesystem::path expectedPath = entry.path();
        expectedPath.replace_extension(".txt");
        ASSERT_TRUE(std::filesystem::exists(expectedPath));
        std::u16string expected = Utf8ToUtf16(ReadBytes(expectedPath));
        for (char16_t& c : expected) {
            if (c == u'\n')
                c = kParagraphMark;
        }
        expected += kParagraphMark;
        const RichDocument doc = testing::Read(ReadBytes(entry.path()));
        EXPECT_EQ(doc.text, expected);
    }
    EXPECT_GE(samples, 3);
}

TEST(RtfSamples, libreOfficeArticle_linksListsTablePictureAndHiddenText)
{
    const RichDocument doc =
        testing::Read(ReadBytes(MIRELDA_SOURCE_DIR "/tests/data/rtf/libreoffice_article.rtf"));
    ASSERT_EQ(doc.hyperlinks.size(), 2u);
    const auto textOf = [&](const RichHyperlink& l) {
        return doc.text.substr(l.first, l.last - l.first + 1);
    };
    EXPECT_EQ(textOf(doc.hyperlinks[0]), u"la page des polices");
    EXPECT_EQ(doc.hyperlinks[0].target, u"polices");
    EXPECT_EQ(textOf(doc.hyperlinks[1]), u"les marges");
    EXPECT_EQ(doc.hyperlinks[1].anchor, u"marges");
    // The link text is underlined in the link colour.
    EXPECT_EQ(RunAt(doc, doc.hyperlinks[0].first)->format.underline, UnderlineKind::Single);
    EXPECT_EQ(RunAt(doc, doc.hyperlinks[0].first)->format.foreground, 2);

    ASSERT_EQ(doc.pictures.size(), 1u);
    EXPECT_EQ(doc.pictures[0].kind, PictureKind::Png);
    EXPECT_EQ(doc.pictures[0].goalWidth, 60);

    const std::u16string hidden = u" Texte caché.";
    const auto at = static_cast<std::int32_t>(doc.text.find(hidden));
    ASSERT_GT(at, 0);
    const std::vector<TextSpan> spans = {{at, static_cast<std::int32_t>(hidden.size())}};
    EXPECT_EQ(HiddenSpans(doc), spans);

    int bullets = 0, numbers = 0, rows = 0;
    for (const RichParagraph& p : doc.paragraphs) {
        if (p.format.list.kind == ListKind::Bullet && p.format.list.text == u"\u2022")
            ++bullets;
        if (p.format.list.kind == ListKind::Decimal)
            ++numbers;
        if (p.format.tableRow)
            ++rows;
    }
    EXPECT_EQ(bullets, 2);
    EXPECT_EQ(numbers, 2);
    EXPECT_EQ(rows, 3);
    EXPECT_EQ(doc.paragraphs[0].format.spaceBefore, 240);
    EXPECT_TRUE(doc.paragraphs[0].format.keepWithNext);
    EXPECT_EQ(doc.fonts[doc.defaultFont].name, u"Liberation Sans");
}

} // namespace
} // namespace mirelda
