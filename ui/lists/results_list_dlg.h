#pragma once
// "Résultats de la recherche": the articles the last all-articles search found, in the list
// order, with the searched text and the count in the caption. Opening one selects the first
// occurrence of the text in it and moves the window off it.

#include "ui/lists/list_dlg.h"

#include <QPoint>

#include <string_view>

namespace mirelda {
class HelpSession;
}

namespace mirelda::ui {

class CResultsListDlg : public CListDlg
{
    Q_OBJECT
  public:
    CResultsListDlg(ListHost& host, mirelda::HelpSession& session, QWidget* mainWindow);

    void Clear();
    // The caption and the text opened results select; the caption changes at the next Clear.
    void SetSearch(const QString& text, bool matchCase, bool wholeWord);
    // Adds an entry at its sorted place. `name` is Windows-1252.
    void AddItem(std::int32_t article, std::string_view name);

  protected:
    void ShowSelected() override;

  private:
    void FitCaptionWidth();
    void MoveAwayFrom(const QPoint& point);

    mirelda::HelpSession& session_;
    QString searchText_;
    bool searchMatchCase_ = false;
    bool searchWholeWord_ = false;
};

} // namespace mirelda::ui
