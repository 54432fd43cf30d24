#include "ui/notes/annotation_edit.h"

#include "core/store/cp1252.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>

namespace {

constexpr char16_t kParagraphSeparator = 0x2029;
constexpr char16_t kLineSeparator = 0x2028;

std::u16string ToU16(const QString& text)
{
    return text.toStdU16String();
}

bool HasByte(char16_t c)
{
    if (c == u'?' || c == kLineSeparator || c == kParagraphSeparator)
        return true;
    return mirelda::EncodeCp1252(std::u16string_view(&c, 1)) != "?";
}

} // namespace

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
    for (const QChar c : text) {
        // A surrogate (half of a character beyond the basic plane) never has a byte.
        if (!HasByte(c.unicode()))
            return false;
    }
    return true;
}

QString CAnnotationEdit::Representable1252(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += u'?'; // one character, one "?"
            ++i;
        } else {
            out += HasByte(c.unicode()) ? c : QChar(u'?');
        }
    }
    return out;
}

std::string CAnnotationEdit::TextCp1252() const
{
    // The raw text, not toPlainText(), which would turn no-break spaces into spaces.
    std::u16string text = ToU16(document()->toRawText());
    for (char16_t& c : text)
        if (c == kParagraphSeparator || c == kLineSeparator)
            c = u'\n';
    return mirelda::EncodeCp1252(text);
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
