#pragma once
// The viewer's only top-level window: toolbar, status bar, the docked contents tree (left)
// and annotation bar (bottom), and the article view in the middle. It shows the help
// session's articles, has the session load the help set once just after it is first shown,
// answers the show-article request of a second start, and runs the close sequence that
// writes the user's files.
//
// The file is split by concern: main_frame.cpp (creation, load, keys, close sequence,
// ViewHost, ArticleDisplay), frame_commands.cpp (command routing and update passes),
// frame_menus.cpp (menus, toolbar and status bar built from the command table),
// frame_bars.cpp (the docked bars and the pop-up), frame_reload.cpp (reading the help set
// again when its files are replaced), frame_reading.cpp (moving between the panes from the
// keyboard, the text size commands, the size and find panes).

#include "core/session/help_session.h"
#include "ui/view/view_host.h"

#include <QHash>
#include <QIcon>
#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <unordered_map>

class QAction;
class QLabel;
class QMenu;
class QToolBar;
class QWindow;

namespace mirelda::ui {

class CMireldaApp;
class CMireldaView;
class CAnnotationBar;
class CHelpSetWatcher;
class CLockPanes;
class CTreeBar;

class CMainFrame : public QMainWindow,
                   public ViewHost,
                   private mirelda::ArticleDisplay,
                   private mirelda::HelpSessionObserver
{
    Q_OBJECT
  public:
    CMainFrame(CMireldaApp& app, mirelda::HelpSession& session, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CMireldaView* view() const { return view_; }
    mirelda::HelpSession& session() const { return session_; }
    QToolBar* toolBar() const { return toolBar_; }
    bool helpSetLoaded() const { return loaded_; }
    // False when a bar could not be made: the start-up then ends.
    bool created() const { return created_; }
    CTreeBar* treeBar() const { return treeBar_; }
    CAnnotationBar* annotationBar() const { return annotationBar_; }

    // --- commands -------------------------------------------------------------------------
    // Every command of the table has one action (its object name is the command's name), shared by the main
    // menu, the context menu, the toolbar and the accelerators. A command without a handler
    // is disabled: nothing would answer it.
    QAction* action(int id) const { return actions_.value(id); }
    void SetCommandHandler(int id, std::function<void()> handler);
    // Runs at each update pass after the enable-from-handler rule; may enable, check...
    void SetUpdateRule(int id, std::function<void(QAction&)> rule);
    // A modeless window shown and hidden by command `id`, checked while visible.
    void RegisterToggleWindow(int id, QWidget* window);
    // The update pass: menus run it when they open; anything that changes a command's state
    // (the history, a window's visibility, the annotation edit) runs it too.
    void UpdateCommands();

    // --- operations offered to the rest of the program ------------------------------------
    // The private show-article request of a second start: the article, else article 1.
    void ShowArticleRequest(std::int32_t article);
    // The help-set load; runs once (later calls do nothing). Normally posted by the first show.
    void LoadHelpSet();
    // frame_reload.cpp: has the session read the files again after they were replaced, and the
    // tree too,
    // and shows the current article again at the same place (article 1 when it is gone).
    // History, bookmarks and annotations stay. Waits while a nested event loop (a box, a
    // search, printing) may still use the index.
    void ReloadHelpSet();
    // The annotation toolbar button: annotation-present image when `present`.
    void UpdateAnnotationButton(bool present);
    bool annotationButtonShowsPresent() const { return annotationImageShown_; }
    // Lays the bars out again after one was shown or hidden (annotation toggle).
    void RecalcLayout();
    // Brings the viewer forward: restores the main window when minimised, raises it and
    // activates the window the user was last in.
    void ActivateFrame();
    // What the close sequence writes (the current annotation, the annotations, the
    // bookmarks), in its order; also asked by the session manager, without closing.
    void SaveUserFiles() { session_.SaveUserFiles(); }

    // --- ViewHost -------------------------------------------------------------------------
    void minimizeMainWindow() override;
    QMenu* viewContextMenu() override { return contextMenu_; }
    // The file-error message, for the view, the session and the rest of the program.
    void ReportFileError(const mirelda::FileError& error) override;

  signals:
    void helpSetLoadedChanged();    // the load has run
    void helpSetReloaded();         // ReloadHelpSet has read the files again
    void articleShown(int article); // an article has become current
    void closed();                  // the close sequence has run and the window is closing

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // One help set's files dropped on the window open it (CMireldaApp::OpenDroppedFiles).
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // --- ArticleDisplay (the view, the caption, the pop-up) -----------------------------
    std::int32_t FirstVisiblePosition() const override;
    void ShowArticleText(std::string rtf) override;
    void ScrollToPosition(std::int32_t position) override;
    void ShowArticleLinks(mirelda::LinkTable links) override;
    void SetCaption(const std::u16string& caption) override;
    void ShowPopup(const std::string& title, const std::string& rtf) override; // frame_bars.cpp
    void ShowMissingArticle(std::int32_t number) override;
    void BeginWait() override;
    void EndWait() override;
    // --- HelpSessionObserver --------------------------------------------------------------
    void ArticleShown(std::int32_t article) override;
    void HistoryEntryAdded(std::int32_t article) override;
    void AnnotationShown(std::int32_t article, const std::string& text) override;
    void Reloaded() override; // frame_reload.cpp

    void NoteActiveWindow(QWindow* window);
    // frame_reload.cpp
    void WatchHelpSet();
    // A read of a help-set file failed on files replaced since they were loaded: a reload,
    // not an error box, cures it.
    bool ReloadInsteadOfReporting(const mirelda::FileError& error);
    // frame_menus.cpp
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    // frame_bars.cpp: the docked bars, and what the frame asks of them.
    bool CreateBars(); // false: a bar could not be made, the frame is unusable
    void LoadTree();
    void SelectTreeArticle(std::int32_t article);
    bool AnnotationEditEmpty() const;
    void ApplyBarWidth();
    void ApplyBarHeight();
    void ToggleAnnotationBar();
    // frame_commands.cpp
    void WireFrameCommands(); // the view's and the frame's own commands
    void RunCommand(int id);
    // frame_reading.cpp
    void WireReadingCommands();
    void FocusNextPane(bool forward); // F6, Shift+F6: tree, article, annotation (when shown)
    void Synchronise();               // "Synchroniser": the tree too when asked from the keyboard
    void ShowTextSize(int percent);
    void ShowFindCount(int current, int total);

    CMireldaApp& app_;
    mirelda::HelpSession& session_;
    // The docked bars (see frame_bars.cpp).
    CAnnotationBar* annotationBar_ = nullptr;
    CTreeBar* treeBar_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    CLockPanes* lockPanes_ = nullptr;
    QIcon normalImage_;
    QIcon annotationImage_;
    bool annotationImageShown_ = false;
    CMireldaView* view_ = nullptr;
    QMenu* contextMenu_ = nullptr;
    QLabel* textSizePane_ = nullptr;  // shown while the text is not at its normal size
    QLabel* findCountPane_ = nullptr; // "n sur m" while the article shows the found text
    QObject* inputKind_ = nullptr;    // tells a command asked from the keyboard from a click

    QHash<int, QAction*> actions_;
    // Context-menu items whose text differs from the main menu's ("&Annoter..."): their own
    // actions, run as the command and kept in step with it by the update pass.
    QList<QPair<QAction*, int>> contextAliases_;
    std::unordered_map<int, std::function<void()>> handlers_;
    std::unordered_map<int, std::function<void(QAction&)>> updateRules_;
    QHash<QObject*, int> toggleWindows_;
    // The main window's own window (list window, search dialog, dialog) that was active
    // last; null when the main window itself was active since.
    QPointer<QWidget> lastActivePopup_;
    QMetaObject::Connection activeWindowWatch_;
    CHelpSetWatcher* watcher_ = nullptr;
    bool reloading_ = false;

    bool created_ = false;
    bool firstActivation_ = true;
    bool loaded_ = false;
    bool closeSequenceDone_ = false;
};

} // namespace mirelda::ui
