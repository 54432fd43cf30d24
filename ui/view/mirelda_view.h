#pragma once
// The article view: the read-only rich-text view that shows the session's current article
// and turns the ranges of its link table into hyperlinks. A click on a link goes to the
// session, which decides what is shown; the view shows the text and links it is given and
// reports where the reader is. A book is printed from the session's index and data file.
//
// Every position at this class's interface (FirstVisiblePosition, ScrollToPosition, find
// results, selections, link hit tests) is in the rich-text model's numbering, hidden text
// included, whatever the QTextDocument leaves out.
//
// mirelda_view.cpp holds display, positions, hit tests and selection; view_find.cpp find and
// highlights, view_links.cpp link focus, view_keys.cpp the keys; printing.h does the printing.

#include "core/store/help_set.h"
#include "ui/richtext/set_rich_text.h"

#include <QPoint>
#include <QString>
#include <QTextEdit>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace mirelda {
class HelpSession;
}

class QMimeData;
class QPrinter;
class QTextDocument;

namespace mirelda::ui {

// Qt paints each highlight of a paragraph on its own, whether it is on screen or not: a
// one-letter search in a long paragraph made every repaint take a second. Past this many in
// one paragraph the occurrences are counted and found, not coloured (the current one is).
inline constexpr int kMaxHighlightsPerParagraph = 256;

class ViewHost;

class CMireldaView : public QTextEdit
{
    Q_OBJECT
  public:
    CMireldaView(ViewHost& host, mirelda::HelpSession& session, QWidget* parent = nullptr);
    ~CMireldaView() override;

    // What the session shows (see ArticleDisplay). The new text starts at its first line,
    // without the old text's search hits, link focus and find state.
    void ShowArticleText(std::string rtf);
    void ShowArticleLinks(mirelda::LinkTable links);
    // "Cet article n'existe pas !", in a box owned by the view.
    void ShowMissingArticle(std::int32_t number);

    // Position of the first character of the first visible line.
    std::int32_t FirstVisiblePosition() const;
    // Scrolls so that the line holding `position` becomes the first visible line (as far as
    // the text can scroll).
    void ScrollToPosition(std::int32_t position);

    // Highlights every occurrence, collapses the selection to 0, then FindNextInArticle.
    std::int32_t FindInArticle(const QString& text, bool matchCase, bool wholeWord);
    // Forward from the selection's start (one further when the selection is not empty), no
    // wrap; selects the match and returns its first position, or -1 leaving the selection.
    // Every occurrence of the text is highlighted, the one selected marked as current, and
    // findCountChanged tells which one it is.
    std::int32_t FindNextInArticle(const QString& text, bool matchCase, bool wholeWord);

    void SelectAll(); // "Tout sélectionner"

    // The keys that move the text, wherever they are pressed (the view, or the main window
    // when it has the focus itself): Escape minimises the main window, Page Up and Page Down
    // scroll a page, Home and End go to the top or the bottom at the left end, the arrows
    // scroll a line. False for any other key, which does nothing.
    bool HandleNavigationKey(int key);

    // Search hits: every occurrence of `text` in the article is highlighted (the selection
    // is left alone) until another article is shown. Returns how many there are.
    int HighlightOccurrences(const QString& text, bool matchCase, bool wholeWord);
    // The highlighted occurrences, [first, end) in model positions.
    const std::vector<std::pair<std::int32_t, std::int32_t>>& highlights() const { return hits_; }
    // The highlighted occurrence found last (index in highlights()), -1 for none.
    int currentHighlight() const { return currentHit_; }

    // Keyboard access to links (Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+Return): the link with the
    // focus frame, in text order, wrapping; null when none has it. Showing another article
    // takes the focus away.
    const mirelda::LinkRecord* focusedLink() const;
    void FocusNextLink(bool forward);
    // Follows the focused link as a click on it would; false when no link has the focus.
    bool FollowFocusedLink();

