// Small hostile articles, shown as the view shows them: RTF read, document built, laid out at
// 600 px and its first screen painted (offscreen). The goal: any article of at most 1 MB shown
// within a second. Each case is a reproducer of a stall the viewer once had:
//   wmf_pens     400 dashed lines of the widest pen a WMF can ask for
//   table_row    one table row of 20 000 cells
//   nested_rows  a table cell holding 1 MB of nested rows, 64 cells each
//   jpeg_scans   a progressive JPEG of 2 000 scans
//   long_word    a word of 400 000 characters
//   huge_spacing 1 800 paragraphs spaced 1 000 000 twips before and after (48 KB)
//   huge_font    "ab cd " 10 000 times at 1 638 pt (60 KB)
//   deep_nested  a table cell holding 800 rows of one cell six tables deep (56 KB)
//   many_tabs    one paragraph of 2 500 lines "ab\tab cd\tab ef\tab gh\line" (73 KB)
//   plain_1mb    a well-formed article of 1 MB, for comparison
// and, as references, what Qt's own JPEG decoder makes of the JPEG and what the picture painter
// makes of the lines with their pens as the file asks.
//
//   bench_hostile_articles_ui [benchmark options]

#include "core/picture/display_list.h"
#include "core/richtext/rtf_reader.h"
#include "ui/richtext/picture_painter.h"
#include "ui/richtext/text_document_builder.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <ctime>
#include <random>
#include <string>
#include <vector>

using namespace mirelda::ui;

namespace {

using namespace mirelda;

constexpr int kLines = 400;

std::string Rtf(const std::string& body)
{
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}" + body + "}";
}

