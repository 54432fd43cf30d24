#pragma once
// "Historique des articles consultés": the history of the session, newest first, line for
// line. A row's place is its place in the history (0 = newest); no article is stored with it.

#include "core/session/help_session.h"
#include "ui/lists/list_dlg.h"

namespace mirelda::ui {

class CHistoryListDlg : public CListDlg, private mirelda::HelpSessionObserver
{
    Q_OBJECT
  public:
    CHistoryListDlg(ListHost& host, mirelda::HelpSession& session, QWidget* mainWindow);
    ~CHistoryListDlg() override;

  protected:
    void ShowSelected() override;

  private:
    void HistoryEntryAdded(std::int32_t article) override;
    void HistoryEntryRemoved() override;

    mirelda::HelpSession& session_;
};

} // namespace mirelda::ui
