#include "ui/richtext/long_words.h"

namespace mirelda::ui {

namespace {

// Characters the layout may break a line at (or after); no-break spaces are not.
bool Breakable(QChar c)
{
    const char16_t u = c.unicode();
    if (u == 0x00A0 || u == 0x2007 || u == 0x202F)
        return false;
    return c.isSpace() || u == kWordBreak.unicode();
}

} // namespace

std::vector<qsizetype> LongWordBreaker::BreaksIn(const QString& text, int documentPosition)
{
    if (documentPosition != end_)
        wordLength_ = 0; // a block, cell or object came between
    std::vector<qsizetype> breaks;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (Breakable(c)) {
            wordLength_ = 0;
            continue;
        }
        // Never between a surrogate pair or before a mark that belongs to the character before.
        if (wordLength_ >= kLongestUnbrokenWord && !c.isLowSurrogate() && !c.isMark()) {
            breaks.push_back(i);
            wordLength_ = 0;
        }
        ++wordLength_;
    }
    end_ = documentPosition + text.size() + static_cast<qsizetype>(breaks.size());
    return breaks;
}

} // namespace mirelda::ui
