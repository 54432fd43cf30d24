#pragma once
// The About box: the program's icon, name and version, and an OK button.

#include <QDialog>

class CAboutDialog : public QDialog
{
    Q_OBJECT
  public:
    explicit CAboutDialog(QWidget* parent = nullptr);
};
