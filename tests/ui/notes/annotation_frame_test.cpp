// The annotation bar in the real viewer: hidden at start, the "Annotation" command and its
// context-menu twin, the toolbar button that follows the edit and the articles shown, notes
// kept across articles and across runs, and a close that completes even when the notes
// cannot be saved.

#include "tests/support/app_harness.h"
#include "tests/support/qt_files.h"

#include "core/app/command_table.h"
#include "ui/app/main_frame.h"
#include "ui/notes/annotation_bar.h"
#include "ui/notes/annotation_edit.h"
#include "ui/view/mirelda_view.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace mirelda::ui;

using apptest::InProcessViewer;
using mirelda::test::MessageAnswerer;

namespace {

// Articles 1, 12 and 30 (and a fourth, 2).
QString WriteNotesHelpSet(const QString& folder, const QString& name)
{
    QDir().mkpath(folder);
    const std::filesystem::path base = std::filesystem::path(QFile::encodeName(folder).toStdString()) /
                                       QFile::encodeName(name).toStdString();
    std::vector<mirelda::ArticleSource> articles;
    for (const int n : {1, 2, 12, 30})
        articles.push_back(
            {n, "Article " + std::to_string(n), apptest::Rtf("Texte " + std::to_string(n) + ".\\par"), {}});
    auto path = [&](const char* ext) { return std::filesystem::path(base.string() + ext); };
    if (!mirelda::WriteArticleFiles(path(".PGH"), path(".PGD"), path(".PGL"), articles).ok())
        return {};
    const std::vector<mirelda::ContentsRecord> contents{{"P1", "Article 1", "0", 1, 0, 0}};
    if (!mirelda::WriteContentsFile(path(".FIC"), contents).ok())
        return {};
    return QFile::decodeName(QByteArray::fromStdString(base.string()));
}

using mirelda::test::ReadFile;

} // namespace

class AnnotationFrameTest : public QObject
{
    Q_OBJECT

    struct Running
    {
        std::unique_ptr<InProcessViewer> viewer;
        CMainFrame* frame = nullptr;
        CAnnotationBar* bar = nullptr;
    };

    static bool Start(const QString& base, Running& run)
    {
        run.viewer = std::make_unique<InProcessViewer>(QStringList{QStringLiteral("/D:") + base});
        if (!run.viewer->app->InitInstance())
            return false;
        run.frame = run.viewer->app->mainFrame();
        run.bar = run.frame->annotationBar();
        return run.bar && QTest::qWaitForWindowExposed(run.frame);
    }

