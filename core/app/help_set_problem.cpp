#include "core/app/help_set_problem.h"

#include "core/app/help_set_location.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace mirelda {

namespace fs = std::filesystem;

namespace {

std::string Quoted(const fs::path& path)
{
    return "« " + path.native() + " »";
}

} // namespace

std::vector<std::string> DescribeHelpSetProblem(const fs::path& given)
{
    return DescribeHelpSetProblem(given, ResolveHelpSetFiles(given));
}

std::vector<std::string> DescribeHelpSetProblem(const fs::path& given, const HelpSetFiles& files)
{
    if (given.empty())
        return {"Aucune aide n'a été indiquée, et aucune n'a été trouvée à côté du programme ni dans "
                "son dossier de données."};
    std::vector<std::string> lines;
    std::error_code ec;
    const fs::file_status link = fs::symlink_status(given, ec);
    const fs::file_status target = fs::status(given, ec);
    const bool namesAFile = StripHelpSetExtension(given) != given;
    if (fs::is_symlink(link) && !fs::exists(target)) {
        lines.push_back(Quoted(given) + " est un lien symbolique vers un fichier qui n'existe pas.");
    } else if (fs::is_directory(target)) {
        lines.push_back(Quoted(given) +
                        " est un dossier, pas une aide : choisissez l'un de ses fichiers .PGH, .PGD, .PGL "
                        "ou .FIC.");
    } else if (fs::exists(target) && !namesAFile && !files.complete()) {
        lines.push_back(Quoted(given) +
                        " n'est pas un fichier d'aide : une aide est faite de quatre fichiers .PGH, .PGD, "
                        ".PGL et .FIC de même nom.");
    }
    for (const fs::path* file : {&files.fic, &files.pgh, &files.pgd, &files.pgl}) {
        if (std::find(files.missing.begin(), files.missing.end(), *file) != files.missing.end()) {
            lines.push_back("Fichier manquant : " + file->native());
        } else if (::access(file->c_str(), R_OK) != 0) {
            const int error = errno;
            lines.push_back("Fichier illisible : " + file->native() + " (" + std::strerror(error) + ")");
        }
    }
    if (lines.empty())
        return lines;
    lines.insert(lines.begin(), "Aide cherchée : " + StripHelpSetExtension(given).native());
    return lines;
}

} // namespace mirelda
