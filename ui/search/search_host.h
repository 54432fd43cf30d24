#pragma once
// What the search dialog needs from the rest of the program. The application implements it;
// the dialog never reaches the frame, the view or the results window in any other way.

#include <QMessageBox>
#include <QString>

#include <cstdint>
#include <functional>

namespace mirelda::ui {

struct ArticleSearchRequest
{
    QString text;
    bool matchCase = false;
    bool wholeWord = false;
    bool inTitle = true;
    bool inText = true;
    bool ignoreAccents = false; // "Ignorer les &accents"
};

enum class SearchOutcome {
    Found,        // at least one article listed; the results window is shown
    NothingFound, // the results window was emptied
    Failed,       // a read error, already reported to the user, ended the search
    Stopped,      // the user stopped it: nothing changed
};

class SearchHost
{
  public:
    virtual ~SearchHost() = default;

    // Starts the search over all articles, into the search-results window; `done` comes
    // later on this thread with the outcome (at once when the search cannot start), exactly
    // once unless the program ends first.
    virtual void SearchArticles(const ArticleSearchRequest& request,
                                std::function<void(SearchOutcome)> done) = 0;
    // The find in the article on screen (see CMireldaView): the position of the occurrence
    // selected, or -1 with the selection left as it was.
    virtual std::int32_t FindInArticle(const QString& text, bool matchCase, bool wholeWord) = 0;
    virtual std::int32_t FindNextInArticle(const QString& text, bool matchCase, bool wholeWord) = 0;
    // True while the article on screen shows the hits of a search (opened from its results):
    // "&Suivant" then moves through them whatever the scope.
    virtual bool articleHasHighlights() const { return false; }

    // A message box captioned with the help title.
    virtual QMessageBox::StandardButton
    ShowMessage(const QString& text, QMessageBox::Icon icon,
                QMessageBox::StandardButtons buttons = QMessageBox::Ok) = 0;
};

} // namespace mirelda::ui
