#include "core/authoring/help_set_counts.h"

#include "core/search/data_window.h"
#include "core/store/article_record.h"
#include "core/store/binary_file.h"
#include "core/store/help_set.h"
#include "core/tree/contents_file.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace mirelda::authoring {

Result<HelpSetCounts> CountHelpSet(const HelpSetFiles& files)
{
    auto index = LoadArticleIndex(files.pgh);
    if (!index)
        return index.error();
    HelpSetCounts counts;
    counts.articles = index->size();
    if (auto data = DataWindow::Open(files.pgd)) {
        // The titles are read as the viewer reads them, in increasing offset order through one
        // window, a few hundred bytes each; their errors are then put back in enumeration order.
        std::vector<const ArticleEntry*> entries;
        entries.reserve(index->size());
        index->ForEach([&](const ArticleEntry& entry) { entries.push_back(&entry); });
        const std::vector<std::uint32_t> byOffset = OffsetOrder(entries);
        std::vector<std::pair<std::uint32_t, FileError>> unreadable;
        for (const std::uint32_t place : byOffset) {
            const ArticleEntry& entry = *entries[place];
            WindowRecordBytes bytes(*data, entry.textOffset + kTitleReadAhead);
            auto title = ArticleRecord(bytes, entry).Title();
            if (!title)
                unreadable.emplace_back(place, title.error());
            else if (IsPopupTitle(*title))
                ++counts.popups;
        }
        std::sort(unreadable.begin(), unreadable.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& [place, error] : unreadable)
            counts.errors.push_back(std::move(error));
    } else {
        counts.errors.push_back(data.error());
    }

    if (auto links = InputFile::Open(files.pgl))
        counts.linkRecords = links->size() / sizeof(LinkRecord);
    else
        counts.errors.push_back(links.error());

    if (auto contents = ReadContentsRecords(files.fic))
        counts.treeEntries = contents->records.size();
    else
        counts.errors.push_back(contents.error());
    return counts;
}

} // namespace mirelda::authoring
