#include "ui/notes/annotation_edit.h"

#include "core/notes/annotation_text.h"
#include "core/store/cp1252.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>

namespace mirelda::ui {

CAnnotationEdit::CAnnotationEdit(QWidget* parent) : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("annotationEdit"));
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
}

void CAnnotationEdit::focusOutEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusOutEvent(event);
    emit focusLost();
}

bool CAnnotationEdit::Representable(const QString& text)
{
    return mirelda::AnnotationCanHold(text.toStdU16String());
}

QString CAnnotationEdit::Representable1252(const QString& text)
{
    return QString::fromStdU16String(mirelda::AnnotationTextOf(text.toStdU16String()));
}

std::string CAnnotationEdit::TextCp1252() const
{
    // The raw text, not toPlainText(), which would turn no-break spaces into spaces.
    return mirelda::AnnotationBytes(document()->toRawText().toStdU16String());
}

void CAnnotationEdit::SetTextCp1252(std::string_view text)
{
    setPlainText(QString::fromStdU16String(mirelda::DecodeCp1252(text)));
}

bool CAnnotationEdit::IsEmpty() const
{
    return document()->isEmpty();
}

void CAnnotationEdit::keyPressEvent(QKeyEvent* event)
{
    if (!event->text().isEmpty() && !Representable(event->text())) {
        QApplication::beep();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CAnnotationEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty() && !Representable(event->commitString())) {
        QApplication::beep();
        // Keep the composition state consistent: the event goes through without its text.
        QInputMethodEvent stripped(event->preeditString(), event->attributes());
        stripped.setCommitString(QString(), event->replacementStart(), event->replacementLength());
        QPlainTextEdit::inputMethodEvent(&stripped);
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void CAnnotationEdit::insertFromMimeData(const QMimeData* source)
{
    if (!source || !source->hasText())
        return;
    QMimeData plain;
    plain.setText(Representable1252(source->text()));
    QPlainTextEdit::insertFromMimeData(&plain);
}

} // namespace mirelda::ui
