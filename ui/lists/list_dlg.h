#pragma once
// The list window, in three modes: the history of the articles visited (1), the results of
// the last all-articles search (2) and the bookmarks (3); any other mode is a plain page
// list filled by its owner. Modeless, owned by the main window, created hidden once and then
// only shown and hidden: Escape and the close box hide it.
//
// Every entry keeps its text as Windows-1252 bytes (what the files hold) beside the shown
// text; the sorted modes place entries by those bytes in the shared list order. In the
// history mode an entry's row is its place in the history (0 = newest) and no article is
// stored with it. In the bookmarks mode the list is the bookmark collection itself.

#include "core/lists/bookmarks.h"

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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
    bool Create(int mode);

    int mode() const { return mode_; }
    QString title() const { return title_; }

    void Fill();
    void Clear();
    void SetSearch(const QString& text, bool matchCase, bool wholeWord);
    // Adds an entry at its sorted place. `name` is Windows-1252.
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

    // The bookmarks, in list order (bookmarks mode).
    std::vector<mirelda::Bookmark> Bookmarks() const;
    // The bookmark file exists but could not be read (or is damaged and could not be copied
    // aside): writing the list over it would lose what it holds, so it is left alone.
    bool bookmarkFileUnreadable() const { return bookmarkFileUnreadable_; }

    void ShowSelected();
    void RenameSelected();
    void DeleteSelected();
    void UpdateButtons();

    // Where a window at `window` goes so as not to cover `point` (screen coordinates): above
    // it when there is room, otherwise below it when it fits on a screen `screenHeight` high;
    // its current place otherwise, or when it does not cover the point.
    static QPoint PlaceAwayFrom(const QRect& window, const QPoint& point, int screenHeight);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void LoadBookmarks();
    void Layout();
    void InsertRow(int row, const std::string& name, std::int32_t article);
    int SelectedRow() const;
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
    bool bookmarkFileUnreadable_ = false;
};
