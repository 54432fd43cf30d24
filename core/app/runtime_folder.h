#pragma once
// Where the single-instance socket may live: a folder that is this user's and nobody else's, so
// that no other user can take the socket's name first or reach it.

#include <filesystem>
#include <string>

namespace mirelda {

// A private folder, or why none could be had (French, for the user).
struct RuntimeFolder
{
    std::filesystem::path folder; // empty when none
    std::string why;
};

// `path` is a directory owned by this user with mode 0700 exactly.
bool IsPrivateFolder(const std::filesystem::path& path);

// <base>/mirelda-runtime, created 0700 when missing, made 0700 when it is the user's with other
// rights; no folder (and `why` set, unless `base` is not absolute) when it cannot be made or
// belongs to someone else. The base itself (~/.cache) is the user's and keeps its rights.
RuntimeFolder OwnRuntimeFolderUnder(const std::filesystem::path& base);

// $XDG_RUNTIME_DIR when it is the user's and private; otherwise "mirelda-runtime" under the
// cache home ($XDG_CACHE_HOME, ~/.cache), then under the data home ($XDG_DATA_HOME,
// ~/.local/share). Never the shared temporary folder.
RuntimeFolder PrivateRuntimeFolder();

} // namespace mirelda
