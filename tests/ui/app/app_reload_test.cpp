// A viewer that follows its files: a rebuild into the help set it shows (the real
// mirelda-tool's renames), a copy in place, a truncated copy, a second start while the files
// change. In-process for what the windows keep (article, reading place, history, bookmarks),
// and through the real program for what a user sees (no error box, the hand-over answered).

#include "tests/support/app_harness.h"
#include "tests/support/viewer_process.h"

#include "core/lists/bookmark_store.h"
#include "ui/app/main_frame.h"
#include "ui/tree/title_filter_box.h"
#include "ui/tree/tree_bar.h"
#include "ui/view/mirelda_view.h"

#include <QFile>
#include <QListView>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>

using namespace mirelda::ui;

using apptest::InProcessViewer;
using apptest::ViewerProcess;
using mirelda::test::MessageAnswerer;

namespace {

const QString kTool = QStringLiteral(MIRELDA_BINARY_DIR "/mirelda-tool");
constexpr int kReloadWaitMs = 10000;

bool WriteText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

// Sources of articles 1 "Accueil", 2 a long article titled `longTitle` (left out when empty)
// and 3 titled `otherTitle`, compiled into `base` by the real tool.
bool Build(const QString& sources, const QString& base, const QByteArray& longTitle,
           const QByteArray& otherTitle)
{
    QDir().mkpath(sources + QStringLiteral("/articles"));
    QByteArray list = "1\taccueil\tAccueil\n", contents = "- Accueil = accueil\n";
    if (!longTitle.isEmpty()) {
        list += "2\tlong\t" + longTitle + "\n";
        contents += "- Long = long\n";
    }
    list += "3\tautre\t" + otherTitle + "\n";
    contents += "- Autre = autre\n";
    QByteArray longBody = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20\n";
    for (int line = 0; line < 300; ++line)
        longBody += "Ligne " + QByteArray::number(line) +
                    " d'un article long, assez large pour occuper la vue.\\par\n";
    longBody += "}\n";
    QFile::remove(sources + QStringLiteral("/articles/long.rtf"));
    const bool written =
        WriteText(sources + QStringLiteral("/articles.txt"), list) &&
        WriteText(sources + QStringLiteral("/contents.txt"), contents) &&
        WriteText(sources + QStringLiteral("/articles/accueil.rtf"), "{\\rtf1\\ansi Accueil.\\par\n}") &&
        WriteText(sources + QStringLiteral("/articles/autre.rtf"),
                  "{\\rtf1\\ansi " + otherTitle + ".\\par\n}") &&
        (longTitle.isEmpty() || WriteText(sources + QStringLiteral("/articles/long.rtf"), longBody));
    QDir().mkpath(QFileInfo(base).path());
    if (!written)
        return false;
    QProcess tool;
    tool.setStandardOutputFile(QProcess::nullDevice());
    tool.start(kTool, {QStringLiteral("build"), sources, base});
    return tool.waitForFinished(30000) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

} // namespace

class AppReloadTest : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        QVERIFY(root_.isValid());
        QVERIFY2(QFileInfo::exists(kTool), "build the mirelda-tool target before this test");
        apptest::IsolateUserFolders(root_.path());
    }

    void rebuild_showsTheNewTextAtTheSameArticleAndPlace()
    {
        const QString sources = root_.path() + QStringLiteral("/src1");
        const QString base = root_.path() + QStringLiteral("/set1/AIDE");
        QVERIFY(Build(sources, base, "Article long", "Autre"));
        MessageAnswerer boxes;
        InProcessViewer viewer({QStringLiteral("/D:") + base});
        QVERIFY(viewer.app->InitInstance());
        CMainFrame* frame = viewer.app->mainFrame();
        QTRY_COMPARE(frame->view()->currentArticle(), 1);
        QVERIFY(viewer.app->GoToArticle(2, 0));
        frame->view()->ScrollToPosition(6000);
        const std::int32_t place = frame->view()->FirstVisiblePosition();
        QVERIFY(place > 0);
        viewer.app->AddBookmark(QStringLiteral("Marque"));
        QSignalSpy reloads(frame, &CMainFrame::helpSetReloaded);

        QVERIFY(Build(sources, base, "Article long revu", "Autre"));
        QTRY_COMPARE_WITH_TIMEOUT(reloads.count(), 1, kReloadWaitMs);
        QVERIFY2(frame->windowTitle().endsWith(QStringLiteral(" - Article long revu")),
                 qPrintable(frame->windowTitle()));
        QCOMPARE(frame->view()->currentArticle(), 2);
        QCOMPARE(frame->view()->FirstVisiblePosition(), place);
        QCOMPARE(viewer.app->session().history().size(), std::size_t{2});
        QCOMPARE(viewer.app->session().bookmarks().list().size(), std::size_t{1});
        QVERIFY(frame->statusBar()->currentMessage().contains(QStringLiteral("rechargé")));
        // The titles found as one types are the new set's, read again after the reload.
        CTitleFilterBox* titles = frame->treeBar()->titleFilter();
        QTRY_VERIFY(titles->ready());
        titles->setText(QStringLiteral("revu"));
        QCOMPARE(titles->results()->model()->rowCount(), 1);
        titles->clear();

        // The article shown is gone from the new set: article 1, as a new history entry.
        QVERIFY(Build(sources, base, QByteArray(), "Autre"));
        QTRY_COMPARE_WITH_TIMEOUT(reloads.count(), 2, kReloadWaitMs);
        QCOMPARE(frame->view()->currentArticle(), 1);
        QCOMPARE(viewer.app->session().history().size(), std::size_t{3});
        QCOMPARE(viewer.app->session().bookmarks().list().size(), std::size_t{1});
        QVERIFY2(boxes.seen.isEmpty(), qPrintable(boxes.CaptionsAndTexts().join(u'\n')));
    }

    void realProgram_noBoxSecondStartAnsweredTruncatedCopySaidOnce()
    {
        const QString sources = root_.path() + QStringLiteral("/src2");
        const QString base = root_.path() + QStringLiteral("/set2/AIDE");
        QVERIFY(Build(sources, base, "Article long", "Autre"));
        ViewerProcess first({QStringLiteral("/D:") + base, QStringLiteral("/P:3")});
        QVERIFY(first.WaitForLine(QStringLiteral("article 3 ")));

        QVERIFY(Build(sources, base, "Article long", "Autre revu"));
        QVERIFY(first.WaitForLine(QStringLiteral("reloaded 3 "), kReloadWaitMs));
        QVERIFY2(first.LinesStartingWith(QStringLiteral("article 3 "))
                     .constLast()
                     .endsWith(QStringLiteral(" - Autre revu")),
                 qPrintable(first.lines.join(u'\n')));

        // A second start while the files are being replaced is answered, in the new files.
        QVERIFY(Build(sources, base, "Article long", "Autre encore"));
        ViewerProcess second({QStringLiteral("/D:") + base, QStringLiteral("/P:1")});
        QVERIFY(second.Ends());
        QCOMPARE(second.process.exitCode(), 0);
        QVERIFY(first.WaitForLine(QStringLiteral("article 1 ")));

        // A truncated copy is said once; the next good copy is shown without a word.
        QFile data(base + QStringLiteral(".PGD"));
        QVERIFY(data.open(QIODevice::ReadOnly));
        const QByteArray good = data.readAll();
        data.close();
        QVERIFY(WriteText(base + QStringLiteral(".PGD"), good.left(8)));
        QVERIFY(first.WaitForLine(QStringLiteral("message "), kReloadWaitMs));
        QVERIFY(WriteText(base + QStringLiteral(".PGD"), good));
        QVERIFY(first.WaitForLine(QStringLiteral("article 1 "), kReloadWaitMs));
        QCOMPARE(first.LinesStartingWith(QStringLiteral("message ")).size(), 1);
        QVERIFY2(first.LinesStartingWith(QStringLiteral("message "))
                     .constFirst()
                     .endsWith(QStringLiteral(".PGD est endommagé.")),
                 qPrintable(first.lines.join(u'\n')));
    }

  private:
    QTemporaryDir root_;
};

QTEST_MAIN(AppReloadTest)
#include "app_reload_test.moc"
