#pragma once
// Bookmarks and their file.
//
//   .SIG   0  i32 count
//          4  count records, in list order (alphabetical by name):
//               0  i32 article
//               4  i32 L, byte length of the name
//               8  L bytes, the name in Windows-1252, no terminator
//
// All integers little-endian. A file without bookmarks is the 4 bytes of a count of 0.

#include "core/lists/list_order.h"
#include "core/store/atomic_file.h"
#include "core/store/result.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirelda {

struct Bookmark
{
    std::string name; // Windows-1252, any length, may be empty
    std::int32_t article = 0;
    friend bool operator==(const Bookmark&, const Bookmark&) = default;
};

// The bookmarks as the bookmark window lists them: always in the list order of their names.
// Equal names and equal articles may repeat. The order is shared with the other sorted lists
// (opening a collator is not free) and must outlive the list.
class BookmarkList
{
  public:
    explicit BookmarkList(const ListOrder& order) : order_(&order) {}

    // Adds at the sorted place (after the equal names already there); returns that place.
    std::size_t Add(Bookmark bookmark);
    // Replaces the list with `bookmarks` (in any order), each at the place Add would give it
    // when added in the given order; sorted once, so a long file costs no more in reverse order.
    void Assign(std::vector<Bookmark> bookmarks);
    void Remove(std::size_t i);
    // Renaming moves the bookmark to the new name's place; it keeps its article.
    // Returns the new place.
    std::size_t Rename(std::size_t i, std::string newName);
    void Clear() { items_.clear(); }

    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const Bookmark& at(std::size_t i) const { return items_.at(i); }
    const std::vector<Bookmark>& items() const { return items_; }

  private:
    const ListOrder* order_;
    std::vector<Bookmark> items_;
};

struct LoadedBookmarks
{
    std::vector<Bookmark> bookmarks; // in file order
    // Set when the file is damaged (shorter than its count announces, a hostile count or
    // length); the records before the damage are in `bookmarks`.
    std::optional<FileError> damage;
    // Set when the damaged file could not be copied aside: it must then not be rewritten,
    // or its unread rest would be lost.
    std::optional<FileError> copyFailure;
};

// Reads every whole record, stopping at the first incomplete one. Never allocates more than
// the bytes at hand.
LoadedBookmarks ParseBookmarks(std::string_view bytes, const std::string& path = {});
std::string SerializeBookmarks(const std::vector<Bookmark>& bookmarks);

// Fails (CannotOpen) when the file cannot be opened: no bookmarks yet, nothing to tell.
Result<LoadedBookmarks> LoadBookmarks(const std::filesystem::path& path);
// Writes the whole file atomically: on failure the previous file is still there, whole.
Status SaveBookmarks(const std::filesystem::path& path, const std::vector<Bookmark>& bookmarks,
                     const WriteStepHook& hook = {});

} // namespace mirelda
