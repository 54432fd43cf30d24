#pragma once
// The little the reader takes from the list tables it otherwise skips: which list levels show a
// picture as their bullet (\levelpicture), the pictures themselves ({\*\listpicture{\pict ...}}),
// and which \lsN paragraphs use which list. Read lexically out of the raw groups.
// Internal to core/richtext.

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace mirelda::rtf {

inline constexpr std::size_t kMaxListPictures = 64;
inline constexpr std::size_t kMaxListLevels = 4096;

struct ListLevelPicture
{
    std::int32_t listId = 0;
    std::int32_t level = 0;   // 0 to 8, in \listlevel order
    std::int32_t picture = 0; // \levelpictureN: index into the \listpicture pictures
};

struct ListTablePictures
{
    std::vector<std::string_view> pictures; // each "{\pict ...}" group, whole
    std::vector<ListLevelPicture> levels;
};

// Reads the \listtable group whose content starts at `p` (after its word) up to its closing
// brace; adds what it finds to `out`.
void ScanListTable(const unsigned char* p, const unsigned char* end, ListTablePictures& out);

// \listoverride groups of the \listoverridetable whose content starts at `p`: for each, its
// \lsN and \listidN, added as ls -> listId (the first group of an \lsN counts).
void ScanListOverrides(const unsigned char* p, const unsigned char* end,
                       std::unordered_map<std::int32_t, std::int32_t>& out);

} // namespace mirelda::rtf
