#pragma once
// The history of the articles shown in this run, newest first. Two parallel lists of equal
// length: the article of each entry and the reading position at which the user left it
// (0 until then). No maximum length, no removal of duplicates: every article that becomes
// current adds an entry. Whether it becomes current at all (an article already current
// does not) is the navigator's decision, taken before it records anything.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>

namespace mirelda {

struct HistoryEntry
{
    std::int32_t article = 0;
    std::int32_t position = 0;
    friend bool operator==(const HistoryEntry&, const HistoryEntry&) = default;
};

class History
{
  public:
    // The history window mirrors the history line for line: a new first line for each entry
    // added at the head, the first line removed for each entry taken off.
    struct Observer
    {
        std::function<void(std::int32_t article)> InsertTop;
        std::function<void()> RemoveTop;
    };
    void SetObserver(Observer observer) { observer_ = std::move(observer); }

    void ClearHistory();
    void RecordArticle(std::int32_t article, std::int32_t position);
    // Sets the head's position when the head is `article`; false (nothing changed) otherwise.
    bool UpdateHeadPosition(std::int32_t article, std::int32_t position);

    // "Previous article": takes the head (the article on screen) and the entry under it off
    // the history, then asks `show` to show that entry's article at its position; showing
    // it records it at the head again, so going back replaces two entries by one.
    // Fewer than two entries: nothing happens, false.
    // When `show` records nothing (it failed, or found the article already on screen), the
    // two entries are put back, so that the head still names the article on screen.
    using ShowFunction = std::function<bool(std::int32_t article, std::int32_t position)>;
    bool GoBack(const ShowFunction& show);

    bool CanGoBack() const { return entries_.size() >= 2; }
    // Entry i counted from the head (0 = newest); nothing past the end.
    const HistoryEntry* EntryAt(std::size_t i) const;
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }

  private:
    void PushHead(HistoryEntry entry);
    HistoryEntry PopHead();

    std::deque<HistoryEntry> entries_; // front = head
    Observer observer_;
};

} // namespace mirelda
