// The bookmark file across runs of the viewer: written at close in list order, found again
// at the next start, and the damaged, unreadable and unwritable cases, where no bookmark the
// user had may be lost without a word.

#include "tests/support/app_harness.h"
#include "tests/support/qt_files.h"

#include "core/app/command_table.h"
#include "core/lists/bookmarks.h"
#include "ui/app/main_frame.h"
#include "ui/lists/bookmark_list_dlg.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace mirelda::ui;

using apptest::InProcessViewer;
using mirelda::test::MessageAnswerer;

namespace {

using mirelda::test::FsPath;
using mirelda::test::ReadFile;
using mirelda::test::WriteFile;

QStringList Lines(const CListDlg* window)
{
    QStringList lines;
    for (int i = 0; i < window->GetCount(); ++i)
        lines << window->GetItemText(i);
    return lines;
}

// Types `name` into the next name dialog and confirms it.
void ConfirmNextName(const QString& name)
{
    mirelda::test::AnswerNextModal([name](QWidget* modal) {
        modal->findChild<QLineEdit*>(QStringLiteral("bookmarkNameEdit"))->setText(name);
        modal->findChild<QPushButton*>(QStringLiteral("confirmButton"))->click();
    });
}

// Runs the close sequence as "&Quitter" does, and waits for it.
void Quit(CMainFrame* frame)
{
    QSignalSpy closed(frame, &CMainFrame::closed);
    frame->action(mirelda::cmd::kExit)->trigger();
    QTRY_COMPARE(closed.count(), 1);
}

} // namespace

