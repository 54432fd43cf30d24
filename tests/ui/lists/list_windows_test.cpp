// The history, results and bookmark windows in the running viewer: creation, the history
// mirror and the positions it restores, the results captions and highlight, the bookmark
// buttons, define, rename and delete with their dialogs, and the toggles' check marks.

#include "tests/support/app_harness.h"

#include "core/app/command_table.h"
#include "ui/app/main_frame.h"
#include "ui/lists/bookmark_list_dlg.h"
#include "ui/lists/history_list_dlg.h"
#include "ui/lists/results_list_dlg.h"
#include "ui/view/mirelda_view.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <functional>

using namespace mirelda::ui;

using apptest::InProcessViewer;

namespace {

using mirelda::test::AnswerNextModal;

// Answers the next name dialog: what it showed, then `name` typed and "&Valider" (or
// "&Annuler" when `confirm` is false).
struct NameDialogSeen
{
    QString caption, presetName;
    bool confirmEnabledWhenEmpty = true;
};
void AnswerNameDialog(NameDialogSeen& seen, const QString& name, bool confirm = true)
{
    AnswerNextModal([&seen, name, confirm](QWidget* modal) {
        seen.caption = modal->windowTitle();
        auto* edit = modal->findChild<QLineEdit*>(QStringLiteral("bookmarkNameEdit"));
        auto* ok = modal->findChild<QPushButton*>(QStringLiteral("confirmButton"));
        auto* cancel = modal->findChild<QPushButton*>(QStringLiteral("cancelButton"));
        if (!edit || !ok || !cancel) {
            modal->close();
            return;
        }
        seen.presetName = edit->text();
        edit->clear();
        seen.confirmEnabledWhenEmpty = ok->isEnabled();
        edit->setText(name);
        (confirm ? ok : cancel)->click();
    });
}

// Answers the next message box with `button`, keeping its text.
void AnswerMessage(QString& text, QMessageBox::StandardButton button, QMessageBox::Icon* icon = nullptr,
                   QString* caption = nullptr)
{
    AnswerNextModal([&text, button, icon, caption](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) {
            modal->close();
            return;
        }
        text = box->text();
        if (icon)
            *icon = box->icon();
        if (caption)
            *caption = box->windowTitle();
        box->button(button)->click();
    });
}

QStringList Lines(const CListDlg* window)
{
    QStringList lines;
    for (int i = 0; i < window->GetCount(); ++i)
        lines << window->GetItemText(i);
    return lines;
}

QListWidget* List(const CListDlg* window)
{
    return window->findChild<QListWidget*>(QStringLiteral("articleList"));
}
QPushButton* Button(const CListDlg* window, const char* name)
{
    return window->findChild<QPushButton*>(QLatin1String(name));
}

void DoubleClickRow(CListDlg* window, int row)
{
    QListWidget* list = List(window);
    const QRect rect = list->visualItemRect(list->item(row));
    // A double click is a press, a release, then the double-click event.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

} // namespace

