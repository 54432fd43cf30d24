// The command vocabulary as the user meets it: the main menu, the view's context menu, the
// toolbar, status prompts and tool tips, accelerators, and the enable and check rules that exist.

#include "tests/support/app_harness.h"

#include "core/app/command_table.h"
#include "ui/app/lock_panes.h"
#include "ui/app/main_frame.h"
#include "ui/search/search_dlg.h"
#include "ui/view/mirelda_view.h"

#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>

#include <optional>

using namespace mirelda::ui;

using apptest::InProcessViewer;

namespace {

// The texts of a menu, separators as "-".
QStringList Texts(const QList<QAction*>& actions)
{
    QStringList texts;
    for (const QAction* a : actions)
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return texts;
}

} // namespace

class AppCommandsTest : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        base_ = apptest::IsolatedHelpSet(root_, QStringLiteral("GUIDE"));
        QVERIFY(!base_.isEmpty());
        viewer_ = std::make_unique<InProcessViewer>(QStringList{QStringLiteral("/D:") + base_});
        QVERIFY(viewer_->app->InitInstance());
        frame_ = viewer_->app->mainFrame();
        QTRY_VERIFY(frame_->helpSetLoaded());
    }

    void cleanupTestCase() { viewer_.reset(); }

    void mainMenu_hasTheFourMenusInOrder()
    {
        const QList<QAction*> menus = frame_->menuBar()->actions();
        QCOMPARE(Texts(menus), (QStringList{QStringLiteral("A&rticle"), QStringLiteral("&Edition"),
                                            QStringLiteral("&Affichage"), QStringLiteral("Ai&de")}));
        QCOMPARE(Texts(menus[0]->menu()->actions()),
                 (QStringList{
                     QStringLiteral("Page d'&accueil"), QStringLiteral("Article &précédent"),
                     QStringLiteral("&Synchroniser l'article"), QStringLiteral("-"),
                     QStringLiteral("&Définir signet"), QStringLiteral("-"),
                     QStringLiteral("&Imprimer...\tCtrl+P"), QStringLiteral("Aperçu a&vant impression"),
                     QStringLiteral("-"), QStringLiteral("&Ouvrir une aide...\tCtrl+O"),
                     QStringLiteral("Aides &récentes"), QStringLiteral("-"), QStringLiteral("&Quitter")}));
        QCOMPARE(menus[0]->menu()->actions()[7], frame_->action(mirelda::cmd::kPrintPreview));
        QCOMPARE(frame_->action(mirelda::cmd::kPrintPreview)->statusTip(),
                 QStringLiteral("Affiche des pages entières"));
        QCOMPARE(frame_->action(mirelda::cmd::kPrint)->toolTip(), QStringLiteral("Imprimer"));
        QCOMPARE(frame_->action(mirelda::cmd::kPrint)->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
        QCOMPARE(Texts(menus[1]->menu()->actions()),
                 (QStringList{QStringLiteral("&Copier\tCtrl+C"), QStringLiteral("&Tout sélectionner\tCtrl+A"),
                              QStringLiteral("-"), QStringLiteral("&Rechercher...\tCtrl+F"),
                              QStringLiteral("Occurrence &suivante\tF3"), QStringLiteral("-"),
                              QStringLiteral("&Annotation")}));
        QCOMPARE(
            Texts(menus[2]->menu()->actions()),
            (QStringList{QStringLiteral("&Barre d'outils"), QStringLiteral("Barre d'é&tat"),
                         QStringLiteral("-"), QStringLiteral("&Historique"),
                         QStringLiteral("Liste des &signets"), QStringLiteral("&Résultats de la recherche"),
                         QStringLiteral("-"), QStringLiteral("Texte plus &grand"),
                         QStringLiteral("Texte plus &petit"), QStringLiteral("Taille &normale du texte"),
                         QStringLiteral("-"), QStringLiteral("Bulles d'&aide")}));
        QCOMPARE(Texts(menus[3]->menu()->actions()), QStringList{QStringLiteral("&A propos...")});
    }

    void contextMenu_hasItsOwnAnnotationText()
    {
        QMenu* menu = frame_->viewContextMenu();
        QVERIFY(menu);
        QCOMPARE(menu->title(), QStringLiteral("CLIC_DROIT_SUR_VUE"));
        QCOMPARE(
            Texts(menu->actions()),
            (QStringList{QStringLiteral("&Copier\tCtrl+C"), QStringLiteral("&Tout sélectionner\tCtrl+A"),
                         QStringLiteral("-"), QStringLiteral("&Rechercher...\tCtrl+F"), QStringLiteral("-"),
                         QStringLiteral("&Historique"), QStringLiteral("Liste des &signets"),
                         QStringLiteral("-"), QStringLiteral("&Annoter...")}));
        // The same commands as the main menu's: shared actions, except the annotation alias.
        QCOMPARE(menu->actions()[0], frame_->action(mirelda::cmd::kCopy));
        QCOMPARE(menu->actions()[5], frame_->action(mirelda::cmd::kHistory));
    }

    void toolBar_showsTheCommandsWithTheirImagesAndTips()
    {
        QToolBar* bar = frame_->toolBar();
        QCOMPARE(bar->windowTitle(), QStringLiteral("Outils de visualisation"));
        QCOMPARE(bar->allowedAreas(), Qt::TopToolBarArea);
        QCOMPARE(frame_->toolBarArea(bar), Qt::TopToolBarArea);
        // What the user reads over each button; the annotation-present image holder at the end
        // of the layout never becomes a button.
        QStringList tips;
        for (const QAction* a : bar->actions()) {
            tips << (a->isSeparator() ? QStringLiteral("-") : a->toolTip());
            QVERIFY2(a->isSeparator() || !a->icon().isNull(), qPrintable(a->toolTip()));
        }
        QCOMPARE(
            tips,
            (QStringList{QStringLiteral("Page d'accueil"), QStringLiteral("-"), QStringLiteral("Copier"),
                         QStringLiteral("-"), QStringLiteral("Page précédente"), QStringLiteral("Historique"),
                         QStringLiteral("-"), QStringLiteral("Synchroniser l'article"), QStringLiteral("-"),
                         QStringLiteral("Définir signet"), QStringLiteral("Liste des signets"),
                         QStringLiteral("-"), QStringLiteral("Rechercher"),
                         QStringLiteral("Résultats de la recherche"), QStringLiteral("-"),
                         QStringLiteral("Annotation"), QStringLiteral("-"), QStringLiteral("A propos de")}));
        // The buttons are the menus' own commands, enabled and checked alike.
        QCOMPARE(bar->actions()[0], frame_->action(mirelda::cmd::kHomePage));
        QCOMPARE(bar->actions()[15], frame_->action(mirelda::cmd::kAnnotation));
    }

    void promptsAndToolTips_comeFromOneString()
    {
        QAction* home = frame_->action(mirelda::cmd::kHomePage);
        QCOMPARE(home->statusTip(), QStringLiteral("Retourne à la page d'accueil"));
        QCOMPARE(home->toolTip(), QStringLiteral("Page d'accueil"));
        QAction* about = frame_->action(mirelda::cmd::kAbout);
        QCOMPARE(about->statusTip(),
                 QStringLiteral(
                     "Affiche des informations sur le programme, le numéro de version et le copyright"));
        QCOMPARE(about->toolTip(), QStringLiteral("A propos de"));
        // Once stored with a slash instead of its line break: the prompt alone, then the tip.
        QCOMPARE(frame_->action(mirelda::cmd::kSelectAll)->statusTip(),
                 QStringLiteral("Sélectionne le document entier"));
        QCOMPARE(frame_->action(mirelda::cmd::kSelectAll)->toolTip(), QStringLiteral("Tout sélectionner"));
        QCOMPARE(frame_->action(mirelda::cmd::kToolTips)->statusTip(),
                 QStringLiteral("Affiche ou non les info-bulles au survol du curseur."));

        // The prompt reaches the status bar's message pane when the item is hovered.
        frame_->action(mirelda::cmd::kSearch)->showStatusText(frame_);
        QCOMPARE(frame_->statusBar()->currentMessage(),
                 QStringLiteral("Effectue la recherche d'un mot ou d'un texte"));
    }

    void statusBar_hasTheThreeLockPanes()
    {
        QStringList panes;
        for (const char* name : {"capsLockPane", "numLockPane", "scrollLockPane"}) {
            auto* label = frame_->statusBar()->findChild<QLabel*>(QLatin1String(name));
            QVERIFY(label);
            panes << label->text();
        }
        QCOMPARE(panes, (QStringList{QStringLiteral("MAJ"), QStringLiteral("NUM"), QStringLiteral("DEF")}));
    }

    void accelerators_reachTheirCommands()
    {
        QCOMPARE(frame_->action(mirelda::cmd::kSearch)->shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));
        QCOMPARE(frame_->action(mirelda::cmd::kCopy)->shortcuts(),
                 (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+C")),
                                      QKeySequence(QStringLiteral("Ctrl+Ins"))}));
        QCOMPARE(frame_->action(mirelda::cmd::kFrameworkSelectAll)->shortcut(),
                 QKeySequence(QStringLiteral("Ctrl+A")));
        QCOMPARE(frame_->action(mirelda::cmd::kUndo)->shortcuts().size(), 2);
        QCOMPARE(frame_->action(mirelda::cmd::kPreviousPane)->shortcut(),
                 QKeySequence(QStringLiteral("Shift+F6")));

        // Ctrl+A in the frame selects the whole article through the standard select-all command.
        frame_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame_));
        frame_->view()->setSelection(0, 0);
        QTest::keyClick(frame_, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(frame_->view()->selectionStart(), 0);
        QCOMPARE(frame_->view()->selectionEnd(),
                 static_cast<std::int32_t>(frame_->view()->articleText().size()));

        // Ctrl+C with the view focused reaches the copy command, not the text control.
        QGuiApplication::clipboard()->clear();
        frame_->view()->setFocus();
        QTest::keyClick(frame_->view(), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("Accueil.")));
    }

    void lockPanes_readTheKeyboardLeds()
    {
        QTemporaryDir leds;
        auto led = [&leds](const char* name, const char* brightness) {
            QDir(leds.path()).mkpath(QLatin1String(name));
            QFile file(leds.path() + QLatin1Char('/') + QLatin1String(name) + QStringLiteral("/brightness"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(brightness);
        };
        QCOMPARE(CLockPanes::ReadLed(leds.path(), CLockPanes::Caps), std::nullopt); // unknowable
        led("input3::capslock", "0\n");
        led("input7::capslock", "1\n"); // two keyboards: either lit means on
        led("input3::numlock", "0\n");
        QCOMPARE(CLockPanes::ReadLed(leds.path(), CLockPanes::Caps), std::optional<bool>(true));
        QCOMPARE(CLockPanes::ReadLed(leds.path(), CLockPanes::Num), std::optional<bool>(false));
        QCOMPARE(CLockPanes::ReadLed(leds.path(), CLockPanes::Scroll), std::nullopt);
    }

    void enableRules()
    {
        frame_->UpdateCommands();
        QVERIFY(!frame_->action(mirelda::cmd::kToolTips)->isEnabled()); // nobody answers it
        QVERIFY(frame_->action(mirelda::cmd::kAbout)->isEnabled());
        QVERIFY(frame_->action(mirelda::cmd::kHomePage)->isEnabled());

        // "Article précédent" needs two history entries.
        CMireldaApp& app = *viewer_->app;
        QVERIFY(app.GoToArticle(1, 0));
        QCOMPARE(app.session().history().size(), std::size_t{1});
        QVERIFY(!frame_->action(mirelda::cmd::kPreviousArticle)->isEnabled());
        QVERIFY(app.GoToArticle(2, 0));
        QVERIFY(frame_->action(mirelda::cmd::kPreviousArticle)->isEnabled());
        frame_->action(mirelda::cmd::kPreviousArticle)->trigger();
        QCOMPARE(frame_->view()->currentArticle(), 1);
        QVERIFY(!frame_->action(mirelda::cmd::kPreviousArticle)->isEnabled());

        // Copy follows the selection.
        frame_->view()->setSelection(0, 0);
        frame_->UpdateCommands();
        QVERIFY(!frame_->action(mirelda::cmd::kCopy)->isEnabled());
        frame_->view()->SelectAll();
        frame_->UpdateCommands();
        QVERIFY(frame_->action(mirelda::cmd::kCopy)->isEnabled());
    }

    void homePage_addsNoEntryWhenArticleOneIsCurrent()
    {
        CMireldaApp& app = *viewer_->app;
        QVERIFY(app.GoToArticle(3, 0));
        const std::size_t before = app.session().history().size();
        frame_->action(mirelda::cmd::kHomePage)->trigger();
        QCOMPARE(frame_->view()->currentArticle(), 1);
        QCOMPARE(app.session().history().size(), before + 1);
        frame_->action(mirelda::cmd::kHomePage)->trigger();
        QCOMPARE(app.session().history().size(), before + 1);
    }

    void barToggles_hideAndShowAndCarryTheCheck()
    {
        for (const auto& [id, bar] : {std::pair<int, QWidget*>{mirelda::cmd::kToolBar, frame_->toolBar()},
                                      {mirelda::cmd::kStatusBar, frame_->statusBar()}}) {
            QAction* toggle = frame_->action(id);
            frame_->UpdateCommands();
            QVERIFY(toggle->isChecked());
            toggle->trigger();
            QVERIFY(bar->isHidden());
            QVERIFY(!toggle->isChecked());
            toggle->trigger();
            QVERIFY(!bar->isHidden());
            QVERIFY(toggle->isChecked());
        }
    }

    void listToggles_showHideAndCarryTheCheck()
    {
        const std::pair<int, QDialog*> toggles[] = {
            {mirelda::cmd::kSearch, viewer_->app->searchDialog()},
            {mirelda::cmd::kHistory, viewer_->app->historyWindow()},
            {mirelda::cmd::kSearchResults, viewer_->app->resultsWindow()},
            {mirelda::cmd::kBookmarkList, viewer_->app->bookmarkWindow()}};
        for (const auto& [id, window] : toggles) {
            QVERIFY(window);
            QVERIFY(!window->isVisible()); // created hidden
            QAction* toggle = frame_->action(id);
            frame_->UpdateCommands();
            QVERIFY(toggle->isEnabled());
            QVERIFY(!toggle->isChecked());
            toggle->trigger();
            QVERIFY(window->isVisible());
            QVERIFY(toggle->isChecked());
            toggle->trigger();
            QVERIFY(!window->isVisible());
            QVERIFY(!toggle->isChecked());
            window->show();
            QVERIFY(toggle->isChecked());
            QTest::keyClick(window, Qt::Key_Escape); // Escape only hides: the check follows
            QVERIFY(!toggle->isChecked());
        }
        // The context menu's items are the same commands.
        frame_->viewContextMenu()->actions()[5]->trigger();
        QVERIFY(viewer_->app->historyWindow()->isVisible());
        frame_->viewContextMenu()->actions()[5]->trigger();
        QVERIFY(!viewer_->app->historyWindow()->isVisible());
    }

    void search_allArticlesFillTheResultsWindow()
    {
        CMireldaApp& app = *viewer_->app;
        std::optional<SearchOutcome> outcome;
        const auto done = [&outcome](SearchOutcome o) { outcome = o; };
        app.SearchArticles({QStringLiteral("ARTICLE"), false, false, true, false}, done);
        QVERIFY(app.searchRunning());
        QTRY_VERIFY(outcome.has_value());
        QCOMPARE(*outcome, SearchOutcome::Found);
        QVERIFY(!app.searchRunning());
        QVERIFY(app.resultsWindow()->isVisible());
        QCOMPARE(app.resultsWindow()->GetCount(), 4); // "Article 2..4", "Article long"
        QVERIFY(frame_->action(mirelda::cmd::kSearchResults)->isChecked());
        app.resultsWindow()->hide();
        outcome.reset();
        app.SearchArticles({QStringLiteral("introuvable"), false, false, true, true}, done);
        // One search at a time: a second one while the first runs does not start.
        std::optional<SearchOutcome> second;
        app.SearchArticles({QStringLiteral("ARTICLE"), false, false, true, false},
                           [&second](SearchOutcome o) { second = o; });
        QCOMPARE(second, std::optional<SearchOutcome>(SearchOutcome::Stopped));
        QTRY_VERIFY(outcome.has_value());
        QCOMPARE(*outcome, SearchOutcome::NothingFound);
        QCOMPARE(app.resultsWindow()->GetCount(), 0);
    }

    void historyWindow_mirrorsTheHistory()
    {
        CMireldaApp& app = *viewer_->app;
        const int before = app.historyWindow()->GetCount();
        QCOMPARE(static_cast<std::size_t>(before), app.session().history().size());
        QVERIFY(app.GoToArticle(4, 0));
        QCOMPARE(app.historyWindow()->GetCount(), before + 1);
        QCOMPARE(app.historyWindow()->GetItemText(0), QStringLiteral("Article 4"));
        frame_->action(mirelda::cmd::kPreviousArticle)->trigger();
        QCOMPARE(app.historyWindow()->GetCount(), before);
    }

    void windowGone_takesItsCommandAlong()
    {
        QAction* toggle = frame_->action(mirelda::cmd::kSearchResults);
        delete viewer_->app->resultsWindow();
        QVERIFY(!toggle->isEnabled());
        QVERIFY(!toggle->isChecked());
        toggle->trigger(); // nothing left to show: nothing happens
    }

    void about_closesWithOk()
    {
        bool sawOk = false;
        mirelda::test::AnswerNextModal([&sawOk](QWidget* dialog) {
            QCOMPARE(dialog->objectName(), QStringLiteral("aboutDialog"));
            auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("aboutOk"));
            QVERIFY(ok);
            sawOk = ok->text() == QStringLiteral("OK");
            ok->click();
        });
        frame_->action(mirelda::cmd::kAbout)->trigger();
        QVERIFY(sawOk);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }

  private:
    QTemporaryDir root_{QDir::tempPath() + QStringLiteral("/mirelda-XXXXXX")};
    QString base_;
    std::unique_ptr<InProcessViewer> viewer_;
    CMainFrame* frame_ = nullptr;
};

QTEST_MAIN(AppCommandsTest)
#include "app_commands_test.moc"
