#pragma once
// The bookmark name dialog: one edit for the name, "&Valider" and "&Annuler". Used to
// add a bookmark ("Ajouter un signet") and to rename one ("Renommer le signet").
//
// The name is not tested: an empty or blank one is a bookmark like any other, as a name
// read from a bookmark file may be.

#include <QDialog>
#include <QString>

class QLineEdit;

namespace mirelda::ui {

class CBookmarkNameDlg : public QDialog
{
    Q_OBJECT
  public:
    CBookmarkNameDlg(const QString& caption, const QString& name, QWidget* parent = nullptr);

    QString name() const;

  private:
    QLineEdit* edit_ = nullptr;
};

} // namespace mirelda::ui
