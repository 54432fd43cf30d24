#pragma once
// The contents tree, docked at the frame's left edge: books and pages loaded once from the
// help set's .FIC, opened by double click, Enter or space, and resized with the splitter
// strip along its right edge as a fraction of the frame's width.
//
// The entries live in the core's flat tree, which the help session's HelpContents holds,
// behind an item model: the view asks only for the rows it shows, so a tree of any size costs
// nothing until it is looked at, and the file can be read on Qt's thread pool while the
// window goes on.
//
// The bar reaches the rest of the program only through the Host it is given: it never
// reads the frame's article view or the application object itself.

#include "core/session/help_contents.h"
#include "core/store/help_set.h"
#include "core/store/result.h"
#include "ui/tree/contents_tree_model.h"
#include "ui/widgets/dlg_bar.h"

#include <QFutureWatcher>
#include <QModelIndex>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

class QHelpEvent;
class QTreeView;

namespace mirelda::ui {

class CTitleFilterBox;

class CTreeBar : public CDlgBar
{
    Q_OBJECT
  public:
    static constexpr int kStripId = 104;
    static constexpr int kImageCount = 15;

    // `contents` (the session's) must outlive the bar.
    explicit CTreeBar(mirelda::HelpContents& contents, QWidget* parent = nullptr);
    ~CTreeBar() override;

    // Builds the bar for `frame`: the tree, its images and the strip (a strip that cannot be
    // made is reported with "Error creating staticbar" and the bar goes on without it).
    // False when the bar itself cannot be made. The frame then docks it on the left.
    bool Create(QMainWindow* frame);

    using LoadResult = mirelda::Result<mirelda::TreeLoadReport>;
    // Fills the contents' tree with the .FIC's entries, on this thread.
    LoadResult LoadTree(const std::filesystem::path& ficPath);
    // The same on Qt's thread pool (HelpContents::ReadTree); the tree is handed to the
    // contents and shown, and `done` called, on this thread when the file has been read. A
    // SelectArticle asked for meanwhile is carried out then. Nothing happens while a load is
    // under way.
    void StartLoadTree(const std::filesystem::path& ficPath, std::function<void(const LoadResult&)> done);
    // Asks a running StartLoadTree to end soon: `done` still comes, with `stopped` reported
    // and the entries read so far in the tree.
    void StopLoadTree() { stopLoad_ = true; }
    bool treeLoaded() const { return !load_; }

    // Asks for the article of `item` (articleChosen); false for no item or a book.
    bool OpenItem(const QModelIndex& item);
    // Selects the first entry that opens `article`, expanding its ancestors and scrolling to
    // it, without opening it. Nothing changes when no entry opens it.
    void SelectArticle(std::int32_t article);
    // The docked width: the strip's fraction of the frame's client width, at least 10.
    void ApplyWidth();

    // Reads the titles for the filter box above the tree, in the background, for the
    // contents; `index` must not change until StopBuildTitles or ResetTitles.
    void StartBuildTitles(const mirelda::ArticleIndex& index, const std::filesystem::path& pgdPath);
    void StopBuildTitles();
    // The help set was read again: its titles are read again at the next StartBuildTitles.
    void ResetTitles();
    CTitleFilterBox* titleFilter() const { return filter_; }

    QTreeView* tree() const { return tree_; }
    CContentsTreeModel* model() const { return model_; }
    CSplitterStrip* strip() const { return strip_; }
    float fraction() const;
    // The article an item opens (0 for a book or no item): the item-to-article table.
    std::int32_t ArticleOf(const QModelIndex& item) const;
    static int ImageIndexOf(const QModelIndex& item);
    // The articles of a book's pages, in tree order; empty for a page or no item.
    std::vector<std::int32_t> BookArticlesOf(const QModelIndex& item) const;

    // Whether the pane shows less than the whole title of `item` (it runs past an edge).
    bool TitleCut(const QModelIndex& item) const;

    // SplitterStripHost
    void ApplyStripValue() override { ApplyWidth(); }

  signals:
    // A page was opened (click, Enter, the title filter): the article to show.
    void articleChosen(std::int32_t article);
    // A message box with an OK button, captioned with the help set's title.
    void messageRequested(const QString& text);
    // Escape in the tree.
    void minimizeRequested();
    // "&Imprimer le livre..." (preview false) or "Aperçu du livre" on a book: its pages'
    // articles in tree order, and its title. Without a receiver the tree has no context menu.
    void printBookRequested(const std::vector<std::int32_t>& articles, const QString& title, bool preview);

  protected:
    void ClientResized(QSize size) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void LoadImages();
    void ItemToggled(const QModelIndex& item, bool expanded);
    bool TreeKeyPressed(int key);
    void TreeLoaded();
    void FitColumnSoon();
    void ShowBookMenu(const QModelIndex& item, QPoint viewportPos);
    void ShowCutTitle(QHelpEvent* help);

    QTreeView* tree_ = nullptr;
    CContentsTreeModel* model_ = nullptr;
    CSplitterStrip* strip_ = nullptr;
    CTitleFilterBox* filter_ = nullptr;
    mirelda::HelpContents& contents_;
    // From StartLoadTree until its tree is in the model; one watcher a load.
    std::unique_ptr<QFutureWatcher<mirelda::HelpContents::TreeRead>> load_;
    std::atomic<bool> stopLoad_{false};
    std::int32_t pendingSelect_ = 0;
    bool fitPending_ = false;
};

} // namespace mirelda::ui
