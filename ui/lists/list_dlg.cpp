#include "ui/lists/list_dlg.h"

#include "core/store/cp1252.h"
#include "core/view/window_placement.h"
#include "ui/lists/bookmark_name_dlg.h"
#include "ui/lists/list_host.h"
#include "ui/widgets/dialog_units.h"
#include "ui/widgets/qt_path.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace {

constexpr int kArticleRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1; // the entry's text as Windows-1252 bytes

QString Decode(std::string_view bytes)
{
    return QString::fromStdU16String(mirelda::DecodeCp1252(bytes));
}

QString PathText(const std::filesystem::path& path)
{
    return ToQString(path);
}

} // namespace

CListDlg::CListDlg(ListHost& host, QWidget* mainWindow) : QDialog(mainWindow), host_(host)
{
    setObjectName(QStringLiteral("listDlg"));
    setWindowTitle(QStringLiteral("Dialog Historique"));
    setSizeGripEnabled(false);

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("articleList"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    // Made in the order rename, show, delete; the tab order is set apart below.
    rename_ = new QPushButton(QStringLiteral("&Renommer"), this);
    rename_->setObjectName(QStringLiteral("renameButton"));
    show_ = new QPushButton(QStringLiteral("&Afficher"), this);
    show_->setObjectName(QStringLiteral("showButton"));
    show_->hide();
    delete_ = new QPushButton(QStringLiteral("&Supprimer"), this);
    delete_->setObjectName(QStringLiteral("deleteButton"));
    for (QPushButton* b : {show_, delete_, rename_})
        b->setAutoDefault(false);
    show_->setDefault(true);
    setTabOrder(list_, show_);
    setTabOrder(show_, delete_);
    setTabOrder(delete_, rename_);

    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { ShowSelected(); });
    connect(list_, &QListWidget::itemSelectionChanged, this, &CListDlg::UpdateButtons);
    connect(show_, &QPushButton::clicked, this, &CListDlg::ShowSelected);
    connect(rename_, &QPushButton::clicked, this, &CListDlg::RenameSelected);
    connect(delete_, &QPushButton::clicked, this, &CListDlg::DeleteSelected);
}

void CListDlg::Create(int mode)
{
    mode_ = mode;
    ready_ = true;
    if (mode == BookmarksMode)
        bookmarks_.emplace(host_.bookmarkFile(), host_.listOrder());

    const int place = 25 * mode + 50; // history 75, results 100, bookmarks 125
    move(place, place);
    resize(320, 200);
    Layout(); // a hidden window gets its resize event only when shown

    switch (mode) {
    case HistoryMode:
        title_ = QStringLiteral("Historique des articles consultés");
        break;
    case ResultsMode:
        title_ = QStringLiteral("Résultats de la recherche");
        break;
    case BookmarksMode:
        title_ = QStringLiteral("Liste des signets");
        break;
    default:
        title_ = QStringLiteral("Liste de pages");
        break;
    }
    setWindowTitle(title_);
    list_->setAccessibleName(title_);
    list_->setAccessibleDescription(QStringLiteral("Un double-clic sur une ligne affiche son article."));

    Fill();

    // Only the bookmarks window shows buttons.
    const bool bookmarks = mode == BookmarksMode;
    delete_->setEnabled(bookmarks);
    rename_->setEnabled(bookmarks);
    for (QPushButton* b : {show_, delete_, rename_})
        b->setVisible(bookmarks);
    UpdateButtons();
}

void CListDlg::Fill()
{
    list_->clear();
    if (mode_ == HistoryMode) {
        const mirelda::History& history = host_.history();
        for (std::size_t i = 0; const mirelda::HistoryEntry* entry = history.EntryAt(i); ++i)
            InsertRow(list_->count(), GetArticleTitle(entry->article), 0);
    } else if (mode_ == BookmarksMode) {
        LoadBookmarks();
    }
    UpdateButtons();
}

void CListDlg::Clear()
{
    list_->clear();
    if (bookmarks_)
        bookmarks_->list().Clear();
    setWindowTitle(title_);
    UpdateButtons();
}

void CListDlg::SetSearch(const QString& text, bool matchCase, bool wholeWord)
{
    searchText_ = text;
    searchMatchCase_ = matchCase;
    searchWholeWord_ = wholeWord;
    title_ = text.isEmpty() ? QStringLiteral("Résultats de la recherche")
                            : QStringLiteral("Recherche sur «") + text + QStringLiteral("»");
}

void CListDlg::AddItem(std::int32_t article, std::string_view name)
{
    const std::string bytes(name);
    const std::size_t at =
        bookmarks_ ? bookmarks_->list().Add({bytes, article})
                   : host_.listOrder().InsertPosition(
                         static_cast<std::size_t>(list_->count()),
                         [this](std::size_t i) { return GetItemName(static_cast<int>(i)); }, bytes);
    InsertRow(static_cast<int>(at), bytes, article);

    const int n = list_->count();
    const QString count =
        n < 2 ? QStringLiteral(" (%1 sujet trouvé)").arg(n) : QStringLiteral(" (%1 sujets trouvés)").arg(n);
    if (mode_ == ResultsMode) {
        setWindowTitle(title_ + count);
        FitCaptionWidth();
    }
    UpdateButtons();
}

