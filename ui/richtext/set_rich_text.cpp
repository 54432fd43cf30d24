#include "ui/richtext/set_rich_text.h"

#include "core/richtext/rtf_reader.h"
#include "ui/richtext/text_document_builder.h"

#include <QPointer>
#include <QTextDocument>
#include <QTextEdit>

namespace mirelda::ui {

LoadedRichText SetRichText(QTextEdit& target, std::string_view rtf)
{
    RichDocument model = ReadRtf(rtf);

    // Built apart from the control, the document is laid out once, after it is complete,
    // and the control never paints a half-filled text.
    auto* document = new QTextDocument(&target);
    document->setDefaultFont(target.font());
    LoadedRichText loaded;
    loaded.map = BuildTextDocument(model, *document);
    loaded.hidden = HiddenSpans(model);
    loaded.text = std::move(model.text);

    // The control deletes a document it created itself when another replaces it.
    QPointer<QTextDocument> old = target.document();
    const bool updates = target.updatesEnabled();
    target.setUpdatesEnabled(false);
    target.setDocument(document);
    target.setUpdatesEnabled(updates);
    if (old && old.data() != document && old->parent() == &target)
        delete old;
    return loaded;
}

} // namespace mirelda::ui
