#pragma once
// What the article view needs from the rest of the program. The main frame implements it;
// the view never reaches the frame, the application or the bars in any other way. What the
// view shows comes from the navigator (core/lists/navigator.h).

#include "core/store/help_set.h"
#include "core/store/result.h"

#include <filesystem>

class QMenu;

class ViewHost
{
  public:
    virtual ~ViewHost() = default;

    // The index of the open help set (empty before the deferred load) and its .PGD, for
    // printing a book.
    virtual const mirelda::ArticleIndex& articleIndex() const = 0;
    virtual std::filesystem::path dataFile() const = 0;

    virtual void minimizeMainWindow() = 0;

    // The view's context menu, its actions wired to the frame's commands; may be
    // null while the commands do not exist yet. The view only shows it.
    virtual QMenu* viewContextMenu() = 0;

    // A file read failed: show the file-error message.
    virtual void ReportFileError(const mirelda::FileError& error) = 0;
};
