// The viewer started in-process: the deferred help-set load, the start article and the
// show-article request with their fall-back, the frame's keys, the annotation button, the
// missing-data path and the close sequence.

#include "tests/support/app_harness.h"

#include "core/app/command_table.h"
#include "core/app/help_set_identity.h"
#include "core/lists/bookmarks.h"
#include "core/notes/annotation_store.h"
#include "core/session/help_session.h"
#include "tests/support/file_faults.h"
#include "ui/app/main_frame.h"
#include "ui/app/recent_help_sets_menu.h"
#include "ui/app/single_instance.h"
#include "ui/notes/annotation_bar.h"
#include "ui/notes/annotation_edit.h"
#include "ui/tree/tree_bar.h"
#include "ui/view/mirelda_view.h"
#include "ui/view/popup_wnd.h"
#include "ui/widgets/settings.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolBar>
#include <QTreeView>

using namespace mirelda::ui;

using apptest::InProcessViewer;
using mirelda::test::MessageAnswerer;

class AppFrameTest : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        base_ = apptest::IsolatedHelpSet(root_, QStringLiteral("MILDA"));
        QVERIFY(!base_.isEmpty());
    }

    void load_runsOnceAfterTheFirstShow()
    {
        InProcessViewer viewer({QStringLiteral("/D:") + base_});
        QVERIFY(viewer.app->InitInstance());
        CMainFrame* frame = viewer.app->mainFrame();
        QVERIFY(frame->isVisible());
        // Every drawn size of the icon, for window managers that pick a small one.
        for (const QIcon& icon : {frame->windowIcon(), QGuiApplication::windowIcon()}) {
            const QList<QSize> sizes = icon.availableSizes();
            QVERIFY2(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(48, 48)) &&
                         sizes.contains(QSize(256, 256)) && sizes.size() == 8,
                     qPrintable(QString::number(sizes.size())));
        }
        // Posted, not run during creation: the window is up before any file is read.
        QVERIFY(!frame->helpSetLoaded());
        QCOMPARE(frame->view()->currentArticle(), 0);
        QSignalSpy loads(frame, &CMainFrame::helpSetLoadedChanged);
        QTRY_COMPARE(loads.count(), 1);
        QCOMPARE(frame->view()->currentArticle(), 1);
        QCOMPARE(frame->windowTitle(), QStringLiteral("Aide Mildane - Généralités"));
        QCOMPARE(frame->session().index().size(), std::size_t{6});

        QVERIFY(viewer.app->GoToArticle(3, 0));
        frame->showMinimized();
        frame->showNormal();
        frame->hide();
        frame->show();
        frame->LoadHelpSet();
        QTest::qWait(50);
        QCOMPARE(loads.count(), 1);
        QCOMPARE(frame->view()->currentArticle(), 3);
    }

    void startArticle_data()
    {
        QTest::addColumn<QString>("switchText");
        QTest::addColumn<int>("shown");
        QTest::addColumn<QString>("message");
        QTest::newRow("existing") << QStringLiteral("/P:3") << 3 << QString();
        QTest::newRow("separator skipped") << QStringLiteral("/P24") << 4 << QString();
        QTest::newRow("missing") << QStringLiteral("/p=4711") << 1
                                 << QStringLiteral("Cet article n'existe pas ! (ER4711)");
        QTest::newRow("no digits") << QStringLiteral("-P:abc") << 1 << QString();
        QTest::newRow("pop-up") << QStringLiteral("/P:9") << 0 << QString();
    }

    void startArticle()
    {
        QFETCH(QString, switchText);
        QFETCH(int, shown);
        QFETCH(QString, message);
        MessageAnswerer answers;
        InProcessViewer viewer({QStringLiteral("/D:") + base_, switchText});
        QVERIFY(viewer.app->InitInstance());
        CMainFrame* frame = viewer.app->mainFrame();
        QTRY_VERIFY(frame->helpSetLoaded());
        // A pop-up start article opens as a pop-up and counts as shown: nothing becomes current.
        QCOMPARE(frame->view()->currentArticle(), shown);
        if (message.isEmpty()) {
            QVERIFY(answers.seen.isEmpty());
        } else {
            QCOMPARE(answers.seen.size(), 1);
            QCOMPARE(answers.seen[0].text, message);
        }
    }

    void tree_selectsTheStartArticleThenOnlyOnSynchronise()
    {
        InProcessViewer viewer({QStringLiteral("/D:") + base_, QStringLiteral("/P:3")});
        QVERIFY(viewer.app->InitInstance());
        CMainFrame* frame = viewer.app->mainFrame();
        QTRY_VERIFY(frame->helpSetLoaded());
        QTRY_VERIFY(frame->treeBar()->treeLoaded());
        QTreeView* tree = frame->treeBar()->tree();
        QCOMPARE(tree->model()->rowCount(), 1);
        QCOMPARE(frame->dockWidgetArea(frame->treeBar()), Qt::LeftDockWidgetArea);
        QVERIFY(tree->currentIndex().isValid());
        QCOMPARE(tree->currentIndex().data().toString(), QStringLiteral("Article 3"));

        QVERIFY(viewer.app->GoToArticle(1, 0));
        QCOMPARE(tree->currentIndex().data().toString(),
                 QStringLiteral("Article 3")); // the tree does not follow
        frame->action(mirelda::cmd::kSynchronise)->trigger();
        QCOMPARE(tree->currentIndex().data().toString(), QStringLiteral("Généralités"));

        // An entry opened from the tree shows in the frame's view.
        QVERIFY(frame->treeBar()->OpenItem(tree->model()->index(1, 0, tree->model()->index(0, 0))));
        QCOMPARE(frame->view()->currentArticle(), 3);
    }

    void keyboard_panesPreviousArticleSynchroniseAndAnnotation()
    {
        InProcessViewer viewer({QStringLiteral("/D:") + base_});
        QVERIFY(viewer.app->InitInstance());
        CMainFrame* frame = viewer.app->mainFrame();
        QTRY_VERIFY(frame->helpSetLoaded());
        QTRY_VERIFY(frame->treeBar()->treeLoaded());
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        CMireldaView* view = frame->view();
        QTreeView* tree = frame->treeBar()->tree();
        CAnnotationEdit* edit = frame->annotationBar()->edit();
        const auto key = [](int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(k), m);
        };
        QTRY_VERIFY(view->hasFocus());

        // F6 and Shift+F6 go round the tree and the article; Tab and Enter stay in the view.
        key(Qt::Key_Tab);
        key(Qt::Key_Return);
        QVERIFY(view->hasFocus());
        key(Qt::Key_F6);
        QVERIFY(tree->hasFocus());
        key(Qt::Key_F6);
        QVERIFY(view->hasFocus());
        key(Qt::Key_F6, Qt::ShiftModifier);
        QVERIFY(tree->hasFocus());

        // Showing the annotation (from the keyboard: Edition, Annotation) gives it the typing.
        key(Qt::Key_E, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget());
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_A);
        QVERIFY(frame->annotationBar()->isVisible());
        QVERIFY(edit->hasFocus());
        key(Qt::Key_Space);
        key(Qt::Key_X);
        QCOMPARE(edit->toPlainText(), QStringLiteral(" x"));
        QCOMPARE(view->currentArticle(), 1);
        // Now the annotation is one of the panes, after the article.
        key(Qt::Key_F6);
        QVERIFY(tree->hasFocus());
        key(Qt::Key_F6, Qt::ShiftModifier);
        QVERIFY(edit->hasFocus());
        key(Qt::Key_F6, Qt::ShiftModifier);
        QVERIFY(view->hasFocus());

        // Alt+Left is "Article précédent".
        QVERIFY(viewer.app->GoToArticle(3, 0));
        key(Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(view->currentArticle(), 1);

        // "Synchroniser" from the toolbar selects the entry and leaves the reader in the
        // article; from the keyboard (Article, Synchroniser) it goes to the entry.
        QVERIFY(viewer.app->GoToArticle(3, 0));
        QTest::mouseClick(frame->toolBar()->widgetForAction(frame->action(mirelda::cmd::kSynchronise)),
                          Qt::LeftButton);
        QCOMPARE(tree->currentIndex().data().toString(), QStringLiteral("Article 3"));
        QVERIFY(view->hasFocus());
        QVERIFY(viewer.app->GoToArticle(1, 0));
        key(Qt::Key_R, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget());
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_S);
        QCOMPARE(tree->currentIndex().data().toString(), QStringLiteral("Généralités"));
        QVERIFY(tree->hasFocus());
    }

    void textSize_menuShortcutsAndStatusPane()
    {
        InProcessViewer viewer({QStringLiteral("/D:") + base_});
        QVERIFY(viewer.app->InitInstance());
        CMainFrame* frame = viewer.app->mainFrame();
        QTRY_VERIFY(frame->helpSetLoaded());
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        CMireldaView* view = frame->view();
        auto* pane = frame->statusBar()->findChild<QLabel*>(QStringLiteral("textSizePane"));
        QVERIFY(pane);
        QVERIFY(pane->isHidden()); // shown only away from the normal size
        QCOMPARE(view->textZoom(), 100);

        // The shortcuts work from the tree as from the article.
        frame->treeBar()->tree()->setFocus();
        QTest::keyClick(frame->treeBar()->tree(), Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(view->textZoom(), 110);
        QVERIFY(pane->isVisible());
        QCOMPARE(pane->text(), QStringLiteral("Texte : 110\u00a0%"));
        QTest::keyClick(frame->treeBar()->tree(), Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(view->textZoom(), 100);
        QVERIFY(pane->isHidden());

        // The Affichage menu's entries, and their bounds.
        QAction* smaller = frame->action(mirelda::cmd::kZoomOut);
        for (int i = 0; i < 10; ++i)
            smaller->trigger();
        QCOMPARE(view->textZoom(), 50);
        QVERIFY(!smaller->isEnabled());
        QCOMPARE(pane->text(), QStringLiteral("Texte : 50\u00a0%"));

        // A pop-up takes the size shown, not the one last saved (by this viewer or another).
        MireldaSettings().setValue(QStringLiteral("view/textSize"), 100);
        const auto sizeAtStart = [](QTextDocument* doc) {
            QTextCursor c(doc);
            c.setPosition(1);
            return c.charFormat().fontPointSize();
        };
        QVERIFY(viewer.app->GoToArticle(9, 0)); // "#POPUP:Glossaire"
        auto* popup = frame->findChild<CPopupWnd*>();
        QVERIFY(popup);
        QCOMPARE(sizeAtStart(popup->textControl()->document()), sizeAtStart(view->document()));
        popup->ClosePopup();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget());
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_N); // "Taille &normale du texte"
        QCOMPARE(view->textZoom(), 100);
        QVERIFY(smaller->isEnabled());
        QVERIFY(pane->isHidden());
    }

    void showArticleRequest_fallsBackToArticleOne()
    {
        MessageAnswerer answers;
        InProcessViewer viewer({QStringLiteral("/D:") + base_});
        QVERIFY(viewer.app->InitInstance());
        CMainFrame* frame = viewer.app->mainFrame();
        QTRY_VERIFY(frame->helpSetLoaded());
        frame->ShowArticleRequest(4);
        QCOMPARE(frame->view()->currentArticle(), 4);
        frame->ShowArticleRequest(4711);
        QCOMPARE(frame->view()->currentArticle(), 1);
        QCOMPARE(answers.seen.size(), 1);
        QCOMPARE(answers.seen[0].text, QStringLiteral("Cet article n'existe pas ! (ER4711)"));
        frame->ShowArticleRequest(3);
        frame->ShowArticleRequest(0); // 0 is silent, then article 1
        QCOMPARE(frame->view()->currentArticle(), 1);
        QCOMPARE(answers.seen.size(), 1);
    }

    void keys_scrollTheViewAndEscapeMinimises()
    {
        InProcessViewer viewer({QStringLiteral("/D:") + base_, QStringLiteral("/P:5")});
        QVERIFY(viewer.app->InitInstance());
        CMainFrame* frame = viewer.app->mainFrame();
        QTRY_VERIFY(frame->helpSetLoaded());
        QCOMPARE(frame->view()->currentArticle(), 5);
        QScrollBar* bar = frame->view()->verticalScrollBar();
        QVERIFY(bar->maximum() > bar->pageStep());

        // The frame's keys are the view's: Page Up undoes Page Down, the arrows move a line.
        QTest::keyClick(frame, Qt::Key_PageDown);
        QTest::keyClick(frame, Qt::Key_PageDown);
        const int afterPageDown = bar->value();
        QVERIFY(afterPageDown > 0);
        QTest::keyClick(frame, Qt::Key_PageUp);
        QCOMPARE(bar->value(), afterPageDown - bar->pageStep());
        const std::int32_t top = frame->view()->FirstVisiblePosition();
        QTest::keyClick(frame, Qt::Key_Down);
        QVERIFY(frame->view()->FirstVisiblePosition() > top);
        QTest::keyClick(frame, Qt::Key_Up);
        QCOMPARE(frame->view()->FirstVisiblePosition(), top);
        // End shows the bottom at the left end, as Home shows the top.
        frame->view()->setLineWrapMode(QTextEdit::FixedPixelWidth);
        frame->view()->setLineWrapColumnOrWidth(3000); // wider than the window
        QScrollBar* across = frame->view()->horizontalScrollBar();
        QTRY_VERIFY(across->maximum() > 0);
        QTest::keyClick(frame, Qt::Key_Right);
        QVERIFY(across->value() > 0);
        QTest::keyClick(frame, Qt::Key_End);
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(across->value(), 0);
        QTest::keyClick(frame, Qt::Key_Right);
        QTest::keyClick(frame, Qt::Key_Home);
        QCOMPARE(bar->value(), 0);
        QCOMPARE(across->value(), 0);
        QTest::keyClick(frame, Qt::Key_A);
        QCOMPARE(bar->value(), 0);
        QCOMPARE(frame->view()->currentArticle(), 5);

        QTest::keyClick(frame, Qt::Key_Escape);
        QTRY_VERIFY(frame->windowState() & Qt::WindowMinimized);
    }

    void annotationButton_switchesBetweenItsTwoImages()
    {
        InProcessViewer viewer({QStringLiteral("/D:") + base_});
        QVERIFY(viewer.app->InitInstance());
        CMainFrame* frame = viewer.app->mainFrame();
        QAction* annotation = frame->action(mirelda::cmd::kAnnotation);
        const QImage normal = annotation->icon().pixmap(16, 16).toImage();
        QVERIFY(!normal.isNull());
        frame->UpdateAnnotationButton(true);
        const QImage present = annotation->icon().pixmap(16, 16).toImage();
        QVERIFY(present != normal);
        frame->UpdateAnnotationButton(true);
        QCOMPARE(annotation->icon().pixmap(16, 16).toImage(), present);
        frame->UpdateAnnotationButton(false);
        QCOMPARE(annotation->icon().pixmap(16, 16).toImage(), normal);
    }

    void missingHelpSet_showsTheMessageAndOpensNoWindow()
    {
        MessageAnswerer answers;
        InProcessViewer viewer({QStringLiteral("/D:") + root_.path() + QStringLiteral("/nothing/VORNE")});
        QVERIFY(!viewer.app->InitInstance());
        QCOMPARE(viewer.app->mainFrame(), nullptr);
        QCOMPARE(viewer.app->exitCode(), 1);
        QCOMPARE(answers.seen.size(), 1);
        QCOMPARE(answers.seen[0].caption, QStringLiteral("Aide VORNELAS"));
        QCOMPARE(answers.seen[0].text, QStringLiteral("Impossible de trouver une source de données !"));
        QCOMPARE(answers.seen[0].icon, QMessageBox::Warning);
        QVERIFY(!answers.seen[0].hadParent);
    }

    void missingOneFile_isMissingData()
    {
        const QString base =
            apptest::WriteHelpSet(root_.path() + QStringLiteral("/partial"), QStringLiteral("SET"));
        QVERIFY(QFile::remove(base + QStringLiteral(".PGL")));
        MessageAnswerer answers;
        InProcessViewer viewer({QStringLiteral("/D:") + base});
        QVERIFY(!viewer.app->InitInstance());
        QCOMPARE(answers.seen.size(), 1);
        QCOMPARE(answers.seen[0].caption, QStringLiteral("Aide"));
    }

    void bookmark_definedThenSavedAtCloseThenLoadedAgain()
    {
        const QString base =
            apptest::WriteHelpSet(root_.path() + QStringLiteral("/marks"), QStringLiteral("SET"));
        {
            InProcessViewer viewer({QStringLiteral("/D:") + base, QStringLiteral("/P:3")});
            QVERIFY(viewer.app->InitInstance());
            CMainFrame* frame = viewer.app->mainFrame();
            QTRY_VERIFY(frame->helpSetLoaded());
            QString preset;
            mirelda::test::AnswerNextModal([&preset](QWidget* dialog) {
                QCOMPARE(dialog->windowTitle(), QStringLiteral("Ajouter un signet"));
                preset = dialog->findChild<QLineEdit*>()->text();
                for (QPushButton* b : dialog->findChildren<QPushButton*>())
                    if (b->text() == QStringLiteral("&Valider"))
                        b->click();
            });
            frame->action(mirelda::cmd::kDefineBookmark)->trigger();
            QCOMPARE(preset, QStringLiteral("Article 3"));
            QCOMPARE(viewer.app->bookmarkWindow()->GetCount(), 1);
            // Written at once, not only at close: a run that is killed keeps it.
            const auto onDisk =
                mirelda::LoadBookmarks(QFile::encodeName(base + QStringLiteral(".SIG")).toStdString());
            QVERIFY(onDisk.ok());
            QCOMPARE(onDisk->bookmarks.size(), std::size_t{1});
            frame->close();
            QVERIFY(QFileInfo::exists(base + QStringLiteral(".SIG")));
        }
        InProcessViewer again({QStringLiteral("/D:") + base});
        QVERIFY(again.app->InitInstance());
        QCOMPARE(again.app->bookmarkWindow()->GetCount(), 1);
        QCOMPARE(again.app->bookmarkWindow()->GetItemText(0), QStringLiteral("Article 3"));
        QCOMPARE(again.app->bookmarkWindow()->GetItemArticle(0), 3);
    }

    void annotation_barToggleButtonImageAndCloseSequence()
    {
        const QString base =
            apptest::WriteHelpSet(root_.path() + QStringLiteral("/notes"), QStringLiteral("SET"));
        {
            InProcessViewer viewer({QStringLiteral("/D:") + base, QStringLiteral("/P:3")});
            QVERIFY(viewer.app->InitInstance());
            CMainFrame* frame = viewer.app->mainFrame();
            QTRY_VERIFY(frame->helpSetLoaded());
            CAnnotationBar* bar = frame->annotationBar();
            QVERIFY(bar);
            QCOMPARE(frame->dockWidgetArea(bar), Qt::BottomDockWidgetArea);
            QVERIFY(bar->isHidden()); // hidden on every run

            QAction* annotation = frame->action(mirelda::cmd::kAnnotation);
            const QImage normal = annotation->icon().pixmap(16, 16).toImage();
            annotation->trigger();
            QVERIFY(bar->isVisible());
            QVERIFY(!annotation->isChecked());

            // The button follows the edit as the user types, and back when it is emptied.
            QTest::keyClicks(bar->edit(), QStringLiteral("Relire"));
            QVERIFY(annotation->icon().pixmap(16, 16).toImage() != normal);
            bar->edit()->selectAll();
            QTest::keyClick(bar->edit(), Qt::Key_Delete);
            QCOMPARE(annotation->icon().pixmap(16, 16).toImage(), normal);
            QTest::keyClicks(bar->edit(), QStringLiteral("Relire la fin"));

            // Leaving the article keeps its note; another article shows its own (none).
            QVERIFY(viewer.app->GoToArticle(2, 0));
            QCOMPARE(bar->edit()->toPlainText(), QString());
            QCOMPARE(annotation->icon().pixmap(16, 16).toImage(), normal);
            QVERIFY(viewer.app->GoToArticle(3, 0));
            QCOMPARE(bar->edit()->toPlainText(), QStringLiteral("Relire la fin"));
            QVERIFY(annotation->icon().pixmap(16, 16).toImage() != normal);

            bar->edit()->moveCursor(QTextCursor::End);
            QTest::keyClicks(bar->edit(), QStringLiteral(" !")); // still being edited at close
            annotation->trigger();
            QVERIFY(bar->isHidden());
            frame->close();
        }
        InProcessViewer again({QStringLiteral("/D:") + base, QStringLiteral("/P:3")});
        QVERIFY(again.app->InitInstance());
        QTRY_VERIFY(again.app->mainFrame()->helpSetLoaded());
        QVERIFY(again.app->mainFrame()->annotationBar()->isHidden());
        QCOMPARE(again.app->mainFrame()->annotationBar()->edit()->toPlainText(),
                 QStringLiteral("Relire la fin !"));
    }

    // A warning of the start-up waits for the event loop: shown while the windows are still
    // being made, its box would run the posted load before the history window exists.
    // The damaged .SIG here cannot be copied aside either, so it is never rewritten.
    void startWarning_waitsForTheLoop_damagedSigWithoutCopyKept()
    {
        const QString base =
            apptest::WriteHelpSet(root_.path() + QStringLiteral("/damagedsig"), QStringLiteral("SET"));
        const QByteArray damaged("\x03\x00\x00\x00xyz", 7);
        WriteBytes(base + QStringLiteral(".SIG"), damaged);
        MessageAnswerer answers;
        {
            mirelda::test::RefusedFileOperation refused(mirelda::FileOperation::Copy);
            InProcessViewer viewer({QStringLiteral("/D:") + base});
            QVERIFY(viewer.app->InitInstance());
            QVERIFY(answers.seen.isEmpty());
            QTRY_COMPARE(answers.seen.size(), 1);
            QVERIFY(viewer.app->mainFrame()->helpSetLoaded());
            QCOMPARE(viewer.app->historyWindow()->GetCount(), 1);
            QVERIFY2(answers.seen[0].text.contains(QStringLiteral("ne sera pas remplacé")),
                     qPrintable(answers.seen[0].text));
            viewer.app->AddBookmark(QStringLiteral("Nouveau"));
            viewer.app->mainFrame()->close();
        }
        QCOMPARE(ReadBytes(base + QStringLiteral(".SIG")), damaged);
        QVERIFY(!QFileInfo::exists(base + QStringLiteral(".SIG.damaged")));
    }

    // An index that is there but cannot be read is a file error like any other, not a
    // missing article.
    void unreadableIndex_isReportedAsAFileError()
    {
        const QString base =
            apptest::WriteHelpSet(root_.path() + QStringLiteral("/noindex"), QStringLiteral("SET"));
        mirelda::test::RefusedFileOperation refused(
            mirelda::FileOperation::OpenForReading,
            QFile::encodeName(base + QStringLiteral(".PGH")).toStdString());
        MessageAnswerer answers;
        InProcessViewer viewer({QStringLiteral("/D:") + base});
        QVERIFY(viewer.app->InitInstance());
        QTRY_VERIFY(viewer.app->mainFrame()->helpSetLoaded());
        QVERIFY(!answers.seen.isEmpty());
        QCOMPARE(answers.seen[0].text, QStringLiteral("Impossible d'ouvrir le fichier %1.PGH.").arg(base));
    }

    // A failed read ends the operation: one box, and no fall-back to article 1 (whose read
    // would fail the same way and say so a second time).
    void unreadableArticleData_endsTheOperationWithOneBox()
    {
        const QString base =
            apptest::WriteHelpSet(root_.path() + QStringLiteral("/nodata"), QStringLiteral("SET"));
        mirelda::test::RefusedFileOperation refused(
            mirelda::FileOperation::OpenForReading,
            QFile::encodeName(base + QStringLiteral(".PGD")).toStdString());
        MessageAnswerer answers;
        InProcessViewer viewer({QStringLiteral("/D:") + base, QStringLiteral("/P:3")});
        QVERIFY(viewer.app->InitInstance());
        CMainFrame* frame = viewer.app->mainFrame();
        QTRY_VERIFY(frame->helpSetLoaded());
        QCOMPARE(answers.seen.size(), 1);
        QVERIFY(answers.seen[0].text.contains(QStringLiteral(".PGD")));
        QCOMPARE(frame->view()->currentArticle(), 0);
        frame->ShowArticleRequest(4);
        QCOMPARE(answers.seen.size(), 2);
        QCOMPARE(frame->view()->currentArticle(), 0);
    }

    // The wait cursor of ShowArticle is lifted over a box (here the links file that went away).
    // A file that only has the index's name (here a line of text) is said, with its path.
    void notAnIndex_isReportedAsDamaged()
    {
        const QString base =
            apptest::WriteHelpSet(root_.path() + QStringLiteral("/faux"), QStringLiteral("FAUX"));
        WriteBytes(base + QStringLiteral(".PGH"), "ceci n'est pas une aide\n");
        MessageAnswerer answers;
        InProcessViewer viewer({base + QStringLiteral(".PGH")});
        QVERIFY(viewer.app->InitInstance());
        QTRY_VERIFY(viewer.app->mainFrame()->helpSetLoaded());
        QVERIFY(!answers.seen.isEmpty());
        QCOMPARE(answers.seen[0].text, QStringLiteral("Le fichier %1.PGH est endommagé.").arg(base));
    }

    void fileErrorWhileShowing_boxWithoutWaitCursor()
    {
        const QString base =
            apptest::WriteHelpSet(root_.path() + QStringLiteral("/nolinks"), QStringLiteral("SET"));
        InProcessViewer viewer({QStringLiteral("/D:") + base});
        QVERIFY(viewer.app->InitInstance());
        QTRY_VERIFY(viewer.app->mainFrame()->helpSetLoaded());
        // A link file that cannot be read (a file replaced since the load would be read again
        // instead, see app_reload_test.cpp).
        mirelda::test::RefusedFileOperation refused(
            mirelda::FileOperation::OpenForReading,
            QFile::encodeName(base + QStringLiteral(".PGL")).toStdString());
        MessageAnswerer answers;
        QVERIFY(viewer.app->GoToArticle(2, 0));
        QCOMPARE(answers.seen.size(), 1);
        QVERIFY(answers.seen[0].text.contains(QStringLiteral(".PGL")));
        QVERIFY(!answers.seen[0].busyCursor);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // A .NOT that cannot be read is said at start and never replaced; the run's notes wait in
    // .NO$, and the user is told so again at close. What is typed reaches .NO$ after a pause,
    // without leaving the article; the session manager's save writes without closing.
    void notes_unreadableFileKept_typingWrittenAfterAPause()
    {
        const QString base =
            apptest::WriteHelpSet(root_.path() + QStringLiteral("/lockednotes"), QStringLiteral("SET"));
        const QByteArray saved("\x01\x00\x00\x00\x02\x00\x00\x00\x03\x00\x00\x00"
                               "abc",
                               15);
        WriteBytes(base + QStringLiteral(".NOT"), saved);
        MessageAnswerer answers;
        {
            mirelda::test::RefusedFileOperation refused(
                mirelda::FileOperation::OpenForReading,
                QFile::encodeName(base + QStringLiteral(".NOT")).toStdString());
            InProcessViewer viewer({QStringLiteral("/D:") + base, QStringLiteral("/P:3")});
            QVERIFY(viewer.app->InitInstance());
            CMainFrame* frame = viewer.app->mainFrame();
            QTRY_COMPARE(answers.seen.size(), 1);
            QVERIFY(answers.seen[0].text.contains(base + QStringLiteral(".NO$")));
            frame->action(mirelda::cmd::kAnnotation)->trigger();
            QTest::keyClicks(frame->annotationBar()->edit(), QStringLiteral("Note"));
            QTRY_VERIFY(QFileInfo(base + QStringLiteral(".NO$")).size() > 0);
            frame->close();
            QCOMPARE(answers.seen.size(), 2);
            QVERIFY(answers.seen[1].text.contains(base + QStringLiteral(".NO$")));
        }
        QCOMPARE(ReadBytes(base + QStringLiteral(".NOT")), saved);
        InProcessViewer again({QStringLiteral("/D:") + base, QStringLiteral("/P:3")});
        QVERIFY(again.app->InitInstance());
        CMainFrame* frame = again.app->mainFrame();
        QTRY_VERIFY(frame->helpSetLoaded());
        QCOMPARE(frame->annotationBar()->edit()->toPlainText(), QStringLiteral("Note"));
        frame->annotationBar()->edit()->moveCursor(QTextCursor::End);
        QTest::keyClicks(frame->annotationBar()->edit(), QStringLiteral(" bis"));
        frame->SaveUserFiles();
        QVERIFY(frame->isVisible());
        mirelda::AnnotationStore store(QFile::encodeName(base + QStringLiteral(".NOT")).toStdString(),
                                       QFile::encodeName(base + QStringLiteral(".NO$")).toStdString());
        store.LoadIndex();
        QCOMPARE(store.ShowAnnotation(2), std::string("abc"));
        QCOMPARE(store.ShowAnnotation(3), std::string("Note bis"));
    }

    void quit_runsTheCloseSequenceOnce()
    {
        InProcessViewer viewer({QStringLiteral("/D:") + base_});
        QVERIFY(viewer.app->InitInstance());
        CMainFrame* frame = viewer.app->mainFrame();
        QTRY_VERIFY(frame->helpSetLoaded());
        QSignalSpy closed(frame, &CMainFrame::closed);
        frame->action(mirelda::cmd::kExit)->trigger();
        QCOMPARE(closed.count(), 1);
        QVERIFY(!frame->isVisible());
    }

    // Ctrl+O's dialog, the recent list and a drop all open help sets; the one chosen gets its
    // own viewer, the real program started for it.
    void open_dialogRecentListAndDrop()
    {
        const QString other =
            apptest::WriteHelpSet(root_.path() + QStringLiteral("/autre"), QStringLiteral("QUILMO"));
        QSettings(QStringLiteral("mirelda"), QStringLiteral("mirelda")).remove(QStringLiteral("recent"));
        InProcessViewer viewer({QStringLiteral("/D:") + base_});
        viewer.app->SetViewerProgram(QStringLiteral(MIRELDA_BINARY_DIR "/mirelda"));
        QVERIFY(viewer.app->InitInstance());
        CMainFrame* frame = viewer.app->mainFrame();
        QTRY_VERIFY(frame->helpSetLoaded());
        const QString otherSocket = CSingleInstance::ServerPath(
            QString::fromStdString(mirelda::InstanceKey(QFile::encodeName(other).toStdString())));

        QAction* open = frame->action(mirelda::cmd::kOpen);
        QCOMPARE(open->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
        QVERIFY(open->isEnabled());
        QStringList filters;
        MessageAnswerer boxes;
        mirelda::test::AnswerNextModal(
            [&](QWidget* modal) {
                auto* dialog = qobject_cast<QFileDialog*>(modal);
                if (!dialog) {
                    modal->close();
                    return;
                }
                filters = dialog->nameFilters();
                // The dialog lists a folder in the background, and until it has, selectFile()
                // cannot select a file of another folder while the name field has the focus:
                // type the name into that field instead, as a user would.
                const QFileInfo file(other + QStringLiteral(".PGH"));
                dialog->setDirectory(file.absolutePath());
                auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                if (name)
                    name->setText(file.fileName());
                QMetaObject::invokeMethod(dialog, "accept");
                if (dialog->isVisible()) // the choice was refused: fail below rather than hang
                    QMetaObject::invokeMethod(dialog, "reject");
            },
            2000); // a loaded machine may take seconds to list the folder
        open->trigger();
        QVERIFY2(!filters.isEmpty() && filters.first().startsWith(QStringLiteral("Aides (*.[pP][gG][hH])")),
                 qPrintable(filters.join(u';')));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(otherSocket), 20000);
        CloseViewer(other);
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(otherSocket), 20000);

        // The recent list, under "Ouvrir une aide...": newest first, gone ones dropped.
        auto* recent = frame->findChild<CRecentHelpSetsMenu*>();
        QVERIFY(recent);
        QMenu* articleMenu = frame->menuBar()->actions().first()->menu();
        const QList<QAction*> article = articleMenu->actions();
        QCOMPARE(article.indexOf(recent->menuAction()), article.indexOf(open) + 1);
        emit articleMenu->aboutToShow(); // filled as the Article menu opens
        QCOMPARE(recent->actions().size(), 2);
        QVERIFY(recent->actions()[0]->text().startsWith(QStringLiteral("&1 QUILMO (")));
        QVERIFY(recent->actions()[1]->text().startsWith(QStringLiteral("&2 MILDA (")));
        recent->actions()[0]->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(otherSocket), 20000);
        CloseViewer(other);
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(otherSocket), 20000);
        QVERIFY(QFile::remove(other + QStringLiteral(".FIC")));
        recent->Refill();
        QCOMPARE(recent->actions().size(), 1);
        QCOMPARE(CRecentHelpSetsMenu::Entries().size(), 1);

        // Drops: a file that is not a help set and two help sets are refused; the four files of
        // this help set only bring it forward.
        auto drop = [frame](const QStringList& paths) {
            QMimeData data;
            QList<QUrl> urls;
            for (const QString& path : paths)
                urls << QUrl::fromLocalFile(path);
            data.setUrls(urls);
            // As a drag does: entered (and accepted), then dropped.
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(frame, &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(frame, &event);
            QVERIFY(event.isAccepted());
        };
        WriteBytes(root_.path() + QStringLiteral("/lisez-moi.txt"), "x");
        drop({root_.path() + QStringLiteral("/lisez-moi.txt")});
        QTRY_COMPARE(boxes.seen.size(), 1);
        QVERIFY2(boxes.seen[0].text.contains(QStringLiteral("lisez-moi.txt » n'est pas un fichier d'aide")),
                 qPrintable(boxes.seen[0].text));
        drop({base_ + QStringLiteral(".PGH"), other + QStringLiteral(".PGH")});
        QTRY_COMPARE(boxes.seen.size(), 2);
        QCOMPARE(boxes.seen[1].text, QStringLiteral("Déposez les fichiers d'une seule aide à la fois."));
        drop({other + QStringLiteral(".PGH")}); // its .FIC is gone
        QTRY_COMPARE(boxes.seen.size(), 3);
        QVERIFY2(boxes.seen[2].text.contains(QStringLiteral("Fichier manquant : ") + other +
                                             QStringLiteral(".FIC")),
                 qPrintable(boxes.seen[2].text));
        drop({base_ + QStringLiteral(".PGH"), base_ + QStringLiteral(".PGD"), base_ + QStringLiteral(".PGL"),
              base_ + QStringLiteral(".FIC")});
        QTest::qWait(50);
        QCOMPARE(boxes.seen.size(), 3);
        QVERIFY(!QFileInfo::exists(otherSocket));
    }

  private:
    static void CloseViewer(const QString& base)
    {
        QProcess close;
        close.start(QStringLiteral(MIRELDA_BINARY_DIR "/mirelda"),
                    {QStringLiteral("/D:") + base, QStringLiteral("/F")});
        QVERIFY(close.waitForFinished(20000));
    }
    static void WriteBytes(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    static QByteArray ReadBytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir root_{QDir::tempPath() + QStringLiteral("/mirelda-XXXXXX")};
    QString base_;
};

QTEST_MAIN(AppFrameTest)
#include "app_frame_test.moc"
