#pragma once
// "Liste des signets": the session's bookmarks, row for row, with the buttons that show,
// delete and rename the one selected. Every change goes through the session, which writes
// the bookmark file; the rows only show its list.

#include "core/lists/bookmark_store.h"
#include "core/session/help_session.h"
#include "ui/lists/list_dlg.h"

namespace mirelda::ui {

class CBookmarkListDlg : public CListDlg, private mirelda::HelpSessionObserver
{
    Q_OBJECT
  public:
    CBookmarkListDlg(ListHost& host, mirelda::HelpSession& session, QWidget* mainWindow);
    ~CBookmarkListDlg() override;

    // What the user is told of the bookmark file found at start.
    void ReportLoad(mirelda::BookmarkStore::Found found);

    std::int32_t GetItemArticle(int i) const override;
    std::string GetItemName(int i) const override;

    void RenameSelected();
    void DeleteSelected();
    void UpdateButtons();

  protected:
    void ShowSelected() override;

  private:
    void BookmarkInserted(std::size_t row) override;
    void BookmarkRemoved(std::size_t row) override;
    void BookmarksNotSaved() override;
    const mirelda::Bookmark* BookmarkAt(int row) const;
    QString PathText() const;

    mirelda::HelpSession& session_;
};

} // namespace mirelda::ui