    // One key press per character (keyClicks knows only ASCII keys).
    static void Type(CAnnotationBar* bar, const QString& text)
    {
        bar->edit()->setFocus();
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(bar->edit(), &press);
        }
    }

  private slots:
    void initTestCase()
    {
        base_ = apptest::IsolatedHelpSet(
            root_, [](const QString& folder) { return WriteNotesHelpSet(folder, QStringLiteral("NOTES")); });
        QVERIFY(!base_.isEmpty());
    }

    void bar_hiddenAtStart_toggledByTheCommand()
    {
        Running run;
        QVERIFY(Start(base_, run));
        QTRY_VERIFY(run.frame->helpSetLoaded());
        QVERIFY(run.bar->isHidden());
        QCOMPARE(run.frame->dockWidgetArea(run.bar), Qt::BottomDockWidgetArea);
        QCOMPARE(run.bar->allowedAreas(), Qt::BottomDockWidgetArea);

        QAction* command = run.frame->action(mirelda::cmd::kAnnotation);
        QCOMPARE(command->text(), QStringLiteral("&Annotation"));
        QVERIFY(command->isEnabled());
        const int viewHeight = run.frame->view()->height();
        command->trigger();
        QVERIFY(run.bar->isVisible());
        // 46 pixels high, across the frame's whole width (under the tree bar too); the view
        // gave way.
        QTRY_COMPARE(run.bar->height(), 46);
        QCOMPARE(run.bar->width(), run.frame->width());
        QCOMPARE(run.bar->x(), 0);
        QTRY_VERIFY(run.frame->view()->height() < viewHeight);
        command->trigger();
        QVERIFY(run.bar->isHidden());

        // The context menu says "&Annoter..." and runs the same command.
        QAction* alias =
            run.frame->viewContextMenu()->findChild<QAction*>(QStringLiteral("annotationInContextMenu"));
        QVERIFY(alias);
        QCOMPARE(alias->text(), QStringLiteral("&Annoter..."));
        alias->trigger();
        QVERIFY(run.bar->isVisible());
    }

    void button_followsTypingAndArticles()
    {
        Running run;
        QVERIFY(Start(base_, run));
        QTRY_VERIFY(run.frame->helpSetLoaded());
        run.frame->action(mirelda::cmd::kAnnotation)->trigger();
        QVERIFY(run.viewer->app->GoToArticle(12, 0));
        QVERIFY(!run.frame->annotationButtonShowsPresent());
        Type(run.bar, QStringLiteral("Note"));
        QVERIFY(run.frame->annotationButtonShowsPresent());
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(run.bar->edit(), Qt::Key_Backspace);
        QVERIFY(run.bar->IsEmpty());
        QVERIFY(!run.frame->annotationButtonShowsPresent());
        Type(run.bar, QStringLiteral("Pour le douze"));

        QVERIFY(run.viewer->app->GoToArticle(30, 0));
        QVERIFY(!run.frame->annotationButtonShowsPresent());
        QVERIFY(run.bar->IsEmpty());
        // Hidden, the bar still follows the articles.
        run.frame->action(mirelda::cmd::kAnnotation)->trigger();
        QVERIFY(run.bar->isHidden());
        QVERIFY(run.viewer->app->GoToArticle(12, 0));
        QVERIFY(run.frame->annotationButtonShowsPresent());
        QCOMPARE(run.bar->edit()->toPlainText(), QStringLiteral("Pour le douze"));
        // Going back through the history lands on the same note.
        QVERIFY(run.viewer->app->GoToArticle(2, 0));
        QVERIFY(!run.frame->annotationButtonShowsPresent());
        run.frame->action(mirelda::cmd::kPreviousArticle)->trigger();
        QCOMPARE(run.frame->view()->currentArticle(), 12);
        QVERIFY(run.frame->annotationButtonShowsPresent());
    }

    void close_writesNotes_restartFindsThem()
    {
        const QString base =
            WriteNotesHelpSet(root_.path() + QStringLiteral("/restart"), QStringLiteral("NOTES"));
        {
            Running run;
            QVERIFY(Start(base, run));
            QTRY_VERIFY(run.frame->helpSetLoaded());
            QVERIFY(run.viewer->app->GoToArticle(12, 0));
            Type(run.bar, QStringLiteral("douze"));
            QVERIFY(run.viewer->app->GoToArticle(30, 0));
            Type(run.bar, QStringLiteral("trente")); // still current at close: stored by the close
            QSignalSpy closed(run.frame, &CMainFrame::closed);
            run.frame->action(mirelda::cmd::kExit)->trigger();
            QCOMPARE(closed.count(), 1);
        }
        QVERIFY(!QFile::exists(base + QStringLiteral(".NO$")));
        QCOMPARE(ReadFile(base + QStringLiteral(".NOT")).left(4), QByteArray("\x02\x00\x00\x00", 4));

        Running run;
        QVERIFY(Start(base, run));
        QTRY_VERIFY(run.frame->helpSetLoaded());
        QVERIFY(run.viewer->app->GoToArticle(30, 0));
        QVERIFY(run.frame->annotationButtonShowsPresent());
        QCOMPARE(run.bar->edit()->toPlainText(), QStringLiteral("trente"));
        QVERIFY(run.viewer->app->GoToArticle(12, 0));
        QCOMPARE(run.bar->edit()->toPlainText(), QStringLiteral("douze"));
    }

    // No annotation and no file before: the close makes none (no empty .NOT).
    void closeBeforeAnyArticle_writesNoFile()
    {
        const QString base =
            WriteNotesHelpSet(root_.path() + QStringLiteral("/early"), QStringLiteral("NOTES"));
        InProcessViewer viewer({QStringLiteral("/D:") + base});
        QVERIFY(viewer.app->InitInstance());
        CMainFrame* frame = viewer.app->mainFrame();
        QCOMPARE(frame->view()->currentArticle(), 0); // the posted load has not run yet
        frame->close();
        QVERIFY(!QFile::exists(base + QStringLiteral(".NOT")));
        QVERIFY(!QFile::exists(base + QStringLiteral(".NO$")));
    }

    void saveFails_userIsToldAndCloseCompletes()
    {
        // As root, folder permissions stop nothing: a folder where NOTES.NOT belongs makes the
        // final rename fail instead.
        const QString base =
            WriteNotesHelpSet(root_.path() + QStringLiteral("/blocked"), QStringLiteral("NOTES"));
        QVERIFY(QDir().mkpath(base + QStringLiteral(".NOT")));
        MessageAnswerer answers;
        Running run;
        QVERIFY(Start(base, run));
        QTRY_VERIFY(run.frame->helpSetLoaded());
        // Something there that cannot be read is said at start: it will not be replaced.
        QTRY_COMPARE(answers.seen.size(), 1);
        QVERIFY(
            answers.seen[0].text.startsWith(QStringLiteral("Impossible de lire le fichier d'annotations")));
        QVERIFY(run.viewer->app->GoToArticle(12, 0));
        Type(run.bar, QStringLiteral("à garder"));
        QSignalSpy closed(run.frame, &CMainFrame::closed);
        run.frame->close();
        QCOMPARE(closed.count(), 1);
        QVERIFY(!run.frame->isVisible());
        QCOMPARE(answers.seen.size(), 2);
        QCOMPARE(answers.seen[1].caption, run.viewer->app->HelpTitle());
        QCOMPARE(answers.seen[1].icon, QMessageBox::Warning);
        QVERIFY2(answers.seen[1].text.startsWith(
                     QStringLiteral("Impossible d'enregistrer les annotations dans « ") + base +
                     QStringLiteral(".NOT ».")),
                 qPrintable(answers.seen[1].text));
        // The change waits in the scratch file for the next start.
        QVERIFY(ReadFile(base + QStringLiteral(".NO$")).contains("\xe0 garder"));
    }

  private:
    QTemporaryDir root_{QDir::tempPath() + QStringLiteral("/mirelda-notes-XXXXXX")};
    QString base_;
};

QTEST_MAIN(AnnotationFrameTest)
#include "annotation_frame_test.moc"
