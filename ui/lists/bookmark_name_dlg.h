#pragma once
// The bookmark name dialog (162): one edit for the name, "&Valider" and "&Annuler". Used to
// add a bookmark ("Ajouter un signet") and to rename one ("Renommer le signet").
//
// An empty (or blank) name would give a list line that nobody can see or pick, so
// "&Valider" stays disabled until the name holds something visible. Names read from a
// bookmark file may still be empty; they are kept as they are.

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

class CBookmarkNameDlg : public QDialog
{
    Q_OBJECT
  public:
    CBookmarkNameDlg(const QString& caption, const QString& name, QWidget* parent = nullptr);

    QString name() const;

  private:
    void UpdateConfirm();

    QLineEdit* edit_ = nullptr;
    QPushButton* confirm_ = nullptr;
};
