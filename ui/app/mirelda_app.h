#pragma once
// The application object: owns the QApplication's life, the start-up values, the help
// session, the main frame and the modeless windows; it starts, hands over to a running
// viewer, and quits, and answers the viewer's global commands.
//
// main() builds it, runs InitInstance(), then the event loop, then ExitInstance() (Run()).

#include "core/app/command_line.h"
#include "core/app/instance_request.h"
#include "core/session/help_session.h"
#include "ui/lists/bookmark_list_dlg.h"
#include "ui/lists/history_list_dlg.h"
#include "ui/lists/list_host.h"
#include "ui/lists/results_list_dlg.h"
#include "ui/search/search_dlg.h"
#include "ui/search/search_host.h"

#include <QIcon>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QApplication;
class QTranslator;

namespace mirelda::ui {

class CArticleSearch;
class CMainFrame;
class CSingleInstance;
class CTerminationSignals;

class CMireldaApp : public QObject, public ListHost, public SearchHost
{
    Q_OBJECT
  public:
    // Creates the QApplication unless one exists already (tests create their own). The
    // command line is read from argv after Qt has taken its own options out of it.
    CMireldaApp(int& argc, char** argv);
    ~CMireldaApp() override;

    // The start-up sequence; false ends the process without a window.
    bool InitInstance();
    int ExitInstance();
    int Run(); // InitInstance, event loop, ExitInstance; the process's exit code

    // --help and --version (and unknown long options): the exit code when the process is to
    // end at once after printing, nothing otherwise. Needs no QApplication.
    static std::optional<int> HandleLongOptions(int argc, char** argv);

    // The program's icon in every size it is drawn at (16 to 256 pixels), so that a window
    // manager that asks for a small one gets a drawn one, not the largest scaled down.
    static QIcon ApplicationIcon();

    QString HelpTitle() const;
    // A message box captioned HelpTitle(), owned by the main window once it exists; the one
    // message box of the list windows and the search dialog too.
    QMessageBox::StandardButton ShowMessage(const QString& text, QMessageBox::Icon icon,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Ok) override;

    // The open help set, from a successful InitInstance on.
    mirelda::HelpSession& session() const { return *session_; }
    CMainFrame* mainFrame() const { return frame_.get(); }

    int exitCode() const { return exitCode_; }

    // "Définir signet": names a bookmark on the current article.
    void DefineBookmark();
    // Adds a bookmark with that name on the current article; the session writes the file.
    void AddBookmark(const QString& name);
    // Shows the article at the reading position; false when it is not valid or does not exist.
    bool GoToArticle(std::int32_t article, std::int32_t position);
    // The end of the session (SIGTERM, SIGHUP, SIGINT): the close sequence, then the end.
    void EndSession();

    // --- other help sets (app_open.cpp) ------------------------------------------------------
    // "Ouvrir une aide...": the file dialog, then OpenHelpSet.
    void ChooseHelpSet();
    // Has the help set's own viewer show it (this one when it is this help set, else a new
    // process, which hands over to that help set's running viewer if there is one); says why
    // when the help set cannot be opened.
    void OpenHelpSet(const QString& path);
    // Files dropped on the main window: one help set's files, else refused with a message.
    void OpenDroppedFiles(const QStringList& paths);
    // The program started for another help set (by default, this one's own file).
    void SetViewerProgram(const QString& program) { viewerProgram_ = program; }

    CSearchDlg* searchDialog() const { return searchDialog_; }
    CHistoryListDlg* historyWindow() const { return historyWindow_; }
    CResultsListDlg* resultsWindow() const { return resultsWindow_; }
    CBookmarkListDlg* bookmarkWindow() const { return bookmarkWindow_; }

    // --- ListHost (app_search.cpp; ShowMessage above serves it too) --------------------------
    std::optional<QPoint> HighlightInArticle(const QString& text, bool matchCase, bool wholeWord) override;

    // --- SearchHost (app_search.cpp; ShowMessage above serves both) --------------------------
    void SearchArticles(const ArticleSearchRequest& request,
                        std::function<void(SearchOutcome)> done) override;
    bool searchRunning() const;
    std::int32_t FindInArticle(const QString& text, bool matchCase, bool wholeWord) override;
    std::int32_t FindNextInArticle(const QString& text, bool matchCase, bool wholeWord) override;
    bool articleHasHighlights() const override;

  private:
    void LoadTranslations();
    void CreateModelessWindows();
    void WireCommands();
    void HandleInstanceRequest(const mirelda::InstanceRequest& request);
    void ShowAbout();
    void ShowStartMessages();
    void RunProbeCommand(const QString& line);
    void ReportGeometry();
    // The help set cannot be opened at start: the box, with the details, and stderr.
    void ShowStartFailure(const std::vector<std::string>& problems);

    std::unique_ptr<QApplication> ownApplication_;
    int exitCode_ = 0; // of a start that ends in InitInstance: 1 when it failed
    std::vector<std::string> arguments_;
    mirelda::StartOptions options_;
    QString viewerProgram_;

    // The modeless windows, owned by the main window, in this order: the search dialog, then
    // the history, search-results and bookmark list windows.
    QPointer<CSearchDlg> searchDialog_;
    std::int32_t resultHighlighted_ = 0; // the article last opened from the search results
    QPointer<CHistoryListDlg> historyWindow_;
    QPointer<CResultsListDlg> resultsWindow_;
    QPointer<CBookmarkListDlg> bookmarkWindow_;

    // Warnings of the start-up (a file that cannot be read...) wait for the event loop: a
    // box shown while the windows are still being made would run the posted load early.
    bool starting_ = false;
    QList<QPair<QString, QMessageBox::Icon>> startMessages_;

    std::unique_ptr<QTranslator> qtTranslator_;
    std::unique_ptr<CTerminationSignals> terminationSignals_;
    std::unique_ptr<CSingleInstance> instance_;
    // Before the frame, so that it goes after the windows that observe it.
    std::unique_ptr<mirelda::HelpSession> session_;
    std::unique_ptr<CMainFrame> frame_;
    // After the frame, so that it goes first: its scan reads the frame's article index.
    std::unique_ptr<CArticleSearch> search_;
};

} // namespace mirelda::ui
