#pragma once
// The open help set's contents tree and the finder of its article titles. Both take long to
// make on a large help set, so they are made on a worker thread by ReadTree and BuildTitles,
// which touch nothing of this object, and handed over with AdoptTree and AdoptTitles on the
// thread that uses them; the windows that show them hold a reference to this object.

#include "core/search/title_filter.h"
#include "core/store/help_set.h"
#include "core/store/result.h"
#include "core/tree/contents_file.h"
#include "core/tree/flat_contents_tree.h"

#include <atomic>
#include <filesystem>
#include <memory>

namespace mirelda {

class HelpContents
{
  public:
    struct TreeRead
    {
        FlatContentsTree tree; // finished, ready to be shown
        Result<TreeLoadReport> report;
    };
    // The .FIC's entries in a new tree; a stop request ends the read with the entries read so
    // far in place (the report says `stopped`). Any thread.
    static TreeRead ReadTree(const std::filesystem::path& ficPath, const std::atomic<bool>* stop = nullptr);
    // The titles of `index`'s articles, ready to be filtered; a data file that cannot be read
    // leaves the filter empty (the tree is still there). Any thread; `index` must stay as it is
    // until it returns.
    static TitleFilter BuildTitles(const ArticleIndex& index, const std::filesystem::path& pgdPath,
                                   const std::atomic<bool>* stop = nullptr);

    const FlatContentsTree& tree() const { return tree_; }
    // Mutable for the images of the books opened and closed in the window.
    FlatContentsTree& tree() { return tree_; }
    void AdoptTree(FlatContentsTree tree) { tree_ = std::move(tree); }

    // Null until titles have been adopted, and again once they are dropped.
    TitleFilter* titles() { return titles_.get(); }
    void AdoptTitles(TitleFilter titles) { titles_ = std::make_unique<TitleFilter>(std::move(titles)); }
    // The help set was read again: its titles are no longer those of the index.
    void DropTitles() { titles_.reset(); }

  private:
    FlatContentsTree tree_;
    std::unique_ptr<TitleFilter> titles_;
};

} // namespace mirelda
