#include "core/lists/bookmarks.h"

#include "core/store/binary_file.h"
#include "core/store/user_file.h"

namespace mirelda {

std::size_t BookmarkList::Add(Bookmark bookmark)
{
    std::size_t at = order_->InsertPosition(
        items_.size(), [this](std::size_t i) { return items_[i].name; }, bookmark.name);
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), std::move(bookmark));
    return at;
}

void BookmarkList::Assign(std::vector<Bookmark> bookmarks)
{
    std::vector<std::string_view> names;
    names.reserve(bookmarks.size());
    for (const Bookmark& b : bookmarks)
        names.push_back(b.name);
    const std::vector<std::size_t> order = order_->SortedOrder(names);
    items_.clear();
    items_.reserve(bookmarks.size());
    for (std::size_t i : order)
        items_.push_back(std::move(bookmarks[i]));
}

void BookmarkList::Remove(std::size_t i)
{
    if (i < items_.size())
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
}

std::size_t BookmarkList::Rename(std::size_t i, std::string newName)
{
    Bookmark moved{std::move(newName), items_.at(i).article};
    Remove(i);
    return Add(std::move(moved));
}

LoadedBookmarks ParseBookmarks(std::string_view bytes, const std::string& path)
{
    LoadedBookmarks loaded;
    auto damage = [&](FileErrorKind kind, std::size_t offset, std::string message) {
        loaded.damage = FileError{kind, path, offset, std::move(message)};
    };
    if (bytes.size() < 4) {
        damage(FileErrorKind::Truncated, 0, "no room for the bookmark count");
        return loaded;
    }
    const std::int32_t count = LoadI32(bytes.data());
    if (count < 0) {
        damage(FileErrorKind::Malformed, 0, "negative bookmark count " + std::to_string(count));
        return loaded;
    }
    std::size_t pos = 4;
    for (std::int32_t i = 0; i < count; ++i) {
        if (bytes.size() - pos < 8) {
            damage(FileErrorKind::Truncated, pos,
                   "the file ends after " + std::to_string(i) + " of " + std::to_string(count) +
                       " bookmarks");
            return loaded;
        }
        const std::int32_t article = LoadI32(bytes.data() + pos);
        const std::int32_t length = LoadI32(bytes.data() + pos + 4);
        if (length < 0 || static_cast<std::size_t>(length) > bytes.size() - pos - 8) {
            damage(FileErrorKind::Truncated, pos + 4,
                   "name length " + std::to_string(length) + " runs past the end of the file");
            return loaded;
        }
        loaded.bookmarks.push_back(
            {std::string(bytes.substr(pos + 8, static_cast<std::size_t>(length))), article});
        pos += 8 + static_cast<std::size_t>(length);
    }
    return loaded;
}

std::string SerializeBookmarks(const std::vector<Bookmark>& bookmarks)
{
    std::string out;
    StoreI32(out, static_cast<std::int32_t>(bookmarks.size()));
    for (const Bookmark& b : bookmarks) {
        StoreI32(out, b.article);
        StoreI32(out, static_cast<std::int32_t>(b.name.size()));
        out += b.name;
    }
    return out;
}

Result<LoadedBookmarks> LoadBookmarks(const std::filesystem::path& path)
{
    // A bookmark file is small: read it whole, through the bounded reader, which reports a
    // folder or an I/O error as a value instead of letting the stream throw.
    // Only the user's own regular file is read, without waiting on a FIFO (user_file.h).
    auto place = LocateUserFile(path);
    if (!place)
        return place.error();
    auto file = InputFile::Open(place->file, Links::DoNotFollow);
    if (!file)
        return file.error();
    BinaryReader reader = file->reader();
    auto bytes = reader.ReadBytes(file->size());
    if (!bytes)
        return FileError{FileErrorKind::ReadFailed, path.string(), 0, "reading the bookmark file failed"};
    LoadedBookmarks loaded = ParseBookmarks(*bytes, path.string());
    // The next save writes only what could be read: keep the whole damaged file aside first.
    if (loaded.damage) {
        if (auto copy = KeepDamagedCopy(path); !copy)
            loaded.copyFailure = copy.error();
    }
    return loaded;
}

Status SaveBookmarks(const std::filesystem::path& path, const std::vector<Bookmark>& bookmarks,
                     const WriteStepHook& hook)
{
    return WriteFileAtomically(path, SerializeBookmarks(bookmarks), hook);
}

} // namespace mirelda
