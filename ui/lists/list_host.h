#pragma once
// What the list windows need from the other windows: the message box and the found text in
// the article view. The application implements it; what the lists show and open comes
// from the help session.

#include <QMessageBox>
#include <QPoint>
#include <QString>

#include <optional>

namespace mirelda::ui {

class ListHost
{
  public:
    virtual ~ListHost() = default;

    // Selects the first occurrence of `text` in the article on screen; the screen point of
    // the selection's start, or nothing when the text does not hold it.
    virtual std::optional<QPoint> HighlightInArticle(const QString& text, bool matchCase, bool wholeWord) = 0;

    // A message box captioned with the help title.
    virtual QMessageBox::StandardButton
    ShowMessage(const QString& text, QMessageBox::Icon icon,
                QMessageBox::StandardButtons buttons = QMessageBox::Ok) = 0;
};

} // namespace mirelda::ui
