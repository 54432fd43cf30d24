#include "ui/app/mirelda_app.h"

#include "core/app/command_table.h"
#include "core/app/help_set_identity.h"
#include "core/app/help_set_problem.h"
#include "core/app/help_title.h"
#include "core/store/cp1252.h"
#include "ui/app/about_dialog.h"
#include "ui/app/main_frame.h"
#include "ui/app/process_probe.h"
#include "ui/app/recent_help_sets_menu.h"
#include "ui/app/single_instance.h"
#include "ui/app/termination_signals.h"
#include "ui/lists/bookmark_name_dlg.h"
#include "ui/notes/annotation_bar.h"
#include "ui/notes/annotation_edit.h"
#include "ui/search/article_search.h"
#include "ui/view/mirelda_view.h"
#include "ui/widgets/qt_path.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QScreen>
#include <QSessionManager>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#ifndef MIRELDA_VERSION
#define MIRELDA_VERSION "0.1.0"
#endif

namespace mirelda::ui {

namespace {

const char kUsage[] =
    "Utilisation : mirelda [/D:JEU | FICHIER] [/P:N] [/F]\n"
    "\n"
    "Visionneuse d'aide en ligne.\n"
    "\n"
    "  FICHIER    ouvre le jeu d'aide dont c'est l'un des fichiers (.PGH, .PGD, .PGL ou\n"
    "             .FIC, extension en majuscules ou en minuscules), ou le chemin sans\n"
    "             extension ; une adresse file:// est acceptée\n"
    "  /D:JEU     ouvre le jeu d'aide JEU (chemin sans extension, par exemple\n"
    "             /D:/usr/share/mirelda/GUIDE pour GUIDE.PGD, GUIDE.PGH...)\n"
    "  /P:N       affiche d'abord l'article N\n"
    "  /F         ferme la visionneuse ouverte sur ce jeu d'aide, sans rien ouvrir\n"
    "  --         la suite n'est faite que de fichiers (pour un nom qui commence par « - »)\n"
    "  --help     affiche cette aide\n"
    "  --version  affiche la version\n"
    "\n"
    "Les commutateurs commencent par « / » ou « - », en majuscules ou en minuscules.\n"
    "Sans /D, le premier fichier .PGD trouvé à côté du programme (ou dans\n"
    "share/mirelda de son installation) est ouvert. Une visionneuse déjà ouverte sur le\n"
    "même jeu d'aide reçoit la demande (/P, /F) au lieu d'en ouvrir une seconde.\n";

} // namespace

QIcon CMireldaApp::ApplicationIcon()
{
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/mirelda-%1.png").arg(size), QSize(size, size));
    return icon;
}

CMireldaApp::CMireldaApp(int& argc, char** argv)
{
    if (!QCoreApplication::instance())
        ownApplication_ = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("mirelda"));
    QCoreApplication::setApplicationVersion(QLatin1String(MIRELDA_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("mirelda"));
    QGuiApplication::setWindowIcon(ApplicationIcon());
    for (int i = 1; i < argc; ++i)
        arguments_.emplace_back(argv[i]);
    LoadTranslations();
    ProcessProbe::Install(*qApp);
}

CMireldaApp::~CMireldaApp()
{
    // The windows go before the QApplication that they need; a search still under way stops
    // first (it reads the frame's index).
    search_.reset();
    frame_.reset();
    session_.reset();
    instance_.reset();
    if (qtTranslator_)
        QCoreApplication::removeTranslator(qtTranslator_.get());
}

void CMireldaApp::LoadTranslations()
{
    // The program speaks French whatever the locale: so must Qt's own buttons and dialogs.
    qtTranslator_ = std::make_unique<QTranslator>();
    if (qtTranslator_->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtTranslator_.get());
}

std::optional<int> CMireldaApp::HandleLongOptions(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            break; // what follows names files
        if (std::strncmp(argv[i], "--", 2) != 0)
            continue;
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("mirelda %s\n", MIRELDA_VERSION);
            return 0;
        }
        std::fprintf(stderr, "mirelda : option inconnue « %s » (voir mirelda --help)\n", argv[i]);
        return 2;
    }
    return std::nullopt;
}

