// The QTextDocument built from the rich-text model answers in the model's numbering: every
// shown character sits where the position map says, hidden text is left out, and formats,
// pictures and lists come through.

#include "core/richtext/rtf_reader.h"
#include "core/richtext/table_plan.h"
#include "core/view/position_map.h"
#include "ui/richtext/font_line_height.h"
#include "ui/richtext/layout_zoom.h"
#include "ui/richtext/picture_object.h"
#include "ui/richtext/picture_painter.h"
#include "ui/richtext/set_rich_text.h"
#include "ui/richtext/shape_object.h"
#include "ui/richtext/text_document_builder.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextImageFormat>
#include <QTextLayout>
#include <QTextList>
#include <QTextTable>
#include <QtTest>

#include <set>

using namespace mirelda::ui;

using namespace mirelda;

namespace {

QChar Expected(char16_t c, bool cellParagraphBreak = false)
{
    if (c == u'\r' || cellParagraphBreak)
        return QChar(QChar::ParagraphSeparator);
    if (c == u'\v')
        return QChar(QChar::LineSeparator);
    return DocumentCharacter(c);
}

bool IsHidden(const RichDocument& model, std::int32_t p)
{
    const CharRun* run = RunAt(model, p);
    return run && run->format.hidden;
}

// Model positions the document has no character for: hidden text, the tabs between table
// cells and the marks that end table rows (but the final mark, the document's own end), and
// the fallbacks of drawn shapes.
std::vector<bool> LeftOut(const RichDocument& model)
{
    std::vector<bool> out(model.text.size(), false);
    for (std::size_t p = 0; p < out.size(); ++p)
        out[p] = IsHidden(model, static_cast<std::int32_t>(p));
    for (const TextSpan& span : ReplacedSpans(model))
        for (std::int32_t p = span.first; p < span.first + span.length; ++p)
            out[static_cast<std::size_t>(p)] = true;
    for (const RichTableRow& row : model.tableRows) {
        for (std::int32_t s : row.separators)
            out[static_cast<std::size_t>(s)] = true;
        if (static_cast<std::size_t>(row.mark) + 1 < out.size())
            out[static_cast<std::size_t>(row.mark)] = true;
    }
    return out;
}

// Walks the model and the document side by side; returns an empty string when they agree,
// else the first disagreement. The document's own characters (table and cell boundaries,
// a block break before a table, a number drawn in front of a paragraph, a drawn shape) stand
// for the model character shown after them.
QString Compare(const RichDocument& model, const QTextDocument& doc, const PositionMap& map)
{
    const auto size = static_cast<std::int32_t>(model.text.size());
    const std::vector<bool> leftOut = LeftOut(model);
    std::set<std::int32_t> breaks; // a cell's paragraph breaks are block separators
    for (const RichTableRow& row : model.tableRows)
        for (const CellParagraphBreak& b : row.paragraphBreaks)
            breaks.insert(b.position);
    std::vector<std::int32_t> modelOf(static_cast<std::size_t>(doc.characterCount()), -1);
    int previous = -1;
    int tabsBlock = -1, tabsInBlock = 0;
    for (std::int32_t p = 0; p < size; ++p) {
        const int d = map.toDocument(p);
        if (leftOut[static_cast<std::size_t>(p)])
            continue;
        if (d <= previous || d >= doc.characterCount())
            return QStringLiteral("model %1 maps to %2, after %3").arg(p).arg(d).arg(previous);
        if (map.toModel(d) != p)
            return QStringLiteral("document %1 maps back to %2, expected %3")
                .arg(d)
                .arg(map.toModel(d))
                .arg(p);
        const QChar got = doc.characterAt(d);
        if (const int block = doc.findBlock(d).blockNumber(); block != tabsBlock) {
            tabsBlock = block;
            tabsInBlock = 0;
        }
        // Past the bound a block shows its tabs as spaces.
        const bool spacedTab = model.text[static_cast<std::size_t>(p)] == u'\t' &&
                               ++tabsInBlock > kMaxTabsPerBlock && got == QChar(QChar::Space);
        if (!spacedTab && got != Expected(model.text[static_cast<std::size_t>(p)], breaks.count(p) != 0))
            return QStringLiteral("model %1: document has U+%2, model U+%3")
                .arg(p)
                .arg(got.unicode(), 4, 16, QLatin1Char('0'))
                .arg(static_cast<unsigned>(model.text[static_cast<std::size_t>(p)]), 4, 16, QLatin1Char('0'));
        modelOf[static_cast<std::size_t>(d)] = p;
        previous = d;
    }
    std::int32_t next = size - 1; // the model character shown after a document-only one
    for (int d = doc.characterCount() - 1; d >= 0; --d) {
        if (modelOf[static_cast<std::size_t>(d)] >= 0) {
            next = modelOf[static_cast<std::size_t>(d)];
            continue;
        }
        const QChar c = doc.characterAt(d);
        const QTextBlock block = doc.findBlock(d);
        const bool drawnNumber = d - block.position() <= block.text().indexOf(QLatin1Char('\t'));
        if (c != QChar(0xFDD0) && c != QChar(0xFDD1) && c != QChar(QChar::ParagraphSeparator) &&
            !drawnNumber && !IsShapeCharacter(doc, d))
            return QStringLiteral("document %1 (U+%2) shows no model character")
                .arg(d)
                .arg(c.unicode(), 4, 16, QLatin1Char('0'));
        if (map.toModel(d) != next)
            return QStringLiteral("document-only %1 maps to %2, expected %3")
                .arg(d)
                .arg(map.toModel(d))
                .arg(next);
    }
    return {};
}

QByteArray PngHex()
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png.toHex();
}

std::string Rtf(const QByteArray& body)
{
    const QByteArray all =
        QByteArrayLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0"
                          "{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern Courier New;}}"
                          "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}") +
        body + "}";
    return all.toStdString();
}

} // namespace

class RichTextAdapterTest : public QObject
{
    Q_OBJECT
  private slots:
    void everySample_documentMatchesModelCharacterByCharacter_data();
    void everySample_documentMatchesModelCharacterByCharacter();
    void hiddenText_leftOutAndCountedInModel_data();
    void hiddenText_leftOutAndCountedInModel();
    void damagedInput_stillAgrees_data();
    void damagedInput_stillAgrees();
    void formats_reachTheDocument();
    void lineSpacing_pitchFollowsTheFontAndTheMultiple();
    void pictures_oneObjectCharacterEach();
    void pictures_drawnInTheirColoursOnEveryDevice_data();
    void pictures_drawnInTheirColoursOnEveryDevice();
    void pictures_decodedPixelsAreBoundedPerDocument();
    void lists_showMarkersWithoutPositions();
    void lists_notFromOne_drawTheirNumber();
    void tables_cellsShadedBorderedAndInColumns_data();
    void tables_cellsShadedBorderedAndInColumns();
    void tables_cellParagraphsKeepTheirOwnFormat();
    void tables_pulledLeftByTheGapAsFarAsTheMarginAllows();
    void setRichText_replacesContentAndOldDocument();
    void wordDocuments_keepFontFamiliesAndSymbols();
    void tables_verticalMergesPaddingAndPageBreaksInCells();
    void pictures_bySignatureFlippedAndAtTheirOwnSize();
    void lists_letterLabelsNumberedByTheList();
    void tables_rowOfManyCellsGoesOnInTheSameColumns();
    void tables_cellsPastTheDocumentsBoundShowAsText();
    void longWords_getBreaksOutsideTheNumbering();
    void manyTabs_pastTheBoundAreSpacesInTheDocumentOnly();
    void pictures_jpegOfAbsurdlyManyScansIsNotDecoded();
    void shapes_drawnFloatingInPlaceOfTheirFallback();
    void nestedTables_drawnInsideTheirCells();
    void nestedTables_mergeAndSpanAsAtTheTop();
};

void RichTextAdapterTest::everySample_documentMatchesModelCharacterByCharacter_data()
{
    // The reader's samples, and the bundled guide's articles: real help text with links,
    // pictures and lists.
    QTest::addColumn<QString>("path");
    int count = 0;
    for (const char* folder : {"/tests/data/rtf", "/help/guide/articles"}) {
        const QDir dir(QStringLiteral(MIRELDA_SOURCE_DIR) + QLatin1String(folder));
        for (const QString& name :
             dir.entryList({QStringLiteral("*.rtf"), QStringLiteral("*.RTF")}, QDir::Files, QDir::Name)) {
            QTest::newRow(qPrintable(QLatin1String(folder + 1) + QLatin1Char('/') + name))
                << dir.filePath(name);
            ++count;
        }
    }
    QVERIFY2(count > 0, "no RTF samples");
}

