#pragma once
// The contents tree, docked at the frame's left edge: books and pages loaded once from the
// help set's .FIC, opened by double click, Enter or space, and resized with the splitter
// strip along its right edge as a fraction of the frame's width.
//
// The bar reaches the rest of the program only through the Host it is given: it never
// reads the frame's article view or the application object itself.

#include "core/store/result.h"
#include "core/tree/contents_file.h"
#include "ui/tree/dlg_bar.h"

#include <QIcon>
#include <QVector>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <unordered_map>

class QTreeWidget;
class QTreeWidgetItem;

class CTreeBar : public CDlgBar, public mirelda::ContentsTree
{
    Q_OBJECT
  public:
    struct Host
    {
        // ShowArticle(article, 0) on the frame's article view; its result.
        std::function<bool(std::int32_t article)> showArticle;
        // A message box with an OK button, captioned with the help set's title.
        std::function<void(const QString& text)> showMessage;
        // Escape in the tree.
        std::function<void()> minimizeMainWindow;
    };

    static constexpr int kBarId = 102;
    static constexpr int kTreeId = 1003;
    static constexpr int kStripId = 104;
    static constexpr int kImageCount = 15;

    explicit CTreeBar(Host host, QWidget* parent = nullptr);
    ~CTreeBar() override;

    // Builds the bar for `frame`: the tree, its images and the strip (a strip that cannot be
    // made is reported with "Error creating staticbar" and the bar goes on without it).
    // False when the bar itself cannot be made. The frame then docks it on the left.
    bool Create(QMainWindow* frame);

    // Appends the .FIC's entries to the tree (once, when the help set is opened).
    mirelda::Result<mirelda::TreeLoadReport> LoadTree(const std::filesystem::path& ficPath);

    // Shows the article of `item`; false for no item, a book, or an article not shown.
    bool OpenItem(QTreeWidgetItem* item);
    // Selects the first entry (in tree order) that opens `article`, expanding its ancestors
    // and scrolling to it, without opening it. Nothing changes when no entry opens it.
    void SelectArticle(std::int32_t article);
    // The docked width: the strip's fraction of the frame's client width, at least 10.
    void ApplyWidth();

    QTreeWidget* tree() const { return tree_; }
    CSplitterStrip* strip() const { return strip_; }
    float fraction() const;
    // The article an item opens (0 for a book or an item not in the table).
    std::int32_t ArticleOf(const QTreeWidgetItem* item) const;
    static int ImageIndexOf(const QTreeWidgetItem* item);

    // mirelda::ContentsTree, for the loader.
    Item InsertLast(Item parent, std::string_view titleCp1252, int image) override;
    Item ParentOf(Item item) const override;
    int ImageOf(Item item) const override;

    // SplitterStripHost
    void ApplyStripValue() override { ApplyWidth(); }

  protected:
    void ClientResized(QSize size) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void LoadImages();
    void SetImage(QTreeWidgetItem* item, int image);
    void ItemToggled(QTreeWidgetItem* item, bool expanded);
    bool TreeKeyPressed(int key);

    Host host_;
    QTreeWidget* tree_ = nullptr;
    CSplitterStrip* strip_ = nullptr;
    QVector<QIcon> images_;
    std::unordered_map<Item, std::int32_t> itemArticles_;
};
