#pragma once
// What the list windows need from the rest of the program. The application implements it;
// a list window never reaches the frame, the view or the application in any other way.

#include "core/lists/history.h"
#include "core/lists/list_order.h"
#include "core/store/help_set.h"
#include "core/store/result.h"

#include <QMessageBox>
#include <QPoint>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <optional>

class QWidget;

class ListHost
{
  public:
    virtual ~ListHost() = default;

    // The article index of the open help set and its .PGD, for the titles of history lines.
    virtual const mirelda::ArticleIndex& articleIndex() const = 0;
    virtual std::filesystem::path dataFile() const = 0;
    virtual const mirelda::History& history() const = 0;
    // One order for every sorted list window (opening a collator is not free).
    virtual const mirelda::ListOrder& listOrder() const = 0;
    // Where the bookmarks are read from and written to.
    virtual std::filesystem::path bookmarkFile() const = 0;

    // Shows the article at the reading position; false when it is not valid or not there.
    virtual bool GoToArticle(std::int32_t article, std::int32_t position) = 0;
    // Selects the first occurrence of `text` in the article on screen; the screen point of
    // the selection's start, or nothing when the text does not hold it.
    virtual std::optional<QPoint> HighlightInArticle(const QString& text, bool matchCase, bool wholeWord) = 0;

    // A message box captioned with the help title.
    virtual QMessageBox::StandardButton
    ShowMessage(const QString& text, QMessageBox::Icon icon,
                QMessageBox::StandardButtons buttons = QMessageBox::Ok) = 0;
    virtual void ReportFileError(const mirelda::FileError& error) = 0;
    // The user renamed or deleted a bookmark: the bookmark file is written again at once.
    virtual void bookmarksChanged() {}
};
