#include "ui/lists/bookmark_name_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace mirelda::ui {

CBookmarkNameDlg::CBookmarkNameDlg(const QString& caption, const QString& name, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("bookmarkNameDlg"));
    setWindowTitle(caption);

    auto* label = new QLabel(QStringLiteral("Nom du signet :"), this);
    edit_ = new QLineEdit(name, this);
    edit_->setObjectName(QStringLiteral("bookmarkNameEdit"));
    edit_->selectAll();
    label->setBuddy(edit_);
    auto* confirm = new QPushButton(QStringLiteral("&Valider"), this);
    confirm->setObjectName(QStringLiteral("confirmButton"));
    confirm->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Annuler"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(confirm);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(edit_);
    layout->addLayout(buttons);
    setMinimumWidth(320);

    connect(confirm, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString CBookmarkNameDlg::name() const
{
    return edit_->text();
}

} // namespace mirelda::ui