class ListWindowsTest : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        base_ = apptest::IsolatedHelpSet(root_, QStringLiteral("GUIDE"));
        QVERIFY(!base_.isEmpty());
        viewer_ = std::make_unique<InProcessViewer>(QStringList{QStringLiteral("/D:") + base_});
        QVERIFY(viewer_->app->InitInstance());
        app_ = viewer_->app.get();
        frame_ = app_->mainFrame();
        QTRY_VERIFY(frame_->helpSetLoaded());
    }

    void cleanupTestCase() { viewer_.reset(); }

    void windows_createdHiddenInPlaceWithTheirCaptions()
    {
        const struct
        {
            CListDlg* window;
            int place;
            QString caption;
            bool buttons;
        } expected[] = {
            {app_->historyWindow(), 75, QStringLiteral("Historique des articles consultés"), false},
            {app_->resultsWindow(), 100, QStringLiteral("Résultats de la recherche"), false},
            {app_->bookmarkWindow(), 125, QStringLiteral("Liste des signets"), true},
        };
        for (const auto& e : expected) {
            QVERIFY(e.window);
            QVERIFY(!e.window->isVisible());
            QCOMPARE(e.window->parentWidget(), frame_);
            QCOMPARE(e.window->pos(), QPoint(e.place, e.place));
            QCOMPARE(e.window->size(), QSize(320, 200));
            QCOMPARE(e.window->windowTitle(), e.caption);
            for (const char* name : {"showButton", "deleteButton", "renameButton"})
                QCOMPARE(Button(e.window, name)->isVisibleTo(e.window), e.buttons);
        }
    }

    void history_mirrorsVisitsAndGoingBack()
    {
        CListDlg* window = app_->historyWindow();
        QVERIFY(app_->GoToArticle(1, 0));
        const int before = window->GetCount();
        QCOMPARE(static_cast<std::size_t>(before), app_->session().history().size());

        // A, B, A: three entries, newest at the top.
        QVERIFY(app_->GoToArticle(2, 0));
        QVERIFY(app_->GoToArticle(3, 0));
        QVERIFY(app_->GoToArticle(2, 0));
        QCOMPARE(Lines(window).mid(0, 4),
                 (QStringList{QStringLiteral("Article 2"), QStringLiteral("Article 3"),
                              QStringLiteral("Article 2"), QStringLiteral("Généralités")}));
        frame_->UpdateCommands();
        QVERIFY(frame_->action(mirelda::cmd::kPreviousArticle)->isEnabled());

        // Back: shows B and leaves A, B.
        frame_->action(mirelda::cmd::kPreviousArticle)->trigger();
        QCOMPARE(frame_->view()->currentArticle(), 3);
        QCOMPARE(window->GetCount(), before + 2);
        QCOMPARE(Lines(window).mid(0, 3),
                 (QStringList{QStringLiteral("Article 3"), QStringLiteral("Article 2"),
                              QStringLiteral("Généralités")}));
        QCOMPARE(static_cast<std::size_t>(window->GetCount()), app_->session().history().size());
    }

    void goingBack_restoresTheLineTheUserLeft()
    {
        CMireldaView* view = frame_->view();
        QVERIFY(app_->GoToArticle(5, 0));
        const std::size_t line = view->articleText().find(u"Ligne 120 ");
        QVERIFY(line != std::u16string::npos);
        view->ScrollToPosition(static_cast<std::int32_t>(line));
        const std::int32_t left = view->FirstVisiblePosition();
        QVERIFY(left > 0);

        QVERIFY(app_->GoToArticle(2, 0));
        QCOMPARE(view->FirstVisiblePosition(), 0);
        frame_->action(mirelda::cmd::kPreviousArticle)->trigger();
        QCOMPARE(view->currentArticle(), 5);
        QCOMPARE(view->FirstVisiblePosition(), left);
    }

    void historyDoubleClick_opensTheEntryAtItsPosition()
    {
        CMireldaView* view = frame_->view();
        CListDlg* window = app_->historyWindow();
        QVERIFY(app_->GoToArticle(5, 0));
        view->ScrollToPosition(static_cast<std::int32_t>(view->articleText().find(u"Ligne 200 ")));
        const std::int32_t left = view->FirstVisiblePosition();
        QVERIFY(left > 0);
        QVERIFY(app_->GoToArticle(3, 0));
        QVERIFY(app_->GoToArticle(4, 0));
        QCOMPARE(Lines(window).mid(0, 3),
                 (QStringList{QStringLiteral("Article 4"), QStringLiteral("Article 3"),
                              QStringLiteral("Article long")}));

        frame_->action(mirelda::cmd::kHistory)->trigger();
        QVERIFY(window->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const std::size_t size = app_->session().history().size();
        DoubleClickRow(window, 2);
        QCOMPARE(view->currentArticle(), 5);
        QCOMPARE(view->FirstVisiblePosition(), left);
        // Reached through the history window, it is a visit like any other.
        QCOMPARE(app_->session().history().size(), size + 1);
        QCOMPARE(window->GetItemText(0), QStringLiteral("Article long"));
        window->hide();
    }

    void toggles_showHideAndCarryTheCheck()
    {
        const struct
        {
            int command;
            CListDlg* window;
        } toggles[] = {{mirelda::cmd::kHistory, app_->historyWindow()},
                       {mirelda::cmd::kSearchResults, app_->resultsWindow()},
                       {mirelda::cmd::kBookmarkList, app_->bookmarkWindow()}};
        for (const auto& t : toggles) {
            QAction* action = frame_->action(t.command);
            frame_->UpdateCommands();
            QVERIFY(action->isEnabled());
            QVERIFY(!action->isChecked());
            action->trigger();
            QVERIFY(t.window->isVisible());
            QVERIFY(action->isChecked());
            action->trigger();
            QVERIFY(!t.window->isVisible());
            QVERIFY(!action->isChecked());

            // Escape and the close box only hide the window; it stays, and so does its list.
            action->trigger();
            QVERIFY(QTest::qWaitForWindowExposed(t.window));
            QTest::keyClick(t.window, Qt::Key_Escape);
            QVERIFY(!t.window->isVisible());
            QVERIFY(!action->isChecked());
            action->trigger();
            t.window->close();
            QVERIFY(!t.window->isVisible());
            QVERIFY(!action->isChecked());
            QVERIFY(app_->historyWindow() && app_->resultsWindow() && app_->bookmarkWindow());
        }
    }

    void results_captionsCountsAndOrder()
    {
        CResultsListDlg* window = app_->resultsWindow();
        window->SetSearch(QStringLiteral("article"), false, false);
        // The caption changes with the first entry, not with the request.
        QCOMPARE(window->windowTitle(), QStringLiteral("Résultats de la recherche"));
        window->Clear();
        QCOMPARE(window->windowTitle(), QStringLiteral("Recherche sur «article»"));
        window->AddItem(4, std::string("Article 4"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Recherche sur «article» (1 sujet trouvé)"));
        window->AddItem(2, std::string("article 2"));
        window->AddItem(1, std::string("G\xe9n\xe9ralit\xe9s"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Recherche sur «article» (3 sujets trouvés)"));
        // Wide enough for its whole caption (a window manager cuts one that is not).
        QVERIFY(window->width() > window->fontMetrics().horizontalAdvance(window->windowTitle()));
        // Alphabetical whatever the order found, case ignored.
        QCOMPARE(Lines(window), (QStringList{QStringLiteral("article 2"), QStringLiteral("Article 4"),
                                             QStringLiteral("Généralités")}));
        QCOMPARE(window->GetItemArticle(0), 2);
        QCOMPARE(window->GetItemArticle(2), 1);

        window->SetSearch(QString(), false, false);
        window->Clear();
        QCOMPARE(window->windowTitle(), QStringLiteral("Résultats de la recherche"));
        QCOMPARE(window->GetCount(), 0);
        window->AddItem(3, std::string("Article 3"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Résultats de la recherche (1 sujet trouvé)"));
    }

    void results_openSelectsTheFirstOccurrenceAndMovesAway()
    {
        CResultsListDlg* window = app_->resultsWindow();
        CMireldaView* view = frame_->view();
        QVERIFY(app_->GoToArticle(1, 0));
        window->SetSearch(QStringLiteral("ARTICLE"), true, false); // matches nothing: case counts
        window->Clear();
        window->AddItem(3, std::string("Article 3"));
        window->Show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        DoubleClickRow(window, 0);
        QCOMPARE(view->currentArticle(), 3);
        QCOMPARE(view->selectionStart(), view->selectionEnd());

        window->SetSearch(QStringLiteral("article"), true, false);
        window->Clear();
        window->AddItem(4, std::string("Article 4"));
        DoubleClickRow(window, 0);
        QCOMPARE(view->currentArticle(), 4);
        // "Texte de l'article 4.": the first same-case "article".
        QCOMPARE(view->selectionStart(), 11);
        QCOMPARE(view->selectionEnd(), 18);
        // Every occurrence is highlighted as well, until another article is shown.
        QCOMPARE(view->highlights(), (std::vector<std::pair<std::int32_t, std::int32_t>>{{11, 18}}));
        QCOMPARE(view->extraSelections().size(), 2); // and the one selected, marked over it

        // Over the found text, the window gets out of the way.
        const QPoint found = view->viewport()->mapToGlobal(view->characterRect(11).topLeft());
        window->move(found - QPoint(10, 10));
        QTRY_VERIFY(window->frameGeometry().contains(found));
        DoubleClickRow(window, 0);
        QTRY_VERIFY(!window->frameGeometry().contains(found));
        QVERIFY(app_->GoToArticle(1, 0));
        QVERIFY(view->highlights().empty());
        QVERIFY(view->extraSelections().isEmpty());
        window->hide();
    }

    void bookmarks_defineRenameDeleteAndButtons()
    {
        CBookmarkListDlg* window = app_->bookmarkWindow();
        CMireldaView* view = frame_->view();
        while (window->GetCount() > 0) { // a clean list for this test
            List(window)->setCurrentRow(0);
            QString text;
            AnswerMessage(text, QMessageBox::Yes);
            window->DeleteSelected();
        }
        QPushButton* show = Button(window, "showButton");
        QPushButton* remove = Button(window, "deleteButton");
        QPushButton* rename = Button(window, "renameButton");
        auto buttonsEnabled = [&] { return show->isEnabled() && remove->isEnabled() && rename->isEnabled(); };
        auto buttonsDisabled = [&] {
            return !show->isEnabled() && !remove->isEnabled() && !rename->isEnabled();
        };
        QVERIFY(buttonsDisabled());

        // Define: the dialog offers the current title.
        const struct
        {
            std::int32_t article;
            QString name;
        } defined[] = {
            {4, QStringLiteral("Zeta")}, {2, QStringLiteral("alpha")}, {1, QStringLiteral("Beta")}};
        for (const auto& d : defined) {
            QVERIFY(app_->GoToArticle(d.article, 0));
            NameDialogSeen seen;
            AnswerNameDialog(seen, d.name);
            frame_->action(mirelda::cmd::kDefineBookmark)->trigger();
            QCOMPARE(seen.caption, QStringLiteral("Ajouter un signet"));
            QCOMPARE(seen.presetName, view->currentTitle());
        }
        // Cancel adds nothing.
        NameDialogSeen cancelled;
        AnswerNameDialog(cancelled, QStringLiteral("Omega"), false);
        frame_->action(mirelda::cmd::kDefineBookmark)->trigger();
        QCOMPARE(Lines(window),
                 (QStringList{QStringLiteral("alpha"), QStringLiteral("Beta"), QStringLiteral("Zeta")}));
        QCOMPARE(window->GetItemArticle(0), 2);
        QCOMPARE(window->GetItemArticle(2), 4);

        // Entries but no selection: still disabled; a selection enables the three.
        QVERIFY(buttonsDisabled());
        frame_->action(mirelda::cmd::kBookmarkList)->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        List(window)->setCurrentRow(2);
        QVERIFY(buttonsEnabled());

        // "&Afficher" opens the selected bookmark.
        QVERIFY(app_->GoToArticle(1, 0));
        QTest::mouseClick(show, Qt::LeftButton);
        QCOMPARE(view->currentArticle(), 4);

        // Rename "Zeta" to "Aaron": it moves to the top and keeps its article.
        NameDialogSeen renamed;
        AnswerNameDialog(renamed, QStringLiteral("Aaron"));
        QTest::mouseClick(rename, Qt::LeftButton);
        QCOMPARE(renamed.caption, QStringLiteral("Renommer le signet"));
        QCOMPARE(renamed.presetName, QStringLiteral("Zeta"));
        QCOMPARE(Lines(window),
                 (QStringList{QStringLiteral("Aaron"), QStringLiteral("alpha"), QStringLiteral("Beta")}));
        QCOMPARE(window->GetItemArticle(0), 4);
        // Renaming is a delete and an add: nothing is selected, the three buttons are disabled.
        QVERIFY(List(window)->selectedItems().isEmpty());
        QVERIFY(buttonsDisabled());

        // Rename cancelled: nothing changes.
        List(window)->setCurrentRow(1);
        NameDialogSeen kept;
        AnswerNameDialog(kept, QStringLiteral("zzz"), false);
        QTest::mouseClick(rename, Qt::LeftButton);
        QCOMPARE(Lines(window),
                 (QStringList{QStringLiteral("Aaron"), QStringLiteral("alpha"), QStringLiteral("Beta")}));

        // Delete: No keeps it, Yes removes it; nothing selected afterwards.
        List(window)->setCurrentRow(1);
        QString question, caption;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        AnswerMessage(question, QMessageBox::No, &icon, &caption);
        QTest::mouseClick(remove, Qt::LeftButton);
        QCOMPARE(question, QStringLiteral("Voulez-vous supprimer le signet «alpha» ?"));
        QCOMPARE(icon, QMessageBox::Question);
        QCOMPARE(caption, app_->HelpTitle());
        QCOMPARE(window->GetCount(), 3);
        AnswerMessage(question, QMessageBox::Yes);
        QTest::mouseClick(remove, Qt::LeftButton);
        QCOMPARE(Lines(window), (QStringList{QStringLiteral("Aaron"), QStringLiteral("Beta")}));
        QVERIFY(buttonsDisabled());
        window->hide();
    }

    void bookmarks_emptyAndBlankNamesAreEntriesLikeAnyOther()
    {
        CBookmarkListDlg* window = app_->bookmarkWindow();
        QListWidget* list = List(window);
        while (window->GetCount() > 0) {
            list->setCurrentRow(0);
            QString text;
            AnswerMessage(text, QMessageBox::Yes);
            window->DeleteSelected();
        }
        auto rowOf = [window](std::int32_t article) {
            for (int i = 0; i < window->GetCount(); ++i)
                if (window->GetItemArticle(i) == article)
                    return i;
            return -1;
        };
        // "&Valider" takes an empty or blank name, and each confirmation is a further entry.
        for (const auto& [article, name] :
             {std::pair{2, QString()}, std::pair{3, QStringLiteral("   ")}, std::pair{4, QString()}}) {
            QVERIFY(app_->GoToArticle(article, 0));
            NameDialogSeen seen;
            AnswerNameDialog(seen, name);
            frame_->action(mirelda::cmd::kDefineBookmark)->trigger();
            QVERIFY(seen.confirmEnabledWhenEmpty);
            QCOMPARE(window->GetItemText(rowOf(article)), name);
        }
        QCOMPARE(window->GetCount(), 3);

        // Each has a line of its own that a click selects and "&Afficher" opens.
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        for (const std::int32_t article : {2, 3, 4}) {
            const QRect line = list->visualItemRect(list->item(rowOf(article)));
            QVERIFY(line.height() >= list->fontMetrics().height());
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line.center());
            QCOMPARE(list->currentRow(), rowOf(article));
            QTest::mouseClick(Button(window, "showButton"), Qt::LeftButton);
            QCOMPARE(frame_->view()->currentArticle(), article);
        }

        // Renamed and deleted like any other.
        list->setCurrentRow(rowOf(2));
        NameDialogSeen renamed;
        AnswerNameDialog(renamed, QStringLiteral("Nommé"));
        QTest::mouseClick(Button(window, "renameButton"), Qt::LeftButton);
        QCOMPARE(renamed.presetName, QString());
        QCOMPARE(window->GetItemText(rowOf(2)), QStringLiteral("Nommé"));
        list->setCurrentRow(rowOf(4));
        QString question;
        AnswerMessage(question, QMessageBox::Yes);
        QTest::mouseClick(Button(window, "deleteButton"), Qt::LeftButton);
        QCOMPARE(question, QStringLiteral("Voulez-vous supprimer le signet «» ?"));
        QCOMPARE(window->GetCount(), 2);
        QCOMPARE(rowOf(4), -1);
        window->hide();
    }

    void bookmarkWindow_layoutKeepsTheButtonsOnTheBottomEdge()
    {
        for (CListDlg* window : {static_cast<CListDlg*>(app_->bookmarkWindow()),
                                 static_cast<CListDlg*>(app_->historyWindow())}) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            window->resize(400, 300);
            QTRY_COMPARE(window->size(), QSize(400, 300));
            QListWidget* list = List(window);
            QPushButton* show = Button(window, "showButton");
            QCOMPARE(show->geometry().bottom(), 300 - 2); // its bottom edge 1 pixel above the client's
            QCOMPARE(list->geometry().topLeft(), QPoint(1, 1));
            QCOMPARE(list->width(), 400 - 2);
            if (window == app_->bookmarkWindow())
                QCOMPARE(list->height(), 300 - show->height() - 5);
            else
                QCOMPARE(list->height(), 300 - 2);
            window->hide();
        }
    }

  private:
    QTemporaryDir root_;
    QString base_;
    std::unique_ptr<InProcessViewer> viewer_;
    CMireldaApp* app_ = nullptr;
    CMainFrame* frame_ = nullptr;
};

QTEST_MAIN(ListWindowsTest)
#include "list_windows_test.moc"
