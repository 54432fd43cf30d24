#pragma once
// Break opportunities of the document's own inside words too long for the layout.
//
// Qt lays out a word that does not fit its line by measuring it again from each line's start:
// a word of hundreds of thousands of characters costs seconds. A word longer than
// kLongestUnbrokenWord gets a zero-width space, a document-only character that the model's
// numbering does not count, every kLongestUnbrokenWord characters; nothing shorter changes.

#include <QChar>
#include <QString>

#include <vector>

namespace mirelda::ui {

inline constexpr qsizetype kLongestUnbrokenWord = 2000;
inline constexpr QChar kWordBreak = QChar(0x200B);

class LongWordBreaker
{
  public:
    // The places in `text` (indexes of characters) before which a break goes, for `text` put
    // at `documentPosition`. The word in progress goes on from the previous call's text when
    // this one follows it in the document with nothing between (hidden text between does not
    // count: the document does not hold it).
    std::vector<qsizetype> BreaksIn(const QString& text, int documentPosition);

  private:
    qsizetype wordLength_ = 0;
    qsizetype end_ = -1; // where the previous call's text, with its breaks, ended
};

} // namespace mirelda::ui
