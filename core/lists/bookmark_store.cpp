#include "core/lists/bookmark_store.h"

#include <exception>
#include <system_error>
#include <utility>

namespace mirelda {

BookmarkStore::BookmarkStore(std::filesystem::path path, const ListOrder& order)
    : path_(std::move(path)), list_(order)
{
}

BookmarkStore::Found BookmarkStore::Load()
{
    list_.Clear();
    keepsFile_ = false;
    Result<LoadedBookmarks> loaded = FileError{};
    // The standard library may report a failed read (an I/O error) by throwing; here that is
    // a file that could not be read, like any other.
    try {
        loaded = LoadBookmarks(path_);
    } catch (const std::exception& e) {
        loaded = FileError{FileErrorKind::ReadFailed, path_.string(), 0, e.what()};
    }
    if (!loaded) {
        // No file at all is a first run. Anything else at the path (a link to nothing or to
        // another user's file, a FIFO, a folder, or a path that cannot even be looked at)
        // would be replaced by the next save: it is kept as it is.
        std::error_code error;
        const auto entry = std::filesystem::symlink_status(path_, error);
        if (entry.type() != std::filesystem::file_type::not_found) {
            keepsFile_ = true;
            return Found::Unreadable;
        }
        return Found::NoFile;
    }
    list_.Assign(std::move(loaded->bookmarks));
    if (!loaded->damage)
        return Found::Read;
    if (loaded->copyFailure) {
        keepsFile_ = true;
        return Found::DamagedKept;
    }
    return Found::Damaged;
}

Status BookmarkStore::Save() const
{
    if (keepsFile_)
        return Done{};
    return SaveBookmarks(path_, list_.items());
}

} // namespace mirelda
