#pragma once
// What the article view needs from the rest of the program. The main frame implements it;
// the view never reaches the frame, the application or the bars in any other way.

#include "core/store/help_set.h"
#include "core/store/result.h"

#include <QPoint>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <string>

class QMenu;

class ViewHost
{
  public:
    virtual ~ViewHost() = default;

    // The index of the open help set (empty before the deferred load).
    virtual const mirelda::ArticleIndex& articleIndex() const = 0;
    virtual std::filesystem::path dataFile() const = 0; // .PGD
    virtual std::filesystem::path linkFile() const = 0; // .PGL

    // The caption prefix of the main window and of message boxes.
    virtual QString helpTitle() const = 0;
    virtual void setMainCaption(const QString& caption) = 0;
    // `article` is now current and shown in full: its text, scroll position and links.
    virtual void articleShown(std::int32_t article) = 0;

    // Annotation bar: keep the edited annotation of the article being left (nothing while
    // `article` is 0), then show the new article's annotation and switch the toolbar image.
    virtual void storeArticleAnnotation(std::int32_t article) = 0;
    virtual void showArticleAnnotation(std::int32_t article) = 0;

    // History: replace the newest entry's position when that entry is `article`; add a
    // newest entry and show it in the history window.
    virtual void updateHeadPosition(std::int32_t article, std::int32_t position) = 0;
    virtual void recordArticle(std::int32_t article, std::int32_t position) = 0;

    // Opens the pop-up window for a pop-up article near `clickScreen` (screen coordinates).
    // `title` is Windows-1252 as stored, `rtf` the article's RTF.
    virtual void showPopup(const std::string& title, const std::string& rtf, QPoint clickScreen) = 0;

    virtual void minimizeMainWindow() = 0;

    // The view's context menu, its actions wired to the frame's commands; may be
    // null while the commands do not exist yet. The view only shows it.
    virtual QMenu* viewContextMenu() = 0;

    // A .PGD or .PGL read failed: show the file-error message.
    virtual void reportFileError(const mirelda::FileError& error) = 0;
};
