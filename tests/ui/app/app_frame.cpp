// The viewer started in-process: the deferred help-set load, the start article and the
// show-article request with their fall-back, the frame's keys, the annotation button, the
// missing-data path and the close sequence.

#include "app_test_support.h"

#include "ui/app/command_table.h"
#include "ui/app/main_frame.h"
#include "ui/lists/list_dlg.h"
#include "ui/notes/annotation_bar.h"
#include "ui/notes/annotation_edit.h"
#include "ui/tree/tree_bar.h"
#include "ui/view/mirelda_view.h"

#include <QAction>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeView>

using apptest::InProcessViewer;
using apptest::MessageAnswerer;

class AppFrameTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(root_.isValid());
        apptest::IsolateUserFolders(root_.path());
        base_ = apptest::WriteHelpSet(root_.path() + QStringLiteral("/set"), QStringLiteral("MILDA"));
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
        QCOMPARE(frame->articleIndex().size(), std::size_t{6});

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
        QTest::newRow("missing") << QStringLiteral("/p=4711") << 1 << QStringLiteral("Cet article n'existe pas ! (ER4711)");
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
        QCOMPARE(tree->currentIndex().data().toString(), QStringLiteral("Article 3"));  // the tree does not follow
        frame->action(mirelda::cmd::kSynchronise)->trigger();
        QCOMPARE(tree->currentIndex().data().toString(), QStringLiteral("Généralités"));

        // An entry opened from the tree shows in the frame's view.
        QVERIFY(frame->treeBar()->OpenItem(tree->model()->index(1, 0, tree->model()->index(0, 0))));
        QCOMPARE(frame->view()->currentArticle(), 3);
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
        frame->ShowArticleRequest(0);  // 0 is silent, then article 1
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

        QTest::keyClick(frame, Qt::Key_PageDown);
        const int afterPageDown = bar->value();
        QVERIFY(afterPageDown > 0);
        QTest::keyClick(frame, Qt::Key_PageUp);  // does nothing in the frame
        QCOMPARE(bar->value(), afterPageDown);
        QTest::keyClick(frame, Qt::Key_Up);
        QVERIFY(bar->value() < afterPageDown);
        QTest::keyClick(frame, Qt::Key_Down);
        QCOMPARE(bar->value(), afterPageDown);
        QTest::keyClick(frame, Qt::Key_End);
        QCOMPARE(bar->value(), bar->maximum());
        QTest::keyClick(frame, Qt::Key_Home);
        QCOMPARE(bar->value(), 0);
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
        const QString base = apptest::WriteHelpSet(root_.path() + QStringLiteral("/partial"), QStringLiteral("SET"));
        QVERIFY(QFile::remove(base + QStringLiteral(".PGL")));
        MessageAnswerer answers;
        InProcessViewer viewer({QStringLiteral("/D:") + base});
        QVERIFY(!viewer.app->InitInstance());
        QCOMPARE(answers.seen.size(), 1);
        QCOMPARE(answers.seen[0].caption, QStringLiteral("Aide"));
    }

    void bookmark_definedThenSavedAtCloseThenLoadedAgain()
    {
        const QString base = apptest::WriteHelpSet(root_.path() + QStringLiteral("/marks"), QStringLiteral("SET"));
        {
            InProcessViewer viewer({QStringLiteral("/D:") + base, QStringLiteral("/P:3")});
            QVERIFY(viewer.app->InitInstance());
            CMainFrame* frame = viewer.app->mainFrame();
            QTRY_VERIFY(frame->helpSetLoaded());
            QString preset;
            QTimer::singleShot(0, this, [&preset] {
                QWidget* dialog = QApplication::activeModalWidget();
                QVERIFY(dialog);
                QCOMPARE(dialog->windowTitle(), QStringLiteral("Ajouter un signet"));
                preset = dialog->findChild<QLineEdit*>()->text();
                for (QPushButton* b : dialog->findChildren<QPushButton*>())
                    if (b->text() == QStringLiteral("&Valider"))
                        b->click();
            });
            frame->action(mirelda::cmd::kDefineBookmark)->trigger();
            QCOMPARE(preset, QStringLiteral("Article 3"));
            QCOMPARE(viewer.app->bookmarkWindow()->GetCount(), 1);
            QVERIFY(!QFileInfo::exists(base + QStringLiteral(".SIG")));  // user files are written only at close
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
        const QString base = apptest::WriteHelpSet(root_.path() + QStringLiteral("/notes"), QStringLiteral("SET"));
        {
            InProcessViewer viewer({QStringLiteral("/D:") + base, QStringLiteral("/P:3")});
            QVERIFY(viewer.app->InitInstance());
            CMainFrame* frame = viewer.app->mainFrame();
            QTRY_VERIFY(frame->helpSetLoaded());
            CAnnotationBar* bar = frame->annotationBar();
            QVERIFY(bar);
            QCOMPARE(frame->dockWidgetArea(bar), Qt::BottomDockWidgetArea);
            QVERIFY(bar->isHidden());  // hidden on every run

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
            QTest::keyClicks(bar->edit(), QStringLiteral(" !"));  // still being edited at close
            annotation->trigger();
            QVERIFY(bar->isHidden());
            frame->close();
        }
        InProcessViewer again({QStringLiteral("/D:") + base, QStringLiteral("/P:3")});
        QVERIFY(again.app->InitInstance());
        QTRY_VERIFY(again.app->mainFrame()->helpSetLoaded());
        QVERIFY(again.app->mainFrame()->annotationBar()->isHidden());
        QCOMPARE(again.app->mainFrame()->annotationBar()->edit()->toPlainText(), QStringLiteral("Relire la fin !"));
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

private:
    QTemporaryDir root_{QDir::tempPath() + QStringLiteral("/mirelda-XXXXXX")};
    QString base_;
};

QTEST_MAIN(AppFrameTest)
#include "app_frame.moc"