void CListDlg::FitCaptionWidth()
{
    // A window manager cuts a caption wider than its window, often in the middle, which is
    // where the searched string and the count are: the window grows (never shrinks) to show
    // the whole caption, as far as the screen allows. The allowance is for the caption's
    // buttons and icon.
    constexpr int kCaptionAllowance = 140;
    const int wanted = fontMetrics().horizontalAdvance(windowTitle()) + kCaptionAllowance;
    int room = wanted;
    if (const QScreen* screen = this->screen())
        room = std::max(width(), screen->availableGeometry().right() - x());
    const int fitted = std::min(wanted, room);
    if (fitted > width())
        resize(fitted, height());
}

void CListDlg::AddItem(std::int32_t article, const QString& text)
{
    AddItem(article, mirelda::EncodeCp1252(text.toStdU16String()));
}

void CListDlg::Show()
{
    showNormal();
    raise();
    activateWindow();
}

bool CListDlg::InsertTop(std::int32_t article)
{
    if (!ready_)
        return false;
    InsertRow(0, GetArticleTitle(article), 0);
    UpdateButtons();
    return true;
}

bool CListDlg::RemoveTop()
{
    if (!ready_ || list_->count() == 0)
        return false;
    delete list_->takeItem(0);
    return true;
}

int CListDlg::GetCount() const
{
    return list_->count();
}

std::int32_t CListDlg::GetItemArticle(int i) const
{
    if (bookmarks_) {
        const mirelda::Bookmark* bookmark = BookmarkAt(i);
        return bookmark ? bookmark->article : 0;
    }
    const QListWidgetItem* item = list_->item(i);
    return item ? item->data(kArticleRole).toInt() : 0;
}

QString CListDlg::GetItemText(int i) const
{
    const QListWidgetItem* item = list_->item(i);
    return item ? item->text() : QString();
}

std::string CListDlg::GetItemName(int i) const
{
    if (bookmarks_) {
        const mirelda::Bookmark* bookmark = BookmarkAt(i);
        return bookmark ? bookmark->name : std::string();
    }
    const QListWidgetItem* item = list_->item(i);
    return item ? item->data(kNameRole).toByteArray().toStdString() : std::string();
}

std::string CListDlg::GetArticleTitle(std::int32_t article) const
{
    std::string fallback = "Article " + std::to_string(article);
    const mirelda::ArticleEntry* entry = host_.articleIndex().FindArticle(article);
    if (!entry)
        return fallback;
    auto reader = mirelda::ArticleDataReader::Open(host_.dataFile());
    if (!reader) {
        host_.ReportFileError(reader.error());
        return fallback;
    }
    auto title = reader->ReadTitle(*entry);
    if (!title) {
        host_.ReportFileError(title.error());
        return fallback;
    }
    return std::move(*title);
}

void CListDlg::LoadBookmarks()
{
    if (!bookmarks_)
        return;
    using Found = mirelda::BookmarkStore::Found;
    const Found found = bookmarks_->Load();
    const mirelda::BookmarkList& list = bookmarks_->list();
    for (std::size_t i = 0; i < list.size(); ++i)
        InsertRow(static_cast<int>(i), list.at(i).name, list.at(i).article);
    const QString path = PathText(bookmarks_->path());
    switch (found) {
    case Found::NoFile: // a first run: nothing to say
    case Found::Read:
        break;
    case Found::Unreadable:
        host_.ShowMessage(QStringLiteral("Impossible de lire le fichier des signets %1. "
                                         "Il ne sera pas remplacé à la fermeture.")
                              .arg(path),
                          QMessageBox::Warning);
        break;
    case Found::DamagedKept:
        host_.ShowMessage(
            QStringLiteral("Le fichier des signets %1 est endommagé : seuls les %2 premiers signets "
                           "ont pu être lus. Aucune copie n'a pu en être gardée : il ne sera pas remplacé.")
                .arg(path)
                .arg(list.size()),
            QMessageBox::Warning);
        break;
    case Found::Damaged:
        host_.ShowMessage(
            QStringLiteral("Le fichier des signets %1 est endommagé : seuls les %2 premiers signets "
                           "ont pu être lus.")
                .arg(path)
                .arg(list.size()),
            QMessageBox::Warning);
        break;
    }
}

const mirelda::Bookmark* CListDlg::BookmarkAt(int row) const
{
    if (!bookmarks_ || row < 0 || static_cast<std::size_t>(row) >= bookmarks_->list().size())
        return nullptr;
    return &bookmarks_->list().at(static_cast<std::size_t>(row));
}

