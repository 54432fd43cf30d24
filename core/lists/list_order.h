#pragma once
// The order of sorted list windows (bookmarks, search results): alphabetical, ignoring case,
// under the user's locale, as a sorted list box of the desktop orders its lines.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

    // The order in which InsertPosition would place `texts` (Windows-1252) added one by one, as
    // indexes into `texts`; equal texts keep their given order. One sort, not one insertion
    // per text: a long list in reverse order costs n log n, not n².
    std::vector<std::size_t> SortedOrder(const std::vector<std::string_view>& texts) const;

  private:
    // A byte string per text whose byte-wise order is Compare's order.
    std::string SortKey(std::string_view cp1252) const;

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace mirelda
