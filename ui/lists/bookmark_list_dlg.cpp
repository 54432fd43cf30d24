#include "ui/lists/bookmark_list_dlg.h"

#include "core/store/cp1252.h"
#include "ui/lists/bookmark_name_dlg.h"
#include "ui/lists/list_host.h"
#include "ui/widgets/qt_path.h"

#include <QListWidget>
#include <QPushButton>

namespace mirelda::ui {

CBookmarkListDlg::CBookmarkListDlg(ListHost& host, mirelda::HelpSession& session, QWidget* mainWindow)
    : CListDlg(host, mainWindow, 125, QStringLiteral("Liste des signets"), true), session_(session)
{
    connect(list(), &QListWidget::itemSelectionChanged, this, &CBookmarkListDlg::UpdateButtons);
    connect(renameButton(), &QPushButton::clicked, this, &CBookmarkListDlg::RenameSelected);
    connect(deleteButton(), &QPushButton::clicked, this, &CBookmarkListDlg::DeleteSelected);
    const mirelda::BookmarkList& bookmarks = session_.bookmarks().list();
    for (std::size_t i = 0; i < bookmarks.size(); ++i)
        InsertRow(static_cast<int>(i), bookmarks.at(i).name, bookmarks.at(i).article);
    UpdateButtons();
    session_.AddObserver(*this);
}

CBookmarkListDlg::~CBookmarkListDlg()
{
    session_.RemoveObserver(*this);
}

QString CBookmarkListDlg::PathText() const
{
    return ToQString(session_.bookmarks().path());
}

void CBookmarkListDlg::ReportLoad(mirelda::BookmarkStore::Found found)
{
    using Found = mirelda::BookmarkStore::Found;
    const std::size_t read = session_.bookmarks().list().size();
    switch (found) {
    case Found::NoFile: // a first run: nothing to say
    case Found::Read:
        break;
    case Found::Unreadable:
        host().ShowMessage(QStringLiteral("Impossible de lire le fichier des signets %1. "
                                          "Il ne sera pas remplacé à la fermeture.")
                               .arg(PathText()),
                           QMessageBox::Warning);
        break;
    case Found::DamagedKept:
        host().ShowMessage(
            QStringLiteral("Le fichier des signets %1 est endommagé : seuls les %2 premiers signets "
                           "ont pu être lus. Aucune copie n'a pu en être gardée : il ne sera pas remplacé.")
                .arg(PathText())
                .arg(read),
            QMessageBox::Warning);
        break;
    case Found::Damaged:
        host().ShowMessage(QStringLiteral("Le fichier des signets %1 est endommagé : seuls les %2 premiers "
                                          "signets ont pu être lus.")
                               .arg(PathText())
                               .arg(read),
                           QMessageBox::Warning);
        break;
    }
}

void CBookmarkListDlg::BookmarkInserted(std::size_t row)
{
    const mirelda::Bookmark* bookmark = BookmarkAt(static_cast<int>(row));
    if (!bookmark)
        return;
    InsertRow(static_cast<int>(row), bookmark->name, bookmark->article);
    UpdateButtons();
}

void CBookmarkListDlg::BookmarkRemoved(std::size_t row)
{
    delete list()->takeItem(static_cast<int>(row));
    UpdateButtons();
}

void CBookmarkListDlg::BookmarksNotSaved()
{
    const QString path = PathText();
    host().ShowMessage(QStringLiteral("Impossible d'enregistrer les signets dans le fichier %1.").arg(path),
                       QMessageBox::Warning);
}

const mirelda::Bookmark* CBookmarkListDlg::BookmarkAt(int row) const
{
    const mirelda::BookmarkList& bookmarks = session_.bookmarks().list();
    if (row < 0 || static_cast<std::size_t>(row) >= bookmarks.size())
        return nullptr;
    return &bookmarks.at(static_cast<std::size_t>(row));
}

std::int32_t CBookmarkListDlg::GetItemArticle(int i) const
{
    const mirelda::Bookmark* bookmark = BookmarkAt(i);
    return bookmark ? bookmark->article : 0;
}

std::string CBookmarkListDlg::GetItemName(int i) const
{
    const mirelda::Bookmark* bookmark = BookmarkAt(i);
    return bookmark ? bookmark->name : std::string();
}

void CBookmarkListDlg::ShowSelected()
{
    const int row = SelectedRow();
    if (row >= 0)
        session_.ShowArticle(GetItemArticle(row), 0);
}

void CBookmarkListDlg::RenameSelected()
{
    const int row = SelectedRow();
    const mirelda::Bookmark* selected = BookmarkAt(row);
    if (!selected)
        return;
    const mirelda::Bookmark old = *selected;
    CBookmarkNameDlg dialog(QStringLiteral("Renommer le signet"), GetItemText(row), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The list may have changed while the dialog was open (the viewer closed from outside).
    if (const mirelda::Bookmark* now = BookmarkAt(row); !now || *now != old)
        return;
    session_.RenameBookmark(static_cast<std::size_t>(row),
                            mirelda::EncodeCp1252(dialog.name().toStdU16String()));
    // A rename is a delete and an add: like both, it leaves nothing selected.
    list()->clearSelection();
    list()->setCurrentRow(-1);
    UpdateButtons();
}

void CBookmarkListDlg::DeleteSelected()
{
    const int row = SelectedRow();
    const mirelda::Bookmark* selected = BookmarkAt(row);
    if (!selected)
        return;
    const mirelda::Bookmark asked = *selected;
    const QString question =
        QStringLiteral("Voulez-vous supprimer le signet «") + GetItemText(row) + QStringLiteral("» ?");
    if (host().ShowMessage(question, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No) !=
        QMessageBox::Yes)
        return;
    // Only the bookmark the user was asked about, should the list have changed meanwhile.
    if (const mirelda::Bookmark* now = BookmarkAt(row); now && *now == asked)
        session_.RemoveBookmark(static_cast<std::size_t>(row));
    else
        session_.SaveBookmarks();
    // As the desktop's list box does, nothing stays selected after a deletion.
    list()->setCurrentItem(nullptr);
    list()->clearSelection();
    UpdateButtons();
}

void CBookmarkListDlg::UpdateButtons()
{
    const bool enable = GetCount() > 0 && SelectedRow() >= 0;
    for (QPushButton* b : {showButton(), deleteButton(), renameButton()})
        b->setEnabled(enable);
}

} // namespace mirelda::ui