std::string Hex(const std::vector<std::uint8_t>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const std::uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

void Put(std::vector<std::uint8_t>& b, std::uint32_t v, int size)
{
    for (int i = 0; i < size; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A WMF of kLines dashed lines drawn with a pen 32767 units wide, in a 1000 x 1000 window.
std::vector<std::uint8_t> DashedWmf()
{
    std::vector<std::uint8_t> records;
    const auto record = [&](std::uint16_t function, std::vector<int> words) {
        Put(records, static_cast<std::uint32_t>(3 + words.size()), 4);
        Put(records, function, 2);
        for (const int w : words)
            Put(records, static_cast<std::uint32_t>(w), 2);
    };
    record(0x020B, {0, 0});
    record(0x020C, {1000, 1000});
    record(0x02FA, {1, 32767, 0, 0, 0});
    record(0x012D, {0});
    std::mt19937 random(7);
    for (int i = 0; i < kLines; ++i) {
        record(0x0214, {static_cast<int>(random() % 1000), static_cast<int>(random() % 1000)});
        record(0x0213, {static_cast<int>(random() % 1000), static_cast<int>(random() % 1000)});
    }
    std::vector<std::uint8_t> file;
    for (const std::uint32_t v : {1u, 9u, 0x300u})
        Put(file, v, 2);
    Put(file, static_cast<std::uint32_t>((18 + records.size() + 6) / 2), 4);
    Put(file, 1, 2);
    Put(file, 0, 4);
    Put(file, 0, 2);
    file.insert(file.end(), records.begin(), records.end());
    Put(file, 3, 4);
    Put(file, 0, 2);
    return file;
}

// A progressive JPEG of 1024 x 1024 whose smallest scan comes again until there are 2000.
std::vector<std::uint8_t> ManyScanJpeg()
{
    QImage image(1024, 1024, QImage::Format_RGB32);
    image.fill(QColor(40, 90, 160));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPEG");
    writer.setProgressiveScanWrite(true);
    writer.write(image);
    QList<qsizetype> scans;
    for (qsizetype at = jpeg.indexOf("\xFF\xDA"); at >= 0; at = jpeg.indexOf("\xFF\xDA", at + 2))
        scans.append(at);
    QByteArray smallest;
    for (qsizetype i = 0; i < scans.size(); ++i) {
        const qsizetype end = i + 1 < scans.size() ? scans[i + 1] : jpeg.size() - 2;
        const QByteArray scan = jpeg.mid(scans[i], end - scans[i]);
        if (smallest.isEmpty() || scan.size() < smallest.size())
            smallest = scan;
    }
    QByteArray out = jpeg.left(jpeg.size() - 2);
    for (qsizetype i = scans.size(); i < 2000; ++i)
        out += smallest;
    out += "\xFF\xD9";
    return {out.begin(), out.end()};
}

std::string Article(const std::string& name)
{
    if (name == "wmf_pens")
        return Rtf("{\\pict\\wmetafile8\\picw2000\\pich2000\\picwgoal4000\\pichgoal4000 " + Hex(DashedWmf()) +
                   "}\\par");
    if (name == "table_row") {
        std::string body = "\\trowd\\cellx1000\\cellx2000\\intbl ";
        for (int i = 0; i < 20000; ++i)
            body += "c" + std::to_string(i) + "\\cell ";
        return Rtf(body + "\\row\\pard\\par");
    }
    if (name == "nested_rows") {
        std::string body = "\\trowd\\cellx9000\\pard\\intbl\\itap2 ";
        while (body.size() < 1000000) {
            for (int i = 0; i < 64; ++i)
                body += "c" + std::to_string(i) + "\\nestcell ";
            body += "{\\*\\nesttableprops\\trowd\\cellx1000\\nestrow}";
        }
        return Rtf(body + "\\pard\\intbl\\itap1 \\cell\\row\\pard\\par");
    }
    if (name == "jpeg_scans")
        return Rtf("{\\pict\\jpegblip " + Hex(ManyScanJpeg()) + "}\\par");
    if (name == "huge_spacing") {
        std::string body;
        for (int i = 0; i < 1800; ++i)
            body += "\\sb1000000\\sa1000000 a\\par ";
        return Rtf(body);
    }
    if (name == "huge_font") {
        std::string body = "\\fs3276 ";
        for (int i = 0; i < 10000; ++i)
            body += "ab cd ";
        return Rtf(body);
    }
    if (name == "deep_nested") {
        std::string body = "\\trowd\\cellx9000";
        for (int i = 0; i < 800; ++i)
            body += "\\pard\\intbl\\itap6 x\\nestcell{\\*\\nesttableprops\\trowd\\cellx100\\nestrow}";
        return Rtf(body + "\\pard\\intbl\\itap1 \\cell\\row\\pard\\par");
    }
    if (name == "many_tabs") {
        std::string body = "\\pard";
        for (int i = 1; i <= 32; ++i)
            body += "\\tx" + std::to_string(i * 100);
        for (int i = 0; i < 2500; ++i)
            body += " ab\\tab cd\\tab ef\\tab gh\\line";
        return Rtf(body + "\\par");
    }
    if (name == "long_word")
        return Rtf(std::string(400000, 'x') + "\\par");
    std::string body; // plain_1mb
    while (body.size() < 1000000)
        body += "Un paragraphe ordinaire de l'article, avec {\\b du gras} et {\\i de l'italique}.\\par ";
    return Rtf(body);
}

void BM_Show(benchmark::State& state, const std::string& name)
{
    const std::string rtf = Article(name);
    // Processor time of each step, summed over the iterations: the machine may be shared.
    double read = 0, build = 0, layout = 0, paint = 0;
    const auto step = [](double& sum, std::clock_t& mark) {
        const std::clock_t now = std::clock();
        sum += double(now - mark) * 1000.0 / CLOCKS_PER_SEC;
        mark = now;
    };
    for (auto _ : state) {
        std::clock_t mark = std::clock();
        const RichDocument model = ReadRtf(rtf);
        step(read, mark);
        QTextDocument doc;
        BuildTextDocument(model, doc);
        step(build, mark);
        doc.setTextWidth(600);
        benchmark::DoNotOptimize(doc.documentLayout()->documentSize());
        step(layout, mark);
        QImage screen(600, 800, QImage::Format_ARGB32_Premultiplied);
        screen.fill(Qt::white);
        QPainter painter(&screen);
        doc.drawContents(&painter, QRectF(0, 0, 600, 800));
        step(paint, mark);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["rtf_bytes"] = static_cast<double>(rtf.size());
    state.counters["read_ms"] = read / n;
    state.counters["build_ms"] = build / n;
    state.counters["layout_ms"] = layout / n;
    state.counters["paint_ms"] = paint / n;
}

void BM_QtJpegDecoder(benchmark::State& state)
{
    const std::vector<std::uint8_t> jpeg = ManyScanJpeg();
    bool decoded = false;
    for (auto _ : state) {
        QByteArray data(reinterpret_cast<const char*>(jpeg.data()), static_cast<qsizetype>(jpeg.size()));
        QBuffer buffer(&data);
        QImageReader reader(&buffer, "JPEG");
        decoded = !reader.read().isNull();
    }
    state.counters["jpeg_bytes"] = static_cast<double>(jpeg.size());
    state.counters["decoded"] = decoded ? 1 : 0;
}

// The lines as the file asks for them, without the reader's clamp, straight to the painter.
void BM_UnclampedPens(benchmark::State& state)
{
    picture::DisplayList list;
    list.width = list.height = 1000;
    std::mt19937 random(7);
    for (int i = 0; i < kLines; ++i) {
        picture::Item item;
        item.stroke = true;
        item.pen = {picture::PenStyle::Dash, 32767, {}};
        item.path.verbs = {picture::PathVerb::Move, picture::PathVerb::Line};
        for (int k = 0; k < 2; ++k)
            item.path.points.push_back({double(random() % 1000), double(random() % 1000)});
        list.items.push_back(std::move(item));
    }
    std::int64_t budget = 0;
    const DrawnPicture drawn(std::move(list), budget);
    for (auto _ : state) {
        QImage screen(267, 267, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&screen);
        drawn.Paint(painter, QRectF(0, 0, 267, 267), QRectF(0, 0, 267, 267));
    }
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    for (const char* name : {"wmf_pens", "table_row", "nested_rows", "jpeg_scans", "long_word",
                             "huge_spacing", "huge_font", "many_tabs", "deep_nested", "plain_1mb"})
        benchmark::RegisterBenchmark((std::string("show/") + name).c_str(), BM_Show, std::string(name))
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
    benchmark::RegisterBenchmark("reference/qt_jpeg_decoder_2000_scans", BM_QtJpegDecoder)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    benchmark::RegisterBenchmark("reference/painter_unclamped_pens", BM_UnclampedPens)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