int CListDlg::SelectedRow() const
{
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    return selected.isEmpty() ? -1 : list_->row(selected.first());
}

void CListDlg::ShowSelected()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    if (mode_ == HistoryMode) {
        // Copied: showing the entry records it, which changes the history under the pointer.
        const mirelda::HistoryEntry* entry = host_.history().EntryAt(static_cast<std::size_t>(row));
        if (!entry)
            return;
        const mirelda::HistoryEntry chosen = *entry;
        host_.GoToArticle(chosen.article, chosen.position);
        return;
    }
    const bool shown = host_.GoToArticle(GetItemArticle(row), 0);
    if (mode_ != ResultsMode || !shown || searchText_.isEmpty())
        return;
    // An article that matched by its title alone has no occurrence to select.
    if (const std::optional<QPoint> found =
            host_.HighlightInArticle(searchText_, searchMatchCase_, searchWholeWord_))
        MoveAwayFrom(*found);
}

void CListDlg::MoveAwayFrom(const QPoint& point)
{
    const QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = this->screen();
    const int screenHeight = screen ? screen->geometry().height() : 0;
    const QRect window = frameGeometry();
    const mirelda::PixelPoint to = mirelda::PlaceAwayFrom(
        {window.left(), window.top(), window.left() + window.width(), window.top() + window.height()},
        {point.x(), point.y()}, screenHeight);
    if (QPoint(to.x, to.y) != window.topLeft())
        move(to.x, to.y);
}

void CListDlg::RenameSelected()
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
    std::string name = mirelda::EncodeCp1252(dialog.name().toStdU16String());
    const std::size_t at = bookmarks_->list().Rename(static_cast<std::size_t>(row), name);
    delete list_->takeItem(row);
    InsertRow(static_cast<int>(at), name, old.article);
    // A rename is a delete and an add: like both, it leaves nothing selected.
    list_->clearSelection();
    list_->setCurrentRow(-1);
    UpdateButtons();
    host_.bookmarksChanged();
}

void CListDlg::DeleteSelected()
{
    const int row = SelectedRow();
    const mirelda::Bookmark* selected = BookmarkAt(row);
    if (!selected)
        return;
    const mirelda::Bookmark asked = *selected;
    const QString question =
        QStringLiteral("Voulez-vous supprimer le signet «") + GetItemText(row) + QStringLiteral("» ?");
    if (host_.ShowMessage(question, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No) !=
        QMessageBox::Yes)
        return;
    // Only the bookmark the user was asked about, should the list have changed meanwhile.
    if (const mirelda::Bookmark* now = BookmarkAt(row); now && *now == asked) {
        bookmarks_->list().Remove(static_cast<std::size_t>(row));
        delete list_->takeItem(row);
    }
    // As the desktop's list box does, nothing stays selected after a deletion.
    list_->setCurrentItem(nullptr);
    list_->clearSelection();
    UpdateButtons();
    host_.bookmarksChanged();
}

void CListDlg::UpdateButtons()
{
    if (mode_ != BookmarksMode)
        return;
    const bool enable = list_->count() > 0 && SelectedRow() >= 0;
    for (QPushButton* b : {show_, delete_, rename_})
        b->setEnabled(enable);
}

void CListDlg::InsertRow(int row, const std::string& name, std::int32_t article)
{
    auto* item = new QListWidgetItem(Decode(name));
    item->setData(kNameRole, QByteArray::fromStdString(name));
    if (mode_ != HistoryMode)
        item->setData(kArticleRole, article);
    list_->insertItem(row, item);
}

void CListDlg::Layout()
{
    if (!ready_)
        return;
    const int w = width();
    const int h = height();
    // The buttons' place in the band under the list, from the dialog's layout in dialog units
    // (3, 47 and 91 across, 44 × 12 each); they grow, side by side, when the style needs more
    // room for their texts.
    const DialogUnits du;
    int buttonWidth = du.X(44);
    int buttonHeight = du.Y(12);
    for (const QPushButton* b : {show_, delete_, rename_}) {
        buttonWidth = std::max(buttonWidth, b->sizeHint().width());
        buttonHeight = std::max(buttonHeight, b->sizeHint().height());
    }
    const int buttonTop = h - buttonHeight - 1;
    const int listHeight = mode_ == BookmarksMode ? h - buttonHeight - 5 : h - 2;
    list_->setGeometry(1, 1, std::max(0, w - 2), std::max(0, listHeight));
    // Placed whatever the mode, shown only in the bookmarks mode.
    int x = du.X(3);
    for (QPushButton* b : {show_, delete_, rename_}) {
        b->setGeometry(x, buttonTop, buttonWidth, buttonHeight);
        x += buttonWidth;
    }
}

void CListDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    Layout();
}

void CListDlg::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    // The desktop marks the main window once, so that the user sees which viewer a list
    // window belongs to as it takes or gives up the focus.
    if (event->type() == QEvent::ActivationChange && parentWidget())
        QApplication::alert(parentWidget()->window(), 300);
}
