#include "ui/view/text_size.h"

#include "core/view/text_zoom.h"
#include "ui/richtext/layout_zoom.h"
#include "ui/widgets/settings.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <vector>

namespace mirelda::ui {

namespace {

const QString kKey = QStringLiteral("view/textSize");

// The size a format had when the document was built, kept in the format itself so that
// scaling again starts from it rather than from an already scaled size.
constexpr int kBuiltPointSize = QTextFormat::UserProperty + 0x5A1;
const char* const kBuiltDefaultFont = "mireldaBuiltPointSize";

bool Scale(QTextCharFormat& format, double factor)
{
    double built = format.doubleProperty(kBuiltPointSize);
    if (!(built > 0)) {
        built = format.fontPointSize();
        if (!(built > 0))
            return false; // follows the default font
        format.setProperty(kBuiltPointSize, built);
    }
    format.setFontPointSize(built * factor);
    return true;
}

} // namespace

int SavedTextZoom()
{
    const QSettings settings = MireldaSettings();
    return mirelda::ValidTextZoom(settings.value(kKey, mirelda::kNormalTextZoom).toInt());
}

void SaveTextZoom(int percent)
{
    QSettings settings = MireldaSettings();
    settings.setValue(kKey, mirelda::ValidTextZoom(percent));
}

void ApplyTextZoom(QTextDocument& doc, int percent)
{
    const double factor = mirelda::ValidTextZoom(percent) / 100.0;
    // The layout first: a cell's format is also its first paragraph's mark, whose character
    // size the pass below sets from the format as it then is.
    mirelda::ui::ScaleLayoutLengths(doc, factor);
    QFont font = doc.defaultFont();
    QVariant builtDefault = doc.property(kBuiltDefaultFont);
    if (!builtDefault.isValid() && font.pointSizeF() > 0) {
        builtDefault = font.pointSizeF();
        doc.setProperty(kBuiltDefaultFont, builtDefault);
    }
    if (builtDefault.isValid()) {
        font.setPointSizeF(builtDefault.toDouble() * factor);
        doc.setDefaultFont(font);
    }

    // Collected first: giving a fragment a new format may join it with its neighbours.
    struct Change
    {
        int first = 0;
        int end = 0; // == first for a paragraph's own format
        QTextCharFormat format;
    };
    std::vector<Change> changes;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        QTextCharFormat mark = block.charFormat();
        if (Scale(mark, factor))
            changes.push_back({block.position(), block.position(), mark});
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat format = fragment.charFormat();
            if (Scale(format, factor))
                changes.push_back({fragment.position(), fragment.position() + fragment.length(), format});
        }
    }
    QTextCursor cursor(&doc);
    cursor.beginEditBlock();
    for (const Change& change : changes) {
        cursor.setPosition(change.first);
        if (change.end == change.first) {
            cursor.setBlockCharFormat(change.format);
            continue;
        }
        cursor.setPosition(change.end, QTextCursor::KeepAnchor);
        cursor.setCharFormat(change.format);
    }
    cursor.endEditBlock();
}

} // namespace mirelda::ui
