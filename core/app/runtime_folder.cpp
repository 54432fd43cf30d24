#include "core/app/runtime_folder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace mirelda {

namespace {

bool IsAbsolute(const char* value)
{
    return value && value[0] == '/';
}

} // namespace

bool IsPrivateFolder(const std::filesystem::path& path)
{
    struct stat st
    {
    };
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 07777) == 0700;
}

RuntimeFolder OwnRuntimeFolderUnder(const std::filesystem::path& base)
{
    if (!IsAbsolute(base.c_str()))
        return {};
    std::error_code error;
    std::filesystem::create_directories(base, error);
    if (error || !std::filesystem::is_directory(base, error))
        return {{}, base.string() + " : impossible de créer le dossier"};
    const std::filesystem::path folder = base.string() + "/mirelda-runtime";
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return {{}, folder.string() + " : " + std::strerror(errno)};
    struct stat st
    {
    };
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return {{}, folder.string() + " n'est pas un dossier à vous"};
    if ((st.st_mode & 07777) != 0700 && ::chmod(folder.c_str(), 0700) != 0)
        return {{}, folder.string() + " : " + std::strerror(errno)};
    return {folder, {}};
}

RuntimeFolder PrivateRuntimeFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (IsAbsolute(runtime) && IsPrivateFolder(runtime))
        return {runtime, {}};
    const char* home = std::getenv("HOME");
    auto under = [home](const char* variable, const char* fallback) -> std::string {
        const char* value = std::getenv(variable);
        if (!IsAbsolute(value) && IsAbsolute(home))
            return std::string(home) + fallback;
        return value ? value : "";
    };
    std::string reason = "aucun dossier personnel";
    for (const std::string& base :
         {under("XDG_CACHE_HOME", "/.cache"), under("XDG_DATA_HOME", "/.local/share")}) {
        RuntimeFolder own = OwnRuntimeFolderUnder(base);
        if (!own.folder.empty())
            return own;
        if (!own.why.empty())
            reason = own.why;
    }
    return {{}, "pas de dossier privé pour le socket (" + reason + ")"};
}

} // namespace mirelda
