#pragma once
// Where the files of a help set and of its user lie.
//
// A help set is four files sharing one base path: BASE.FIC, BASE.PGH, BASE.PGD, BASE.PGL.
// The base keeps the case the user typed; the extensions are found whatever their case
// (GUIDE.PGD, guide.pgd), the upper-case spelling first, then the lower-case one, then any
// other spelling in byte order. The user's files (.SIG bookmarks, .NOT annotations, .NO$
// annotation scratch file) follow the extension case of the help set's own files.

#include "core/store/result.h"

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace mirelda {

// The base without a trailing help-set extension: "GUIDE.PGD" and "GUIDE.pgl" give "GUIDE";
// any other name is returned unchanged.
std::filesystem::path StripHelpSetExtension(const std::filesystem::path& base);

// The first .PGD (extension in any case) in programDir, names compared byte-wise so that the
// choice does not depend on the file system's order; failing that, the first in each of
// extraDirs in turn (the installed data folder). The base path without extension, or an
// empty path when there is none.
std::filesystem::path FindDefaultHelpSet(const std::filesystem::path& programDir,
                                         const std::vector<std::filesystem::path>& extraDirs = {});

struct HelpSetFiles
{
    std::filesystem::path base; // without a help-set extension, as given
    std::filesystem::path fic, pgh, pgd, pgl;
    // The files that were not found, by their upper-case name; their members above hold
    // that same name so that opening them reports a sensible path.
    std::vector<std::filesystem::path> missing;
    bool complete() const { return missing.empty(); }
};

// `base` may be given with or without an extension (GUIDE or GUIDE.PGD). Each file costs up
// to two stats and the folder may be listed: a start resolves once and passes the result on.
HelpSetFiles ResolveHelpSetFiles(const std::filesystem::path& base);

// True when at least one of the four files is missing (an empty base misses them all).
bool HelpSetFileMissing(const std::filesystem::path& base);

struct UserFiles
{
    std::filesystem::path bookmarks;   // .SIG
    std::filesystem::path annotations; // .NOT
    std::filesystem::path scratch;     // .NO$
    std::filesystem::path folder;      // the folder that holds the three
    bool besideHelpSet = true;
    // The three names beside the help set, wherever the files are kept.
    std::filesystem::path besideBookmarks, besideAnnotations, besideScratch;
};

// The user's data folder: $XDG_DATA_HOME when it is set to an absolute path, otherwise
// $HOME/.local/share; empty when neither is usable. The environment values are passed in
// (null or empty when unset).
std::filesystem::path UserDataHome(const char* xdgDataHome, const char* home);

// Whether this process may create and rename files in the folder.
bool IsFolderWritable(const std::filesystem::path& folder);

// The folders the viewer never writes in, whoever runs it: /usr, /opt and each folder of
// $XDG_DATA_DIRS (its default, /usr/local/share and /usr/share, when unset or empty).
std::vector<std::filesystem::path> SystemFolders(const char* xdgDataDirs);

// Whether the reader's files may be kept in the help set's folder: never inside a system
// folder, only when this process may write there, and only when the folder belongs to
// `user` or one of `userFilesThere` (the .SIG, .NOT and .NO$ beside the help set) does, so
// that files already kept there are not orphaned. A shared folder is someone else's.
bool MayKeepUserFilesBeside(const std::filesystem::path& folder,
                            const std::vector<std::filesystem::path>& userFilesThere,
                            const std::vector<std::filesystem::path>& systemFolders, uid_t user);

// Beside the help set when MayKeepUserFilesBeside says so (for this process's user and
// $XDG_DATA_DIRS); otherwise under dataHome/mirelda/<base name>-<hash of the help set's
// canonical folder>/, so that two help sets of the same name in different folders never
// share files. Reading and writing both use the place returned here. With an empty dataHome
// the files stay beside the help set.
UserFiles ResolveUserFiles(const std::filesystem::path& base, const std::filesystem::path& dataHome);
// The same with the answer given (ResolveUserFiles asks MayKeepUserFilesBeside).
UserFiles ResolveUserFiles(const std::filesystem::path& base, const std::filesystem::path& dataHome,
                           bool besideAllowed);
// The same for a help set already resolved.
UserFiles ResolveUserFiles(const HelpSetFiles& helpSet, const std::filesystem::path& dataHome);
UserFiles ResolveUserFiles(const HelpSetFiles& helpSet, const std::filesystem::path& dataHome,
                           bool besideAllowed);

// When the files are kept in the data folder and none of them is there yet, copies there
// those of this user's files that lie beside the help set (left by an earlier version, or
// kept there before the folder became unwritable), so that they are still read. False when
// one could not be copied (the one beside is left as it was).
bool AdoptFilesBeside(const UserFiles& files);

// Creates the user-file folder when it is not beside the help set and does not exist yet;
// writers call it before writing.
Status PrepareUserFileFolder(const UserFiles& files);

} // namespace mirelda
