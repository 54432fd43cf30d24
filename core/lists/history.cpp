#include "core/lists/history.h"

namespace mirelda {

void History::ClearHistory()
{
    while (!entries_.empty())
        PopHead();
}

void History::PushHead(HistoryEntry entry)
{
    entries_.push_front(entry);
    if (observer_.InsertTop)
        observer_.InsertTop(entry.article);
}

HistoryEntry History::PopHead()
{
    HistoryEntry head = entries_.front();
    entries_.pop_front();
    if (observer_.RemoveTop)
        observer_.RemoveTop();
    return head;
}

void History::RecordArticle(std::int32_t article, std::int32_t position)
{
    PushHead({article, position});
}

bool History::UpdateHeadPosition(std::int32_t article, std::int32_t position)
{
    if (entries_.empty() || entries_.front().article != article)
        return false;
    entries_.front().position = position;
    return true;
}

bool History::GoBack(const ShowFunction& show)
{
    if (!CanGoBack())
        return false;
    HistoryEntry current = PopHead();
    HistoryEntry previous = PopHead();
    const std::size_t before = entries_.size();
    bool shown = show ? show(previous.article, previous.position) : false;
    if (entries_.size() == before) {
        PushHead(previous);
        PushHead(current);
    }
    return shown;
}

const HistoryEntry* History::EntryAt(std::size_t i) const
{
    return i < entries_.size() ? &entries_[i] : nullptr;
}

} // namespace mirelda