void RichTextAdapterTest::everySample_documentMatchesModelCharacterByCharacter()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const RichDocument model =
        ReadRtf(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    QTextDocument doc;
    const PositionMap map = BuildTextDocument(model, doc);
    const QString problem = Compare(model, doc, map);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    // Every hyperlink covers the same shown text in both.
    const std::vector<bool> leftOut = LeftOut(model);
    for (const RichHyperlink& link : model.hyperlinks) {
        QString modelText;
        for (std::int32_t p = link.first; p <= link.last; ++p)
            if (!leftOut[static_cast<std::size_t>(p)])
                modelText += Expected(model.text[static_cast<std::size_t>(p)]);
        QTextCursor c(&doc);
        c.setPosition(map.toDocument(link.first));
        c.setPosition(map.toDocumentEnd(link.last + 1), QTextCursor::KeepAnchor);
        QCOMPARE(c.selectedText(), modelText);
    }
    // Every picture is a picture object in the document.
    for (const RichPicture& picture : model.pictures) {
        if (leftOut[static_cast<std::size_t>(picture.position)])
            continue;
        QTextCursor c(&doc);
        c.setPosition(map.toDocument(picture.position) + 1);
        QVERIFY(IsPictureFormat(c.charFormat()));
    }
}

void RichTextAdapterTest::hiddenText_leftOutAndCountedInModel_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("shown");
    QTest::newRow("middle") << QByteArray("ab{\\v cd}ef\\par") << QStringLiteral("abef");
    QTest::newRow("start") << QByteArray("{\\v xx}abc\\par") << QStringLiteral("abc");
    QTest::newRow("across a paragraph mark")
        << QByteArray("ab{\\v c\\par d}e\\par f\\par") << QStringLiteral("abe\u2029f");
    QTest::newRow("end of text, final mark hidden")
        << QByteArray("ab\\par {\\v cd}") << QStringLiteral("ab\u2029");
    QTest::newRow("v0 ends it") << QByteArray("a\\v b\\v0 c\\line d\\tab e\\par")
                                << QStringLiteral("ac\u2028d\te");
}

void RichTextAdapterTest::hiddenText_leftOutAndCountedInModel()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, shown);
    const RichDocument model = ReadRtf(Rtf(body));
    QTextDocument doc;
    const PositionMap map = BuildTextDocument(model, doc);
    QCOMPARE(Compare(model, doc, map), QString());
    QString all;
    for (int d = 0; d < doc.characterCount() - 1; ++d)
        all += doc.characterAt(d);
    QCOMPARE(all, shown);
    QVERIFY(!map.identity());
}

void RichTextAdapterTest::damagedInput_stillAgrees_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::newRow("not rtf") << QByteArray("plain\r\nlines\n");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("truncated") << QByteArray("{\\rtf1 {\\b abc");
    QTest::newRow("deep nesting") << QByteArray("{\\rtf1 ") + QByteArray(20000, '{') + "x" +
                                         QByteArray(20000, '}') + "}";
    QTest::newRow("absurd sizes") << QByteArray(
        "{\\rtf1 \\fs0 a\\fs999999 b\\li-99999999\\sl-2147483648 c\\par"
        "\\sb2147483647\\li2147483647 d\\par\\sb2147483647 e\\par}");
    QTest::newRow("cell paragraphs: first, hidden, absurd") << QByteArray(
        "{\\rtf1\\trowd\\cellx900\\intbl\\par a{\\v b\\par}c\\li2147483647\\sb2147483647\\par d\\cell\\row}");
    QTest::newRow("picture claims a huge size")
        << QByteArray("{\\rtf1 {\\pict\\pngblip\\picwgoal2147483647\\pichgoal2147483647 0011}\\par}");
    QTest::newRow("broken jpeg") << QByteArray("{\\rtf1 {\\pict\\jpegblip\\picscalex0 ffd8ffe0}x\\par}");
    QTest::newRow("control characters") << QByteArray("{\\rtf1 a\\u10 b\\u8233 c\\u65532 d\\u64976 e\\par}");
    QTest::newRow("nul bytes") << QByteArray("{\\rtf1\\ansi{Th\0is\0 is a test}}", 30); // a space each
    QTest::newRow("all hidden") << QByteArray("{\\rtf1\\v a\\par b\\par}");
    QByteArray manyCells("{\\rtf1\\trowd\\cellx100000000\\cellx5\\cellx-7\\intbl ");
    for (int i = 0; i < 200; ++i)
        manyCells += "c\\cell ";
    QTest::newRow("table: many cells, edges out of order") << manyCells + "\\row}";
    QTest::newRow("table: first and last, hidden marks and tabs")
        << QByteArray("{\\rtf1\\trowd\\clmrg\\cellx500\\clmrg\\cellx900\\intbl a{\\v\\cell b\\row}c\\cell"
                      "\\row\\trowd\\trleft400\\cellx800\\intbl{\\v x}\\cell\\row}");
    QTest::newRow("table: cells without rows, rows without cells") << QByteArray(
        "{\\rtf1 a\\cell b\\par\\row\\row\\intbl c\\par\\pard d\\nestcell e\\nestrow\\cell\\row}");
    QTest::newRow("shapes: in cells, hidden, in groups, absurd") << QByteArray(
        "{\\rtf1\\trowd\\cellx900\\intbl a{\\shp{\\*\\shpinst\\shpleft-99999999\\shpright99999999"
        "{\\shptxt box}}{\\shprslt r\\par}}\\cell\\row{\\v{\\shp{\\*\\shpinst{\\shptxt hidden}}}h}"
        "{\\shpgrp{\\*\\shpinst{\\sp{\\sn groupRight}{\\sv 0}}{\\shp{\\*\\shpinst{\\shptxt g}}}}"
        "{\\shprslt\\par x{\\v y\\par}}}z{\\shp{\\*\\shpinst{\\sp{\\sn fPseudoInline}{\\sv 1}}"
        "{\\shptxt i}}}\\par{\\*\\do\\dptxbx{\\dptxbxtext d}}}");
    QTest::newRow("nested tables: outside tables, hidden tabs, deep, unended") << QByteArray(
        "{\\rtf1\\pard\\itap2 a\\nestcell b\\par\\trowd\\cellx900\\intbl\\itap3 c{\\v\\nestcell}d\\nestcell"
        "\\itap2 e\\nestcell\\itap9 f\\nestcell{\\*\\nesttableprops\\nestrow}\\itap1\\cell\\itap2 g\\nestcell"
        "\\row\\pard h\\par}");
    QTest::newRow("numbered paragraph opening with a floating shape") << QByteArray(
        "{\\rtf1 a\\par{\\*\\pn\\pnlvlbody\\pndec\\pnstart7}{\\shp{\\*\\shpinst\\shpright900\\shpbottom900"
        "{\\shptxt box}}}seven\\par}");
    QTest::newRow("numbers not from one") << QByteArray(
        "{\\rtf1 "
        "{\\*\\pn\\pnlvlbody\\pndec\\pnstart7}seven\\par{\\*\\pn\\pnlvlbody\\pnlcrm\\pnstart4}iv\\par}");
}

void RichTextAdapterTest::damagedInput_stillAgrees()
{
    QFETCH(QByteArray, rtf);
    const RichDocument model =
        ReadRtf(std::string_view(rtf.constData(), static_cast<std::size_t>(rtf.size())));
    QTextDocument doc;
    const PositionMap map = BuildTextDocument(model, doc);
    QCOMPARE(Compare(model, doc, map), QString());
    // Laid out without runaway sizes.
    QVERIFY(doc.size().width() < 40000);
    QVERIFY(doc.size().height() < 100000);
}

