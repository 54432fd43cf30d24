#pragma once
// The box above the contents tree that finds article titles as the reader types (Ctrl+K, or
// "/" in the tree): while it holds a word, a list of the matching titles, best first, stands
// in the tree's place; Enter, a click or a double click opens the article of the chosen
// title; Escape empties the box and gives the tree back as it was (only hidden meanwhile).
// Pop-up articles are listed in italics.
//
// The titles are read and folded on Qt's thread pool (StartBuild, once the first article is
// shown) and handed to the session's HelpContents, which keeps them; each keystroke then
// filters them on this thread (core TitleFilter).

#include "core/session/help_contents.h"
#include "core/store/help_set.h"

#include <QFutureWatcher>
#include <QLineEdit>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>

class QListView;

namespace mirelda::ui {

class TitleListModel;

class CTitleFilterBox : public QLineEdit
{
    Q_OBJECT
  public:
    // `tree` is what the list stands in for; `contents` (the session's) must outlive the box.
    CTitleFilterBox(mirelda::HelpContents& contents, QWidget* parent, QWidget* tree);
    ~CTitleFilterBox() override;

    // Reads the titles in the background for the contents, unless they are there or being
    // read; `index` must not change until StopBuild or Reset.
    void StartBuild(const mirelda::ArticleIndex& index, const std::filesystem::path& pgdPath);
    bool ready() const { return contents_.titles() != nullptr; }
    // Ends a build under way and waits for it (before the index goes).
    void StopBuild();
    // The help set was read again: the titles read before are dropped from the contents, and
    // StartBuild reads the new ones.
    void Reset();

    // The list of matching titles, placed by the bar over the tree's rectangle.
    QListView* results() const { return results_; }
    // Puts the focus in the box, its text selected.
    void Activate();
    // Escape: the box emptied, the tree shown again with the focus.
    void Dismiss();

  signals:
    // A title was opened: its article is to be shown.
    void articleChosen(std::int32_t article);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Refilter();
    void OpenRow(int row);

    QWidget* tree_;
    QListView* results_ = nullptr;
    TitleListModel* model_ = nullptr;
    mirelda::HelpContents& contents_;
    // One watcher a build, from StartBuild until its titles are in the contents, so that a
    // dropped build's pending signals go with its watcher.
    std::unique_ptr<QFutureWatcher<mirelda::TitleFilter>> build_;
    std::atomic<bool> stopBuild_{false};
};

} // namespace mirelda::ui
