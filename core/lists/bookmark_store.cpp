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
    std::error_code error;
    const auto status = std::filesystem::status(path_, error);
    Result<LoadedBookmarks> loaded =
        FileError{FileErrorKind::CannotOpen, path_.string(), 0, "not a regular file"};
    if (!error && std::filesystem::is_regular_file(status)) {
        // The standard library may report a failed read (an I/O error) by throwing; here that
        // is a file that could not be read, like any other.
        try {
            loaded = LoadBookmarks(path_);
        } catch (const std::exception& e) {
            loaded = FileError{FileErrorKind::ReadFailed, path_.string(), 0, e.what()};
        }
    }
    if (!loaded) {
        // No file at all is a first run. A file that is there (or a path that cannot even be
        // looked at) would be replaced by an empty list.
        if (std::filesystem::exists(status) || (error && error != std::errc::no_such_file_or_directory)) {
            keepsFile_ = true;
            return Found::Unreadable;
        }
        return Found::NoFile;
    }
    for (Bookmark& b : loaded->bookmarks)
        list_.Add(std::move(b));
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
