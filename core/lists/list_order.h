#pragma once
// The order of sorted list windows (bookmarks, search results): alphabetical, ignoring case,
// under the user's locale, as a sorted list box of the desktop orders its lines.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace mirelda {

class ListOrder
{
  public:
    // `locale` is an ICU locale name ("fr_FR"); empty means the process's default locale.
    // Should no collator be available, texts are compared by their upper-cased bytes.
    explicit ListOrder(const std::string& locale = {});
    ~ListOrder();
    ListOrder(ListOrder&&) noexcept;
    ListOrder& operator=(ListOrder&&) noexcept;

    // <0, 0, >0. Case is ignored, accents are not ("e" < "é" < "f").
    int Compare(std::u16string_view a, std::u16string_view b) const;
    // The same for Windows-1252 bytes.
    int CompareCp1252(std::string_view a, std::string_view b) const;

    // Where a new line goes among `count` sorted lines (textAt(i) gives line i, Windows-1252):
    // after every line that sorts before it or equal to it, so equal names keep the order in
    // which they were added.
    std::size_t InsertPosition(std::size_t count, const std::function<std::string(std::size_t)>& textAt,
                               std::string_view text) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace mirelda
