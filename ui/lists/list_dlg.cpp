#include "ui/lists/list_dlg.h"

#include "core/store/cp1252.h"
#include "ui/lists/bookmark_name_dlg.h"
#include "ui/lists/list_host.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <exception>
#include <system_error>

namespace {

constexpr int kArticleRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1; // the entry's text as Windows-1252 bytes

QString Decode(std::string_view bytes)
{
    return QString::fromStdU16String(mirelda::DecodeCp1252(bytes));
}

QString PathText(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

// The buttons' place in the band under the list, from the dialog's layout in dialog units
// (3, 47 and 91 across, 44 × 12 each) at the usual 1.5 × 1.625 pixels per unit; they grow,
// side by side, when the style needs more room for their texts.
constexpr int kButtonLeft = 4;
constexpr int kButtonWidth = 66;
constexpr int kButtonHeight = 20;

} // namespace

CListDlg::CListDlg(ListHost& host, QWidget* mainWindow) : QDialog(mainWindow), host_(host)
{
    setObjectName(QStringLiteral("listDlg"));
    setWindowTitle(QStringLiteral("Dialog Historique"));
    setSizeGripEnabled(false);

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("list1009"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    // Members in the order the dialog's data exchange binds them: rename, show, delete.
    rename_ = new QPushButton(QStringLiteral("&Renommer"), this);
    rename_->setObjectName(QStringLiteral("button1024"));
    show_ = new QPushButton(QStringLiteral("&Afficher"), this);
    show_->setObjectName(QStringLiteral("button1020"));
    show_->hide();
    delete_ = new QPushButton(QStringLiteral("&Supprimer"), this);
    delete_->setObjectName(QStringLiteral("button1023"));
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

bool CListDlg::Create(int mode)
{
    mode_ = mode;
    ready_ = true;

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
    return true;
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
    const std::size_t at = host_.listOrder().InsertPosition(
        static_cast<std::size_t>(list_->count()),
        [this](std::size_t i) { return GetItemName(static_cast<int>(i)); }, bytes);
    InsertRow(static_cast<int>(at), bytes, article);

    const int n = list_->count();
    const QString count =
        n < 2 ? QStringLiteral(" (%1 sujet trouvé)").arg(n) : QStringLiteral(" (%1 sujets trouvés)").arg(n);
    if (mode_ == ResultsMode)
        setWindowTitle(title_ + count);
    UpdateButtons();
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
        host_.reportFileError(reader.error());
        return fallback;
    }
    auto title = reader->ReadTitle(*entry);
    if (!title) {
        host_.reportFileError(title.error());
        return fallback;
    }
    return std::move(*title);
}

std::vector<mirelda::Bookmark> CListDlg::Bookmarks() const
{
    std::vector<mirelda::Bookmark> bookmarks;
    bookmarks.reserve(static_cast<std::size_t>(list_->count()));
    for (int i = 0; i < list_->count(); ++i)
        bookmarks.push_back({GetItemName(i), GetItemArticle(i)});
    return bookmarks;
}

void CListDlg::LoadBookmarks()
{
    const std::filesystem::path path = host_.bookmarkFile();
    bookmarkFileUnreadable_ = false;
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    mirelda::Result<mirelda::LoadedBookmarks> loaded =
        mirelda::FileError{mirelda::FileErrorKind::CannotOpen, path.string(), 0, "not a regular file"};
    if (!error && std::filesystem::is_regular_file(status)) {
        // The standard stream reports a failed read (an I/O error) by throwing from its
        // buffer; here that is a file that could not be read, like any other.
        try {
            loaded = mirelda::LoadBookmarks(path);
        } catch (const std::exception& e) {
            loaded = mirelda::FileError{mirelda::FileErrorKind::ReadFailed, path.string(), 0, e.what()};
        }
    }
    if (!loaded) {
        // No file: a first run, nothing to say. A file that is there but cannot be read
        // would be replaced by an empty list at close: say so, and keep it.
        if (std::filesystem::exists(status) || (error && error != std::errc::no_such_file_or_directory)) {
            bookmarkFileUnreadable_ = true;
            host_.showMessage(QStringLiteral("Impossible de lire le fichier des signets %1. "
                                             "Il ne sera pas remplacé à la fermeture.")
                                  .arg(PathText(path)),
                              QMessageBox::Warning);
        }
        return;
    }
    for (const mirelda::Bookmark& b : loaded->bookmarks)
        AddItem(b.article, b.name);
    if (loaded->damage && loaded->copyFailure) {
        bookmarkFileUnreadable_ = true;
        host_.showMessage(
            QStringLiteral("Le fichier des signets %1 est endommagé : seuls les %2 premiers signets "
                           "ont pu être lus. Aucune copie n'a pu en être gardée : il ne sera pas remplacé.")
                .arg(PathText(path))
                .arg(loaded->bookmarks.size()),
            QMessageBox::Warning);
    } else if (loaded->damage) {
        host_.showMessage(
            QStringLiteral("Le fichier des signets %1 est endommagé : seuls les %2 premiers signets "
                           "ont pu être lus.")
                .arg(PathText(path))
                .arg(loaded->bookmarks.size()),
            QMessageBox::Warning);
    }
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
            host_.highlightInArticle(searchText_, searchMatchCase_, searchWholeWord_))
        MoveAwayFrom(*found);
}

void CListDlg::MoveAwayFrom(const QPoint& point)
{
    const QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = this->screen();
    const int screenHeight = screen ? screen->geometry().height() : 0;
    const QRect window = frameGeometry();
    const QPoint to = PlaceAwayFrom(window, point, screenHeight);
    if (to != window.topLeft())
        move(to);
}

QPoint CListDlg::PlaceAwayFrom(const QRect& window, const QPoint& point, int screenHeight)
{
    if (!window.contains(point))
        return window.topLeft();
    if (window.height() < point.y())
        return {window.x(), point.y() - 20 - window.height()}; // bottom edge 20 pixels above
    if (point.y() + window.height() < screenHeight)
        return {window.x(), point.y() + 40}; // top edge 40 pixels below
    return window.topLeft();
}

void CListDlg::RenameSelected()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    const std::string oldName = GetItemName(row);
    const std::int32_t article = GetItemArticle(row);
    CBookmarkNameDlg dialog(QStringLiteral("Renommer le signet"), GetItemText(row), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The list may have changed while the dialog was open (the viewer closed from outside).
    if (row >= list_->count() || GetItemName(row) != oldName || GetItemArticle(row) != article)
        return;
    delete list_->takeItem(row);
    AddItem(article, dialog.name());
    // Keep the renamed bookmark selected at its new place, so the user sees where it went.
    const std::string newName = mirelda::EncodeCp1252(dialog.name().toStdU16String());
    for (int i = list_->count() - 1; i >= 0; --i) {
        if (GetItemName(i) == newName && GetItemArticle(i) == article) {
            list_->setCurrentRow(i);
            break;
        }
    }
    UpdateButtons();
    host_.bookmarksChanged();
}

void CListDlg::DeleteSelected()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    const QString question =
        QStringLiteral("Voulez-vous supprimer le signet «") + GetItemText(row) + QStringLiteral("» ?");
    if (host_.showMessage(question, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No) !=
        QMessageBox::Yes)
        return;
    if (row < list_->count())
        delete list_->takeItem(row);
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
    int buttonWidth = kButtonWidth;
    int buttonHeight = kButtonHeight;
    for (const QPushButton* b : {show_, delete_, rename_}) {
        buttonWidth = std::max(buttonWidth, b->sizeHint().width());
        buttonHeight = std::max(buttonHeight, b->sizeHint().height());
    }
    const int buttonTop = h - buttonHeight - 1;
    const int listHeight = mode_ == BookmarksMode ? h - buttonHeight - 5 : h - 2;
    list_->setGeometry(1, 1, std::max(0, w - 2), std::max(0, listHeight));
    // Placed whatever the mode, shown only in the bookmarks mode.
    int x = kButtonLeft;
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