class BookmarkFileTest : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        base_ = apptest::IsolatedHelpSet(root_, QStringLiteral("GUIDE"));
        QVERIFY(!base_.isEmpty());
        sig_ = FsPath(base_ + QStringLiteral(".SIG"));
    }

    void init() { std::filesystem::remove_all(sig_); }

    void defineQuitRestart_findsTheBookmarksAgain()
    {
        {
            InProcessViewer viewer({QStringLiteral("/D:") + base_});
            QVERIFY(viewer.app->InitInstance());
            CMainFrame* frame = viewer.app->mainFrame();
            QTRY_VERIFY(frame->helpSetLoaded());
            QCOMPARE(viewer.app->bookmarkWindow()->GetCount(), 0); // no file yet: empty, no word
            const struct
            {
                std::int32_t article;
                QString name;
            } defined[] = {{4, QStringLiteral("Zeta")},
                           {2, QStringLiteral("alpha")},
                           {1, QStringLiteral("Beta")},
                           {3, QStringLiteral("Beta")}, // the same name twice: both kept
                           {5, QStringLiteral("Déjà vu")}};
            for (const auto& d : defined) {
                QVERIFY(viewer.app->GoToArticle(d.article, 0));
                ConfirmNextName(d.name);
                frame->action(mirelda::cmd::kDefineBookmark)->trigger();
            }
            Quit(frame);
        }
        // Written at close, in list order, names in Windows-1252.
        const auto saved = mirelda::ParseBookmarks(ReadFile(sig_));
        QVERIFY(!saved.damage);
        const std::vector<mirelda::Bookmark> expected{
            {"alpha", 2}, {"Beta", 1}, {"Beta", 3}, {"D\xe9j\xe0 vu", 5}, {"Zeta", 4}};
        QCOMPARE(saved.bookmarks, expected);

        // The next run lists them again, and can open them.
        InProcessViewer viewer({QStringLiteral("/D:") + base_});
        QVERIFY(viewer.app->InitInstance());
        QTRY_VERIFY(viewer.app->mainFrame()->helpSetLoaded());
        CBookmarkListDlg* window = viewer.app->bookmarkWindow();
        QCOMPARE(Lines(window),
                 (QStringList{QStringLiteral("alpha"), QStringLiteral("Beta"), QStringLiteral("Beta"),
                              QStringLiteral("Déjà vu"), QStringLiteral("Zeta")}));
        QCOMPARE(viewer.app->session().bookmarks().list().items(), expected);
    }

    void emptyNamesAndZeroCount_loadAsWritten()
    {
        WriteFile(sig_, mirelda::SerializeBookmarks({{"", 3}, {"b", 2}}));
        {
            InProcessViewer viewer({QStringLiteral("/D:") + base_});
            QVERIFY(viewer.app->InitInstance());
            QCOMPARE(viewer.app->session().bookmarks().list().items(),
                     (std::vector<mirelda::Bookmark>{{"", 3}, {"b", 2}}));
            Quit(viewer.app->mainFrame());
        }
        QCOMPARE(mirelda::ParseBookmarks(ReadFile(sig_)).bookmarks,
                 (std::vector<mirelda::Bookmark>{{"", 3}, {"b", 2}}));

        WriteFile(sig_, std::string(4, '\0'));
        InProcessViewer viewer({QStringLiteral("/D:") + base_});
        MessageAnswerer answerer;
        QVERIFY(viewer.app->InitInstance());
        QCOMPARE(viewer.app->bookmarkWindow()->GetCount(), 0);
        QVERIFY(answerer.seen.isEmpty());
        Quit(viewer.app->mainFrame());
        QCOMPARE(ReadFile(sig_), std::string(4, '\0'));
    }

    void damagedFile_keepsWhatWasReadAndSaysSo()
    {
        std::string bytes = mirelda::SerializeBookmarks({{"un", 1}, {"deux", 2}, {"trois", 3}});
        bytes.resize(bytes.size() - 3); // the last name cut short
        WriteFile(sig_, bytes);
        MessageAnswerer answerer;
        InProcessViewer viewer({QStringLiteral("/D:") + base_});
        QVERIFY(viewer.app->InitInstance());
        QCOMPARE(viewer.app->session().bookmarks().list().items(),
                 (std::vector<mirelda::Bookmark>{{"deux", 2}, {"un", 1}}));
        QTRY_COMPARE(answerer.seen.size(), 1); // once the event loop runs
        QVERIFY(answerer.seen[0].text.contains(QStringLiteral("endommagé : seuls les 2 premiers")));
        QCOMPARE(answerer.seen[0].caption, viewer.app->HelpTitle());
    }

    void unreadableFile_isNotReplacedAtClose()
    {
        // A folder where the file should be: there, but not readable as a bookmark file.
        std::filesystem::create_directory(sig_);
        WriteFile(sig_ / "inside", "x");
        InProcessViewer viewer({QStringLiteral("/D:") + base_});
        MessageAnswerer answerer;
        QVERIFY(viewer.app->InitInstance());
        QTRY_VERIFY(viewer.app->mainFrame()->helpSetLoaded());
        QCOMPARE(answerer.seen.size(), 1);
        QVERIFY(answerer.seen[0].text.contains(QStringLiteral("ne sera pas remplacé")));
        ConfirmNextName(QStringLiteral("nouveau"));
        viewer.app->mainFrame()->action(mirelda::cmd::kDefineBookmark)->trigger();
        Quit(viewer.app->mainFrame());
        QVERIFY(std::filesystem::is_directory(sig_));
        QCOMPARE(ReadFile(sig_ / "inside"), std::string("x"));
    }

    void failedSave_tellsTheUserAndStillCloses()
    {
        WriteFile(sig_, mirelda::SerializeBookmarks({{"ancien", 1}}));
        InProcessViewer viewer({QStringLiteral("/D:") + base_});
        QVERIFY(viewer.app->InitInstance());
        CMainFrame* frame = viewer.app->mainFrame();
        QTRY_VERIFY(frame->helpSetLoaded());
        ConfirmNextName(QStringLiteral("nouveau"));
        frame->action(mirelda::cmd::kDefineBookmark)->trigger();
        QCOMPARE(viewer.app->bookmarkWindow()->GetCount(), 2);

        // Something takes the file's place that a file cannot be renamed over.
        std::filesystem::remove(sig_);
        std::filesystem::create_directory(sig_);
        WriteFile(sig_ / "inside", "x");
        MessageAnswerer answerer;
        Quit(frame);
        QCOMPARE(answerer.seen.size(), 1);
        QVERIFY(answerer.seen[0].text.contains(QStringLiteral("signets")));
        QVERIFY(answerer.seen[0].text.contains(QString::fromStdString(sig_.filename().string())));
        QVERIFY(std::filesystem::is_directory(sig_));
    }

  private:
    QTemporaryDir root_;
    QString base_;
    std::filesystem::path sig_;
};

QTEST_MAIN(BookmarkFileTest)
#include "bookmark_file_test.moc"
