#include "ui/lists/history_list_dlg.h"

#include <QListWidget>

namespace mirelda::ui {

CHistoryListDlg::CHistoryListDlg(ListHost& host, mirelda::HelpSession& session, QWidget* mainWindow)
    : CListDlg(host, mainWindow, 75, QStringLiteral("Historique des articles consultés"), false),
      session_(session)
{
    const mirelda::History& history = session_.history();
    for (std::size_t i = 0; const mirelda::HistoryEntry* entry = history.EntryAt(i); ++i)
        InsertRow(GetCount(), session_.ArticleTitle(entry->article), std::nullopt);
    session_.AddObserver(*this);
}

CHistoryListDlg::~CHistoryListDlg()
{
    session_.RemoveObserver(*this);
}

void CHistoryListDlg::HistoryEntryAdded(std::int32_t article)
{
    InsertRow(0, session_.ArticleTitle(article), std::nullopt);
}

void CHistoryListDlg::HistoryEntryRemoved()
{
    if (GetCount() > 0)
        delete list()->takeItem(0);
}

void CHistoryListDlg::ShowSelected()
{
    const int row = SelectedRow();
    // Copied: showing the entry records it, which changes the history under the pointer.
    const mirelda::HistoryEntry* entry =
        row < 0 ? nullptr : session_.history().EntryAt(static_cast<std::size_t>(row));
    if (!entry)
        return;
    const mirelda::HistoryEntry chosen = *entry;
    session_.ShowArticle(chosen.article, chosen.position);
}

} // namespace mirelda::ui
