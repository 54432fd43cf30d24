#include "ui/lists/list_dlg.h"

#include "core/store/cp1252.h"
#include "ui/widgets/dialog_units.h"
#include "ui/widgets/qt_path.h"

#include <QApplication>
#include <QEvent>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>
#include <string_view>

namespace mirelda::ui {

namespace {

constexpr int kArticleRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1; // the entry's text as Windows-1252 bytes

QString Decode(std::string_view bytes)
{
    return QString::fromStdU16String(mirelda::DecodeCp1252(bytes));
}

} // namespace

CListDlg::CListDlg(ListHost& host, QWidget* mainWindow, int place, const QString& title, bool buttons)
    : QDialog(mainWindow), host_(host), buttons_(buttons), title_(title)
{
    setObjectName(QStringLiteral("listDlg"));
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
    delete_ = new QPushButton(QStringLiteral("&Supprimer"), this);
    delete_->setObjectName(QStringLiteral("deleteButton"));
    for (QPushButton* b : {show_, delete_, rename_}) {
        b->setAutoDefault(false);
        b->setEnabled(buttons);
        b->setVisible(buttons);
    }
    show_->setDefault(true);
    setTabOrder(list_, show_);
    setTabOrder(show_, delete_);
    setTabOrder(delete_, rename_);

    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { ShowSelected(); });
    connect(show_, &QPushButton::clicked, this, [this] { ShowSelected(); });

    move(place, place);
    resize(320, 200);
    Layout(); // a hidden window gets its resize event only when shown
    setWindowTitle(title_);
    list_->setAccessibleName(title_);
    list_->setAccessibleDescription(QStringLiteral("Un double-clic sur une ligne affiche son article."));
}

void CListDlg::Show()
{
    showNormal();
    raise();
    activateWindow();
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

void CListDlg::InsertRow(int row, const std::string& name, std::optional<std::int32_t> article)
{
    auto* item = new QListWidgetItem(Decode(name));
    item->setData(kNameRole, QByteArray::fromStdString(name));
    if (article)
        item->setData(kArticleRole, *article);
    list_->insertItem(row, item);
}

int CListDlg::SelectedRow() const
{
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    return selected.isEmpty() ? -1 : list_->row(selected.first());
}

void CListDlg::Layout()
{
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
    const int listHeight = buttons_ ? h - buttonHeight - 5 : h - 2;
    list_->setGeometry(1, 1, std::max(0, w - 2), std::max(0, listHeight));
    // Placed in every window, shown only in the bookmark window.
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

} // namespace mirelda::ui