void RichTextAdapterTest::formats_reachTheDocument()
{
    const RichDocument model = ReadRtf(
        Rtf("\\pard\\qc\\li1440\\sb240 {\\b bold}{\\i ital}{\\ul und}{\\strike st}{\\cf1 red}{\\super s}"
            "{\\f1\\fs40 big}{\\caps cap}\\par"
            "\\pard\\tx2880 a\\tab b\\par"));
    QTextDocument doc;
    BuildTextDocument(model, doc);
    auto formatAt = [&](int p) {
        QTextCursor c(&doc);
        c.setPosition(p + 1); // the format of the character before the cursor
        return c.charFormat();
    };
    QCOMPARE(formatAt(0).fontWeight(), int(QFont::Bold));
    QVERIFY(!formatAt(4).font().bold());
    QVERIFY(formatAt(4).fontItalic());
    QVERIFY(formatAt(8).fontUnderline());
    QVERIFY(formatAt(11).fontStrikeOut());
    QCOMPARE(formatAt(13).foreground().color(), QColor(255, 0, 0));
    QCOMPARE(formatAt(16).verticalAlignment(), QTextCharFormat::AlignSuperScript);
    QCOMPARE(formatAt(17).fontPointSize(), 20.0);
    QVERIFY(formatAt(17).fontFamilies().toStringList().contains(QStringLiteral("Courier New")));
    QCOMPARE(formatAt(20).fontCapitalization(), QFont::AllUppercase);
    const QTextBlockFormat first = doc.firstBlock().blockFormat();
    QCOMPARE(first.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QCOMPARE(first.leftMargin(), 96.0);
    QCOMPARE(first.topMargin(), 16.0);
    const QTextBlockFormat second = doc.firstBlock().next().blockFormat();
    QCOMPARE(second.tabPositions().size(), 1);
    QCOMPARE(second.tabPositions().first().position, 192.0);
}

// Word's default Calibri 11 pt, each spacing a paragraph of eight lines: single lines are as
// tall as the font means them (Qt drew Calibri's lines a fifth taller, its line gap twice),
// multiples are that many single lines, an exact height is that height, an at-least height the
// larger of it and a single line; a picture keeps its whole line. No font is assumed: whatever
// Calibri resolves to is measured.
void RichTextAdapterTest::lineSpacing_pitchFollowsTheFontAndTheMultiple()
{
    const auto pitch = [](const QByteArray& spacing, qreal* intended = nullptr) {
        QByteArray body =
            "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Calibri;}}\\pard\\f0\\fs22" + spacing + " ";
        for (int i = 0; i < 8; ++i)
            body += "line\\line ";
        const RichDocument model = ReadRtf((body + "\\par}").toStdString());
        QTextDocument doc;
        BuildTextDocument(model, doc);
        doc.setTextWidth(600);
        doc.documentLayout()->documentSize();
        const QTextLayout* layout = doc.firstBlock().layout();
        if (intended)
            *intended = LineHeightOf(doc.firstBlock().begin().fragment().charFormat().font().resolve(
                                         doc.defaultFont()))
                            .intended;
        return layout->lineCount() < 8 ? 0.0 : (layout->lineAt(7).y() - layout->lineAt(0).y()) / 7;
    };
    qreal intended = 0;
    const qreal single = pitch("", &intended);
    QVERIFY2(qAbs(single - intended) <= 1, qPrintable(QStringLiteral("%1 %2").arg(single).arg(intended)));
    const auto near = [&](qreal got, qreal expected) {
        return qAbs(got - expected) <= 1 ? QString()
                                         : QStringLiteral("%1, expected %2").arg(got).arg(expected);
    };
    QCOMPARE(near(pitch("\\sl259\\slmult1"), single * 259 / 240), QString());
    QCOMPARE(near(pitch("\\sl360\\slmult1"), single * 1.5), QString());
    QCOMPARE(near(pitch("\\sl480\\slmult1"), single * 2), QString());
    QCOMPARE(near(pitch("\\sl-300\\slmult0"), 20), QString());
    QCOMPARE(near(pitch("\\sl300\\slmult0"), std::max(20.0, single)), QString());
    QCOMPARE(near(pitch("\\sl600\\slmult0"), 40), QString());
    // Every line is as tall as its own font means, one of a bigger font or of another family in
    // the paragraph or not; an at-least height holds for every line.
    for (const QByteArray& spacing : {QByteArray(), QByteArray("\\sl300\\slmult0")}) {
        const RichDocument mixed =
            ReadRtf(("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Calibri;}{\\f1\\fmodern Courier New;}}"
                     "\\pard\\f0\\fs22" +
                     spacing + " {\\fs60 A}\\line b\\line c\\line {\\f1 d\\line e}\\par}")
                        .toStdString());
        QTextDocument doc;
        BuildTextDocument(mixed, doc);
        doc.setTextWidth(600);
        doc.documentLayout()->documentSize();
        const QTextLayout* layout = doc.firstBlock().layout();
        QCOMPARE(layout->lineCount(), 5);
        const qreal least = spacing.isEmpty() ? 0.0 : 20.0;
        const auto meant = [&](int line) {
            const QTextBlock block = doc.firstBlock();
            const int at = block.position() + layout->lineAt(line).textStart();
            QTextCursor c(&doc);
            c.setPosition(at + 1);
            return std::max(least, LineHeightOf(c.charFormat().font().resolve(doc.defaultFont())).intended);
        };
        for (const int line : {1, 3}) {
            const qreal pitch = layout->lineAt(line + 1).y() - layout->lineAt(line).y();
            QCOMPARE(near(std::min(pitch, meant(line)), meant(line)), QString());
        }
    }
    // A picture taller than the text keeps its whole line: the next line starts below it.
    const RichDocument model = ReadRtf("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss "
                                       "Calibri;}}\\pard\\f0\\fs22 a{\\pict\\pngblip\\picwgoal900"
                                       "\\pichgoal900 " +
                                       PngHex().toStdString() + "}\\line b\\par}");
    QTextDocument doc;
    BuildTextDocument(model, doc);
    doc.setTextWidth(600);
    doc.documentLayout()->documentSize();
    const QTextLayout* layout = doc.firstBlock().layout();
    QCOMPARE(layout->lineCount(), 2);
    QVERIFY2(layout->lineAt(1).y() >= 60, qPrintable(QString::number(layout->lineAt(1).y())));
}

void RichTextAdapterTest::pictures_oneObjectCharacterEach()
{
    const QByteArray body = "a{\\pict\\pngblip\\picwgoal600\\pichgoal450 " + PngHex() +
                            "}b{\\pict\\wmetafile8\\picw100\\pich50 0102}c\\par";
    const RichDocument model = ReadRtf(Rtf(body));
    QTextDocument doc;
    const PositionMap map = BuildTextDocument(model, doc);
    QCOMPARE(Compare(model, doc, map), QString());
    QCOMPARE(doc.characterCount(), 6);
    for (int p : {1, 3}) {
        QCOMPARE(doc.characterAt(p), QChar(QChar::ObjectReplacementCharacter));
        QTextCursor c(&doc);
        c.setPosition(p + 1);
        const QTextImageFormat image = c.charFormat().toImageFormat();
        QVERIFY(image.isValid());
        const QVariant resource = doc.resource(QTextDocument::ImageResource, QUrl(image.name()));
        QVERIFY(!resource.value<QImage>().isNull());
        if (p == 1) {
            QCOMPARE(image.width(), 40.0); // 600 twips
            QCOMPARE(image.height(), 30.0);
            QCOMPARE(resource.value<QImage>().size(), QSize(4, 3));
        }
    }
}

void RichTextAdapterTest::pictures_drawnInTheirColoursOnEveryDevice_data()
{
    // A sample, which of its pictures, a point inside it (share of its width and height) and
    // the colour drawn there; on a screen at pixel ratio 1 and 2, and on a 300-dpi device as
    // a printer is.
    QTest::addColumn<QString>("sample");
    QTest::addColumn<int>("picture");
    QTest::addColumn<QPointF>("at");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<int>("dpi");
    const QColor red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255), white(255, 255, 255), black(0, 0, 0);
    struct Row
    {
        const char* name;
        const char* sample;
        int picture;
        QPointF at;
        QColor colour;
    };
    const Row rows[] = {
        {"wmf rectangle", "libreoffice_pictures", 0, {0.5, 0.5}, red},
        {"wmf margin", "libreoffice_pictures", 0, {0.05, 0.05}, white},
        {"dib rle8", "libreoffice_pictures", 1, {0.5, 0.5}, blue},
        {"dib 24 bottom-up", "libreoffice_pictures", 2, {0.5, 0.5}, blue},
        {"dib 8 top-down", "libreoffice_pictures", 3, {0.5, 0.5}, blue},
        {"device bitmap", "libreoffice_pictures", 4, {0.5, 0.5}, black},
        {"emf rectangle", "word_pictures", 0, {0.5, 0.5}, green},
        {"emf margin", "word_pictures", 0, {0.05, 0.95}, white},
        {"dib 24 top-down scaled", "word_pictures", 1, {0.5, 0.5}, blue},
        {"wmf with dib inside", "wordpad_pictures", 0, {0.5, 0.5}, blue},
        {"wmf around the dib", "wordpad_pictures", 0, {0.2, 0.2}, red},
        {"png flipped, red half", "word_features", 0, {0.75, 0.5}, red},
        {"png flipped, blue half", "word_features", 0, {0.25, 0.5}, blue},
        {"wmf flipped, red half", "word_features", 1, {0.75, 0.5}, red},
        {"wmf flipped, empty half", "word_features", 1, {0.25, 0.5}, white},
    };
    for (const Row& row : rows) {
        for (const auto& [device, ratio, dpi] :
             {std::tuple{"1x", 1.0, 96}, {"2x", 2.0, 96}, {"300 dpi", 1.0, 300}}) {
            QTest::newRow(
                qPrintable(QStringLiteral("%1 %2").arg(QLatin1String(row.name), QLatin1String(device))))
                << QString::fromLatin1(row.sample) << row.picture << row.at << row.colour << ratio << dpi;
        }
    }
}

