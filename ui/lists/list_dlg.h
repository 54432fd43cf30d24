#pragma once
// What the three list windows share: a list of articles, placed and captioned once, and three
// buttons (shown by the bookmark window alone) under it. Modeless, owned by the main window,
// created hidden and then only shown and hidden: Escape and the close box hide it.
//
// Every entry keeps its text as Windows-1252 bytes (what the files hold) beside the shown
// text. The history, search-results and bookmark windows are the subclasses.

#include <QDialog>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>

class QListWidget;
class QPushButton;

namespace mirelda::ui {

class ListHost;

class CListDlg : public QDialog
{
    Q_OBJECT
  public:
    void Show();
    QString title() const { return title_; }

    int GetCount() const;
    virtual std::int32_t GetItemArticle(int i) const;
    QString GetItemText(int i) const;
    virtual std::string GetItemName(int i) const; // Windows-1252

  protected:
    // Placed at (`place`, `place`), 320 × 200, captioned `title`; the buttons are shown only
    // when `buttons`.
    CListDlg(ListHost& host, QWidget* mainWindow, int place, const QString& title, bool buttons);

    // A double click, or the "&Afficher" button: the selected entry's article.
    virtual void ShowSelected() = 0;

    // `article` is stored with the row when given.
    void InsertRow(int row, const std::string& name, std::optional<std::int32_t> article);
    int SelectedRow() const;
    void SetTitle(const QString& title) { title_ = title; }

    ListHost& host() const { return host_; }
    QListWidget* list() const { return list_; }
    QPushButton* showButton() const { return show_; }
    QPushButton* renameButton() const { return rename_; }
    QPushButton* deleteButton() const { return delete_; }

    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void Layout();

    ListHost& host_;
    bool buttons_;
    QString title_;
    QListWidget* list_ = nullptr;
    QPushButton* rename_ = nullptr;
    QPushButton* show_ = nullptr;
    QPushButton* delete_ = nullptr;
};

} // namespace mirelda::ui
