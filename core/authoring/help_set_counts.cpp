#include "core/authoring/help_set_counts.h"

#include "core/store/binary_file.h"
#include "core/store/help_set.h"
#include "core/tree/contents_file.h"

namespace mirelda::authoring {

Result<HelpSetCounts> CountHelpSet(const HelpSetFiles& files)
{
    auto index = LoadArticleIndex(files.pgh);
    if (!index)
        return index.error();
    HelpSetCounts counts;
    counts.articles = index->size();
    if (auto data = ArticleDataReader::Open(files.pgd)) {
        index->ForEach([&](const ArticleEntry& entry) {
            auto title = data->ReadTitle(entry);
            if (!title)
                counts.errors.push_back(title.error());
            else if (IsPopupTitle(*title))
                ++counts.popups;
        });
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
