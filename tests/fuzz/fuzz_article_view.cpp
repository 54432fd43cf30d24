// The article as the viewer shows it, on the offscreen platform: the first byte chooses what the
// rest is. RTF: the model turned into a QTextDocument, laid out and painted, its position map
// consistent both ways. WMF or EMF: the display list drawn at its size, tiny, and huge behind a
// small clip, as the view draws pictures. Else a bitmap decoded as the view decodes it. Nothing may crash,
// and with libFuzzer's -timeout no input may take long (scripts/fuzz.sh gives this target a short one).
#include "core/picture/metafile.h"
#include "core/richtext/rtf_reader.h"
#include "ui/richtext/picture_painter.h"
#include "ui/richtext/text_document_builder.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextDocument>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace {

QImage Canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

void ShowArticle(std::string_view rtf)
{
    const mirelda::RichDocument model = mirelda::ReadRtf(rtf);
    QTextDocument doc;
    const mirelda::PositionMap map = mirelda::ui::BuildTextDocument(model, doc);
    const auto modelSize = static_cast<std::int32_t>(model.text.size());
    const int documentSize = doc.characterCount();
    for (std::int32_t p = 0; p < modelSize; ++p) {
        const std::int32_t d = map.toDocument(p);
        if (d < 0 || d >= documentSize)
            std::abort();
    }
    for (int d = 0; d < documentSize; ++d) {
        const std::int32_t p = map.toModel(d);
        if (p < 0 || p >= std::max(modelSize, 1))
            std::abort();
    }
    doc.setTextWidth(480);
    QImage image = Canvas(480, 640);
    QPainter painter(&image);
    doc.drawContents(&painter, QRectF(0, 0, 480, 640));
}

void DrawPicture(std::optional<mirelda::picture::Metafile> metafile)
{
    if (!metafile)
        return;
    std::int64_t budget = 4LL * 1024 * 1024;
    const mirelda::ui::DrawnPicture drawn(std::move(metafile->list), budget);
    QImage image = Canvas(160, 120);
    QPainter painter(&image);
    drawn.Paint(painter, QRectF(0, 0, 160, 120), QRectF(0, 0, 160, 120));
    drawn.Paint(painter, QRectF(5, 5, 3, 2), QRectF(5, 5, 3, 2));
    drawn.Paint(painter, QRectF(-4000, -4000, 8000, 8000), QRectF(0, 0, 160, 120));
}

} // namespace

// Fontconfig keeps its caches for the life of the process: not leaks of the code under test.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: Qt's font caches stay reachable from it, so that the leak check at exit
    // does not take them for leaks of the last input.
    static auto* app = new QGuiApplication(*argc, *argv);
    (void)app;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::span<const std::uint8_t> rest(data + 2, size - 2);
    switch (data[0] % 4) {
    case 0:
        ShowArticle(std::string_view(reinterpret_cast<const char*>(rest.data()), rest.size()));
        break;
    case 1:
        DrawPicture(mirelda::picture::ReadWmf(rest, data[1] % 9));
        break;
    case 2:
        DrawPicture(mirelda::picture::ReadEmf(rest));
        break;
    default: {
        std::int64_t budget = 4LL * 1024 * 1024;
        (void)mirelda::ui::DecodeImage(rest, data[1] % 2 ? "JPEG" : "PNG", budget);
        break;
    }
    }
    return 0;
}
