#include "ui/app/about_dialog.h"

#include "ui/app/mirelda_app.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#ifndef MIRELDA_VERSION
#define MIRELDA_VERSION "0.1.0"
#endif

namespace mirelda::ui {

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("A propos de Mirelda"));

    auto* icon = new QLabel(this);
    icon->setPixmap(CMireldaApp::ApplicationIcon().pixmap(QSize(32, 32)));
    icon->setAlignment(Qt::AlignTop);
    auto* name = new QLabel(QStringLiteral("Mirelda version ") + QLatin1String(MIRELDA_VERSION), this);
    name->setObjectName(QStringLiteral("aboutVersion"));
    auto* description = new QLabel(QStringLiteral("Visionneuse d'aide en ligne"), this);
    description->setObjectName(QStringLiteral("aboutDescription"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("aboutOk"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(description);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    top->addWidget(ok, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    setLayout(layout);
    setSizeGripEnabled(false);
}

} // namespace mirelda::ui
