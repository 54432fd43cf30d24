#include "core/app/help_set_location.h"

#include "core/app/help_set_identity.h"
#include "core/app/help_title.h"

#include <sys/stat.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

namespace mirelda {

namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, 4> kHelpSetExtensions = {".FIC", ".PGH", ".PGD", ".PGL"};

bool IsHelpSetExtension(std::string_view extension)
{
    const std::string upper = UpperAscii(extension);
    return std::find(kHelpSetExtensions.begin(), kHelpSetExtensions.end(), upper) != kHelpSetExtensions.end();
}

std::string LowerAscii(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

bool IsRegularFile(const fs::path& path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// File names in a folder, sorted byte-wise; an unreadable folder has none.
std::vector<std::string> SortedNames(const fs::path& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool OwnedBy(const fs::path& path, uid_t user)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && info.st_uid == user;
}

// Whether `folder` is `root` or lies under it, both made canonical.
bool IsUnder(const fs::path& folder, const fs::path& root)
{
    const fs::path r = CanonicalFolder(root);
    const fs::path f = CanonicalFolder(folder);
    auto fi = f.begin();
    for (auto ri = r.begin(); ri != r.end(); ++ri, ++fi) {
        if (ri->empty())
            continue; // the trailing "/" of "/usr/share/"
        if (fi == f.end() || *fi != *ri)
            return false;
    }
    return true;
}

// Copies `from` to `to` through a temporary name, so that `to` is whole or absent.
bool CopyWhole(const fs::path& from, const fs::path& to)
{
    const fs::path partial = to.native() + ".part";
    std::error_code ec;
    if (!fs::copy_file(from, partial, fs::copy_options::overwrite_existing, ec)) {
        fs::remove(partial, ec);
        return false;
    }
    fs::permissions(partial, fs::perms::owner_read | fs::perms::owner_write, ec);
    fs::rename(partial, to, ec);
    if (ec) {
        fs::remove(partial, ec);
        return false;
    }
    return true;
}

} // namespace

fs::path StripHelpSetExtension(const fs::path& base)
{
    if (base.has_filename() && base.has_stem() && IsHelpSetExtension(base.extension().string()) &&
        base.stem() != "." && base.stem() != "..")
        return base.parent_path() / base.stem();
    return base;
}

fs::path FindDefaultHelpSet(const fs::path& programDir, const std::vector<fs::path>& extraDirs)
{
    std::vector<fs::path> folders{programDir};
    folders.insert(folders.end(), extraDirs.begin(), extraDirs.end());
    for (const fs::path& folder : folders) {
        for (const std::string& name : SortedNames(folder)) {
            if (name.size() <= 4 || UpperAscii(name.substr(name.size() - 4)) != ".PGD")
                continue;
            const fs::path file = folder / name;
            if (!IsRegularFile(file))
                continue;
            return folder / name.substr(0, name.size() - 4);
        }
    }
    return {};
}

HelpSetFiles ResolveHelpSetFiles(const fs::path& given)
{
    const fs::path base = StripHelpSetExtension(given);
    const std::string baseText = base.native();
    const std::string stem = base.filename().native();
    HelpSetFiles files;
    files.base = base;
    std::vector<std::string> names; // the folder's listing, read only when needed
    bool listed = false;

    const auto resolve = [&](std::string_view extension) -> fs::path {
        const fs::path upper = baseText + std::string(extension);
        if (stem.empty()) {
            files.missing.push_back(upper);
            return upper;
        }
        if (IsRegularFile(upper))
            return upper;
        const fs::path lower = baseText + LowerAscii(extension);
        if (IsRegularFile(lower))
            return lower;
        if (!listed) {
            names = SortedNames(base.parent_path());
            listed = true;
        }
        for (const std::string& name : names) {
            if (name.size() != stem.size() + extension.size() || !name.starts_with(stem))
                continue;
            const std::string_view tail = std::string_view(name).substr(stem.size());
            if (UpperAscii(tail) != extension)
                continue;
            const fs::path other = baseText + std::string(tail);
            if (IsRegularFile(other))
                return other;
        }
        files.missing.push_back(upper);
        return upper;
    };
    files.fic = resolve(".FIC");
    files.pgh = resolve(".PGH");
    files.pgd = resolve(".PGD");
    files.pgl = resolve(".PGL");
    return files;
}

bool HelpSetFileMissing(const fs::path& base)
{
    return !ResolveHelpSetFiles(base).complete();
}

fs::path UserDataHome(const char* xdgDataHome, const char* home)
{
    // A relative XDG_DATA_HOME is invalid and must be ignored.
    if (xdgDataHome && *xdgDataHome && fs::path(xdgDataHome).is_absolute())
        return xdgDataHome;
    if (home && *home)
        return fs::path(home) / ".local" / "share";
    return {};
}

bool IsFolderWritable(const fs::path& folder)
{
    const fs::path f = folder.empty() ? fs::path(".") : folder;
    // Creating and renaming a file needs both write and search permission on the folder.
    return ::access(f.c_str(), W_OK | X_OK) == 0;
}

std::vector<fs::path> SystemFolders(const char* xdgDataDirs)
{
    std::vector<fs::path> folders{"/usr", "/opt"};
    std::string_view dirs = xdgDataDirs && *xdgDataDirs ? xdgDataDirs : "/usr/local/share/:/usr/share/";
    while (!dirs.empty()) {
        const std::size_t colon = dirs.find(':');
        const std::string_view dir = dirs.substr(0, colon);
        if (!dir.empty() && dir.front() == '/' && dir.find_first_not_of('/') != std::string_view::npos)
            folders.emplace_back(dir); // "/" alone would be every folder: a mistake, not a rule
        dirs = colon == std::string_view::npos ? std::string_view{} : dirs.substr(colon + 1);
    }
    return folders;
}

bool MayKeepUserFilesBeside(const fs::path& folder, const std::vector<fs::path>& userFilesThere,
                            const std::vector<fs::path>& systemFolders, uid_t user)
{
    for (const fs::path& system : systemFolders)
        if (IsUnder(folder, system))
            return false;
    if (!IsFolderWritable(folder))
        return false;
    if (OwnedBy(folder.empty() ? fs::path(".") : folder, user))
        return true;
    return std::any_of(userFilesThere.begin(), userFilesThere.end(),
                       [user](const fs::path& file) { return OwnedBy(file, user); });
}

UserFiles ResolveUserFiles(const fs::path& given, const fs::path& dataHome)
{
    return ResolveUserFiles(ResolveHelpSetFiles(given), dataHome);
}

UserFiles ResolveUserFiles(const fs::path& given, const fs::path& dataHome, bool besideAllowed)
{
    return ResolveUserFiles(ResolveHelpSetFiles(given), dataHome, besideAllowed);
}

UserFiles ResolveUserFiles(const HelpSetFiles& helpSet, const fs::path& dataHome)
{
    const UserFiles beside = ResolveUserFiles(helpSet, dataHome, true);
    const bool allowed =
        MayKeepUserFilesBeside(beside.folder, {beside.bookmarks, beside.annotations, beside.scratch},
                               SystemFolders(std::getenv("XDG_DATA_DIRS")), ::geteuid());
    return allowed ? beside : ResolveUserFiles(helpSet, dataHome, false);
}

UserFiles ResolveUserFiles(const HelpSetFiles& helpSet, const fs::path& dataHome, bool besideAllowed)
{
    const fs::path& base = helpSet.base;

    // The extension case of the help set's own files: all lower-case gives lower-case.
    bool lowerCase = false;
    for (const fs::path* file : {&helpSet.pgd, &helpSet.pgh, &helpSet.pgl, &helpSet.fic}) {
        if (std::find(helpSet.missing.begin(), helpSet.missing.end(), *file) != helpSet.missing.end())
            continue;
        const std::string extension = file->native().substr(base.native().size());
        lowerCase = extension == LowerAscii(extension);
        break;
    }
    const auto withCase = [lowerCase](std::string_view extension) {
        return lowerCase ? LowerAscii(extension) : std::string(extension);
    };

    UserFiles files;
    files.besideBookmarks = base.native() + withCase(".SIG");
    files.besideAnnotations = base.native() + withCase(".NOT");
    files.besideScratch = base.native() + withCase(".NO$");
    if (!besideAllowed && !dataHome.empty()) {
        char hash[17];
        std::snprintf(
            hash, sizeof hash, "%016llx",
            static_cast<unsigned long long>(StableHash(CanonicalFolder(base.parent_path()).native())));
        const std::string stem = base.filename().native();
        files.folder = dataHome / "mirelda" / (stem + "-" + std::string(hash, 12));
        files.besideHelpSet = false;
        const fs::path userBase = files.folder / stem;
        files.bookmarks = userBase.native() + withCase(".SIG");
        files.annotations = userBase.native() + withCase(".NOT");
        files.scratch = userBase.native() + withCase(".NO$");
    } else {
        files.folder = base.parent_path();
        files.bookmarks = files.besideBookmarks;
        files.annotations = files.besideAnnotations;
        files.scratch = files.besideScratch;
    }
    return files;
}

bool AdoptFilesBeside(const UserFiles& files)
{
    if (files.besideHelpSet)
        return true;
    const std::pair<const fs::path*, const fs::path*> pairs[] = {
        {&files.besideBookmarks, &files.bookmarks},
        {&files.besideAnnotations, &files.annotations},
        {&files.besideScratch, &files.scratch}};
    std::error_code ec;
    for (const auto& [beside, own] : pairs)
        if (fs::exists(fs::symlink_status(*own, ec)))
            return true; // this user's own files are here already: they are the ones read
    bool copied = true;
    bool prepared = false;
    for (const auto& [beside, own] : pairs) {
        // Another user's files are theirs: their notes never become this user's.
        if (!IsRegularFile(*beside) || !OwnedBy(*beside, ::geteuid()) || ::access(beside->c_str(), R_OK) != 0)
            continue;
        if (!prepared && !PrepareUserFileFolder(files).ok())
            return false;
        prepared = true;
        copied = CopyWhole(*beside, *own) && copied;
    }
    return copied;
}

Status PrepareUserFileFolder(const UserFiles& files)
{
    if (files.besideHelpSet || files.folder.empty())
        return Done{};
    std::error_code ec;
    const bool created = fs::create_directories(files.folder, ec);
    if (ec)
        return FileError{FileErrorKind::CannotWrite, files.folder.string(), 0,
                         "cannot create the folder: " + ec.message()};
    // Annotations are personal: the folder created for them is the user's alone.
    if (created)
        fs::permissions(files.folder, fs::perms::owner_all, ec);
    return Done{};
}

} // namespace mirelda
