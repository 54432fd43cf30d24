// One viewer per help set: the hand-over between real processes of the built program (show,
// show with a missing article, activate and the window it brings forward, close, close with
// nobody there, a crashed viewer's socket, a viewer killed just before the next start, two
// starts at once, hostile peers).
//
// The viewers run with MIRELDA_PROBE=1: they print "article N caption" for each article that
// becomes current and answer their own message boxes, printing them.

#include "tests/support/app_harness.h"
#include "tests/support/viewer_process.h"

#include "core/app/help_set_identity.h"
#include "core/lists/bookmarks.h"
#include "core/notes/annotation_store.h"
#include "ui/app/main_frame.h"
#include "ui/app/single_instance.h"
#include "ui/lists/bookmark_list_dlg.h"
#include "ui/search/search_dlg.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace mirelda::ui;

namespace {

const QString kProgram = QStringLiteral(MIRELDA_BINARY_DIR "/mirelda");
constexpr int kWaitMs = 20000;

using Viewer = apptest::ViewerProcess;

} // namespace

class AppInstanceTest : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo::exists(kProgram), "build the mirelda target before this test");
        // The children inherit the private runtime folder.
        base_ = apptest::IsolatedHelpSet(root_, QStringLiteral("MILDA"));
        QVERIFY(!base_.isEmpty());
        dSwitch_ = QStringLiteral("/D:") + base_;
    }

    void closeWithNobodyRunning_opensNothing()
    {
        Viewer lone({dSwitch_, QStringLiteral("/F")});
        QVERIFY(lone.Ends());
        QCOMPARE(lone.process.exitCode(), 0);
        QVERIFY2(lone.Unread().isEmpty(), qPrintable(lone.Unread().join(u'\n')));
    }

    void secondStart_handsOverShowAndClose()
    {
        Viewer first({dSwitch_});
        QVERIFY(first.WaitForLine(QStringLiteral("article 1 Aide Mildane - Généralités")));

        Viewer show({dSwitch_, QStringLiteral("/P:3")});
        QVERIFY(show.Ends());
        QCOMPARE(show.process.exitCode(), 0);
        // The second start ends only once the first has shown the article.
        QVERIFY(first.WaitForLine(QStringLiteral("article 3 Aide Mildane - Article 3"), 0));

        Viewer missing({dSwitch_, QStringLiteral("/P:4711")});
        QVERIFY(missing.Ends());
        QCOMPARE(missing.process.exitCode(), 0);
        QVERIFY(first.WaitForLine(QStringLiteral("message KEL-Info|Cet article n'existe pas ! (ER4711)"), 0));
        QVERIFY(first.WaitForLine(QStringLiteral("article 1 "), 0));

        Viewer activate({dSwitch_}); // no P: brought forward, nothing shown
        QVERIFY(activate.Ends());
        QCOMPARE(activate.process.exitCode(), 0);
        QVERIFY(activate.Unread().isEmpty());
        QVERIFY(first.Unread().isEmpty());

        Viewer close({dSwitch_, QStringLiteral("/F")});
        QVERIFY(close.Ends());
        QCOMPARE(close.process.exitCode(), 0);
        QVERIFY(first.Ends(5000));
        QCOMPARE(first.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.process.exitCode(), 0);
    }

    void handOver_bringsForwardTheWindowLastActive()
    {
        // The running viewer is this process, so that its windows can be looked at; the
        // second start is the real program.
        apptest::InProcessViewer viewer({dSwitch_});
        QVERIFY(viewer.app->InitInstance());
        CMainFrame* frame = viewer.app->mainFrame();
        QTRY_VERIFY(frame->helpSetLoaded());
        QWidget elsewhere; // another program's window, active when the second start comes
        elsewhere.show();
        auto activate = [](QWidget* w) {
            w->activateWindow();
            return QTest::qWaitForWindowActive(w);
        };
        auto handOver = [&] {
            Viewer second({dSwitch_});
            QDeadlineTimer deadline(kWaitMs);
            while (second.process.state() != QProcess::NotRunning && !deadline.hasExpired())
                QTest::qWait(20); // this viewer answers from its event loop
            return second.process.state() == QProcess::NotRunning && second.process.exitCode() == 0;
        };

        // The user was in the bookmark window, then in the search dialog, then minimised
        // the viewer: the window last active comes back, the main window is restored.
        CListDlg* bookmarks = viewer.app->bookmarkWindow();
        CSearchDlg* search = viewer.app->searchDialog();
        for (QWidget* window : {static_cast<QWidget*>(bookmarks), static_cast<QWidget*>(search)}) {
            window->show();
            QVERIFY(activate(window));
            QVERIFY(activate(&elsewhere));
            frame->showMinimized();
            QVERIFY(handOver());
            QTRY_COMPARE(QApplication::activeWindow(), window);
            QVERIFY(!frame->isMinimized());
        }

        // Back in the main window since: the main window.
        QVERIFY(activate(frame));
        QVERIFY(activate(&elsewhere));
        QVERIFY(handOver());
        QTRY_COMPARE(QApplication::activeWindow(), frame);

        // A window closed since is not opened again: the main window.
        QVERIFY(activate(bookmarks));
        bookmarks->hide();
        QVERIFY(activate(&elsewhere));
        QVERIFY(handOver());
        QTRY_COMPARE(QApplication::activeWindow(), frame);
        QVERIFY(!bookmarks->isVisible());
    }

    void otherHelpSet_isAnotherViewer()
    {
        const QString other =
            apptest::WriteHelpSet(root_.path() + QStringLiteral("/other"), QStringLiteral("QUILMO"));
        Viewer first({dSwitch_});
        QVERIFY(first.WaitForLine(QStringLiteral("article 1 ")));
        Viewer second({QStringLiteral("/D:") + other, QStringLiteral("/P:2")});
        QVERIFY(second.WaitForLine(QStringLiteral("article 2 Aide Quil Morvante - Article 2")));
        QVERIFY(first.Unread().isEmpty());
        Viewer closeSecond({QStringLiteral("/D:") + other, QStringLiteral("/F")});
        QVERIFY(closeSecond.Ends());
        QVERIFY(second.Ends(5000));
        QCOMPARE(first.process.state(), QProcess::Running);
    }

    void crashedViewer_doesNotBlockTheNextStart()
    {
        {
            Viewer crashed({dSwitch_});
            QVERIFY(crashed.WaitForLine(QStringLiteral("article 1 ")));
            crashed.process.kill(); // SIGKILL: its socket file stays behind
            QVERIFY(crashed.Ends());
        }
        QVERIFY(QFileInfo::exists(ServerPath()));
        Viewer next({dSwitch_, QStringLiteral("/P:2")});
        QVERIFY(next.WaitForLine(QStringLiteral("article 2 ")));
        Viewer close({dSwitch_, QStringLiteral("/F")});
        QVERIFY(close.Ends());
        QVERIFY(next.Ends(5000));
    }

    // A viewer killed just before the next start: in even rounds the start follows the kill at
    // once; in odd rounds it has already connected when the viewer dies (stopped first, the
    // viewer accepts nothing while its queue still takes the connection, which its death then
    // drops unanswered). Either way the start becomes the viewer.
    void killedViewer_nextStartTakesOver()
    {
        auto viewer = std::make_unique<Viewer>(QStringList{dSwitch_});
        QVERIFY(viewer->WaitForLine(QStringLiteral("article 1 ")));
        for (int round = 0; round < 4; ++round) {
            const bool connectedFirst = round % 2 == 1;
            if (connectedFirst)
                QCOMPARE(::kill(static_cast<pid_t>(viewer->process.processId()), SIGSTOP), 0);
            else
                viewer->process.kill();
            auto next = std::make_unique<Viewer>(QStringList{dSwitch_, QStringLiteral("/P:2")});
            if (connectedFirst) {
                QTRY_COMPARE_WITH_TIMEOUT(QueuedConnections(), 1, kWaitMs);
                viewer->process.kill();
            }
            QVERIFY2(next->WaitForLine(QStringLiteral("article 2 ")),
                     next->process.readAllStandardError().constData());
            QVERIFY(viewer->Ends());
            viewer = std::move(next);
        }
        Viewer close({dSwitch_, QStringLiteral("/F")});
        QVERIFY(close.Ends());
        QVERIFY(viewer->Ends(5000));
    }

    void simultaneousStarts_endWithOneViewer()
    {
        std::vector<std::unique_ptr<Viewer>> viewers;
        for (int i = 0; i < 3; ++i)
            viewers.push_back(std::make_unique<Viewer>(QStringList{dSwitch_}));
        int running = 0;
        for (auto& v : viewers) {
            if (v->WaitForLine(QStringLiteral("article 1 "), 10000))
                ++running;
            else
                QVERIFY(v->Ends() && v->process.exitCode() == 0);
        }
        QCOMPARE(running, 1);
        Viewer close({dSwitch_, QStringLiteral("/F")});
        QVERIFY(close.Ends());
        for (auto& v : viewers)
            QVERIFY(v->Ends(5000));
    }

    void hostilePeers_areAnsweredErrorAndIgnored()
    {
        Viewer first({dSwitch_});
        QVERIFY(first.WaitForLine(QStringLiteral("article 1 ")));
        const QList<QByteArray> requests{"show 3\nclose\n", "close now\n", QByteArray(200, 'x'),
                                         "show 99999999999\n"};
        for (const QByteArray& request : requests) {
            QLocalSocket socket;
            socket.connectToServer(ServerPath());
            QVERIFY(socket.waitForConnected(5000));
            socket.write(request);
            QByteArray answer;
            while (!answer.endsWith('\n') && socket.waitForReadyRead(5000))
                answer += socket.readAll();
            QCOMPARE(answer, QByteArray("error\n"));
        }
        // A peer that says nothing is cut off instead of holding the viewer.
        QLocalSocket silent;
        silent.connectToServer(ServerPath());
        QVERIFY(silent.waitForConnected(5000));
        QVERIFY(silent.waitForReadyRead(CSingleInstance::kRequestTimeoutMs + 5000));
        QCOMPARE(silent.readAll(), QByteArray("error\n"));

        QCOMPARE(first.process.state(), QProcess::Running);
        QVERIFY(first.Unread().isEmpty()); // nothing was shown, nothing closed
        Viewer close({dSwitch_, QStringLiteral("/F")});
        QVERIFY(close.Ends());
        QVERIFY(first.Ends(5000));
    }

    // A flood of connections that leaves the viewer no descriptor: each one it cannot take is
    // refused, and the socket stays open for the next start.
    void connectionFlood_neverClosesTheSocket()
    {
        Viewer first({dSwitch_});
        QVERIFY(first.WaitForLine(QStringLiteral("article 1 ")));
        const pid_t pid = static_cast<pid_t>(first.process.processId());
        const int open = static_cast<int>(QDir(QStringLiteral("/proc/%1/fd").arg(pid)).count()) - 2;
        QVERIFY(open > 0);
        rlimit usual{};
        QCOMPARE(::prlimit(pid, RLIMIT_NOFILE, nullptr, &usual), 0);
        const rlimit few{static_cast<rlim_t>(open + 4), usual.rlim_max};
        QCOMPARE(::prlimit(pid, RLIMIT_NOFILE, &few, nullptr), 0);
        {
            std::vector<std::unique_ptr<QLocalSocket>> flood;
            for (int i = 0; i < 60; ++i) {
                flood.push_back(std::make_unique<QLocalSocket>());
                flood.back()->connectToServer(ServerPath());
                flood.back()->waitForConnected(1000);
            }
            // Past the cap, connections are closed unanswered, not held until the request's
            // deadline.
            const auto refused = [&flood] {
                return std::count_if(flood.begin(), flood.end(), [](const auto& peer) {
                    return peer->state() == QLocalSocket::UnconnectedState;
                });
            };
            QTRY_VERIFY2_WITH_TIMEOUT(refused() >= 60 - CSingleInstance::kMaxConnections,
                                      qPrintable(QString::number(refused())),
                                      CSingleInstance::kRequestTimeoutMs * 3 / 4);
        }
        QCOMPARE(first.process.state(), QProcess::Running);
        // Descriptors again, so that showing the article (which may open files) does not
        // depend on how many the viewer had opened lazily since they were counted.
        QCOMPARE(::prlimit(pid, RLIMIT_NOFILE, &usual, nullptr), 0);
        Viewer show({dSwitch_, QStringLiteral("/P:2")});
        QVERIFY(show.Ends());
        QCOMPARE(show.process.exitCode(), 0);
        QVERIFY2(first.WaitForLine(QStringLiteral("article 2 ")),
                 qPrintable(first.Unread().join(u'\n') + u'\n' +
                            QString::fromLocal8Bit(first.process.readAllStandardError())));
        Viewer close({dSwitch_, QStringLiteral("/F")});
        QVERIFY(close.Ends());
        QVERIFY(first.Ends(5000));
    }

    // Whatever listens at the socket's path as another user is not trusted with the request,
    // however it answers.
    void serverOfAnotherUser_isNotTrusted()
    {
        const QString className = QStringLiteral("AutreUtilisateur");
        const QByteArray path = QFile::encodeName(CSingleInstance::ServerPath(className));
        QVERIFY(!path.isEmpty());
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        QCOMPARE(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            // Listening as another user (the credentials a client sees are those of listen()).
            if (::setgid(4242) != 0 || ::setuid(4242) != 0)
                ::_exit(2);
            ::listen(fd, 4);
            const int peer = ::accept(fd, nullptr, nullptr);
            (void)!::write(peer, "ok\n", 3);
            ::sleep(10);
            ::_exit(0);
        }
        ::close(fd);
        QVERIFY(pid > 0);
        int status = 0;
        QTest::qWait(200);
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            ::unlink(path.constData());
            QSKIP("this process may not take another user's identity");
        }
        CSingleInstance client(className);
        const auto outcome = client.Start({mirelda::InstanceRequest::Kind::Show, 3}, false);
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        ::unlink(path.constData());
        QCOMPARE(outcome, CSingleInstance::Outcome::Failed);
        QVERIFY(client.error().contains(QStringLiteral("autre utilisateur")));
    }

    // The socket's folder is never a shared one: $XDG_RUNTIME_DIR only when it is the user's
    // and private, else a folder of the user's own under the cache (or data) home.
    void runtimeFolder_isAlwaysTheUsersPrivateFolder()
    {
        struct RestoreEnvironment
        {
            const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR"), cache = qgetenv("XDG_CACHE_HOME"),
                             data = qgetenv("XDG_DATA_HOME");
            ~RestoreEnvironment()
            {
                qputenv("XDG_RUNTIME_DIR", runtime);
                qputenv("XDG_CACHE_HOME", cache);
                qputenv("XDG_DATA_HOME", data);
            }
        };
        std::optional<RestoreEnvironment> restore(std::in_place);
        const QString top = root_.path() + QStringLiteral("/folders");
        const QString open = top + QStringLiteral("/open");
        QVERIFY(QDir().mkpath(open));
        QVERIFY(QFile::setPermissions(open, QFile::Permissions(0x7777))); // rwx for all
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(open));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(top + QStringLiteral("/cache")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(top + QStringLiteral("/data")));
        const QString own = top + QStringLiteral("/cache/mirelda-runtime");
        QCOMPARE(CSingleInstance::RuntimeFolder(), own);
        struct stat st
        {
        };
        QCOMPARE(::lstat(QFile::encodeName(own).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, 0700u);
        QCOMPARE(st.st_uid, ::getuid());
        // Taken by another user: refused, the next place is used.
        const bool given = ::chown(QFile::encodeName(own).constData(), 4242, 4242) == 0;
        if (given)
            QCOMPARE(CSingleInstance::RuntimeFolder(), top + QStringLiteral("/data/mirelda-runtime"));
        restore.reset();
        QCOMPARE(CSingleInstance::RuntimeFolder(), root_.path() + QStringLiteral("/run"));
        if (!given)
            QSKIP("folders cannot be given to another user here");
    }

    void socket_isTheOwnersOnly()
    {
        Viewer first({dSwitch_});
        QVERIFY(first.WaitForLine(QStringLiteral("article 1 ")));
        const QFile::Permissions p = QFileInfo(ServerPath()).permissions();
        QVERIFY(!(p & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther)));
        Viewer close({dSwitch_, QStringLiteral("/F")});
        QVERIFY(close.Ends());
        QVERIFY(first.Ends(5000));
    }

    void discovery_besideTheProgramThenInItsInstalledDataFolder()
    {
        // An installed layout: <prefix>/bin/mirelda and <prefix>/share/mirelda/GUIDE.*.
        const QString prefix = root_.path() + QStringLiteral("/prefix");
        QVERIFY(QDir().mkpath(prefix + QStringLiteral("/bin")));
        const QString program = prefix + QStringLiteral("/bin/mirelda");
        QVERIFY(QFile::copy(kProgram, program));
        QVERIFY(!apptest::WriteHelpSet(prefix + QStringLiteral("/share/mirelda"), QStringLiteral("PROSK"))
                     .isEmpty());
        {
            Viewer installed({}, program);
            QVERIFY(installed.WaitForLine(QStringLiteral("article 1 Aide Dorvins Proskelane - ")));
            installed.process.kill();
            QVERIFY(installed.Ends());
        }
        // A help set beside the program comes first.
        QVERIFY(!apptest::WriteHelpSet(prefix + QStringLiteral("/bin"), QStringLiteral("ESTIX")).isEmpty());
        Viewer beside({}, program);
        QVERIFY(beside.WaitForLine(QStringLiteral("article 1 Aide Gulavera/Estixorandi - ")));
        beside.process.kill();
        QVERIFY(beside.Ends());
    }

    // The end of the session (SIGTERM at logout or shutdown) runs the close sequence.
    void sessionEnd_keepsTheNoteAndTheBookmark()
    {
        const UserFiles files = HelpSet(QStringLiteral("term"), QStringLiteral("TERMA"));
        Viewer viewer({files.dSwitch, QStringLiteral("/P:3")});
        QVERIFY(viewer.WaitForLine(QStringLiteral("article 3 ")));
        QVERIFY(viewer.Command(QStringLiteral("note Relire")));
        QVERIFY(viewer.Command(QStringLiteral("bookmark Repère")));
        viewer.process.terminate();
        QVERIFY(viewer.Ends());
        QCOMPARE(viewer.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(viewer.process.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(files.scratch)); // a normal close
        QCOMPARE(files.Note(3), std::string("Relire"));
        QCOMPARE(files.Bookmarks(), (std::vector<mirelda::Bookmark>{{"Rep\xe8re", 3}}));
    }

    // A kill that no program can catch, once the typing has paused: the note is in .NO$ and
    // the next start takes it back; the bookmark was written when it was made.
    void killAfterAPause_keepsTheNoteAndTheBookmark()
    {
        const UserFiles files = HelpSet(QStringLiteral("kill"), QStringLiteral("KILLA"));
        Viewer viewer({files.dSwitch, QStringLiteral("/P:2")});
        QVERIFY(viewer.WaitForLine(QStringLiteral("article 2 ")));
        QVERIFY(viewer.Command(QStringLiteral("note Tapée")));
        QVERIFY(viewer.Command(QStringLiteral("bookmark Marque")));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(files.scratch).size() > 0, kWaitMs);
        viewer.process.kill();
        QVERIFY(viewer.Ends());
        QCOMPARE(files.Note(2), std::string("Tap\xe9"
                                            "e"));
        QCOMPARE(files.Bookmarks(), (std::vector<mirelda::Bookmark>{{"Marque", 2}}));
    }

    // A viewer that cannot listen for later starts still opens, and says that a later start
    // will open a second viewer.
    void unannouncedViewer_saysSo()
    {
        const UserFiles files = HelpSet(QStringLiteral("solo"), QStringLiteral("SOLO"));
        const QString socket = ServerPath(files.dSwitch.mid(3));
        QVERIFY(QDir().mkpath(socket)); // a folder where the socket goes: nobody can listen there
        Viewer viewer({files.dSwitch});
        QVERIFY(viewer.WaitForLine(QStringLiteral("article 1 ")));
        QVERIFY(viewer.WaitForLine(QStringLiteral("message ")));
        QVERIFY2(
            viewer.lines[viewer.consumed - 1].contains(QStringLiteral("ouvrira une seconde visionneuse")),
            qPrintable(viewer.lines[viewer.consumed - 1]));
        viewer.process.terminate();
        QVERIFY(viewer.Ends());
        QVERIFY(QDir().rmdir(socket));
    }

    // What a file manager and a shell pass: one of the files, in any case of extension, as
    // a path or a file:// URL; the same help set through a symlinked folder finds its viewer.
    void barePath_opensTheHelpSet_missingOneSaysWhichPath()
    {
        const QString folder = root_.path() + QStringLiteral("/Mes aides");
        const QString base = apptest::WriteHelpSet(folder, QStringLiteral("-Été MILDA"));
        QVERIFY(QFile::rename(base + QStringLiteral(".PGH"), base + QStringLiteral(".pgh")));
        QVERIFY(QFile::link(folder, root_.path() + QStringLiteral("/lien")));
        Viewer first({QUrl::fromLocalFile(base + QStringLiteral(".pgh")).toString(QUrl::FullyEncoded)});
        QVERIFY(first.WaitForLine(QStringLiteral("article 1 Aide Mildane - Généralités")));
        Viewer second({root_.path() + QStringLiteral("/lien/-Été MILDA.PGD"), QStringLiteral("/P:3")});
        QVERIFY(second.Ends());
        QCOMPARE(second.process.exitCode(), 0);
        QVERIFY(first.WaitForLine(QStringLiteral("article 3 Aide Mildane - Article 3"), 0));
        Viewer reallyClose({base + QStringLiteral(".FIC"), QStringLiteral("/F")});
        QVERIFY(reallyClose.Ends());
        QVERIFY(first.Ends(5000));

        // Not found: the designed box, and the path looked for on stderr.
        QVERIFY(QFile::remove(base + QStringLiteral(".PGL")));
        for (const QString& arg :
             {base + QStringLiteral(".PGD"), folder, root_.path() + QStringLiteral("/rien.pgh")}) {
            Viewer missing({arg});
            QVERIFY(missing.Ends());
            QCOMPARE(missing.process.exitCode(), 1);
            QVERIFY(missing.WaitForLine(QStringLiteral("message Aide")));
            QVERIFY(missing.lines[missing.consumed - 1].endsWith(
                QStringLiteral("|Impossible de trouver une source de données !")));
            const QString err = QString::fromUtf8(missing.process.readAllStandardError());
            QVERIFY2(err.contains(QStringLiteral("mirelda : Aide cherchée : ")), qPrintable(err));
            if (arg == folder)
                QVERIFY2(err.contains(QStringLiteral("« ") + folder + QStringLiteral(" » est un dossier")),
                         qPrintable(err));
            else if (arg.endsWith(QStringLiteral(".PGD")))
                QVERIFY2(err.contains(QStringLiteral("Fichier manquant : ") + base + QStringLiteral(".PGL")),
                         qPrintable(err));
            else
                QVERIFY2(err.contains(QStringLiteral("Fichier manquant : ") + root_.path() +
                                      QStringLiteral("/rien.PGH")),
                         qPrintable(err));
        }
    }

    // Two help sets of one name in different folders are two viewers; a second start for the
    // second one never shows its article in the first one's viewer.
    void sameNameInTwoFolders_twoViewers()
    {
        const QString one =
            apptest::WriteHelpSet(root_.path() + QStringLiteral("/v1/out"), QStringLiteral("PRODUIT"));
        const QString two =
            apptest::WriteHelpSet(root_.path() + QStringLiteral("/v2/out"), QStringLiteral("PRODUIT"));
        Viewer first({QStringLiteral("/D:") + one});
        QVERIFY(first.WaitForLine(QStringLiteral("article 1 Aide - ")));
        Viewer second({QStringLiteral("/D:") + two, QStringLiteral("/P:4")});
        QVERIFY(second.WaitForLine(QStringLiteral("article 4 Aide - Article 4")));
        QCOMPARE(second.process.state(), QProcess::Running);
        QVERIFY(first.Unread().isEmpty());
        for (const QString& base : {one, two}) {
            Viewer close({QStringLiteral("/D:") + base, QStringLiteral("/F")});
            QVERIFY(close.Ends());
        }
        QVERIFY(first.Ends(5000));
        QVERIFY(second.Ends(5000));
    }

    // "open PATH" is what the Open dialog, the recent list and a drop end in: the help set's
    // own viewer shows it, started as a new process when none runs; this one stays.
    void openFromAViewer_startsOrFindsThatHelpSetsViewer()
    {
        const QString other =
            apptest::WriteHelpSet(root_.path() + QStringLiteral("/ouvrir"), QStringLiteral("QUILMO"));
        Viewer first({dSwitch_});
        QVERIFY(first.WaitForLine(QStringLiteral("article 1 Aide Mildane")));
        // The new viewer writes to the same output as the one it was started from.
        QVERIFY(first.Command(QStringLiteral("open ") + other + QStringLiteral(".PGH")));
        QVERIFY(first.WaitForLine(QStringLiteral("article 1 Aide Quil Morvante - Généralités")));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(ServerPath(other)), kWaitMs);
        // Open again: a start that hands over to that viewer, which shows nothing new, and ends.
        QVERIFY(first.Command(QStringLiteral("open ") + other + QStringLiteral(".fic")));
        QCOMPARE(first.lines[first.consumed - 2].section(QLatin1Char(' '), 0, 0), QStringLiteral("started"));
        const QString handingOver = first.lines[first.consumed - 2].section(QLatin1Char(' '), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!Running(handingOver), kWaitMs);
        // This help set: nothing is started.
        QVERIFY(first.Command(QStringLiteral("open ") + base_ + QStringLiteral(".PGD")));
        QVERIFY(first.Command(QStringLiteral("open ") + root_.path() + QStringLiteral("/ouvrir")));
        QVERIFY(first.lines.contains(QStringLiteral("message Aide Mildane|Impossible d'ouvrir cette aide.")));
        Viewer closeOther({other, QStringLiteral("/F")});
        QVERIFY(closeOther.Ends());
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(ServerPath(other)), kWaitMs);
        QCOMPARE(first.process.state(), QProcess::Running);
        for (const QString& line : first.Unread())
            QVERIFY2(!line.startsWith(QStringLiteral("article ")), qPrintable(line));
        Viewer close({dSwitch_, QStringLiteral("/F")});
        QVERIFY(close.Ends());
        QVERIFY(first.Ends(5000));
    }

    // Installed help sets: whoever runs the viewer (root included), nothing is written beside
    // them; the reader's files go to the data folder. A reader who defined nothing gets no file.
    void systemHelpSet_userFilesInTheDataFolder_noneWhenNothingDefined()
    {
        const QString share = root_.path() + QStringLiteral("/sys/share");
        const QString base =
            apptest::WriteHelpSet(share + QStringLiteral("/mirelda"), QStringLiteral("GUIDE"));
        const QStringList env{QStringLiteral("XDG_DATA_DIRS=") + share};
        const QStringList before = QDir(share + QStringLiteral("/mirelda")).entryList(QDir::Files);
        const QString data = root_.path() + QStringLiteral("/data/mirelda");
        {
            Viewer viewer({base + QStringLiteral(".PGH"), QStringLiteral("/P:3")}, kProgram, env);
            QVERIFY(viewer.WaitForLine(QStringLiteral("article 3 ")));
            QVERIFY(viewer.Command(QStringLiteral("note Lue")));
            QVERIFY(viewer.Command(QStringLiteral("bookmark Ici")));
            viewer.process.terminate();
            QVERIFY(viewer.Ends());
            QCOMPARE(viewer.process.exitCode(), 0);
        }
        QCOMPARE(QDir(share + QStringLiteral("/mirelda")).entryList(QDir::Files), before);
        const QStringList kept = QDir(data).entryList({QStringLiteral("GUIDE-*")}, QDir::Dirs);
        QCOMPARE(kept.size(), 1);
        const QString folder = data + QLatin1Char('/') + kept.front() + QStringLiteral("/GUIDE");
        QVERIFY(QFileInfo::exists(folder + QStringLiteral(".SIG")));
        QVERIFY(QFileInfo::exists(folder + QStringLiteral(".NOT")));

        // A help set of the user's own, opened and closed without a bookmark or a note.
        const UserFiles files = HelpSet(QStringLiteral("vierge"), QStringLiteral("VIERGE"));
        Viewer viewer({files.dSwitch});
        QVERIFY(viewer.WaitForLine(QStringLiteral("article 1 ")));
        Viewer close({files.dSwitch, QStringLiteral("/F")});
        QVERIFY(close.Ends());
        QVERIFY(viewer.Ends(5000));
        for (const QString& file : {files.bookmarks, files.notes, files.scratch})
            QVERIFY2(!QFileInfo::exists(file), qPrintable(file));
    }

    // A help set in a shared, world-writable folder: its owner's files lie beside it; a
    // second user keeps their own bookmarks in their data folder, without a warning, and
    // leaves the owner's alone.
    void sharedFolder_secondUserKeepsTheirOwnFiles()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to run the viewer as a second user");
        const uid_t other = 65534;
        QVERIFY(QFile::setPermissions(root_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                        QFile::ReadOther | QFile::ExeOther));
        const QString shared = root_.path() + QStringLiteral("/partage");
        const QString base = apptest::WriteHelpSet(shared, QStringLiteral("PARTAGE"));
        QVERIFY(::chmod(QFile::encodeName(shared).constData(), 0777) == 0);
        {
            Viewer owner({base + QStringLiteral(".PGH"), QStringLiteral("/P:3")});
            QVERIFY(owner.WaitForLine(QStringLiteral("article 3 ")));
            QVERIFY(owner.Command(QStringLiteral("bookmark Premier")));
            owner.process.terminate();
            QVERIFY(owner.Ends());
        }
        const QByteArray ownersBookmarks = ReadAll(base + QStringLiteral(".SIG"));
        QVERIFY(!ownersBookmarks.isEmpty());

        const QString home = root_.path() + QStringLiteral("/second");
        QVERIFY(QDir().mkpath(home + QStringLiteral("/run")));
        for (const QString& folder : {home, home + QStringLiteral("/run")})
            QVERIFY(::chown(QFile::encodeName(folder).constData(), other, other) == 0);
        QVERIFY(::chmod(QFile::encodeName(home + QStringLiteral("/run")).constData(), 0700) == 0);
        const QStringList env{QStringLiteral("HOME=") + home,
                              QStringLiteral("XDG_RUNTIME_DIR=") + home + QStringLiteral("/run"),
                              QStringLiteral("XDG_DATA_HOME=") + home + QStringLiteral("/data"),
                              QStringLiteral("XDG_CONFIG_HOME=") + home + QStringLiteral("/config")};
        Viewer second({QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                       QStringLiteral("--clear-groups"), kProgram, base + QStringLiteral(".PGH"),
                       QStringLiteral("/P:2")},
                      QStringLiteral("/usr/bin/setpriv"), env);
        QVERIFY2(second.WaitForLine(QStringLiteral("article 2 ")),
                 second.process.readAllStandardError().constData());
        QVERIFY(second.Command(QStringLiteral("bookmark Second")));
        second.process.terminate();
        QVERIFY(second.Ends());
        for (const QString& line : second.lines)
            QVERIFY2(!line.startsWith(QStringLiteral("message ")), qPrintable(line));
        QCOMPARE(ReadAll(base + QStringLiteral(".SIG")), ownersBookmarks);
        const QString data = home + QStringLiteral("/data/mirelda");
        const QStringList kept = QDir(data).entryList({QStringLiteral("PARTAGE-*")}, QDir::Dirs);
        QCOMPARE(kept.size(), 1);
        const auto bookmarks = mirelda::LoadBookmarks(
            QFile::encodeName(data + QLatin1Char('/') + kept.front() + QStringLiteral("/PARTAGE.SIG"))
                .toStdString());
        QVERIFY(bookmarks.ok());
        QCOMPARE(bookmarks->bookmarks, (std::vector<mirelda::Bookmark>{{"Second", 2}}));
    }

    // The window fits the screen at 1× and 2×: on the first start, when the place kept from a
    // 1× run is restored at 1× (unchanged) and at 2×.
    void window_fitsTheScreenAtAnyScale()
    {
        const QString config = root_.path() + QStringLiteral("/config-geometry");
        auto geometry = [&](const QString& scale) {
            Viewer viewer(
                {dSwitch_}, kProgram,
                {QStringLiteral("QT_SCALE_FACTOR=") + scale, QStringLiteral("XDG_CONFIG_HOME=") + config});
            if (!viewer.WaitForLine(QStringLiteral("article 1 ")) ||
                !viewer.Command(QStringLiteral("geometry")))
                return QList<int>{};
            QList<int> values;
            for (const QString& field : viewer.lines[viewer.consumed - 2].split(QLatin1Char(' ')))
                if (bool ok = false; field.toInt(&ok), ok)
                    values << field.toInt();
            viewer.process.terminate(); // the close sequence keeps the place
            viewer.Ends();
            return values;
        };
        QList<QList<int>> runs;
        for (const QString& scale :
             {QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("2")}) {
            const QList<int> g = geometry(scale);
            runs << g;
            QCOMPARE(g.size(), 9);
            const QRect window(g[0], g[1], g[2], g[3]);
            const QRect available(g[4], g[5], g[6], g[7]);
            QVERIFY2(available.contains(window) && window.width() > 0,
                     qPrintable(QStringLiteral("%1: %2,%3 %4x%5 in %6x%7")
                                    .arg(scale)
                                    .arg(g[0])
                                    .arg(g[1])
                                    .arg(g[2])
                                    .arg(g[3])
                                    .arg(g[6])
                                    .arg(g[7])));
        }
        QCOMPARE(runs[1], runs[0]); // kept from one run to the next
    }

    void longOptions_printAndEnd()
    {
        QProcess help;
        help.start(kProgram, {QStringLiteral("--help")});
        QVERIFY(help.waitForFinished(kWaitMs));
        QCOMPARE(help.exitCode(), 0);
        QVERIFY(help.readAllStandardOutput().startsWith("Utilisation : mirelda"));
        QProcess version;
        version.start(kProgram, {QStringLiteral("--version")});
        QVERIFY(version.waitForFinished(kWaitMs));
        QCOMPARE(version.exitCode(), 0);
        QVERIFY(version.readAllStandardOutput().startsWith("mirelda "));
        // After "--" a name that looks like a long option is a file: looked for, not refused.
        QProcess file;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("MIRELDA_PROBE"), QStringLiteral("1"));
        file.setProcessEnvironment(env);
        file.setWorkingDirectory(root_.path());
        file.start(kProgram, {QStringLiteral("--"), QStringLiteral("--aide.pgh")});
        QVERIFY(file.waitForFinished(kWaitMs));
        QCOMPARE(file.exitCode(), 1);
        QVERIFY(file.readAllStandardError().contains("Fichier manquant : --aide.PGH"));
    }

  private:
    struct UserFiles
    {
        QString dSwitch, notes, scratch, bookmarks;
        std::string Note(std::int32_t article) const
        {
            mirelda::AnnotationStore store(QFile::encodeName(notes).toStdString(),
                                           QFile::encodeName(scratch).toStdString());
            store.LoadIndex();
            return store.ShowAnnotation(article);
        }
        std::vector<mirelda::Bookmark> Bookmarks() const
        {
            auto loaded = mirelda::LoadBookmarks(QFile::encodeName(bookmarks).toStdString());
            return loaded.ok() ? loaded->bookmarks : std::vector<mirelda::Bookmark>{};
        }
    };
    // A help set of its own, in a writable folder: its user files lie beside it.
    UserFiles HelpSet(const QString& folder, const QString& name) const
    {
        const QString base = apptest::WriteHelpSet(root_.path() + QLatin1Char('/') + folder, name);
        return {QStringLiteral("/D:") + base, base + QStringLiteral(".NOT"), base + QStringLiteral(".NO$"),
                base + QStringLiteral(".SIG")};
    }

    static QByteArray ReadAll(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Whether the process lives (a zombie that nobody reaps has ended).
    static bool Running(const QString& pid)
    {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return false;
        const QByteArray line = stat.readAll();
        const qsizetype name = line.lastIndexOf(')');
        return name >= 0 && line.size() > name + 2 && line[name + 2] != 'Z';
    }

    QString ServerPath(const QString& base = {}) const
    {
        const QString path = base.isEmpty() ? base_ : base;
        return CSingleInstance::ServerPath(
            QString::fromStdString(mirelda::InstanceKey(QFile::encodeName(path).toStdString())));
    }

    // Connections waiting in a viewer socket's queue: the kernel lists each under the listening
    // socket's path (a name Qt creates beside ServerPath()), without the listening flag.
    int QueuedConnections() const
    {
        QFile table(QStringLiteral("/proc/net/unix"));
        if (!table.open(QIODevice::ReadOnly))
            return -1;
        const QByteArray folder = QFile::encodeName(QFileInfo(ServerPath()).path()) + '/';
        int queued = 0;
        for (const QByteArray& line : table.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() == 8 && fields[3] != "00010000" && fields[7].startsWith(folder))
                ++queued;
        }
        return queued;
    }

    QTemporaryDir root_{QDir::tempPath() + QStringLiteral("/mirelda-XXXXXX")};
    QString base_;
    QString dSwitch_;
};

QTEST_MAIN(AppInstanceTest)
#include "app_instance_test.moc"
