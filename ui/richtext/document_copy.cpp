#include "ui/richtext/document_copy.h"

#include "ui/richtext/picture_object.h"
#include "ui/richtext/shape_object.h"

#include <QAbstractTextDocumentLayout>
#include <QTextDocument>
#include <QTextObjectInterface>

namespace mirelda::ui {

std::unique_ptr<QTextDocument> CopyWithDrawnObjects(const QTextDocument& source)
{
    std::unique_ptr<QTextDocument> copy(source.clone());
    for (const int type : {kMetafileObjectType, kTextBoxObjectType}) {
        // Every handler is a QObject (registerHandler takes nothing else).
        if (auto* handler = dynamic_cast<QObject*>(source.documentLayout()->handlerForObject(type)))
            copy->documentLayout()->registerHandler(type, handler);
    }
    return copy;
}

} // namespace mirelda::ui
