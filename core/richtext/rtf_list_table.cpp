#include "core/richtext/rtf_list_table.h"

#include <algorithm>

#include "core/richtext/rtf_lexer.h"

namespace mirelda::rtf {
namespace {

// One token of a lexical walk over raw RTF: a brace, or a control word with its parameter.
struct Token
{
    enum Kind { Open, Close, Word, End } kind = End;
    std::string_view word;
    bool has = false;
    std::int32_t value = 0;
};

// The next brace or control word from `p`, text and control symbols stepped over; \binN data
// too.
Token Next(const unsigned char*& p, const unsigned char* end)
{
    while (p < end) {
        const unsigned char c = *p++;
        if (c == '{')
            return {Token::Open, {}, false, 0};
        if (c == '}')
            return {Token::Close, {}, false, 0};
        if (c != '\\' || p >= end)
            continue;
        if (!kBytes.letter[*p]) {
            ++p;
            continue;
        }
        const unsigned char* word = p;
        while (p < end && kBytes.letter[*p])
            ++p;
        Token t{Token::Word,
                std::string_view(reinterpret_cast<const char*>(word), static_cast<std::size_t>(p - word)),
                false, 0};
        ReadParameter(p, end, t.has, t.value);
        if (t.word == "bin") {
            p += std::clamp<std::int64_t>(t.value, 0, end - p);
            continue;
        }
        return t;
    }
    return {};
}

} // namespace

void ScanListTable(const unsigned char* p, const unsigned char* end, ListTablePictures& out)
{
    // Depths (1: the table's own group) of the groups being read.
    std::size_t depth = 1, list = 0, level = 0, listPicture = 0;
    std::int32_t listId = 0, levelIndex = 0, levelPicture = -1;
    std::vector<std::pair<std::int32_t, std::int32_t>> pictured; // this list's (level, picture)
    const unsigned char* groupStart = nullptr;
    bool firstWord = false; // the word after '{' names the group
    while (true) {
        const Token t = Next(p, end);
        if (t.kind == Token::End)
            return;
        if (t.kind == Token::Open) {
            ++depth;
            groupStart = p - 1; // its '{'
            firstWord = true;
            continue;
        }
        if (t.kind == Token::Close) {
            if (depth == level) {
                if (levelPicture >= 0)
                    pictured.emplace_back(levelIndex, levelPicture);
                ++levelIndex;
                level = 0;
            } else if (depth == list) {
                for (const auto& [index, picture] : pictured) {
                    if (out.levels.size() < kMaxListLevels)
                        out.levels.push_back({listId, index, picture});
                }
                list = 0;
            } else if (depth == listPicture) {
                listPicture = 0;
            }
            if (--depth == 0)
                return;
            continue;
        }
        const bool names = firstWord && t.word != "*";
        if (names)
            firstWord = false;
        if (names && t.word == "list" && list == 0) {
            list = depth;
            listId = 0;
            levelIndex = 0;
            pictured.clear();
        } else if (names && t.word == "listlevel" && list != 0 && level == 0) {
            level = depth;
            levelPicture = -1;
        } else if (names && t.word == "listpicture" && listPicture == 0) {
            listPicture = depth;
        } else if (names && t.word == "pict" && listPicture != 0 && groupStart) {
            // The whole group, up to its closing brace.
            std::size_t inner = 1;
            while (inner > 0) {
                const Token u = Next(p, end);
                if (u.kind == Token::End)
                    return;
                if (u.kind == Token::Open)
                    ++inner;
                else if (u.kind == Token::Close)
                    --inner;
            }
            --depth;
            if (out.pictures.size() < kMaxListPictures)
                out.pictures.emplace_back(reinterpret_cast<const char*>(groupStart),
                                          static_cast<std::size_t>(p - groupStart));
        } else if (t.word == "levelpicture" && level != 0 && t.has) {
            levelPicture = t.value;
        } else if (t.word == "listid" && list != 0 && depth == list) {
            listId = t.value;
        }
    }
}

void ScanListOverrides(const unsigned char* p, const unsigned char* end,
                       std::unordered_map<std::int32_t, std::int32_t>& out)
{
    std::size_t depth = 1;
    std::int32_t ls = 0, listId = 0;
    while (out.size() < kMaxListLevels) {
        const Token t = Next(p, end);
        if (t.kind == Token::End)
            return;
        if (t.kind == Token::Open) {
            if (++depth == 2)
                ls = listId = 0;
        } else if (t.kind == Token::Close) {
            if (depth == 2 && ls != 0)
                out.emplace(ls, listId);
            if (--depth == 0)
                return;
        } else if (depth == 2 && t.word == "ls") {
            ls = t.value;
        } else if (depth == 2 && t.word == "listid") {
            listId = t.value;
        }
    }
}

} // namespace mirelda::rtf