bool CMireldaApp::InitInstance()
{
    // The command line over the defaults. The history starts empty with the frame.
    options_ = mirelda::ParseCommandLine(arguments_);

    // No help set named: look beside the program, then in the installed data folder.
    if (options_.helpSetBase.empty()) {
        const std::filesystem::path programDir = ToPath(QCoreApplication::applicationDirPath());
        const std::filesystem::path installed = programDir / ".." / "share" / "mirelda";
        options_.helpSetBase =
            mirelda::FindDefaultHelpSet(programDir, {installed.lexically_normal()}).string();
    }

    // All four files, readable, or nothing. This comes before the single-instance test, so
    // that a start with a bad help set says so even while a viewer runs. The files are
    // looked for once; what follows works from what was found.
    mirelda::HelpSetFiles helpSetFiles = mirelda::ResolveHelpSetFiles(options_.helpSetBase);
    if (const auto problems = mirelda::DescribeHelpSetProblem(options_.helpSetBase, helpSetFiles);
        !problems.empty()) {
        ShowStartFailure(problems);
        exitCode_ = 1;
        return false;
    }
    const mirelda::UserFiles userFiles = mirelda::ResolveUserFiles(
        helpSetFiles, mirelda::UserDataHome(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")));
    const std::filesystem::path identity = mirelda::HelpSetIdentity(helpSetFiles);

    // Hand over to a running viewer of the same class; a close request (/F) never opens a window.
    using Kind = mirelda::InstanceRequest::Kind;
    mirelda::InstanceRequest request{Kind::Activate, 0};
    if (options_.closeRunning)
        request = {Kind::Close, 0};
    else if (options_.hasStartArticle)
        request = {Kind::Show, options_.startArticle};
    // One viewer per help set, however its path was written.
    instance_ =
        std::make_unique<CSingleInstance>(QString::fromStdString(mirelda::InstanceKeyOfIdentity(identity)));
    switch (instance_->Start(request, !options_.closeRunning)) {
    case CSingleInstance::Outcome::First:
        starting_ = true;
        CRecentHelpSetsMenu::Remember(identity);
        if (!mirelda::AdoptFilesBeside(userFiles))
            ShowMessage(
                QStringLiteral("Vos signets et annotations de cette aide, à côté d'elle, n'ont pas pu être "
                               "copiés dans %1 : ils restent où ils sont, et ceux de cette séance seront "
                               "gardés dans ce dossier.")
                    .arg(ToQString(userFiles.folder)),
                QMessageBox::Warning);
        if (!instance_->isListening())
            ShowMessage(
                QStringLiteral("Impossible d'annoncer cette visionneuse aux démarrages suivants (%1). Un "
                               "nouveau démarrage sur ce jeu d'aide ouvrira une seconde visionneuse : "
                               "fermez l'une avant de modifier signets ou annotations dans l'autre.")
                    .arg(instance_->error()),
                QMessageBox::Warning);
        break;
    case CSingleInstance::Outcome::HandedOver:
        if (!options_.closeRunning)
            CRecentHelpSetsMenu::Remember(identity);
        return false;
    case CSingleInstance::Outcome::NoneRunning:
        return false;
    case CSingleInstance::Outcome::Failed:
        std::fprintf(stderr, "mirelda : la visionneuse déjà ouverte n'a pas répondu (%s)\n",
                     qPrintable(instance_->error()));
        exitCode_ = 1;
        return false;
    }

    // Under the C locale ICU sorts in POSIX code-point order, capitals first; the lists ignore
    // case whatever the locale, so the root order stands in for it there.
    const bool posix = QLocale::system().name() == QLatin1String("C");
    session_ = std::make_unique<mirelda::HelpSession>(options_, std::move(helpSetFiles), userFiles,
                                                      posix ? std::string("root") : std::string());

    // The frame and its view, shown; the frame posts itself the help-set load.
    frame_ = std::make_unique<CMainFrame>(*this, *session_);
    if (!frame_->created()) {
        frame_.reset();
        exitCode_ = 1;
        ShowStartMessages();
        return false;
    }
    connect(
        frame_.get(), &CMainFrame::closed, this, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    WireCommands();
    frame_->show();

    // The modeless windows: search dialog, history, results and bookmarks.
    CreateModelessWindows();
    // The user's files, and what the user is told of them: the annotations, then the bookmarks.
    const mirelda::HelpSession::UserFilesReport opened = session_->OpenUserFiles();
    frame_->annotationBar()->ReportLoad(opened.annotations);
    bookmarkWindow_->ReportLoad(opened.bookmarks);

    instance_->SetHandler([this](const mirelda::InstanceRequest& r) { HandleInstanceRequest(r); });
#ifndef QT_NO_SESSIONMANAGER
    // The session may still be cancelled: save what closing saves, and stay open.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
        if (frame_)
            frame_->SaveUserFiles();
    });
#endif
    ProcessProbe::SetCommandHandler([this](const QString& line) { RunProbeCommand(line); });
    starting_ = false;
    if (!startMessages_.isEmpty())
        QTimer::singleShot(0, this, &CMireldaApp::ShowStartMessages);
    return true;
}

void CMireldaApp::ShowStartFailure(const std::vector<std::string>& problems)
{
    // The designed text stays; what was looked for goes to the details and to stderr, so
    // that the user sees which path was tried and what is wrong with it.
    QString details;
    for (const std::string& line : problems) {
        details += QString::fromStdString(line) + QLatin1Char('\n');
        std::fprintf(stderr, "mirelda : %s\n", line.c_str());
    }
    std::fflush(stderr);
    QMessageBox box(QMessageBox::Warning, HelpTitle(),
                    QStringLiteral("Impossible de trouver une source de données !"), QMessageBox::Ok);
    box.setObjectName(QStringLiteral("messageBox"));
    box.setDetailedText(details.trimmed());
    box.exec();
}

void CMireldaApp::ShowStartMessages()
{
    starting_ = false;
    const auto messages = std::exchange(startMessages_, {});
    for (const auto& [text, icon] : messages)
        ShowMessage(text, icon);
}

void CMireldaApp::EndSession()
{
    if (frame_)
        frame_->close(); // the close sequence, as when the user closes the window
    QCoreApplication::exit(0);
}

void CMireldaApp::RunProbeCommand(const QString& line)
{
    // What a user's hands would do, for the tests that drive the real program.
    if (!frame_)
        return;
    if (line.startsWith(QLatin1String("open ")))
        OpenHelpSet(line.mid(5));
    else if (line == QLatin1String("geometry"))
        ReportGeometry();
    else if (line.startsWith(QLatin1String("note ")))
        frame_->annotationBar()->edit()->insertPlainText(line.mid(5));
    else if (line.startsWith(QLatin1String("bookmark ")))
        AddBookmark(line.mid(9));
}

void CMireldaApp::ReportGeometry()
{
    // The window against the screen it is on, for the tests that drive the real program.
    const QRect window = frame_->frameGeometry();
    const QScreen* screen = frame_->screen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    ProcessProbe::Report(QStringLiteral("geometry %1 %2 %3 %4 available %5 %6 %7 %8 maximized %9")
                             .arg(window.x())
                             .arg(window.y())
                             .arg(window.width())
                             .arg(window.height())
                             .arg(available.x())
                             .arg(available.y())
                             .arg(available.width())
                             .arg(available.height())
                             .arg(frame_->isMaximized() ? 1 : 0));
}

void CMireldaApp::CreateModelessWindows()
{
    // Created hidden, owned by the main window, in this order: the search dialog, then the
    // history, search-results and bookmark list windows. Each command shows and hides its
    // window and carries the check.
    using namespace mirelda::cmd;
    searchDialog_ = new CSearchDlg(*this, frame_.get());
    searchDialog_->Create();
    frame_->RegisterToggleWindow(kSearch, searchDialog_);
    // F3 from the main window: the dialog's "&Suivant", hidden or not, once it has a string.
    frame_->SetCommandHandler(kFindNext, [this] {
        if (searchDialog_)
            searchDialog_->FindNextFromKey();
    });
    frame_->SetUpdateRule(
        kFindNext, [this](QAction& a) { a.setEnabled(searchDialog_ && searchDialog_->hasSearchText()); });
    connect(searchDialog_, &CSearchDlg::hasSearchTextChanged, frame_.get(), &CMainFrame::UpdateCommands);
    // "&Suivant" follows the article shown (its hits go with it).
    connect(frame_.get(), &CMainFrame::articleShown, searchDialog_, &CSearchDlg::UpdateControls);
    historyWindow_ = new CHistoryListDlg(*this, *session_, frame_.get());
    frame_->RegisterToggleWindow(kHistory, historyWindow_);
    resultsWindow_ = new CResultsListDlg(*this, *session_, frame_.get());
    frame_->RegisterToggleWindow(kSearchResults, resultsWindow_);
    bookmarkWindow_ = new CBookmarkListDlg(*this, *session_, frame_.get());
    frame_->RegisterToggleWindow(kBookmarkList, bookmarkWindow_);
    frame_->SetCommandHandler(kDefineBookmark, [this] { DefineBookmark(); });
}

void CMireldaApp::DefineBookmark()
{
    if (!bookmarkWindow_)
        return;
    const CMireldaView* view = frame_->view();
    if (view->currentArticle() == 0)
        return; // nothing shown yet: nothing to mark
    CBookmarkNameDlg dialog(QStringLiteral("Ajouter un signet"), view->currentTitle(), frame_.get());
    if (dialog.exec() == QDialog::Accepted)
        AddBookmark(dialog.name());
}

void CMireldaApp::AddBookmark(const QString& name)
{
    if (session_)
        session_->AddBookmark(mirelda::EncodeCp1252(name.toStdU16String()));
}

void CMireldaApp::WireCommands()
{
    using namespace mirelda::cmd;
    frame_->SetCommandHandler(kAbout, [this] { ShowAbout(); });
    frame_->SetCommandHandler(kHomePage, [this] { GoToArticle(1, 0); });
    frame_->SetCommandHandler(kPreviousArticle, [this] { session_->GoBack(); });
    frame_->SetCommandHandler(kOpen, [this] { ChooseHelpSet(); });
    // The recent help sets, right after "Ouvrir une aide...".
    QAction* open = frame_->action(kOpen);
    for (QObject* holder : open->associatedObjects()) {
        auto* menu = qobject_cast<QMenu*>(holder);
        if (!menu || menu == frame_->viewContextMenu())
            continue;
        auto* recent = new CRecentHelpSetsMenu([this](const QString& path) { OpenHelpSet(path); }, *menu);
        const QList<QAction*> items = menu->actions();
        const qsizetype at = items.indexOf(open) + 1;
        menu->insertMenu(at < items.size() ? items[at] : nullptr, recent);
    }
    frame_->SetUpdateRule(kPreviousArticle, [this](QAction& a) { a.setEnabled(session_->CanGoBack()); });
}

void CMireldaApp::ShowAbout()
{
    CAboutDialog about(frame_.get());
    about.exec();
}

void CMireldaApp::HandleInstanceRequest(const mirelda::InstanceRequest& request)
{
    if (!frame_)
        return;
    switch (request.kind) {
    case mirelda::InstanceRequest::Kind::Close:
        frame_->close(); // the close sequence; the application ends when control returns
        break;
    case mirelda::InstanceRequest::Kind::Show:
        frame_->ActivateFrame();
        frame_->ShowArticleRequest(request.article);
        break;
    default:
        frame_->ActivateFrame();
        break;
    }
}

int CMireldaApp::ExitInstance()
{
    instance_.reset(); // stops listening and removes the socket
    return 0;
}

int CMireldaApp::Run()
{
    if (!InitInstance()) {
        ExitInstance();
        return exitCode_;
    }
    // From here on the user's files are open: ending the session closes them as a normal
    // close does. (Before, nothing is lost by the default action, and a second start waiting
    // for the first viewer's answer must still end on SIGTERM.)
    terminationSignals_ = std::make_unique<CTerminationSignals>();
    connect(terminationSignals_.get(), &CTerminationSignals::terminationRequested, this,
            &CMireldaApp::EndSession);
    QApplication::exec();
    return ExitInstance();
}

QString CMireldaApp::HelpTitle() const
{
    return QString::fromStdString(mirelda::HelpTitle(options_.helpSetBase));
}

QMessageBox::StandardButton CMireldaApp::ShowMessage(const QString& text, QMessageBox::Icon icon,
                                                     QMessageBox::StandardButtons buttons)
{
    if (starting_ && buttons == QMessageBox::Ok) {
        startMessages_.append({text, icon});
        return QMessageBox::Ok;
    }
    QMessageBox box(icon, HelpTitle(), text, buttons, frame_.get());
    box.setObjectName(QStringLiteral("messageBox"));
    // No busy cursor over a box: whatever was under way waits for the answer.
    QList<QCursor> lifted;
    while (const QCursor* cursor = QGuiApplication::overrideCursor()) {
        lifted.prepend(*cursor);
        QGuiApplication::restoreOverrideCursor();
    }
    const auto answer = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const QCursor& cursor : lifted)
        QGuiApplication::setOverrideCursor(cursor);
    return answer;
}

bool CMireldaApp::GoToArticle(std::int32_t article, std::int32_t position)
{
    return session_ && session_->ShowArticle(article, position);
}

} // namespace mirelda::ui
