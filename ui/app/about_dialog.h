#pragma once
// The About box: the program's icon, name and version, and an OK button.

#include <QDialog>

namespace mirelda::ui {

class CAboutDialog : public QDialog
{
    Q_OBJECT
  public:
    explicit CAboutDialog(QWidget* parent = nullptr);
};

} // namespace mirelda::ui
