#pragma once
// The application object: owns the QApplication's life, the start-up values, the history
// and the modeless windows, and handles the viewer's global commands.
//
// main() builds it, runs InitInstance(), then the event loop, then ExitInstance() (Run()).

#include "core/app/command_line.h"
#include "core/app/help_set_location.h"
#include "core/lists/history.h"
#include "ui/app/instance_request.h"

#include <QMessageBox>
#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CMainFrame;
class CSingleInstance;
class QApplication;
class QTranslator;

class CMireldaApp : public QObject {
    Q_OBJECT
public:
    // Creates the QApplication unless one exists already (tests create their own). The
    // command line is read from argv after Qt has taken its own options out of it.
    CMireldaApp(int& argc, char** argv);
    ~CMireldaApp() override;

    // The start-up sequence; false ends the process without a window.
    bool InitInstance();
    int ExitInstance();
    int Run();  // InitInstance, event loop, ExitInstance; the process's exit code

    // --help and --version (and unknown long options): the exit code when the process is to
    // end at once after printing, nothing otherwise. Needs no QApplication.
    static std::optional<int> HandleLongOptions(int argc, char** argv);

    QString HelpTitle() const;
    // A message box captioned HelpTitle(), owned by the main window once it exists.
    QMessageBox::StandardButton ShowMessage(const QString& text, QMessageBox::Icon icon,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Ok);
    // Asks the view to show the article; false when it is not valid or does not exist.
    bool GoToArticle(std::int32_t article, std::int32_t position);

    const mirelda::StartOptions& options() const { return options_; }
    const mirelda::HelpSetFiles& helpSetFiles() const { return files_; }
    const mirelda::UserFiles& userFiles() const { return userFiles_; }
    CMainFrame* mainFrame() const { return frame_.get(); }
    mirelda::History& history() { return history_; }

    int exitCode() const { return exitCode_; }

    // Close sequence step 3: writes the bookmark file (when the bookmark window exists).
    void SaveBookmarks();

private:
    void LoadTranslations();
    void CreateModelessWindows();
    void WireCommands();
    void HandleInstanceRequest(const mirelda::InstanceRequest& request);
    void ShowAbout();

    std::unique_ptr<QApplication> ownApplication_;
    int exitCode_ = 0;  // of a start that ends in InitInstance: 1 when it failed
    std::vector<std::string> arguments_;
    mirelda::StartOptions options_;
    mirelda::HelpSetFiles files_;
    mirelda::UserFiles userFiles_;
    mirelda::History history_;

    // The modeless windows join here, in this order: the search dialog, then the history,
    // search-results and bookmark list windows (see CreateModelessWindows).

    std::unique_ptr<QTranslator> qtTranslator_;
    std::unique_ptr<CSingleInstance> instance_;
    std::unique_ptr<CMainFrame> frame_;
};
