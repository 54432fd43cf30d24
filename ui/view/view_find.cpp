// CMireldaView: find in the article and the highlighted occurrences.
#include "ui/view/mirelda_view.h"

#include "core/richtext/text_find.h"
#include "core/view/link_focus.h"

#include <QColor>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace mirelda::ui {

namespace {

// Enough to show where a word occurs; a one-letter search in a huge article stops there.
constexpr std::size_t kMaxHighlights = 10000;

} // namespace

std::int32_t CMireldaView::FindInArticle(const QString& text, bool matchCase, bool wholeWord)
{
    HighlightOccurrences(text, matchCase, wholeWord);
    setSelection(0, 0);
    return FindNextInArticle(text, matchCase, wholeWord);
}

std::int32_t CMireldaView::FindNextInArticle(const QString& text, bool matchCase, bool wholeWord)
{
    const std::u16string what = text.toStdU16String();
    std::int32_t from = selectionStart();
    if (selectionEnd() != from)
        ++from;
    const std::int32_t found = mirelda::FindText(content_.text, what, from, matchCase, wholeWord);
    if (found < 0)
        return -1;
    // The string may have changed since the last find: the highlights follow it.
    if (text != hitsText_ || matchCase != hitsMatchCase_ || wholeWord != hitsWholeWord_ || hits_.empty())
        HighlightOccurrences(text, matchCase, wholeWord);
    setSelection(found, found + static_cast<std::int32_t>(what.size()));
    ensureCursorVisible();
    markCurrentHighlight(found);
    return found;
}

int CMireldaView::HighlightOccurrences(const QString& text, bool matchCase, bool wholeWord)
{
    currentHit_ = -1;
    hitsText_ = text;
    hitsMatchCase_ = matchCase;
    hitsWholeWord_ = wholeWord;
    // One further each time, as FindNextInArticle goes: "&Suivant" then lands on each of them.
    hits_ = mirelda::FindAllText(content_.text, text.toStdU16String(), matchCase, wholeWord, kMaxHighlights);
    updateExtraSelections();
    emit findCountChanged(0, static_cast<int>(hits_.size()));
    return static_cast<int>(hits_.size());
}

void CMireldaView::clearHighlights()
{
    const bool had = !hits_.empty();
    hits_.clear();
    currentHit_ = -1;
    hitsText_.clear();
    updateExtraSelections();
    if (had)
        emit findCountChanged(0, 0);
}

void CMireldaView::markCurrentHighlight(std::int32_t found)
{
    const auto at = std::lower_bound(hits_.begin(), hits_.end(), std::pair(found, std::int32_t{0}));
    currentHit_ = at != hits_.end() && at->first == found ? static_cast<int>(at - hits_.begin()) : -1;
    updateExtraSelections();
    emit findCountChanged(currentHit_ + 1, static_cast<int>(hits_.size()));
}

void CMireldaView::updateExtraSelections()
{
    QList<QTextEdit::ExtraSelection> selections;
    const auto add = [&](std::int32_t first, std::int32_t end, const QTextCharFormat& format) {
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(document());
        selection.cursor.setPosition(documentPosition(first));
        selection.cursor.setPosition(documentPosition(end), QTextCursor::KeepAnchor);
        selection.format = format;
        selections.append(selection);
    };
    QTextCharFormat hit;
    hit.setBackground(QColor(255, 230, 90));
    hit.setForeground(QColor(Qt::black));
    int block = -1, inBlock = 0;
    for (const auto& [first, end] : hits_) {
        const int at = document()->findBlock(documentPosition(first)).blockNumber();
        inBlock = at == block ? inBlock + 1 : 1;
        block = at;
        if (inBlock <= kMaxHighlightsPerParagraph)
            add(first, end, hit);
    }
    if (currentHit_ >= 0 && currentHit_ < static_cast<int>(hits_.size())) {
        // The occurrence found last stands out from the others, whichever window is active.
        QTextCharFormat current = hit;
        current.setBackground(QColor(255, 150, 50));
        add(hits_[currentHit_].first, hits_[currentHit_].second, current);
    }
    if (const mirelda::LinkRecord* link = focusedLink()) {
        QTextCharFormat focus;
        focus.setBackground(palette().highlight());
        focus.setForeground(palette().highlightedText());
        add(link->first, mirelda::LinkEnd(*link), focus);
    }
    setExtraSelections(selections);
}

} // namespace mirelda::ui
