#pragma once
// What the article view needs from the main window: what only a window can give. The main
// frame implements it; the view never reaches the frame, the application or the bars in any
// other way. What the view shows, and the help set it prints from, come from the session
// (core/session/help_session.h).

#include "core/store/result.h"

class QMenu;

namespace mirelda::ui {

class ViewHost
{
  public:
    virtual ~ViewHost() = default;

    virtual void minimizeMainWindow() = 0;

    // The view's context menu, its actions wired to the frame's commands; may be
    // null while the commands do not exist yet. The view only shows it.
    virtual QMenu* viewContextMenu() = 0;

    // A file read failed: show the file-error message (or read the help set again, when its
    // files were replaced).
    virtual void ReportFileError(const mirelda::FileError& error) = 0;
};

} // namespace mirelda::ui
