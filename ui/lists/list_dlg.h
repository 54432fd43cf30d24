#pragma once
// The list window, in three modes: the history of the articles visited (1), the results of
// the last all-articles search (2) and the bookmarks (3); any other mode is a plain page
// list filled by its owner. Modeless, owned by the main window, created hidden once and then
// only shown and hidden: Escape and the close box hide it.
//
// Every entry keeps its text as Windows-1252 bytes (what the files hold) beside the shown
// text; the sorted modes place entries by those bytes in the shared list order. In the
// history mode an entry's row is its place in the history (0 = newest) and no article is
// stored with it. In the bookmarks mode the window owns the bookmark store, whose list is
// the bookmark collection: every change goes through it, and the rows only show it.

#include "core/lists/bookmark_store.h"

#include <QDialog>
#include <QPoint>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class ListHost;
class QListWidget;
class QPushButton;

class CListDlg : public QDialog
{
    Q_OBJECT
  public:
    enum Mode : int { HistoryMode = 1, ResultsMode = 2, BookmarksMode = 3 };

    CListDlg(ListHost& host, QWidget* mainWindow);

    // Places the hidden window by mode, sets its caption and fills it (the bookmarks mode
    // reads the bookmark file). Called once.
    void Create(int mode);

    int mode() const { return mode_; }
    QString title() const { return title_; }

    void Fill();
    void Clear();
    void SetSearch(const QString& text, bool matchCase, bool wholeWord);
    // Adds an entry at its sorted place (in the bookmarks mode, a bookmark). `name` is
    // Windows-1252.
    void AddItem(std::int32_t article, std::string_view name);
    void AddItem(std::int32_t article, const QString& text); // encoded to Windows-1252
    void Show();

    // The history mode's mirror of the history; false when there is nothing to do.
    bool InsertTop(std::int32_t article);
    bool RemoveTop();

    int GetCount() const;
    std::int32_t GetItemArticle(int i) const;
    QString GetItemText(int i) const;
    std::string GetItemName(int i) const; // Windows-1252

    // Windows-1252; an article that is not in the index, or whose record cannot be read,
    // gets "Article " and its number.
    std::string GetArticleTitle(std::int32_t article) const;

    // The bookmarks and their file (bookmarks mode only; null otherwise).
    const mirelda::BookmarkStore* bookmarks() const { return bookmarks_ ? &*bookmarks_ : nullptr; }

    void ShowSelected();
    void RenameSelected();
    void DeleteSelected();
    void UpdateButtons();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void FitCaptionWidth();
    void LoadBookmarks();
    void Layout();
    void InsertRow(int row, const std::string& name, std::int32_t article);
    int SelectedRow() const;
    const mirelda::Bookmark* BookmarkAt(int row) const;
    void MoveAwayFrom(const QPoint& point);

    ListHost& host_;
    bool ready_ = false;
    QPushButton* rename_ = nullptr;
    QPushButton* show_ = nullptr;
    QPushButton* delete_ = nullptr;
    QListWidget* list_ = nullptr;
    int mode_ = 0;
    QString title_;
    QString searchText_;
    bool searchMatchCase_ = false;
    bool searchWholeWord_ = false;
    std::optional<mirelda::BookmarkStore> bookmarks_;
};
