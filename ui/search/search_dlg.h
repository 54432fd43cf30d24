#pragma once
// The search dialog ("Rechercher..."): a string, a scope (all articles or the current
// one) and four options. Modeless, owned by the main window, created hidden once and then
// only shown and hidden: "&Annuler", Escape and the close box hide it, and it keeps what was
// typed and ticked while hidden.
//
// The combo box's list is the history of the strings searched since the program started,
// most recent first, each string once whatever its case.
//
// The string stays as typed (UTF-16) for the find in the current article; the all-articles
// search gets it as typed too and decides how to meet the Windows-1252 titles.
//
// "Ignorer les &accents" (off at first, then as the user last left it, across sessions) makes
// the search over all articles compare base letters: "fenetre" finds "fenêtre".

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace mirelda::ui {

class SearchHost;

class CSearchDlg : public QDialog
{
    Q_OBJECT
  public:
    CSearchDlg(SearchHost& host, QWidget* mainWindow);

    // Sets the initial states (scope all articles, title and text ticked, case and whole word
    // not), clears `found` and updates the controls. Called once; the window stays hidden.
    void Create();

    void UpdateControls();
    void OnSearch(); // "&Chercher"
    void OnNext();   // "&Suivant"
    // F3, in the dialog or the main window: "&Suivant" when the dialog has a string to find;
    // false (nothing done) when it has none.
    bool FindNextFromKey();
    bool hasSearchText() const { return !SearchText().isEmpty(); }

    // True after the last find in the current article selected an occurrence.
    bool found() const { return found_; }
    // True from "&Chercher" over all articles until its outcome: "&Chercher" is disabled
    // meanwhile, so that no second search overtakes the first.
    bool searching() const { return searching_; }
    // The history, most recent first.
    QStringList history() const;

  signals:
    // The search string became empty or stopped being empty: whether F3 can find something
    // changed. Not at every keystroke: the main window updates its commands on it.
    void hasSearchTextChanged();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void SearchAll();
    void SearchCurrent();
    QString SearchText() const;
    void PlaceControls();
    void ListEntryChosen(int index);
    void Message(const QString& text);

    SearchHost& host_;
    bool found_ = false;
    bool searching_ = false;
    // The list entry the user last chose, until the edit field is typed into: what the list
    // control calls its current selection.
    int chosenEntry_ = -1;
    bool hadSearchText_ = false; // at the last hasSearchTextChanged

    QLabel* label_ = nullptr;
    QComboBox* combo_ = nullptr;
    QGroupBox* scopeGroup_ = nullptr;
    QRadioButton* allArticles_ = nullptr;
    QRadioButton* currentArticle_ = nullptr;
    QCheckBox* matchCase_ = nullptr;
    QCheckBox* wholeWord_ = nullptr;
    QCheckBox* inTitle_ = nullptr;
    QCheckBox* inText_ = nullptr;
    QCheckBox* ignoreAccents_ = nullptr; // kept in the user's settings
    QPushButton* search_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace mirelda::ui
