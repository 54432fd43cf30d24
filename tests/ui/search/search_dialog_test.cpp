// The search dialog in the running viewer: its creation and enable rules, the history of the
// combo box, the find in the current article with "&Suivant", the search over all articles
// into the results window, its three messages, opening a result, and a read error.

#include "tests/support/app_harness.h"
#include "tests/support/file_faults.h"

#include "core/app/command_table.h"
#include "core/session/help_session.h"
#include "ui/app/main_frame.h"
#include "ui/lists/results_list_dlg.h"
#include "ui/search/article_search.h"
#include "ui/search/search_dlg.h"
#include "ui/view/mirelda_view.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>

using namespace mirelda::ui;

using apptest::InProcessViewer;
using apptest::Rtf;
using mirelda::test::MessageAnswerer;

namespace {

// 1 "Accueil": "Maison" at 11, "maison" at 21, "MAISON" at 29.
// 2 "La maison": the string in its title only.
// 3 "Jardin": "maison" at 4, an omega written as \uN, and a question mark.
// 4 "Cuisine": "motif" at 0, the word "mot" at 9.
// 5 a pop-up and 6 an untitled article, both holding "maison": never listed.
QString WriteSearchHelpSet(const QString& folder)
{
    QDir().mkpath(folder);
    const std::filesystem::path base =
        std::filesystem::path(QFile::encodeName(folder).toStdString()) / "AIDE";
    const std::vector<mirelda::ArticleSource> articles{
        {1, "Accueil", Rtf("Bienvenue. Maison et maison, MAISON.\\par"), {}},
        {2, "La maison", Rtf("Rien ici.\\par"), {}},
        {3, "Jardin", Rtf("Une maison au jardin. Omega \\u937? ici. Quoi ?\\par"), {}},
        {4, "Cuisine", Rtf("motif et mot.\\par"), {}},
        {5, "#Bulle", Rtf("maison\\par"), {}},
        {6, "", Rtf("maison\\par"), {}},
        {7, "Salon", Rtf("Quoi ?\\par"), {}},
        {8, "Fen\xEAtres", Rtf("Une FEN\\'caTRE.\\par"), {}},
    };
    auto path = [&](const char* ext) { return std::filesystem::path(base.string() + ext); };
    if (!mirelda::WriteArticleFiles(path(".PGH"), path(".PGD"), path(".PGL"), articles).ok())
        return {};
    const std::vector<mirelda::ContentsRecord> contents{{"B1", "Livre", "0", 0, 0, 0},
                                                        {"P1", "Accueil", "B1", 1, 0, 0}};
    if (!mirelda::WriteContentsFile(path(".FIC"), contents).ok())
        return {};
    return QFile::decodeName(QByteArray::fromStdString(base.string()));
}

QStringList Lines(const CListDlg* window)
{
    QStringList lines;
    for (int i = 0; i < window->GetCount(); ++i)
        lines << window->GetItemText(i);
    return lines;
}

int CountIgnoringCase(const QStringList& list, const QString& text)
{
    return static_cast<int>(std::count_if(list.begin(), list.end(), [&](const QString& entry) {
        return entry.compare(text, Qt::CaseInsensitive) == 0;
    }));
}

} // namespace

class SearchDialogTest : public QObject
{
    Q_OBJECT

