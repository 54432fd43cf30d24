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

namespace mirelda {

inline constexpr qsizetype kLongestUnbrokenWord = 2000;
inline constexpr QChar kWordBreak = QChar(0x200B);

class LongWordBreaker
{
  public:
    // The places in `text` (indexes of characters) before which a break goes. The length of
    // the word in progress carries over from the text of the previous call.
    std::vector<qsizetype> BreaksIn(const QString& text);

  private:
    qsizetype wordLength_ = 0;
};

} // namespace mirelda