    // The text size in percent (50 to 300), shared with the pop-ups and kept in the user's
    // settings. Printing always uses the article's own sizes.
    int textZoom() const { return zoom_; }
    void setTextZoom(int percent);

    // Selection in model positions: [selectionStart, selectionEnd).
    std::int32_t selectionStart() const;
    std::int32_t selectionEnd() const;
    void setSelection(std::int32_t first, std::int32_t end);

    // The character under a viewport point (model position), or -1 for an empty view.
    std::int32_t positionAt(QPoint viewportPoint) const;
    // The rectangle of the character at a model position, in viewport coordinates.
    QRect characterRect(std::int32_t position) const;

    // The session's current article (0 before the first one) and its decoded title.
    std::int32_t currentArticle() const;
    QString currentTitle() const;
    const mirelda::LinkTable& linkTable() const { return links_; }
    // The model text of the current article (one unit per position, hidden text included).
    const std::u16string& articleText() const { return content_.text; }

    // Screen point of the last left click on a link; (0, 0) before the first one.
    QPoint lastLinkClickPoint() const { return lastLinkClick_; }

    // What printArticle prints on `printer`: the current article built anew for the
    // printer's resolution (only the selection when the printer's range says so). The view's
    // own document is laid out for the screen and stays as it is.
    std::unique_ptr<QTextDocument> printDocument(const QPrinter& printer) const;

  signals:
    void textZoomChanged(int percent);
    // The found text: the occurrence selected (1-based, 0 for none) among `total`; 0 and 0
    // when the article shows no found text any more.
    void findCountChanged(int current, int total);

  public slots:
    void printArticle(QPrinter* printer) const;
    void FilePrint();        // the print dialog, then print
    void FilePrintDirect();  // the default printer, no dialog
    void FilePrintPreview(); // the print preview
    // A whole book: its pages' articles, each on a new page under its title (pop-ups left
    // out), through the print dialog or the preview. `documentTitle` becomes the printout's
    // title (a PDF's); a print to a file is offered a name made from `bookTitle`.
    void FilePrintBook(const std::vector<std::int32_t>& articles, const QString& documentTitle,
                       const QString& bookTitle);
    void FilePrintBookPreview(const std::vector<std::int32_t>& articles, const QString& documentTitle,
                              const QString& bookTitle);

  protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    QMimeData* createMimeDataFromSelection() const override;

  private:
    static QString viewDescription(); // what a screen reader says of the view
    void printBook(QPrinter& printer, const std::vector<std::int32_t>& articles,
                   const QString& documentTitle);
    void updateLinkCursor(QPoint viewportPoint);
    void followLink(const mirelda::LinkRecord& link, QPoint screenPoint);
    bool handleComfortKey(QKeyEvent* e);
    void updateExtraSelections();
    void clearHighlights();
    void markCurrentHighlight(std::int32_t found);
    void announceLinkFocus();
    void scrollOneLine(int step);
    int documentPosition(std::int32_t modelPosition) const;
    std::int32_t modelPosition(int documentPosition) const;

    ViewHost& host_;
    mirelda::HelpSession& session_;
    mirelda::LinkTable links_;
    mirelda::ui::LoadedRichText content_;
    std::string articleRtf_; // the current article's text, for printing
    QPoint lastLinkClick_;
    std::vector<std::pair<std::int32_t, std::int32_t>> hits_;
    int currentHit_ = -1;
    // What hits_ were found for.
    QString hitsText_;
    bool hitsMatchCase_ = false;
    bool hitsWholeWord_ = false;
    int focusedLink_ = -1; // index in links_.records()
    int zoom_ = 100;
    int wheelSteps_ = 0; // eighths of a degree not yet turned into a size step
    // The model range last selected through setSelection, while the document's selection
    // is still the one it made.
    struct ModelSelection
    {
        bool valid = false;
        int documentStart = 0;
        int documentEnd = 0;
        std::int32_t modelStart = 0;
        std::int32_t modelEnd = 0;
    } lastFind_;
};

} // namespace mirelda::ui
