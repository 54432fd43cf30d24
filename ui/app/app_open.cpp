// Opening another help set from a running viewer: the Open dialog, the recent list and a
// drop. One viewer per help set still holds: the help set's own viewer shows it (started as
// a new process, which hands over to the running one if there is one); this one stays as it
// is.

#include "core/app/help_set_identity.h"
#include "core/app/help_set_location.h"
#include "core/app/help_set_problem.h"
#include "ui/app/main_frame.h"
#include "ui/app/mirelda_app.h"
#include "ui/app/process_probe.h"
#include "ui/app/recent_help_sets_menu.h"
#include "ui/widgets/qt_path.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>

namespace mirelda::ui {

namespace {

QStringList Lines(const std::vector<std::string>& lines)
{
    QStringList list;
    for (const std::string& line : lines)
        list << QString::fromStdString(line);
    return list;
}

} // namespace

void CMireldaApp::ChooseHelpSet()
{
    // The folder of the help set shown, where the next one often lies.
    const QString folder = ToQString(mirelda::StripHelpSetExtension(options_.helpSetBase).parent_path());
    // Bracket patterns: the extension in any case, in Qt's dialog and in the desktop's.
    const QString path = QFileDialog::getOpenFileName(
        frame_.get(), QStringLiteral("Ouvrir une aide"), folder,
        QStringLiteral("Aides (*.[pP][gG][hH]);;Fichiers d'une aide (*.[pP][gG][hH] *.[pP][gG][dD] "
                       "*.[pP][gG][lL] *.[fF][iI][cC]);;Tous les fichiers (*)"),
        nullptr, QFileDialog::HideNameFilterDetails);
    if (!path.isEmpty())
        OpenHelpSet(path);
}

void CMireldaApp::OpenHelpSet(const QString& path)
{
    const std::filesystem::path given = ToPath(path);
    const mirelda::HelpSetFiles files = mirelda::ResolveHelpSetFiles(given);
    const std::vector<std::string> problems = mirelda::DescribeHelpSetProblem(given, files);
    if (!problems.empty()) {
        ShowMessage(QStringLiteral("Impossible d'ouvrir cette aide.\n\n") +
                        Lines(problems).join(QLatin1Char('\n')),
                    QMessageBox::Warning);
        return;
    }
    const std::filesystem::path identity = mirelda::HelpSetIdentity(files);
    CRecentHelpSetsMenu::Remember(identity);
    if (identity == mirelda::HelpSetIdentity(options_.helpSetBase)) {
        if (frame_)
            frame_->ActivateFrame(); // already shown here
        return;
    }
    // The new process finds the help set's running viewer and hands over, or becomes it.
    QProcess viewer;
    viewer.setProgram(viewerProgram_.isEmpty() ? QCoreApplication::applicationFilePath() : viewerProgram_);
    viewer.setArguments({QStringLiteral("--"), path});
    viewer.setStandardInputFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (viewer.startDetached(&pid))
        ProcessProbe::Report(QStringLiteral("started %1").arg(pid));
    else
        ShowMessage(QStringLiteral("Impossible de lancer une visionneuse pour l'aide « %1 » (%2).")
                        .arg(path, viewer.errorString()),
                    QMessageBox::Warning);
}

void CMireldaApp::OpenDroppedFiles(const QStringList& paths)
{
    // The four files of one help set may come together; anything else is refused.
    std::filesystem::path identity;
    for (const QString& path : paths) {
        const std::filesystem::path file = ToPath(path);
        const bool helpSetFile = mirelda::StripHelpSetExtension(file) != file;
        if (!helpSetFile) {
            ShowMessage(QStringLiteral("« %1 » n'est pas un fichier d'aide : déposez l'un des fichiers .PGH, "
                                       ".PGD, .PGL ou .FIC d'une aide.")
                            .arg(path),
                        QMessageBox::Warning);
            return;
        }
        const std::filesystem::path each = mirelda::HelpSetIdentity(file);
        if (!identity.empty() && each != identity) {
            ShowMessage(QStringLiteral("Déposez les fichiers d'une seule aide à la fois."),
                        QMessageBox::Warning);
            return;
        }
        identity = each;
    }
    if (!paths.isEmpty())
        OpenHelpSet(paths.front());
}

} // namespace mirelda::ui
