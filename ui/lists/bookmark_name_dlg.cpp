#include "ui/lists/bookmark_name_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CBookmarkNameDlg::CBookmarkNameDlg(const QString& caption, const QString& name, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("bookmarkNameDlg"));
    setWindowTitle(caption);

    auto* label = new QLabel(QStringLiteral("Nom du signet :"), this);
    edit_ = new QLineEdit(name, this);
    edit_->setObjectName(QStringLiteral("edit1022"));
    edit_->selectAll();
    label->setBuddy(edit_);
    confirm_ = new QPushButton(QStringLiteral("&Valider"), this);
    confirm_->setObjectName(QStringLiteral("confirmButton"));
    confirm_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Annuler"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(confirm_);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(edit_);
    layout->addLayout(buttons);
    setMinimumWidth(320);

    connect(confirm_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(edit_, &QLineEdit::textChanged, this, &CBookmarkNameDlg::UpdateConfirm);
    UpdateConfirm();
}

QString CBookmarkNameDlg::name() const
{
    return edit_->text();
}

void CBookmarkNameDlg::UpdateConfirm()
{
    confirm_->setEnabled(!edit_->text().trimmed().isEmpty());
}
