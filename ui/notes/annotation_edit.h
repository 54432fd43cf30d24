#pragma once
// The annotation bar's multi-line edit: plain text, Enter starts a new line.
//
// Annotations are stored as Windows-1252 bytes, so the edit holds only characters that have
// a byte there: what the user sees is exactly what is saved and read back. A typed character
// without one is refused (with a beep); pasted or dropped text has each such character
// replaced by "?" as it comes in, visibly.

#include <QPlainTextEdit>

#include <string>
#include <string_view>

namespace mirelda::ui {

class CAnnotationEdit : public QPlainTextEdit
{
    Q_OBJECT
  public:
    explicit CAnnotationEdit(QWidget* parent = nullptr);

    // The text as Windows-1252 bytes, lines separated by LF.
    std::string TextCp1252() const;
    // Replaces the whole text; `text` is Windows-1252, lines separated by LF.
    void SetTextCp1252(std::string_view text);
    bool IsEmpty() const;

    // Whether every character of `text` has a Windows-1252 byte (line separators count as
    // line feeds).
    static bool Representable(const QString& text);
    // `text` with every character that has no Windows-1252 byte replaced by "?".
    static QString Representable1252(const QString& text);

  signals:
    // The keyboard focus went elsewhere: what was typed is worth keeping now.
    void focusLost();

  protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
};

} // namespace mirelda::ui
