#pragma once
// The bookmarks of the open help set and the file that keeps them between runs.
//
// A missing file is a first run: the list starts empty and the file is written at the next
// save. A file that is there but cannot be read, or is damaged and cannot be copied aside,
// is kept as it is for the whole run: writing the list over it would lose what it holds.

#include "core/lists/bookmarks.h"
#include "core/lists/list_order.h"
#include "core/store/result.h"

#include <filesystem>

namespace mirelda {

class BookmarkStore
{
  public:
    BookmarkStore(std::filesystem::path path, const ListOrder& order);

    // What Load found, for what the user is told.
    enum class Found {
        NoFile,      // nothing to say
        Read,        // every bookmark read
        Damaged,     // the bookmarks before the damage; the whole file was copied aside first
        DamagedKept, // the same, but no copy could be made: the file is kept
        Unreadable,  // there, but not readable as a file: an empty list, the file is kept
    };

    // Replaces the list with the file's bookmarks.
    Found Load();
    // Writes the list over the file, atomically. Does nothing while the file is kept.
    Status Save() const;

    // The file must not be written over during this run (see above).
    bool keepsFile() const { return keepsFile_; }

    BookmarkList& list() { return list_; }
    const BookmarkList& list() const { return list_; }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
    BookmarkList list_;
    bool keepsFile_ = false;
};

} // namespace mirelda
