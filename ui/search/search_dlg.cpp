#include "ui/search/search_dlg.h"

#include "ui/search/search_host.h"
#include "ui/widgets/dialog_units.h"
#include "ui/widgets/settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>

#include <algorithm>
#include <cstdint>
#include <initializer_list>

namespace mirelda::ui {

namespace {

const QString kNotFoundAll = QStringLiteral("La chaîne recherchée n'a pu être trouvée.");
const QString kNotFoundCurrent = QStringLiteral("Le texte recherché est introuvable.");
const QString kNoMore = QStringLiteral("La recherche est terminée.");
const QString kIgnoreAccentsKey = QStringLiteral("search/ignoreAccents");

} // namespace

CSearchDlg::CSearchDlg(SearchHost& host, QWidget* mainWindow)
    : QDialog(mainWindow,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      host_(host)
{
    setObjectName(QStringLiteral("searchDlg"));
    setWindowTitle(QStringLiteral("Rechercher..."));
    setModal(false);

    // Created in the dialog's tab order.
    combo_ = new QComboBox(this);
    combo_->setObjectName(QStringLiteral("searchText"));
    combo_->setEditable(true);
    // The history is kept by OnSearch alone: Enter must not add entries, and typing must
    // not be completed from the list behind the user's back.
    combo_->setInsertPolicy(QComboBox::NoInsert);
    combo_->setCompleter(nullptr);
    combo_->setDuplicatesEnabled(true);

    label_ = new QLabel(QStringLiteral("Rechercher:"), this);
    label_->setBuddy(combo_);

    scopeGroup_ = new QGroupBox(QStringLiteral("Rechercher dans"), this);
    allArticles_ = new QRadioButton(QStringLiteral("&Tous les articles"), this);
    allArticles_->setObjectName(QStringLiteral("allArticles"));
    currentArticle_ = new QRadioButton(QStringLiteral("Article &courant"), this);
    currentArticle_->setObjectName(QStringLiteral("currentArticle"));

    matchCase_ = new QCheckBox(QStringLiteral("&Respecter la casse"), this);
    matchCase_->setObjectName(QStringLiteral("matchCase"));
    wholeWord_ = new QCheckBox(QStringLiteral("&Mot entier"), this);
    wholeWord_->setObjectName(QStringLiteral("wholeWord"));
    inTitle_ = new QCheckBox(QStringLiteral("Chercher dans le &titre"), this);
    inTitle_->setObjectName(QStringLiteral("inTitle"));
    inText_ = new QCheckBox(QStringLiteral("Chercher dans le t&exte"), this);
    inText_->setObjectName(QStringLiteral("inText"));
    ignoreAccents_ = new QCheckBox(QStringLiteral("Ignorer les &accents"), this);
    ignoreAccents_->setObjectName(QStringLiteral("ignoreAccents"));
    connect(ignoreAccents_, &QCheckBox::toggled, this,
            [](bool on) { MireldaSettings().setValue(kIgnoreAccentsKey, on); });

    search_ = new QPushButton(QStringLiteral("&Chercher"), this);
    search_->setObjectName(QStringLiteral("searchButton"));
    search_->setDefault(true);
    next_ = new QPushButton(QStringLiteral("&Suivant"), this);
    next_->setObjectName(QStringLiteral("nextButton"));
    cancel_ = new QPushButton(QStringLiteral("&Annuler"), this);
    cancel_->setObjectName(QStringLiteral("cancelButton"));

    const std::initializer_list<QAbstractButton*> updating{allArticles_, currentArticle_, inTitle_, inText_};
    for (QAbstractButton* b : updating)
        connect(b, &QAbstractButton::clicked, this, &CSearchDlg::UpdateControls);
    // Typing leaves the list entry chosen before; choosing one from the list copies it in.
    connect(combo_->lineEdit(), &QLineEdit::textEdited, this, [this] { chosenEntry_ = -1; });
    connect(combo_, &QComboBox::editTextChanged, this, &CSearchDlg::UpdateControls);
    connect(combo_, &QComboBox::editTextChanged, this, [this] {
        if (hasSearchText() == hadSearchText_)
            return;
        hadSearchText_ = !hadSearchText_;
        emit hasSearchTextChanged();
    });
    // The main window's F3 does not reach this window: the dialog has its own.
    auto* findNext = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(findNext, &QShortcut::activated, this, &CSearchDlg::FindNextFromKey);
    connect(combo_, &QComboBox::activated, this, &CSearchDlg::ListEntryChosen);
    connect(search_, &QPushButton::clicked, this, &CSearchDlg::OnSearch);
    connect(next_, &QPushButton::clicked, this, &CSearchDlg::OnNext);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    PlaceControls();
}

void CSearchDlg::PlaceControls()
{
    // The dialog's layout in dialog units (252 × 71) of its own font, so that the texts fit
    // whatever font the desktop gives it; not resizable.
    const DialogUnits du(font());
    const auto place = [&](QWidget* w, QRect r) {
        // A text the desktop's font makes wider than its box keeps its whole width.
        r.setWidth(std::max(r.width(), w->sizeHint().width()));
        w->setGeometry(r);
    };
    QRect combo = du.Rect(45, 3, 138, 57);
    combo.setHeight(combo_->sizeHint().height()); // the height given includes the drop-down list
    combo_->setGeometry(combo);
    label_->setGeometry(du.Rect(1, 7, 44, 15));
    scopeGroup_->setGeometry(du.Rect(3, 26, 73, 38));
    place(allArticles_, du.Rect(5, 38, 65, 11));
    place(currentArticle_, du.Rect(5, 48, 65, 11));
    place(matchCase_, du.Rect(84, 22, 88, 11));
    place(wholeWord_, du.Rect(84, 33, 88, 10));
    place(inTitle_, du.Rect(84, 43, 88, 10));
    place(inText_, du.Rect(84, 54, 88, 10));
    place(ignoreAccents_, du.Rect(84, 64, 88, 10));
    place(search_, du.Rect(192, 3, 58, 14));
    place(next_, du.Rect(192, 22, 58, 14));
    place(cancel_, du.Rect(192, 53, 58, 15));
    scopeGroup_->lower(); // it frames the radio buttons, which stay on top of it

    QRect all = du.Rect(0, 0, 252, 71);
    for (const QWidget* w : std::initializer_list<const QWidget*>{combo_, ignoreAccents_, search_, cancel_})
        all = all.united(w->geometry().adjusted(0, 0, du.X(2), du.Y(3)));
    setFixedSize(all.size());
}

void CSearchDlg::Create()
{
    found_ = false;
    allArticles_->setChecked(true);
    currentArticle_->setChecked(false);
    matchCase_->setChecked(false);
    wholeWord_->setChecked(false);
    inTitle_->setChecked(true);
    inText_->setChecked(true);
    ignoreAccents_->setChecked(MireldaSettings().value(kIgnoreAccentsKey, false).toBool());
    UpdateControls();
}

QString CSearchDlg::SearchText() const
{
    return combo_->currentText();
}

QStringList CSearchDlg::history() const
{
    QStringList entries;
    for (int i = 0; i < combo_->count(); ++i)
        entries.append(combo_->itemText(i));
    return entries;
}

void CSearchDlg::ListEntryChosen(int index)
{
    if (index < 0 || index >= combo_->count())
        return;
    chosenEntry_ = index;
    UpdateControls();
}

void CSearchDlg::UpdateControls()
{
    if (chosenEntry_ >= 0 && chosenEntry_ < combo_->count() &&
        combo_->currentText() != combo_->itemText(chosenEntry_)) {
        const QSignalBlocker block(combo_);
        combo_->setEditText(combo_->itemText(chosenEntry_));
    }
    const bool allScope = allArticles_->isChecked();
    search_->setEnabled(!searching_ && !SearchText().isEmpty() &&
                        (inTitle_->isChecked() || inText_->isChecked()));
    next_->setEnabled((found_ && !allScope) || host_.articleHasHighlights());
    inTitle_->setEnabled(allScope);
    inText_->setEnabled(allScope);
    ignoreAccents_->setEnabled(allScope);
}

void CSearchDlg::OnSearch()
{
    const bool allScope = allArticles_->isChecked();
    const QString s = SearchText();
    // The button is disabled for an empty string and during a search; Enter reaches here
    // only through it.
    if (s.isEmpty() || searching_)
        return;
    {
        // Most recent first, each string once whatever its case: 'Maison' after 'maison'
        // takes its place at the top.
        const QSignalBlocker block(combo_);
        for (int i = 0; i < combo_->count(); ++i) {
            if (combo_->itemText(i).compare(s, Qt::CaseInsensitive) == 0) {
                combo_->removeItem(i);
                break;
            }
        }
        combo_->insertItem(0, s);
        combo_->setCurrentIndex(-1);
        combo_->setEditText(s);
    }
    chosenEntry_ = -1;
    if (allScope)
        SearchAll();
    else
        SearchCurrent();
}

void CSearchDlg::SearchAll()
{
    ArticleSearchRequest request;
    request.text = SearchText();
    request.matchCase = matchCase_->isChecked();
    request.wholeWord = wholeWord_->isChecked();
    request.inTitle = inTitle_->isChecked();
    request.inText = inText_->isChecked();
    request.ignoreAccents = ignoreAccents_->isChecked();
    searching_ = true;
    UpdateControls();
    host_.SearchArticles(request, [this](SearchOutcome outcome) {
        searching_ = false;
        UpdateControls();
        if (outcome == SearchOutcome::Found)
            hide();
        else if (outcome == SearchOutcome::NothingFound)
            Message(kNotFoundAll);
        // A read error has been reported already and ends the search there.
    });
}

void CSearchDlg::SearchCurrent()
{
    const std::int32_t at =
        host_.FindInArticle(SearchText(), matchCase_->isChecked(), wholeWord_->isChecked());
    found_ = at >= 0;
    if (!found_)
        Message(kNotFoundCurrent);
    UpdateControls();
}

void CSearchDlg::OnNext()
{
    const std::int32_t at =
        host_.FindNextInArticle(SearchText(), matchCase_->isChecked(), wholeWord_->isChecked());
    found_ = at >= 0;
    if (!found_)
        Message(kNoMore);
    UpdateControls();
}

bool CSearchDlg::FindNextFromKey()
{
    if (!hasSearchText())
        return false;
    OnNext();
    return true;
}

void CSearchDlg::showEvent(QShowEvent* event)
{
    UpdateControls(); // the article on screen may have changed while the dialog was hidden
    QDialog::showEvent(event);
}

void CSearchDlg::Message(const QString& text)
{
    host_.ShowMessage(text, QMessageBox::NoIcon, QMessageBox::Ok);
}

} // namespace mirelda::ui