  private:
    template <class T> T* Control(const char* name) const
    {
        T* control = dialog_->findChild<T*>(QLatin1String(name));
        if (!control)
            qFatal("no control %s", name);
        return control;
    }
    QComboBox* combo() const { return Control<QComboBox>("searchText"); }
    QRadioButton* allArticles() const { return Control<QRadioButton>("allArticles"); }
    QRadioButton* currentArticle() const { return Control<QRadioButton>("currentArticle"); }
    QCheckBox* matchCase() const { return Control<QCheckBox>("matchCase"); }
    QCheckBox* wholeWord() const { return Control<QCheckBox>("wholeWord"); }
    QCheckBox* inTitle() const { return Control<QCheckBox>("inTitle"); }
    QCheckBox* inText() const { return Control<QCheckBox>("inText"); }
    QCheckBox* ignoreAccents() const { return Control<QCheckBox>("ignoreAccents"); }
    QPushButton* searchButton() const { return Control<QPushButton>("searchButton"); }
    QPushButton* nextButton() const { return Control<QPushButton>("nextButton"); }
    QPushButton* cancelButton() const { return Control<QPushButton>("cancelButton"); }
    void click(QAbstractButton* b) const { QTest::mouseClick(b, Qt::LeftButton); }
    // "&Chercher", then its outcome: the search over all articles ends later.
    void search() const
    {
        click(searchButton());
        QTRY_VERIFY(!dialog_->searching());
    }
    void type(const QString& text) const
    {
        QLineEdit* edit = combo()->lineEdit();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        for (const QChar c : text) {
            // Key events carry Latin-1 only: anything else comes in as an input method's text.
            if (c.unicode() < 0x80) {
                QTest::keyClick(edit, c.toLatin1());
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(QString(c));
                QApplication::sendEvent(edit, &commit);
            }
        }
    }
    // A fresh dialog state for one test: shown, scope and options as asked, found cleared.
    void reset(bool allScope, bool withCase = false, bool wholeWords = false)
    {
        dialog_->Create();
        if (!dialog_->isVisible())
            frame_->action(mirelda::cmd::kSearch)->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(dialog_));
        if (!allScope)
            click(currentArticle());
        if (withCase)
            click(matchCase());
        if (wholeWords)
            click(wholeWord());
    }
    void selectionIs(std::int32_t start, std::int32_t end) const
    {
        QCOMPARE(view_->selectionStart(), start);
        QCOMPARE(view_->selectionEnd(), end);
    }

  private slots:
    void initTestCase()
    {
        base_ = apptest::IsolatedHelpSet(root_, WriteSearchHelpSet);
        QVERIFY(!base_.isEmpty());
        viewer_ = std::make_unique<InProcessViewer>(QStringList{QStringLiteral("/D:") + base_});
        QVERIFY(viewer_->app->InitInstance());
        app_ = viewer_->app.get();
        frame_ = app_->mainFrame();
        view_ = frame_->view();
        QTRY_VERIFY(frame_->helpSetLoaded());
        dialog_ = app_->searchDialog();
        QVERIFY(dialog_);
    }

    void cleanupTestCase() { viewer_.reset(); }

    void creation_hiddenOwnedFirstWithItsInitialStates()
    {
        QVERIFY(!dialog_->isVisible());
        QCOMPARE(dialog_->parentWidget(), frame_);
        QCOMPARE(dialog_->windowTitle(), QStringLiteral("Rechercher..."));
        QVERIFY(!dialog_->isModal());
        QCOMPARE(dialog_->minimumSize(), dialog_->maximumSize()); // not resizable
        // The first of the modeless windows the frame owns.
        const QObjectList children = frame_->children();
        QVERIFY(children.indexOf(dialog_) < children.indexOf(app_->historyWindow()));

        QVERIFY(allArticles()->isChecked());
        QVERIFY(!currentArticle()->isChecked());
        QVERIFY(!matchCase()->isChecked());
        QVERIFY(!wholeWord()->isChecked());
        for (QCheckBox* box : {inTitle(), inText()}) {
            QVERIFY(box->isChecked());
            QVERIFY(box->isEnabled());
        }
        QVERIFY(combo()->isEditable());
        QCOMPARE(combo()->currentText(), QString());
        QCOMPARE(combo()->count(), 0);
        QVERIFY(!searchButton()->isEnabled());
        QVERIFY(searchButton()->isDefault());
        QVERIFY(!nextButton()->isEnabled());
        QVERIFY(cancelButton()->isEnabled());
        QVERIFY(!dialog_->found());
        QCOMPARE(searchButton()->text(), QStringLiteral("&Chercher"));
        QCOMPARE(nextButton()->text(), QStringLiteral("&Suivant"));
        QCOMPARE(cancelButton()->text(), QStringLiteral("&Annuler"));
    }

    void toggleEscapeAndCloseBox_hideAndKeepTheState()
    {
        QAction* action = frame_->action(mirelda::cmd::kSearch);
        QVERIFY(action->isCheckable());
        action->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(dialog_));
        QVERIFY(action->isChecked());
        type(QStringLiteral("gardé"));
        click(matchCase());
        action->trigger();
        QVERIFY(!dialog_->isVisible());
        QVERIFY(!action->isChecked());

        action->trigger();
        QVERIFY(dialog_->isVisible());
        QCOMPARE(combo()->currentText(), QStringLiteral("gardé"));
        QVERIFY(matchCase()->isChecked());
        QTest::keyClick(dialog_, Qt::Key_Escape);
        QVERIFY(!dialog_->isVisible());
        QVERIFY(!action->isChecked());

        action->trigger();
        dialog_->close(); // the close box
        QVERIFY(!dialog_->isVisible());
        action->trigger();
        click(cancelButton());
        QVERIFY(!dialog_->isVisible());
        QVERIFY(app_->searchDialog()); // hidden, never destroyed
    }

    void enableRules_followTextScopeAndBoxes()
    {
        reset(true);
        type(QString());
        QVERIFY(!searchButton()->isEnabled());
        type(QStringLiteral("m"));
        QVERIFY(searchButton()->isEnabled());
        click(inTitle());
        QVERIFY(searchButton()->isEnabled());
        click(inText());
        QVERIFY(!searchButton()->isEnabled()); // nothing to look in

        // The current scope does not use the boxes, yet both unticked still disable it.
        click(currentArticle());
        QVERIFY(!inTitle()->isEnabled());
        QVERIFY(!inText()->isEnabled());
        QVERIFY(!inTitle()->isChecked());
        QVERIFY(!searchButton()->isEnabled());
        QVERIFY(!nextButton()->isEnabled());

        click(allArticles());
        QVERIFY(inText()->isEnabled());
        click(inText());
        QVERIFY(searchButton()->isEnabled());
        click(currentArticle());
        QVERIFY(searchButton()->isEnabled());
        QVERIFY(inText()->isChecked());      // kept while disabled
        QVERIFY(!nextButton()->isEnabled()); // until a search here finds something
        type(QString());
        QVERIFY(!searchButton()->isEnabled());
        click(inTitle()); // disabled: no effect
        QVERIFY(!inTitle()->isChecked());
    }

    void currentArticle_findNextUntilTheEndThenAgainFromTheStart()
    {
        QVERIFY(app_->GoToArticle(1, 0));
        reset(false);
        MessageAnswerer answers;
        type(QStringLiteral("maison"));
        search();
        QVERIFY(answers.seen.isEmpty());
        selectionIs(11, 17); // "Maison": case not respected
        QVERIFY(dialog_->found());
        QVERIFY(nextButton()->isEnabled());
        QVERIFY(dialog_->isVisible());

        click(nextButton());
        selectionIs(21, 27);
        click(nextButton());
        selectionIs(29, 35);
        QVERIFY(answers.seen.isEmpty());
        click(nextButton()); // no wrap to the beginning
        QCOMPARE(answers.seen.size(), 1);
        QCOMPARE(answers.seen[0].text, QStringLiteral("La recherche est terminée."));
        QCOMPARE(answers.seen[0].caption, app_->HelpTitle());
        QCOMPARE(answers.seen[0].icon, QMessageBox::NoIcon);
        selectionIs(29, 35); // left on the last occurrence
        QVERIFY(!dialog_->found());
        QVERIFY(!nextButton()->isEnabled());

        search(); // from the beginning again
        selectionIs(11, 17);
        QVERIFY(nextButton()->isEnabled());

        // "&Suivant" takes the field as it is now.
        type(QStringLiteral("et"));
        click(nextButton());
        selectionIs(18, 20);

        // Switching to all articles disables "&Suivant" without forgetting `found`.
        click(allArticles());
        QVERIFY(!nextButton()->isEnabled());
        QVERIFY(dialog_->found());
        click(currentArticle());
        QVERIFY(nextButton()->isEnabled());
    }

    void currentArticle_caseWholeWordAndNotFound()
    {
        QVERIFY(app_->GoToArticle(1, 0));
        reset(false, true);
        MessageAnswerer answers;
        type(QStringLiteral("maison"));
        search();
        selectionIs(21, 27); // only the same case
        click(nextButton());
        QCOMPARE(answers.seen.size(), 1);
        QCOMPARE(answers.seen[0].text, QStringLiteral("La recherche est terminée."));

        type(QStringLiteral("introuvable"));
        search();
        QCOMPARE(answers.seen.size(), 2);
        QCOMPARE(answers.seen[1].text, QStringLiteral("Le texte recherché est introuvable."));
        QCOMPARE(answers.seen[1].caption, app_->HelpTitle());
        QVERIFY(!dialog_->found());
        QVERIFY(!nextButton()->isEnabled());
        QVERIFY(dialog_->isVisible());

        QVERIFY(app_->GoToArticle(4, 0));
        reset(false, false, true);
        type(QStringLiteral("mot"));
        search();
        selectionIs(9, 12); // not the start of "motif"

        // A character with no Windows-1252 byte is looked for as typed in the text.
        QVERIFY(app_->GoToArticle(3, 0));
        reset(false);
        type(QStringLiteral("Ω"));
        search();
        QCOMPARE(view_->articleText().substr(static_cast<std::size_t>(view_->selectionStart()), 1), u"Ω");
        QCOMPARE(answers.seen.size(), 2);
    }

    void history_mostRecentFirstOnceWhateverTheCase()
    {
        QVERIFY(app_->GoToArticle(1, 0));
        reset(false);
        MessageAnswerer answers;
        const QStringList before = dialog_->history();
        const auto search = [&](const QString& text) {
            type(text);
            click(searchButton()); // the current article's find: no wait
        };
        search(QStringLiteral("maison"));
        search(QStringLiteral("et"));
        search(QStringLiteral("maison"));
        QCOMPARE(dialog_->history().mid(0, 2), (QStringList{QStringLiteral("maison"), QStringLiteral("et")}));
        search(QStringLiteral("Maison")); // replaces the older spelling, at the top
        QCOMPARE(dialog_->history().mid(0, 2), (QStringList{QStringLiteral("Maison"), QStringLiteral("et")}));
        QCOMPARE(CountIgnoringCase(dialog_->history(), QStringLiteral("maison")), 1);
        const int added = 2 - CountIgnoringCase(before, QStringLiteral("maison")) -
                          CountIgnoringCase(before, QStringLiteral("et"));
        QCOMPARE(dialog_->history().size(), before.size() + added);
        QCOMPARE(combo()->currentText(), QStringLiteral("Maison"));

        // Choosing a list entry puts it into the field.
        type(QString());
        QVERIFY(!searchButton()->isEnabled());
        combo()->showPopup();
        QAbstractItemView* list = combo()->view();
        QTRY_VERIFY(list->isVisible());
        const QModelIndex second = combo()->model()->index(1, 0);
        list->setCurrentIndex(second);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(combo()->currentText(), QStringLiteral("et"));
        QVERIFY(searchButton()->isEnabled());

        // Typing over it keeps what is typed, and Enter searches for that.
        type(QStringLiteral("MAISON"));
        QCOMPARE(combo()->currentText(), QStringLiteral("MAISON"));
        QTest::keyClick(combo()->lineEdit(), Qt::Key_Return);
        QCOMPARE(dialog_->history().first(), QStringLiteral("MAISON"));
        QCOMPARE(CountIgnoringCase(dialog_->history(), QStringLiteral("maison")), 1);
        selectionIs(11, 17);
        QVERIFY(answers.seen.isEmpty());
    }

    void typedText_keepsItsCase_countInTheStatusBar_f3IsNext()
    {
        QVERIFY(app_->GoToArticle(1, 0));
        reset(false);
        MessageAnswerer answers;
        auto* count = frame_->statusBar()->findChild<QLabel*>(QStringLiteral("findCountPane"));
        QVERIFY(count);
        type(QStringLiteral("Maison"));
        click(searchButton());
        QCOMPARE(count->text(), QStringLiteral("1 sur 3"));
        // With "Maison" in the history, what is typed stays as typed, the focus leaving the
        // field or not, and a case-respecting find gets the lower-case occurrence.
        type(QStringLiteral("maison"));
        QCOMPARE(combo()->currentText(), QStringLiteral("maison"));
        click(matchCase());
        QCOMPARE(combo()->currentText(), QStringLiteral("maison"));
        click(searchButton());
        QCOMPARE(combo()->currentText(), QStringLiteral("maison"));
        selectionIs(21, 27);
        QCOMPARE(count->text(), QStringLiteral("1 sur 1"));
        QVERIFY(count->isVisible());

        // F3 is "&Suivant", in the dialog and in the main window.
        click(matchCase());
        click(searchButton());
        dialog_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog_));
        QTest::keyClick(combo()->lineEdit(), Qt::Key_F3);
        selectionIs(21, 27);
        QCOMPARE(count->text(), QStringLiteral("2 sur 3"));
        frame_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame_));
        view_->setFocus();
        QTest::keyClick(view_, Qt::Key_F3);
        selectionIs(29, 35);
        QCOMPARE(count->text(), QStringLiteral("3 sur 3"));
        QVERIFY(answers.seen.isEmpty());
        // Without a string F3 does nothing, not even a message.
        type(QString());
        QVERIFY(!frame_->action(mirelda::cmd::kFindNext)->isEnabled());
        QTest::keyClick(view_, Qt::Key_F3);
        QVERIFY(answers.seen.isEmpty());
        // The next article takes the count away with the highlights.
        QVERIFY(app_->GoToArticle(3, 0));
        QVERIFY(count->isHidden());
    }

    void allArticles_hidesTheDialogAndShowsTheResults()
    {
        QVERIFY(app_->GoToArticle(4, 0));
        CResultsListDlg* results = app_->resultsWindow();
        results->hide();
        reset(true);
        MessageAnswerer answers;
        type(QStringLiteral("maison"));
        search();
        QVERIFY(answers.seen.isEmpty());
        QVERIFY(!dialog_->isVisible());
        QVERIFY(results->isVisible());
        // Titles, then texts; never the pop-up nor the untitled article; sorted by title.
        QCOMPARE(Lines(results), (QStringList{QStringLiteral("Accueil"), QStringLiteral("Jardin"),
                                              QStringLiteral("La maison")}));
        QCOMPARE(results->windowTitle(), QStringLiteral("Recherche sur «maison» (3 sujets trouvés)"));
        QCOMPARE(view_->currentArticle(), 4); // the search shows nothing by itself
        QVERIFY(!dialog_->found());
        QVERIFY(!nextButton()->isEnabled());

        // Opening a result selects the first occurrence with the search's options.
        QVERIFY(QTest::qWaitForWindowExposed(results));
        QListWidget* list = results->findChild<QListWidget*>(QStringLiteral("articleList"));
        const QPoint jardin = list->visualItemRect(list->item(1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, jardin); // a double click's first click
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, jardin);
        QCOMPARE(view_->currentArticle(), 3);
        selectionIs(4, 10);

        // Title only, case respected: "La maison" alone; one result, singular caption.
        reset(true, true);
        click(inText());
        type(QStringLiteral("maison"));
        search();
        QCOMPARE(Lines(results), QStringList{QStringLiteral("La maison")});
        QCOMPARE(results->windowTitle(), QStringLiteral("Recherche sur «maison» (1 sujet trouvé)"));
        // Text only, whole word: "mot" in Cuisine, not "motif" elsewhere.
        reset(true, false, true);
        click(inTitle());
        type(QStringLiteral("mot"));
        search();
        QCOMPARE(Lines(results), QStringList{QStringLiteral("Cuisine")});
        QVERIFY(answers.seen.isEmpty());
    }

    void allArticles_resultShowsEveryHitAndNextMovesThroughThem()
    {
        QVERIFY(app_->GoToArticle(4, 0));
        reset(true);
        MessageAnswerer answers;
        type(QStringLiteral("maison"));
        search();
        CResultsListDlg* results = app_->resultsWindow();
        QVERIFY(QTest::qWaitForWindowExposed(results));
        QListWidget* list = results->findChild<QListWidget*>(QStringLiteral("articleList"));
        const QPoint accueil = list->visualItemRect(list->item(0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, accueil);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, accueil);
        QCOMPARE(view_->currentArticle(), 1);
        using Hits = std::vector<std::pair<std::int32_t, std::int32_t>>;
        const Hits all{{11, 17}, {21, 27}, {29, 35}};
        QCOMPARE(view_->highlights(), all);
        QCOMPARE(view_->extraSelections().size(), 4); // and the one selected, marked over them
        selectionIs(11, 17);

        // Back in the dialog, still on all articles: "&Suivant" walks the hits, which stay.
        if (!dialog_->isVisible())
            frame_->action(mirelda::cmd::kSearch)->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(dialog_));
        QVERIFY(allArticles()->isChecked());
        QVERIFY(nextButton()->isEnabled());
        click(nextButton());
        selectionIs(21, 27);
        click(nextButton());
        selectionIs(29, 35);
        QCOMPARE(view_->highlights(), all);
        click(nextButton());
        QCOMPARE(answers.seen.size(), 1);
        QCOMPARE(answers.seen[0].text, QStringLiteral("La recherche est terminée."));

        // Another article while the dialog is open: the hits go, and "&Suivant" with them.
        QVERIFY(dialog_->isVisible());
        QVERIFY(nextButton()->isEnabled());
        QVERIFY(app_->GoToArticle(4, 0));
        QVERIFY(view_->highlights().empty());
        QVERIFY(view_->extraSelections().isEmpty());
        QVERIFY(!nextButton()->isEnabled());
        // A result opened while the dialog is open brings its hits, and "&Suivant" with them.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, accueil);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, accueil);
        QCOMPARE(view_->currentArticle(), 1);
        QVERIFY(dialog_->isVisible());
        QVERIFY(nextButton()->isEnabled());
        QVERIFY(app_->GoToArticle(4, 0));
        dialog_->hide();
        frame_->action(mirelda::cmd::kSearch)->trigger();
        QVERIFY(dialog_->isVisible());
        QVERIFY(!nextButton()->isEnabled());
    }

    void allArticles_nothingFoundKeepsTheDialogAndEmptiesTheResults()
    {
        CResultsListDlg* results = app_->resultsWindow();
        reset(true);
        type(QStringLiteral("maison"));
        search();
        QVERIFY(results->GetCount() > 0);
        reset(true);
        MessageAnswerer answers;
        type(QStringLiteral("introuvable"));
        search();
        QCOMPARE(answers.seen.size(), 1);
        QCOMPARE(answers.seen[0].text, QStringLiteral("La chaîne recherchée n'a pu être trouvée."));
        QCOMPARE(answers.seen[0].caption, app_->HelpTitle());
        QCOMPARE(answers.seen[0].icon, QMessageBox::NoIcon);
        QVERIFY(dialog_->isVisible());
        QCOMPARE(results->GetCount(), 0);
        QCOMPARE(combo()->currentText(), QStringLiteral("introuvable"));

        // No byte for omega: looked for in the texts as typed, never as "?", which the
        // "Quoi ?" of "Salon" would match.
        type(QStringLiteral("Ω"));
        search();
        QCOMPARE(answers.seen.size(), 1);
        QCOMPARE(Lines(results), QStringList{QStringLiteral("Jardin")});
    }

    void allArticles_ignoringAccents_keptInTheSettings()
    {
        CResultsListDlg* results = app_->resultsWindow();
        QSettings(QStringLiteral("mirelda"), QStringLiteral("mirelda")).remove(QStringLiteral("search"));
        reset(true);
        QVERIFY(!ignoreAccents()->isChecked()); // off unless the user ticked it
        MessageAnswerer answers;
        type(QStringLiteral("fenetre"));
        search();
        QCOMPARE(answers.seen.size(), 1); // accents count: nothing
        click(ignoreAccents());
        search();
        QCOMPARE(Lines(results), QStringList{QStringLiteral("Fenêtres")}); // title and FENÊTRE
        // Kept for the next session; only the all-articles search uses it.
        QVERIFY(QSettings(QStringLiteral("mirelda"), QStringLiteral("mirelda"))
                    .value(QStringLiteral("search/ignoreAccents"))
                    .toBool());
        dialog_->Create();
        QVERIFY(ignoreAccents()->isChecked());
        click(currentArticle());
        QVERIFY(!ignoreAccents()->isEnabled());
        click(allArticles());
        click(ignoreAccents());
        QVERIFY(!QSettings(QStringLiteral("mirelda"), QStringLiteral("mirelda"))
                     .value(QStringLiteral("search/ignoreAccents"))
                     .toBool());
    }

    void allArticles_searchButtonDisabledUntilTheOutcome()
    {
        reset(true);
        type(QStringLiteral("maison"));
        click(searchButton());
        QVERIFY(dialog_->searching());
        QVERIFY(!searchButton()->isEnabled());
        QTest::keyClick(combo()->lineEdit(), Qt::Key_Return); // Enter starts no second search
        QTRY_VERIFY(!dialog_->searching());
        QVERIFY(searchButton()->isEnabled());
        QCOMPARE(app_->resultsWindow()->GetCount(), 3);
    }

    void allArticles_readErrorIsReportedAndEndsTheSearch()
    {
        // A data file that cannot be read (one replaced since the load would be read again
        // instead, see app_reload_test.cpp).
        reset(true);
        MessageAnswerer answers;
        type(QStringLiteral("maison"));
        {
            mirelda::test::RefusedFileOperation refused(
                mirelda::FileOperation::OpenForReading,
                QFile::encodeName(base_ + QStringLiteral(".PGD")).toStdString());
            search();
        }
        QCOMPARE(answers.seen.size(), 1); // the error only, not "not found" after it
        QVERIFY(answers.seen[0].text.contains(QStringLiteral("AIDE.PGD")));
        QCOMPARE(answers.seen[0].caption, app_->HelpTitle());
        QVERIFY(dialog_->isVisible());
        QCOMPARE(app_->resultsWindow()->GetCount(), 0);
    }

    // Last: it runs the application's event loop until it quits.
    void quit_stopsTheScanAtOnce()
    {
        // Texts that every article's parse must read whole (accents ignored: no prefilter).
        QTemporaryDir dir;
        const std::filesystem::path base =
            std::filesystem::path(QFile::encodeName(dir.path()).toStdString()) / "L";
        std::string body;
        for (int i = 0; i < 1000; ++i)
            body += "{\\b mot} {\\i autre} texte ";
        std::vector<mirelda::ArticleSource> articles;
        for (std::int32_t n = 1; n <= 200; ++n)
            articles.push_back({n, "Page " + std::to_string(n), Rtf(body), {}});
        QVERIFY(mirelda::WriteArticleFiles(base.string() + ".PGH", base.string() + ".PGD",
                                           base.string() + ".PGL", articles)
                    .ok());
        mirelda::HelpSetFiles files;
        files.pgh = base.string() + ".PGH";
        files.pgd = base.string() + ".PGD";
        mirelda::HelpSession session({}, files, {});
        session.LoadIndex();
        QCOMPARE(session.index().size(), 200u);
        // The scan is held at its data file until the quit has been asked for.
        CArticleSearch search; // ends after `held` has let its worker go
        mirelda::test::HeldWorkerOpens held;
        std::optional<bool> stopped;
        QVERIFY(search.Start(*app_->resultsWindow(), session,
                             {QStringLiteral("introuvable"), false, false, false, true, true},
                             [&stopped](const mirelda::Result<bool>&, bool s) { stopped = s; }));
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QCoreApplication::exec(); // returns at once; its aboutToQuit stops the scan
        held.Release();
        QTRY_VERIFY(stopped.has_value());
        QVERIFY(*stopped);
        QVERIFY(!search.running());
    }

  private:
    QTemporaryDir root_;
    QString base_;
    std::unique_ptr<InProcessViewer> viewer_;
    CMireldaApp* app_ = nullptr;
    CMainFrame* frame_ = nullptr;
    CMireldaView* view_ = nullptr;
    CSearchDlg* dialog_ = nullptr;
};

QTEST_MAIN(SearchDialogTest)
#include "search_dialog_test.moc"