void RichTextAdapterTest::pictures_drawnInTheirColoursOnEveryDevice()
{
    QFETCH(QString, sample);
    QFETCH(int, picture);
    QFETCH(QPointF, at);
    QFETCH(QColor, colour);
    QFETCH(double, ratio);
    QFETCH(int, dpi);
    QFile file(QStringLiteral(MIRELDA_SOURCE_DIR "/tests/data/rtf/") + sample + QStringLiteral(".rtf"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const RichDocument model =
        ReadRtf(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    QVERIFY(picture < static_cast<int>(model.pictures.size()));

    const double scale = dpi / 96.0;
    QImage image(QSize(900, 700) * scale * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&image);
    const PositionMap map = BuildTextDocument(model, doc, dpi);
    doc.setTextWidth(image.width() / ratio);
    QPainter painter(&image);
    doc.drawContents(&painter);
    painter.end();

    // The picture's rectangle: it stands on its line's baseline.
    const int position = map.toDocument(model.pictures[static_cast<std::size_t>(picture)].position);
    const QTextBlock block = doc.findBlock(position);
    const QTextLayout* layout = block.layout();
    const QTextLine line = layout->lineForTextPosition(position - block.position());
    QTextCursor c(&doc);
    c.setPosition(position + 1);
    QVERIFY(IsPictureFormat(c.charFormat()));
    const QTextImageFormat format = c.charFormat().toImageFormat();
    const QSizeF size(format.width() * scale, format.height() * scale);
    const QPointF topLeft = layout->position() + QPointF(line.cursorToX(position - block.position()),
                                                         line.y() + line.ascent() - size.height());
    const QPoint pixel =
        ((topLeft + QPointF(size.width() * at.x(), size.height() * at.y())) * ratio).toPoint();
    const QColor got = image.pixelColor(pixel);
    const auto near = [](int a, int b) { return qAbs(a - b) <= 8; };
    QVERIFY2(near(got.red(), colour.red()) && near(got.green(), colour.green()) &&
                 near(got.blue(), colour.blue()),
             qPrintable(QStringLiteral("%1 at (%2, %3)").arg(got.name()).arg(pixel.x()).arg(pixel.y())));

    // The view's control keeps the document's layout, and with it the metafile handler.
    if (format.objectType() == kMetafileObjectType) {
        QTextEdit edit;
        SetRichText(edit, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        QVERIFY(edit.document()->documentLayout()->handlerForObject(kMetafileObjectType));
    }
}

void RichTextAdapterTest::pictures_decodedPixelsAreBoundedPerDocument()
{
    // A run-length coded DIB of 4096 x 4096 pixels in 46 bytes: 8 bits, RLE8, one colour, and
    // only the end-of-bitmap code. Four fill the document's budget; the fifth is a placeholder.
    QByteArray dib;
    QDataStream out(&dib, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint32(40) << qint32(4096) << qint32(4096) << quint16(1) << quint16(8) << quint32(1) << quint32(2)
        << qint32(0) << qint32(0) << quint32(1) << quint32(0) << quint32(0x00FF0000) << quint8(0)
        << quint8(1);
    QByteArray body;
    for (int i = 0; i < 5; ++i)
        body += "{\\pict\\dibitmap0 " + dib.toHex() + "}";
    const RichDocument model = ReadRtf(Rtf(body));
    QCOMPARE(model.pictures.size(), std::size_t{5});
    QTextDocument doc;
    BuildTextDocument(model, doc);
    for (int p = 0; p < 5; ++p) {
        QTextCursor c(&doc);
        c.setPosition(p + 1);
        const QImage image =
            doc.resource(QTextDocument::ImageResource, QUrl(c.charFormat().toImageFormat().name()))
                .value<QImage>();
        QCOMPARE(image.width(), p < 4 ? 4096 : 32); // the placeholder
    }
}

void RichTextAdapterTest::lists_showMarkersWithoutPositions()
{
    const RichDocument model =
        ReadRtf(Rtf("{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec\\pnstart1\\pntxta .}one\\par"
                    "{\\pntext 2.\\tab}{\\*\\pn\\pnlvlbody\\pndec\\pnstart1\\pntxta .}two\\par"
                    "\\pard plain\\par"));
    QTextDocument doc;
    const PositionMap map = BuildTextDocument(model, doc);
    QCOMPARE(Compare(model, doc, map), QString());
    QCOMPARE(doc.blockCount(), 3);
    const QTextBlock one = doc.firstBlock();
    QVERIFY(one.textList());
    QCOMPARE(one.textList(), one.next().textList());
    QCOMPARE(one.textList()->itemText(one.next()), QStringLiteral("2."));
    QVERIFY(!one.next().next().textList());
}

void RichTextAdapterTest::lists_notFromOne_drawTheirNumber()
{
    // The old numbering starting at 3, a list of the new kind whose text says 3., then 1.
    const RichDocument model =
        ReadRtf(Rtf("{\\*\\pn\\pnlvlbody\\pndec\\pnstart3\\pnindent360{\\pntxta .}}\\fi-360\\li720 three\\par"
                    "{\\*\\pn\\pnlvlbody\\pndec\\pnstart3\\pnindent360{\\pntxta .}}four\\par\\pard "
                    "{\\listtext 7.\\tab}\\ls1\\fi-360\\li720 seven\\par\\pard "
                    "{\\*\\pn\\pnlvlbody\\pndec\\pnstart1{\\pntxta .}}one\\par"));
    QTextDocument doc;
    const PositionMap map = BuildTextDocument(model, doc);
    QCOMPARE(Compare(model, doc, map), QString());
    const QTextBlock three = doc.firstBlock();
    QCOMPARE(three.text(), QStringLiteral("3.\tthree"));
    QVERIFY(!three.textList());
    QCOMPARE(three.next().text(), QStringLiteral("4.\tfour"));
    QCOMPARE(three.next().next().text(), QStringLiteral("7.\tseven"));
    QVERIFY(three.next().next().next().textList()); // 1 is the list's own
    // The number takes no model position: the paragraph's text starts after it.
    QCOMPARE(map.toDocument(0), 3);
    QCOMPARE(map.toModel(0), 0);
    // The text starts at the left indent, the number hangs before it.
    doc.setTextWidth(400);
    doc.documentLayout()->documentSize(); // lays everything out
    const QTextLine line = three.layout()->lineAt(0);
    QVERIFY(qAbs(line.cursorToX(3) - 48) < 1.5); // 720 twips
    QVERIFY(line.cursorToX(0) < 30);
}

void RichTextAdapterTest::tables_cellsShadedBorderedAndInColumns_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("1x") << qreal(1);
    QTest::newRow("2x") << qreal(2);
}

// Yellow cells with a black top border over the whole row; the second cell's text starts at
// the first cell's edge (3000 twips, 200 px) plus the gap, and its second paragraph stays there.
void RichTextAdapterTest::tables_cellsShadedBorderedAndInColumns()
{
    QFETCH(qreal, ratio);
    const std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss "
                            "Arial;}}{\\colortbl;\\red255\\green255\\blue0;\\red0\\green0\\blue0;}"
                            "\\trowd\\trgaph100\\trleft-100"
                            "\\clbrdrt\\brdrs\\brdrw30\\brdrcf2\\clcbpat1\\cellx3000\\clbrdrt\\brdrs\\brdrw30"
                            "\\brdrcf2\\clcbpat1\\cellx6000"
                            "\\intbl A\\cell B\\par Second\\cell\\row\\pard after\\par}";
    const RichDocument model = ReadRtf(rtf);
    QTextDocument doc;
    const PositionMap map = BuildTextDocument(model, doc);
    QCOMPARE(Compare(model, doc, map), QString());
    doc.setTextWidth(600);
    doc.documentLayout()->documentSize();
    QImage image(QSize(600, 200) * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        doc.drawContents(&painter);
    }
    const auto place = [&](std::int32_t model) { // where the model character is drawn
        const QTextBlock block = doc.findBlock(map.toDocument(model));
        const QRectF rect = doc.documentLayout()->blockBoundingRect(block);
        const QTextLine line = block.layout()->lineForTextPosition(map.toDocument(model) - block.position());
        return QPointF(rect.left() + line.cursorToX(map.toDocument(model) - block.position()),
                       rect.top() + line.y());
    };
    const auto pixel = [&](qreal x, qreal y) {
        return image.pixelColor(QPoint(qRound(x * ratio), qRound(y * ratio)));
    };
    const QPointF a = place(0); // "A\tB\vSecond\r"
    const QPointF b = place(2);
    const QPointF second = place(4);
    QVERIFY2(qAbs(b.x() - (4 + 200 + 100 / 15.0)) < 2, qPrintable(QString::number(b.x())));
    QCOMPARE(second.x(), b.x());
    QVERIFY(second.y() > b.y());
    QCOMPARE(a.y(), b.y());
    // Shading, away from the text, in both cells.
    for (qreal x : {150.0, 390.0})
        QCOMPARE(pixel(x, second.y() + 5), QColor(255, 255, 0));
    // The top border: dark from the row's left edge to its right edge, just above the text.
    int dark = 0;
    for (qreal x = 6; x <= 402; x += 1) {
        bool found = false;
        for (qreal y = a.y() - 4; y <= a.y() + 1 && !found; y += 0.5)
            found = pixel(x, y).lightness() < 80;
        dark += found ? 1 : 0;
    }
    QCOMPARE(dark, 397);
    // Below the table the text is no longer shaded.
    QCOMPARE(pixel(150, place(11).y() + 5), QColor(Qt::white));
}

// Two paragraphs in one cell, the first right-aligned with space after it, the second
// left-aligned with a \line in it: the \par is a block of its own, the \line a line break.
void RichTextAdapterTest::tables_cellParagraphsKeepTheirOwnFormat()
{
    const RichDocument model =
        ReadRtf(Rtf("\\trowd\\trgaph100\\cellx3000\\cellx6000"
                    "\\pard\\intbl\\qr\\sa300 Right\\par\\pard\\intbl\\ql Left\\line more\\cell"
                    " B\\cell\\row\\pard after\\par"));
    QCOMPARE(model.text, std::u16string(u"Right\vLeft\vmore\tB\rafter\r"));
    QTextDocument doc;
    const PositionMap map = BuildTextDocument(model, doc);
    QCOMPARE(Compare(model, doc, map), QString());
    doc.setTextWidth(600);
    doc.documentLayout()->documentSize();
    const auto block = [&](std::int32_t p) { return doc.findBlock(map.toDocument(p)); };
    const auto place = [&](std::int32_t p) {
        const QTextBlock b = block(p);
        const int at = map.toDocument(p) - b.position();
        const QTextLine line = b.layout()->lineForTextPosition(at);
        const QRectF rect = doc.documentLayout()->blockBoundingRect(b);
        return QPointF(rect.left() + line.cursorToX(at), rect.top() + line.y());
    };
    QCOMPARE(doc.characterAt(map.toDocument(5)), QChar(QChar::ParagraphSeparator));
    QCOMPARE(doc.characterAt(map.toDocument(10)), QChar(QChar::LineSeparator));
    QVERIFY(block(0) != block(6));
    QVERIFY(block(6) == block(11));
    QCOMPARE(block(0).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    QCOMPARE(block(6).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    // "Right" ends at the cell's right edge (the 4 px margin, 200 px less the gap), "Left"
    // starts at its left.
    QVERIFY2(qAbs(place(5).x() - (4 + 200 - 100 / 15.0)) < 2, qPrintable(QString::number(place(5).x())));
    QVERIFY2(place(6).x() < 12, qPrintable(QString::number(place(6).x())));
    QCOMPARE(place(11).x(), place(6).x());
    // 300 twips (20 px) after the first paragraph, more than a line's step.
    const qreal step = place(11).y() - place(6).y();
    QVERIFY2(place(6).y() - place(0).y() >= step + 19,
             qPrintable(QString::number(place(6).y() - place(0).y())));
}

// Word's \\trleft of minus the gap: the cells' text lines up with the paragraph above, the
// table's border in the document's margin; where the margin is narrower than the gap the
// table starts at the document's edge, never left of it, at any zoom. The second cell stays
// where its edge says.
void RichTextAdapterTest::tables_pulledLeftByTheGapAsFarAsTheMarginAllows()
{
    const RichDocument model =
        ReadRtf(Rtf("\\pard before\\par\\trowd\\trgaph108\\trleft-108\\clbrdrl\\brdrs"
                    "\\cellx3000\\cellx6000\\intbl A\\cell B\\cell\\row\\pard after\\par"));
    const qreal gap = 108 / 15.0;
    for (const qreal margin : {4.0, 12.0}) {
        for (const qreal zoom : {1.0, 2.0}) {
            QTextDocument doc;
            doc.setDocumentMargin(margin);
            const PositionMap map = BuildTextDocument(model, doc);
            QCOMPARE(Compare(model, doc, map), QString());
            if (zoom != 1)
                ScaleLayoutLengths(doc, zoom);
            doc.setTextWidth(800);
            const auto x = [&](std::int32_t p) {
                const QTextBlock block = doc.findBlock(map.toDocument(p));
                const QTextLine line =
                    block.layout()->lineForTextPosition(map.toDocument(p) - block.position());
                return doc.documentLayout()->blockBoundingRect(block).left() +
                       line.cursorToX(map.toDocument(p) - block.position());
            };
            // The table's left border: the first dark pixel across A's line.
            const QTextBlock a = doc.findBlock(map.toDocument(7));
            const QRectF aRect = doc.documentLayout()->blockBoundingRect(a);
            QImage image(820, int(aRect.bottom()) + 4, QImage::Format_RGB32);
            image.fill(Qt::white);
            {
                QPainter painter(&image);
                doc.drawContents(&painter);
            }
            int border = 0;
            while (border < 100 && image.pixelColor(border, int(aRect.center().y())).lightness() > 80)
                ++border;
            const QString where = QStringLiteral("margin %1 zoom %2: border at %3, A at %4, before at %5")
                                      .arg(margin)
                                      .arg(zoom)
                                      .arg(border)
                                      .arg(x(7))
                                      .arg(x(0));
            QVERIFY2(qAbs(border - std::max(0.0, margin - gap * zoom)) <= 1, qPrintable(where));
            // The cell's text starts past the border and the gap: where the paragraph's does when
            // the margin holds the gap.
            QVERIFY2(x(7) - border >= gap * zoom && x(7) - border < gap * zoom + 3, qPrintable(where));
            if (margin >= gap * zoom)
                QVERIFY2(qAbs(x(7) - x(0)) < 2, qPrintable(where));
            QVERIFY2(qAbs(x(9) - (margin + (3000 + 108) * zoom / 15.0)) < 2, qPrintable(where));
        }
    }
}

void RichTextAdapterTest::tables_rowOfManyCellsGoesOnInTheSameColumns()
{
    // One row of 150 cells over 2 definitions: rows of 64 cells in the same table, each cell
    // its own (before, cells past the 64th ran together into the last one, and so did those
    // past the widest table).
    QByteArray body = "\\trowd\\cellx1000\\cellx2000\\intbl ";
    for (int i = 0; i < 150; ++i) // cell 64 starts with a paragraph break, cell 70 holds one
        body += QByteArray(i == 64 ? "\\par " : "") + "c" + QByteArray::number(i) +
                (i == 70 ? "\\par x" : "") + "\\cell ";
    const RichDocument model = ReadRtf(Rtf(body + "\\row\\pard after\\par"));
    QCOMPARE(model.tableRows.size(), std::size_t{1});
    QTextDocument doc;
    const PositionMap map = BuildTextDocument(model, doc);
    QCOMPARE(Compare(model, doc, map), QString());
    QTextTable* table = QTextCursor(&doc).currentTable();
    for (QTextBlock b = doc.begin(); !table && b.isValid(); b = b.next())
        table = QTextCursor(b).currentTable();
    QVERIFY(table);
    QCOMPARE(table->rows(), 3);
    QCOMPARE(table->columns(), 64);
    const auto text = [&](int row, int column) {
        QTextCursor c = table->cellAt(row, column).firstCursorPosition();
        c.setPosition(table->cellAt(row, column).lastCursorPosition().position(), QTextCursor::KeepAnchor);
        return c.selectedText();
    };
    QCOMPARE(text(0, 0), QStringLiteral("c0"));
    QCOMPARE(text(0, 63), QStringLiteral("c63"));
    QCOMPARE(text(1, 0), QStringLiteral("\u2029c64"));
    QCOMPARE(text(1, 6), QStringLiteral("c70\u2029x"));
    QCOMPARE(text(2, 21), QStringLiteral("c149"));
    QCOMPARE(text(2, 22), QString());
}

void RichTextAdapterTest::tables_cellsPastTheDocumentsBoundShowAsText()
{
    // 201 rows of 50 cells: the first 200 fill the bound and make the table; the last row is
    // text, its cells separated by the tabs the model has.
    QByteArray body;
    for (int r = 0; r <= 200; ++r) {
        body += "\\trowd\\cellx1000\\intbl ";
        for (int c = 0; c < 50; ++c)
            body += "c" + QByteArray::number(c) + "\\cell ";
        body += "\\row ";
    }
    const RichDocument model = ReadRtf(Rtf(body + "\\pard after\\par"));
    QCOMPARE(model.tableRows.size() * 50, kMaxDocumentTableCells + 50);
    QTextDocument doc;
    const PositionMap map = BuildTextDocument(model, doc);
    QTextTable* table = QTextCursor(doc.begin()).currentTable();
    for (QTextBlock b = doc.begin(); !table && b.isValid(); b = b.next())
        table = QTextCursor(b).currentTable();
    QVERIFY(table);
    QCOMPARE(table->rows(), 200);
    const RichTableRow& last = model.tableRows.back();
    const QTextBlock text = doc.findBlock(map.toDocument(last.start));
    QVERIFY(!QTextCursor(text).currentTable());
    QVERIFY(text.text().startsWith(QStringLiteral("c0\tc1\tc2\t")));
    QCOMPARE(doc.characterAt(map.toDocument(last.separators[0])), QChar(u'\t'));
    QCOMPARE(map.toModel(map.toDocument(last.separators[0])), last.separators[0]);
    QCOMPARE(text.next().text(), QStringLiteral("after"));

    // Tables inside cells share the bound, each of their cells counting kNestedCellCost: the
    // rows that fit with the outer cell make the table; the rows after show in the outer cell,
    // their cells' tabs as they are.
    QByteArray nestedBody = "\\trowd\\cellx9000\\pard\\intbl\\itap2 ";
    for (int r = 0; r <= 200; ++r) {
        for (int c = 0; c < 50; ++c)
            nestedBody += "c" + QByteArray::number(c) + "\\nestcell ";
        nestedBody += "{\\*\\nesttableprops\\trowd\\cellx1000\\nestrow}";
    }
    const RichDocument nested = ReadRtf(Rtf(nestedBody + "\\pard\\intbl\\itap1 \\cell\\row"));
    QCOMPARE(nested.nestedRows.size(), 201u);
    QTextDocument nestedDoc;
    const PositionMap nestedMap = BuildTextDocument(nested, nestedDoc);
    QCOMPARE(Compare(nested, nestedDoc, nestedMap), QString());
    QTextCursor c(&nestedDoc);
    c.setPosition(nestedMap.toDocument(nested.nestedRows.front().start));
    QTextTable* inner = c.currentTable();
    QVERIFY(inner && inner->parentFrame() != nestedDoc.rootFrame());
    const auto fit = static_cast<int>((kMaxDocumentTableCells - 1) / (50 * kNestedCellCost));
    QVERIFY(fit > 1 && fit < 200);
    QCOMPARE(inner->rows(), fit);
    c.setPosition(nestedMap.toDocument(nested.nestedRows[static_cast<std::size_t>(fit)].start));
    QCOMPARE(c.currentTable(), qobject_cast<QTextTable*>(inner->parentFrame()));

    // Each level deeper counts twice as much again: rows of one cell at depth 4.
    QByteArray deepBody = "\\trowd\\cellx9000";
    for (int r = 0; r < 1000; ++r)
        deepBody += "\\pard\\intbl\\itap4 x\\nestcell{\\*\\nesttableprops\\trowd\\cellx100\\nestrow}";
    const RichDocument deep = ReadRtf(Rtf(deepBody + "\\pard\\intbl\\itap1 \\cell\\row"));
    QCOMPARE(deep.nestedRows.size(), 1002u); // a row at depths 2 and 3 holds them
    QCOMPARE(deep.nestedRows[2].depth, 4);
    QTextDocument deepDoc;
    const PositionMap deepMap = BuildTextDocument(deep, deepDoc);
    c = QTextCursor(&deepDoc);
    c.setPosition(deepMap.toDocument(deep.nestedRows[2].start));
    QVERIFY(c.currentTable());
    QCOMPARE(NestedCellCost(4), 4 * kNestedCellCost);
    const std::size_t outer = 1 + NestedCellCost(2) + NestedCellCost(3);
    QCOMPARE(c.currentTable()->rows(),
             static_cast<int>((kMaxDocumentTableCells - outer) / NestedCellCost(4)));
}

void RichTextAdapterTest::manyTabs_pastTheBoundAreSpacesInTheDocumentOnly()
{
    // Two paragraphs of kMaxTabsPerBlock + 100 tabs, the first with line breaks among them:
    // each block shows kMaxTabsPerBlock tabs, the rest as spaces, at the model's positions.
    QByteArray body;
    for (int i = 0; i < kMaxTabsPerBlock + 100; ++i)
        body += i % 3 == 0 ? "\\tab x\\line " : "\\tab ";
    body += "\\par ";
    body += QByteArray("\\tab ").repeated(kMaxTabsPerBlock + 100);
    const RichDocument model = ReadRtf(Rtf(body));
    QTextDocument doc;
    const PositionMap map = BuildTextDocument(model, doc);
    QCOMPARE(doc.characterCount(), static_cast<int>(model.text.size()));
    const QTextBlock first = doc.begin();
    QCOMPARE(first.text().count(QLatin1Char('\t')), kMaxTabsPerBlock);
    QCOMPARE(first.next().text().count(QLatin1Char('\t')), kMaxTabsPerBlock);
    QCOMPARE(first.next().text().count(QLatin1Char(' ')), 100);
    QCOMPARE(doc.characterAt(map.toDocument(static_cast<std::int32_t>(model.text.size()) - 2)),
             QChar(QChar::Space));
    QCOMPARE(model.text[model.text.size() - 2], u'\t');
}

void RichTextAdapterTest::longWords_getBreaksOutsideTheNumbering()
{
    // A word of 5000 characters across two formats gets a zero-width space before its
    // characters 2000 and 4000, in the document only; a word of 2000 gets none.
    const QByteArray body =
        QByteArray(1500, 'x') + "{\\b " + QByteArray(3500, 'y') + "} " + QByteArray(2000, 'z') + "\\par";
    const RichDocument model = ReadRtf(Rtf(body));
    QCOMPARE(model.text.size(), std::size_t{7002});
    QTextDocument doc;
    const PositionMap map = BuildTextDocument(model, doc);
    const QString text = doc.toPlainText();
    QCOMPARE(text.count(QChar(0x200B)), 2);
    QCOMPARE(text.indexOf(QChar(0x200B)), 2000);
    QCOMPARE(text.indexOf(QChar(0x200B), 2001), 4001);
    bool agree = true;
    for (std::size_t p = 0; p + 1 < model.text.size(); ++p)
        agree =
            agree && doc.characterAt(map.toDocument(static_cast<std::int32_t>(p))) == Expected(model.text[p]);
    QVERIFY(agree);
    QCOMPARE(map.toDocument(2000), 2001);
    QCOMPARE(map.toModel(2000), 2000); // the break stands for the character after it
    QCOMPARE(map.toModel(4001), 4000);
}

void RichTextAdapterTest::pictures_jpegOfAbsurdlyManyScansIsNotDecoded()
{
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPEG");
    writer.setProgressiveScanWrite(true);
    QVERIFY(writer.write(picture));
    // The same last scan again and again: a decoder goes over the whole picture for each.
    const qsizetype lastScan = jpeg.lastIndexOf("\xFF\xDA");
    QVERIFY(lastScan > 0 && jpeg.endsWith("\xFF\xD9"));
    const QByteArray scan = jpeg.mid(lastScan, jpeg.size() - 2 - lastScan);
    QByteArray hostile = jpeg.left(jpeg.size() - 2);
    for (int i = 0; i < 200; ++i)
        hostile += scan;
    hostile += "\xFF\xD9";
    const auto decode = [](const QByteArray& bytes, const char* format) {
        std::int64_t budget = 1 << 20;
        return DecodeImage(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                     static_cast<std::size_t>(bytes.size())),
                           format, budget);
    };
    QCOMPARE(decode(jpeg, "JPEG").size(), QSize(16, 16));
    QVERIFY(decode(hostile, "JPEG").isNull());
    QVERIFY(decode(hostile, "PNG").isNull()); // whatever the picture claims to be
}

void RichTextAdapterTest::setRichText_replacesContentAndOldDocument()
{
    QTextEdit edit;
    QPointer<QTextDocument> first = edit.document();
    LoadedRichText loaded = SetRichText(edit, Rtf("one{\\v two}\\par"));
    QCOMPARE(loaded.text, std::u16string(u"onetwo\r"));
    QCOMPARE(edit.toPlainText(), QStringLiteral("one"));
    QPointer<QTextDocument> second = edit.document();
    loaded = SetRichText(edit, Rtf("three\\par"));
    QCOMPARE(edit.toPlainText(), QStringLiteral("three"));
    QVERIFY(second.isNull()); // the replaced document does not linger
    QVERIFY(loaded.map.identity());
}

// The family the document asks for, whatever face the machine finds for it.
void RichTextAdapterTest::wordDocuments_keepFontFamiliesAndSymbols()
{
    const RichDocument model = ReadRtf(
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman\\fprq2{\\*\\panose 02020603050405020304}Times New "
        "Roman;}"
        "{\\f1\\froman\\fcharset2\\fprq2{\\*\\panose 05050102010706020507}Symbol;}}a\\f1\\'c5 a\\par}");
    QTextDocument doc;
    const PositionMap map = BuildTextDocument(model, doc);
    QCOMPARE(Compare(model, doc, map), QString());
    QCOMPARE(doc.toPlainText(), QString::fromUtf8("a\u2295 \u03b1"));
    QTextCursor c(&doc);
    c.setPosition(1);
    QCOMPARE(c.charFormat().fontFamilies().toStringList(), QStringList{QStringLiteral("Times New Roman")});
    c.setPosition(2);
    QCOMPARE(c.charFormat().fontFamilies().toStringList(), QStringList{QStringLiteral("Symbol")});
    // Word's own sample: its text in the default font, Times New Roman.
    QFile file(QStringLiteral(MIRELDA_SOURCE_DIR "/tests/data/rtf/word_article.rtf"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QTextDocument word;
    BuildTextDocument(ReadRtf(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))),
                      word);
    QTextCursor w(&word);
    w.setPosition(1);
    QCOMPARE(w.charFormat().fontFamilies().toStringList(), QStringList{QStringLiteral("Times New Roman")});
}

// A cell merged over two rows, a cell's own margins (Word's \clpadl is the top one), a \page
// that runs the cell's text on, and cells defined before their \trowd.
void RichTextAdapterTest::tables_verticalMergesPaddingAndPageBreaksInCells()
{
    const RichDocument model = ReadRtf(
        Rtf("\\trowd\\clvmgf\\clpadt300\\clpadft3\\clpadl150\\clpadfl3\\cellx2000\\cellx4000"
            "\\intbl a\\page b\\cell c\\cell\\row"
            "\\trowd\\clvmrg\\cellx2000\\cellx4000\\intbl\\cell d\\cell\\row\\pard between\\par"
            "\\cellx1000\\cellx6000\\trowd\\trgaph0\\intbl narrow\\cell wide\\cell\\row\\pard after\\par"));
    QTextDocument doc;
    const PositionMap map = BuildTextDocument(model, doc);
    QCOMPARE(Compare(model, doc, map), QString());
    QTextCursor c(&doc);
    c.setPosition(map.toDocument(0));
    QTextTable* table = c.currentTable();
    QVERIFY(table);
    QCOMPARE(table->rows(), 2);
    const QTextTableCell merged = table->cellAt(0, 0);
    QCOMPARE(merged.rowSpan(), 2);
    QCOMPARE(table->cellAt(1, 0).row(), 0); // the covered cell is the merged one
    QCOMPARE(table->cellAt(1, 1).firstCursorPosition().block().text(), QStringLiteral("d"));
    const QTextTableCellFormat format = merged.format().toTableCellFormat();
    QCOMPARE(format.leftPadding(), 20.0);
    QCOMPARE(format.topPadding(), 10.0);
    // One line: the \page keeps its position and shows nothing.
    QCOMPARE(merged.firstCursorPosition().block(), merged.lastCursorPosition().block());
    QCOMPARE(merged.firstCursorPosition().block().text(), QString::fromUtf8("a\u2060b"));
    // The cells defined before \trowd give the second table its widths.
    c.setPosition(map.toDocument(static_cast<std::int32_t>(model.text.find(u"narrow"))));
    QTextTable* second = c.currentTable();
    QVERIFY(second && second != table);
    const QList<QTextLength> widths = second->format().columnWidthConstraints();
    QCOMPARE(widths.size(), 2);
    QCOMPARE(widths[0].rawValue(), 1000 / 15.0);
    QCOMPARE(widths[1].rawValue(), 5000 / 15.0);
}

void RichTextAdapterTest::pictures_bySignatureFlippedAndAtTheirOwnSize()
{
    // Red then blue, flipped left to right, under the wrong word; a red GIF under \pngblip.
    QImage image(2, 1, QImage::Format_RGB32);
    image.setPixelColor(0, 0, Qt::red);
    image.setPixelColor(1, 0, Qt::blue);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const QByteArray gif = "474946383961"
                           "01000100"
                           "800000"
                           "ff0000"
                           "000000" // 1 x 1, two colours
                           "2c"
                           "0000000001000100"
                           "00"
                           "0202440100"
                           "3b";
    // The metafile of a sample, under \pngblip and under its own word, both said to be 1 x 2.
    QFile file(QStringLiteral(MIRELDA_SOURCE_DIR "/tests/data/rtf/libreoffice_pictures.rtf"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray sample = file.readAll();
    const RichDocument pictures =
        ReadRtf(std::string_view(sample.constData(), static_cast<std::size_t>(sample.size())));
    QCOMPARE(pictures.pictures[0].kind, PictureKind::Wmf);
    const auto& wmfBytes = pictures.pictures[0].bytes;
    const QByteArray wmf =
        QByteArray(reinterpret_cast<const char*>(wmfBytes.data()), static_cast<qsizetype>(wmfBytes.size()))
            .toHex();
    const RichDocument model =
        ReadRtf(Rtf("{\\pict{\\*\\picprop{\\sp{\\sn fFlipH}{\\sv 1}}}\\jpegblip\\picw1\\pich2 " +
                    png.toHex() + "}" + "{\\pict\\pngblip " + gif + "}{\\pict\\pngblip\\picw1\\pich2 " + wmf +
                    "}{\\pict\\wmetafile8\\picw1\\pich2 " + wmf + "}"));
    QTextDocument doc;
    const PositionMap map = BuildTextDocument(model, doc);
    QCOMPARE(Compare(model, doc, map), QString());
    const auto formatAt = [&](int p) {
        QTextCursor c(&doc);
        c.setPosition(p + 1);
        return c.charFormat().toImageFormat();
    };
    const auto imageAt = [&](int p) {
        return doc.resource(QTextDocument::ImageResource, QUrl(formatAt(p).name())).value<QImage>();
    };
    QCOMPARE(imageAt(0).size(), QSize(2, 1));
    QCOMPARE(imageAt(0).pixelColor(0, 0), QColor(Qt::blue));
    QCOMPARE(imageAt(1).size(), QSize(1, 1));
    QCOMPARE(imageAt(1).pixelColor(0, 0), QColor(Qt::red));
    for (int p : {2, 3}) {
        QCOMPARE(formatAt(p).objectType(), kMetafileObjectType);
        QVERIFY2(formatAt(p).width() > 8 && formatAt(p).height() > 8,
                 qPrintable(QString::number(formatAt(p).width())));
    }
}

void RichTextAdapterTest::lists_letterLabelsNumberedByTheList()
{
    const RichDocument model =
        ReadRtf(Rtf("\\ls1\\fi-360\\li720{\\listtext a.\\tab}one\\par{\\listtext b.\\tab}two\\par"
                    "{\\listtext i.\\tab}three\\par"));
    QTextDocument doc;
    const PositionMap map = BuildTextDocument(model, doc);
    QCOMPARE(Compare(model, doc, map), QString());
    const QTextBlock one = doc.firstBlock();
    QVERIFY(one.textList());
    QCOMPARE(one.textList()->format().style(), QTextListFormat::ListLowerAlpha);
    QCOMPARE(one.textList()->itemText(one.next()), QStringLiteral("b."));
    QVERIFY(one.next().next().textList());
    QCOMPARE(one.next().next().textList()->format().style(), QTextListFormat::ListLowerRoman);

    // A picture bullet (Word's sample): the picture, then the tab, before the text.
    QFile file(QStringLiteral(MIRELDA_SOURCE_DIR "/tests/data/rtf/word_features.rtf"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const RichDocument word =
        ReadRtf(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    QTextDocument wordDoc;
    const PositionMap wordMap = BuildTextDocument(word, wordDoc);
    QCOMPARE(Compare(word, wordDoc, wordMap), QString());
    const auto at = static_cast<std::int32_t>(word.text.find(u"Puce image"));
    const QTextBlock bullet = wordDoc.findBlock(wordMap.toDocument(at));
    QVERIFY(!bullet.textList());
    QCOMPARE(bullet.text(), QStringLiteral("\uFFFC\tPuce image"));
    QTextCursor c(&wordDoc);
    c.setPosition(bullet.position() + 1);
    const QTextImageFormat image = c.charFormat().toImageFormat();
    QCOMPARE(image.width(), 12.0); // 180 twips
    QCOMPARE(wordDoc.resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>().size(),
             QSize(12, 12));
}

QTEST_MAIN(RichTextAdapterTest)
namespace {

QByteArray Sample(const char* name)
{
    QFile file(QStringLiteral(MIRELDA_SOURCE_DIR "/tests/data/rtf/") + QLatin1String(name) +
               QStringLiteral(".rtf"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The pixels of `doc` laid out `width` wide whose colour is near `colour`: their bounding box.
QRect Painted(QTextDocument& doc, int width, const QColor& colour)
{
    doc.setTextWidth(width);
    QImage image(width, static_cast<int>(doc.size().height()) + 1, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    doc.drawContents(&painter);
    painter.end();
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < width; ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - colour.red()) <= 8 && qAbs(c.green() - colour.green()) <= 8 &&
                qAbs(c.blue() - colour.blue()) <= 8)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

} // namespace

void RichTextAdapterTest::shapes_drawnFloatingInPlaceOfTheirFallback()
{
    const QByteArray bytes = Sample("word_layout");
    const RichDocument model =
        ReadRtf(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    QTextDocument doc;
    const PositionMap map = BuildTextDocument(model, doc);
    QCOMPARE(Compare(model, doc, map), QString());
    // The shape's blue photo, 160 x 120 px, floats right of its paragraph's first line, 8 px
    // down (\shptop120); the red fallback picture is not drawn, nor its paragraph marks.
    const QRect blue = Painted(doc, 640, QColor(0, 0, 255));
    QVERIFY(Painted(doc, 640, QColor(255, 0, 0)).isEmpty());
    QCOMPARE(blue.size(), QSize(160, 120));
    const std::int32_t text = static_cast<std::int32_t>(model.text.find(u"Le texte suit"));
    const QTextBlock paragraph = doc.findBlock(map.toDocument(text));
    QCOMPARE(paragraph.position(), map.toDocument(text)); // the fallback's marks left out
    const QRectF lines = doc.documentLayout()->blockBoundingRect(paragraph);
    QVERIFY2(qAbs(blue.top() - (lines.top() + 8)) <= 2, qPrintable(QString::number(blue.top())));
    QVERIFY(blue.left() > 320 && lines.width() < 640);
    // The group's green photo and the text box's fill are drawn too.
    QCOMPARE(Painted(doc, 640, QColor(0, 160, 0)).size(), QSize(160, 112));
    const QRect fill = Painted(doc, 640, QColor(255, 255, 204));
    QVERIFY2(fill.width() > 180 && fill.height() > 60, qPrintable(QString::number(fill.width())));
    QVERIFY(fill.left() < 10);

    // The control keeps the text boxes' handler with the document.
    QTextEdit edit;
    SetRichText(edit, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    QVERIFY(edit.document()->documentLayout()->handlerForObject(kTextBoxObjectType));

    // LibreOffice's inline picture sits in its line.
    const QByteArray inlineBytes = Sample("libreoffice_layout");
    const RichDocument inlineModel =
        ReadRtf(std::string_view(inlineBytes.constData(), static_cast<std::size_t>(inlineBytes.size())));
    QTextDocument inlineDoc;
    const PositionMap inlineMap = BuildTextDocument(inlineModel, inlineDoc);
    QCOMPARE(Compare(inlineModel, inlineDoc, inlineMap), QString());
    const std::int32_t line = static_cast<std::int32_t>(inlineModel.text.find(u"Image en ligne"));
    const QTextBlock block = inlineDoc.findBlock(inlineMap.toDocument(line));
    QVERIFY(block.text().contains(QChar(QChar::ObjectReplacementCharacter)));
}

void RichTextAdapterTest::nestedTables_drawnInsideTheirCells()
{
    for (const char* name : {"word_layout", "wordpad_layout", "libreoffice_layout"}) {
        const QByteArray bytes = Sample(name);
        const RichDocument model =
            ReadRtf(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        QTextDocument doc;
        const PositionMap map = BuildTextDocument(model, doc);
        QCOMPARE(Compare(model, doc, map), QString());
        QTextTable* outer = nullptr;
        for (QTextFrame* frame : doc.rootFrame()->childFrames())
            if (auto* table = qobject_cast<QTextTable*>(frame))
                outer = table;
        QVERIFY2(outer, name);
        QCOMPARE(outer->columns(), 2);
        // The inner table lies in the outer table's second cell; each nested cell's text ends
        // with the tab its \nestcell counts.
        const QTextTableCell cell = outer->cellAt(0, 1);
        QTextTable* inner = nullptr;
        for (QTextFrame* frame : outer->childFrames())
            if (auto* table = qobject_cast<QTextTable*>(frame))
                inner = table;
        QVERIFY2(inner, name);
        QVERIFY(inner->firstPosition() > cell.firstPosition() && inner->lastPosition() < cell.lastPosition());
        const auto textOf = [&](int row, int column) {
            QTextCursor c(&doc);
            c.setPosition(inner->cellAt(row, column).firstCursorPosition().position());
            c.setPosition(inner->cellAt(row, column).lastCursorPosition().position(),
                          QTextCursor::KeepAnchor);
            return c.selectedText();
        };
        if (QByteArray(name) == "wordpad_layout") {
            QCOMPARE(inner->rows(), 1);
            QCOMPARE(inner->columns(), 3);
            QCOMPARE(textOf(0, 2), QStringLiteral("trois\t"));
        } else {
            QCOMPARE(inner->rows(), 2);
            QCOMPARE(inner->columns(), 2);
            QCOMPARE(textOf(1, 0),
                     QByteArray(name) == "word_layout" ? QStringLiteral("A2\t") : QStringLiteral("I3\t"));
        }
    }
    // Tables nested three deep.
    const RichDocument deep =
        ReadRtf(Rtf("\\trowd\\cellx5000\\pard\\intbl\\itap2 a\\nestcell\\pard\\intbl\\itap3 "
                    "b\\nestcell{\\*\\nesttableprops\\trowd\\cellx900\\nestrow}"
                    "\\pard\\intbl\\itap2\\nestcell{\\*\\nesttableprops\\trowd\\cellx2000"
                    "\\cellx4000\\nestrow}\\pard\\intbl\\itap1 c\\cell\\row"));
    QTextDocument doc;
    const PositionMap map = BuildTextDocument(deep, doc);
    QCOMPARE(Compare(deep, doc, map), QString());
    int depth = 0;
    for (QTextFrame* frame = doc.rootFrame(); !frame->childFrames().isEmpty();
         frame = frame->childFrames().first())
        ++depth;
    QCOMPARE(depth, 3);
}

// A table inside a cell, two and three deep, shows what it would show at the top level: a cell
// merged over two rows, a cell over two columns, and the same widths, borders and fills. What
// a covered cell holds follows the text before it, in the model's order.
void RichTextAdapterTest::nestedTables_mergeAndSpanAsAtTheTop()
{
    const QByteArray first = "\\clvmgf\\clcbpat1\\clbrdrb\\brdrs\\brdrw30\\cellx1500\\clcbpat2\\cellx4500";
    const QByteArray second = "\\clvmrg\\cellx1500\\cellx3000\\clbrdrt\\brdrdb\\cellx4500";
    const RichDocument top = ReadRtf(Rtf("\\trowd\\trgaph60" + first +
                                         "\\pard\\intbl haut\\cell large\\cell\\row"
                                         "\\trowd\\trgaph60" +
                                         second + "\\pard\\intbl dessous\\cell bas1\\cell bas2\\cell\\row"));
    QTextDocument topDoc;
    const PositionMap topMap = BuildTextDocument(top, topDoc);
    QCOMPARE(Compare(top, topDoc, topMap), QString());
    QTextCursor topCursor(&topDoc);
    topCursor.setPosition(topMap.toDocument(static_cast<std::int32_t>(top.text.find(u"haut"))));
    const QTextTable* expected = topCursor.currentTable();
    QVERIFY(expected);
    for (const int depth : {2, 3}) {
        const QByteArray itap = "\\pard\\intbl\\itap" + QByteArray::number(depth) + ' ';
        QByteArray body = itap + "haut\\nestcell large\\nestcell{\\*\\nesttableprops\\trowd\\trgaph60" +
                          first + "\\nestrow}" + itap +
                          "\\nestcell bas1\\nestcell bas2\\nestcell"
                          "{\\*\\nesttableprops\\trowd\\trgaph60" +
                          second + "\\nestrow}";
        if (depth == 3)
            body += "\\pard\\intbl\\itap2\\nestcell{\\*\\nesttableprops\\trowd\\cellx7000\\nestrow}";
        const RichDocument model =
            ReadRtf(Rtf("\\trowd\\cellx8000" + body + "\\pard\\intbl\\itap1 \\cell\\row"));
        QTextDocument doc;
        const PositionMap map = BuildTextDocument(model, doc);
        QCOMPARE(Compare(model, doc, map), QString());
        QTextCursor c(&doc);
        c.setPosition(map.toDocument(static_cast<std::int32_t>(model.text.find(u"haut"))));
        QTextTable* inner = c.currentTable();
        QVERIFY(inner);
        int depthFound = 0;
        for (QTextFrame* frame = inner; frame; frame = frame->parentFrame())
            ++depthFound;
        QCOMPARE(depthFound, depth + 1); // the root frame too
        QCOMPARE(inner->rows(), 2);
        QCOMPARE(inner->columns(), 3);
        QCOMPARE(inner->cellAt(0, 0).rowSpan(), 2);
        QCOMPARE(inner->cellAt(1, 0).row(), 0);
        QCOMPARE(inner->cellAt(0, 1).columnSpan(), 2);
        c.setPosition(inner->cellAt(0, 1).firstCursorPosition().position());
        c.setPosition(inner->cellAt(0, 1).lastCursorPosition().position(), QTextCursor::KeepAnchor);
        QCOMPARE(c.selectedText(), QStringLiteral("large\t\t")); // the covered cell's tab
        QCOMPARE(inner->format().columnWidthConstraints(), expected->format().columnWidthConstraints());
        for (int r = 0; r < 2; ++r) {
            for (int col = 0; col < 3; ++col) {
                const QTextTableCell got = inner->cellAt(r, col);
                const QTextTableCell want = expected->cellAt(r, col);
                QCOMPARE(got.rowSpan(), want.rowSpan());
                QCOMPARE(got.columnSpan(), want.columnSpan());
                const QTextTableCellFormat g = got.format().toTableCellFormat();
                const QTextTableCellFormat w = want.format().toTableCellFormat();
                QCOMPARE(g.background(), w.background());
                QCOMPARE(g.topBorder(), w.topBorder());
                QCOMPARE(g.bottomBorder(), w.bottomBorder());
                QCOMPARE(g.leftPadding(), w.leftPadding());
            }
        }
    }
}

#include "richtext_adapter_test.moc"
