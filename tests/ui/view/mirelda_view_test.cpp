// The article view on a real help set, driven by the session: what it shows of each
// article, links under the mouse, keys, scrolling to a saved position and find, all in the
// model's numbering.

#define QTEST_QPA_MOUSE_HANDLING // mouse events go through the window, as a user's would

#include "core/session/help_session.h"
#include "core/store/help_set.h"
#include "core/view/text_zoom.h"
#include "ui/view/mirelda_view.h"
#include "ui/view/popup_wnd.h"
#include "ui/view/printing.h"
#include "ui/view/text_size.h"
#include "ui/view/view_host.h"

#include "tests/support/modal_answer.h"

#include <QAbstractButton>
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMessageBox>
#include <QPaintEngine>
#include <QPrinter>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <QTimer>
#include <QtTest>

#include <limits>

#include <memory>

using namespace mirelda::ui;

using namespace mirelda;

namespace {

// Stands for the main frame: shows in the view what the session asks for, as the frame
// does, and records the rest.
class RecordingHost : public ViewHost, public ArticleDisplay, public HelpSessionObserver
{
  public:
    std::filesystem::path pgd, pgl;
    QString caption;
    QStringList calls;
    int minimized = 0;
    std::string popupTitle;
    QPoint popupPoint;
    CMireldaView* view = nullptr;
    QMenu* menu = nullptr;

    void minimizeMainWindow() override { ++minimized; }
    QMenu* viewContextMenu() override { return menu; }
    void ReportFileError(const FileError& e) override
    {
        calls << QStringLiteral("error ") + QString::fromStdString(e.path);
    }

    std::int32_t FirstVisiblePosition() const override { return view->FirstVisiblePosition(); }
    void ShowArticleText(std::string rtf) override { view->ShowArticleText(std::move(rtf)); }
    void ScrollToPosition(std::int32_t position) override { view->ScrollToPosition(position); }
    void ShowArticleLinks(LinkTable links) override { view->ShowArticleLinks(std::move(links)); }
    void AnnotationShown(std::int32_t a, const std::string&) override
    {
        calls << QStringLiteral("show %1").arg(a);
    }
    void SetCaption(const std::u16string& c) override { caption = QString::fromStdU16String(c); }
    void ShowPopup(const std::string& title, const std::string&) override
    {
        popupTitle = title;
        popupPoint = view->lastLinkClickPoint();
        calls << QStringLiteral("popup");
    }
    void ShowMissingArticle(std::int32_t number) override { view->ShowMissingArticle(number); }
    void BeginWait() override {}
    void EndWait() override {}
    // With the start of the text the view holds by then.
    void ArticleShown(std::int32_t a) override
    {
        calls << QStringLiteral("shown %1 ").arg(a) + view->toPlainText().left(4);
    }
};

using mirelda::test::MessageAnswerer;

std::string Rtf(const std::string& body)
{
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\fs20 " + body + "}";
}

// Article 7: 20 lines "Ligne." (0..139), then a table: "Nom" (140) | "Voir LINKS ici" (144,
// the link 149..153), row mark 158; "chat" (159) | "chien" (164), a second paragraph "chat"
// (170) in the same cell, row mark 174; then "Apres." and 20 lines "Fin.".
std::string TableArticle()
{
    std::string body;
    for (int i = 0; i < 20; ++i)
        body += "Ligne.\\par ";
    const std::string row = "\\trowd\\trgaph100\\cellx1500\\cellx4500\\intbl ";
    body += row + "Nom\\cell Voir LINKS ici\\cell\\row" + row +
            "chat\\cell chien\\par chat\\cell\\row\\pard Apres.\\par ";
    for (int i = 0; i < 20; ++i)
        body += "Fin.\\par ";
    return Rtf(body);
}

// Article 1: "0123456789LINKS after" — the link covers positions 10..14 and leads to 2.
// Article 5: hidden text first, so that its link at model 10..14 has other document places.
std::vector<ArticleSource> Articles()
{
    std::string longBody;
    for (int i = 0; i < 300; ++i)
        longBody += "Paragraphe " + std::to_string(i) + " du long article.\\par ";
    return {
        {1,
         "G\xE9n\xE9ralit\xE9s",
         Rtf("0123456789LINKS after POPUP and GONE.\\par chat et chien, le chat.\\par"),
         {{10, 14, 2, 0}, {22, 26, 3, 0}, {32, 35, 4711, 0}}},
        {2, "Second", Rtf(longBody), {}},
        {3, "#POPUP:Glossaire", Rtf("Une d\\'e9finition.\\par"), {}},
        {5, "Cach\xE9", Rtf("{\\v hidden} ab LINKS chat\\par"), {{10, 14, 1, 0}}},
        {6, "Retrait", Rtf("\\fs24\\li2880 Deux pouces.\\par Encore.\\par"), {}},
        {7, "Tableau", TableArticle(), {{149, 153, 2, 0}}},
        {8, "Colonnes", Rtf("\\pard\\tx1440 A\\tab B\\par"), {}},
        {10, "Tableau", Rtf("{\\b Tableau}\\par Sous son titre.\\par"), {}},
        // Ranges reaching past the text "Voir la suite." (0..13, the final mark 14).
        {11,
         "Bornes",
         Rtf("Voir la suite.\\par"),
         {{5, std::numeric_limits<std::int32_t>::max(), 2, 0},
          {std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::max(), 2, 0},
          {-7, 3, 1, 0}}},
    };
}

// The point size of the character at a document position.
double SizeAt(const QTextDocument& doc, int position)
{
    QTextCursor c(const_cast<QTextDocument*>(&doc));
    c.setPosition(position + 1);
    return c.charFormat().fontPointSize();
}

void Wheel(QWidget* target, int delta, Qt::KeyboardModifiers modifiers)
{
    const QPointF at(10, 10);
    QWheelEvent wheel(at, target->mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

} // namespace

class MireldaViewTest : public QObject
{
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void cleanup();
    void showArticle_zeroAndNegative_falseWithoutMessage();
    void showArticle_ordinary_callsHostInOrderAndSetsCaption();
    void showArticle_current_reloadsNothing();
    void showArticle_missing_showsMessageAndKeepsArticle();
    void showArticle_popup_leavesCurrentArticleAlone();
    void linkHitTest_firstLastAndNeighbours();
    void linkClick_popup_keepsSelectionAndPassesScreenPoint();
    void dragFromOutsideOverLink_doesNotFollow();
    void links_inModelNumberingPastHiddenText();
    void scroll_savedPositionReadsBack();
    void keys_typingChangesNothing_navigationScrolls();
    void find_firstThenNextThenNothing();
    void find_options_andHiddenText();
    void highlights_everyOccurrenceUntilAnotherArticle();
    void highlights_boundedInOneParagraph();
    void linkKeys_ctrlTabInTextOrder_ctrlReturnFollowsAsAClick();
    void linkKeys_rangesPastTheTextClampedOnLoad();
    void textSize_stepsBoundsWheelPositionsAndRestart();
    void rightClick_showsHostMenuAtMouse();
    void fileErrors_reportedThroughHost();
    void copy_givesTheShownSelection();
    void table_linksFindCopyAndScrollInModelNumbering();
    void print_writesTheArticle();
    void print_indentsAtPrinterResolutionAndSelection();
    void printBook_articlesInOrderOnNewPagesWithoutPopups();
    void printBook_numbersPagesTitlesOnceAndNamesTheDocument();
    void find_highlightsEveryOccurrenceMarksAndCountsTheCurrent();
    void textSize_scalesIndentsTabStopsAndTableColumns();

  private:
    QPoint centerOf(std::int32_t position) const { return view->characterRect(position).center(); }
    void moveTo(std::int32_t position) { QTest::mouseMove(view->viewport(), centerOf(position)); }

    QTemporaryDir dir;
    QTemporaryDir settingsDir;
    RecordingHost host;
    std::unique_ptr<HelpSession> session;
    Navigator* navigator = nullptr;
    std::unique_ptr<CMireldaView> view;
};

void MireldaViewTest::initTestCase()
{
    // The text size is kept in the user's settings: never the real ones here.
    QVERIFY(settingsDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
}

void MireldaViewTest::init()
{
    QVERIFY(dir.isValid());
    const std::filesystem::path base = std::filesystem::path(dir.path().toStdString()) / "TEST";
    host = RecordingHost();
    host.pgd = base.string() + ".PGD";
    host.pgl = base.string() + ".PGL";
    const std::filesystem::path pgh = base.string() + ".PGH";
    QVERIFY(WriteArticleFiles(pgh, host.pgd, host.pgl, Articles()).ok());
    StartOptions options;
    options.helpSetBase = "MILDANE"; // the caption prefix "Aide Mildane"
    HelpSetFiles files;
    files.pgh = pgh;
    files.pgd = host.pgd;
    files.pgl = host.pgl;
    session = std::make_unique<HelpSession>(options, files, UserFiles{});
    session->LoadIndex();
    QCOMPARE(session->index().size(), Articles().size());
    session->SetDisplay(&host);
    session->AddObserver(host);
    navigator = &session->navigator();
    view = std::make_unique<CMireldaView>(host, *session);
    host.view = view.get();
    view->resize(400, 300);
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view.get()));
}

void MireldaViewTest::cleanup()
{
    SaveTextZoom(100);
    host.view = nullptr;
    view.reset();
    navigator = nullptr;
    session.reset();
}

void MireldaViewTest::showArticle_zeroAndNegative_falseWithoutMessage()
{
    MessageAnswerer closer;
    QVERIFY(!navigator->ShowArticle(0, 0));
    QVERIFY(!navigator->ShowArticle(-3, 0));
    QVERIFY(closer.seen.isEmpty());
    QVERIFY(host.calls.isEmpty());
    QCOMPARE(view->currentArticle(), 0);
}

void MireldaViewTest::showArticle_ordinary_callsHostInOrderAndSetsCaption()
{
    QVERIFY(navigator->ShowArticle(1, 0));
    QCOMPARE(host.calls, (QStringList{QStringLiteral("show 1"), QStringLiteral("shown 1 0123")}));
    QCOMPARE(host.caption, QStringLiteral("Aide Mildane - Généralités"));
    QCOMPARE(view->currentTitle(), QStringLiteral("Généralités"));
    QCOMPARE(navigator->currentTitle(), std::string("G\xE9n\xE9ralit\xE9s"));
    QCOMPARE(view->linkTable().records().size(), 3u);
    QVERIFY(view->toPlainText().startsWith(QStringLiteral("0123456789LINKS")));

    host.calls.clear();
    QVERIFY(navigator->ShowArticle(2, 0));
    QCOMPARE(host.calls, (QStringList{QStringLiteral("show 2"), QStringLiteral("shown 2 Para")}));
    QCOMPARE(navigator->history().size(), 2u);
    QCOMPARE(*navigator->history().EntryAt(1), (HistoryEntry{1, 0}));
    QCOMPARE(host.caption, QStringLiteral("Aide Mildane - Second"));
    QVERIFY(view->linkTable().empty());
    QCOMPARE(navigator->currentEntry().number, 2);
}

void MireldaViewTest::showArticle_current_reloadsNothing()
{
    QVERIFY(navigator->ShowArticle(2, 0));
    view->verticalScrollBar()->setValue(40);
    const std::int32_t top = view->FirstVisiblePosition();
    QTextDocument* doc = view->document();
    host.calls.clear();
    QVERIFY(navigator->ShowArticle(2, 5000));
    QCOMPARE(view->document(), doc);
    QCOMPARE(view->FirstVisiblePosition(), top);
    QVERIFY(host.calls.isEmpty());
}

void MireldaViewTest::showArticle_missing_showsMessageAndKeepsArticle()
{
    QVERIFY(navigator->ShowArticle(1, 0));
    host.calls.clear();
    const QString caption = host.caption;
    {
        MessageAnswerer closer;
        QVERIFY(!navigator->ShowArticle(4711, 0));
        QCOMPARE(closer.CaptionsAndTexts(),
                 QStringList{QStringLiteral("KEL-Info|Cet article n'existe pas ! (ER4711)")});
    }
    QCOMPARE(view->currentArticle(), 1);
    QCOMPARE(host.caption, caption);
    QVERIFY(host.calls.isEmpty());

    // A link to an article that does not exist: the same message, the view stays.
    MessageAnswerer closer;
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centerOf(33));
    QCOMPARE(closer.CaptionsAndTexts(),
             QStringList{QStringLiteral("KEL-Info|Cet article n'existe pas ! (ER4711)")});
    QCOMPARE(view->currentArticle(), 1);
}

void MireldaViewTest::showArticle_popup_leavesCurrentArticleAlone()
{
    QVERIFY(navigator->ShowArticle(1, 0));
    host.calls.clear();
    QTextDocument* doc = view->document();
    QVERIFY(navigator->ShowArticle(3, 0));
    QCOMPARE(host.calls, QStringList{QStringLiteral("popup")});
    QCOMPARE(host.popupTitle, std::string("#POPUP:Glossaire"));
    QCOMPARE(view->currentArticle(), 1);
    QCOMPARE(view->document(), doc);
    QCOMPARE(host.caption, QStringLiteral("Aide Mildane - Généralités"));
    QCOMPARE(view->linkTable().records().size(), 3u);
    host.calls.clear();
    QVERIFY(navigator->ShowArticle(1, 0));
    QVERIFY(host.calls.isEmpty());
}

void MireldaViewTest::linkHitTest_firstLastAndNeighbours()
{
    QVERIFY(navigator->ShowArticle(1, 0));
    for (std::int32_t p : {9, 10, 12, 14, 15}) {
        moveTo(p);
        QCOMPARE(view->positionAt(centerOf(p)), p);
        const bool onLink = p >= 10 && p <= 14;
        QVERIFY2(view->viewport()->cursor().shape() == (onLink ? Qt::PointingHandCursor : Qt::ArrowCursor),
                 qPrintable(QString::number(p)));
    }
    // A click beside the link is the control's own (no article change)...
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centerOf(15));
    QCOMPARE(view->currentArticle(), 1);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centerOf(9));
    QCOMPARE(view->currentArticle(), 1);
    // ...one on its last character follows it.
    const QPoint at = centerOf(14);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(view->currentArticle(), 2);
    QCOMPARE(view->lastLinkClickPoint(), view->viewport()->mapToGlobal(at));
}

void MireldaViewTest::linkClick_popup_keepsSelectionAndPassesScreenPoint()
{
    QVERIFY(navigator->ShowArticle(1, 0));
    view->setSelection(2, 5);
    const QPoint at = centerOf(24);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(host.popupTitle, std::string("#POPUP:Glossaire"));
    QCOMPARE(host.popupPoint, view->viewport()->mapToGlobal(at));
    QCOMPARE(view->selectionStart(), 2);
    QCOMPARE(view->selectionEnd(), 5);
    QCOMPARE(view->currentArticle(), 1);
}

void MireldaViewTest::dragFromOutsideOverLink_doesNotFollow()
{
    QVERIFY(navigator->ShowArticle(1, 0));
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, centerOf(3));
    QTest::mouseMove(view->viewport(), centerOf(12));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, centerOf(12));
    QCOMPARE(view->currentArticle(), 1);
    QVERIFY(view->textCursor().hasSelection());
}

void MireldaViewTest::links_inModelNumberingPastHiddenText()
{
    QVERIFY(navigator->ShowArticle(5, 0));
    QVERIFY(view->toPlainText().startsWith(QStringLiteral(" ab LINKS")));
    for (std::int32_t p : {9, 10, 14, 15}) {
        moveTo(p);
        QCOMPARE(view->positionAt(centerOf(p)), p);
        const bool onLink = p >= 10 && p <= 14;
        QVERIFY2(view->viewport()->cursor().shape() == (onLink ? Qt::PointingHandCursor : Qt::ArrowCursor),
                 qPrintable(QString::number(p)));
    }
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centerOf(10));
    QCOMPARE(view->currentArticle(), 1);
}

void MireldaViewTest::scroll_savedPositionReadsBack()
{
    QVERIFY(navigator->ShowArticle(2, 0));
    QCOMPARE(view->FirstVisiblePosition(), 0);
    const std::u16string& text = view->articleText();
    const auto paragraph150 = static_cast<std::int32_t>(text.find(u"Paragraphe 150 "));
    view->ScrollToPosition(paragraph150);
    QCOMPARE(view->FirstVisiblePosition(), paragraph150);
    // A position inside a line brings that line's start to the top.
    view->ScrollToPosition(paragraph150 + 5);
    QCOMPARE(view->FirstVisiblePosition(), paragraph150);

    // Leaving records the reading position; coming back with it restores the same line.
    host.calls.clear();
    QVERIFY(navigator->ShowArticle(1, 0));
    QCOMPARE(*navigator->history().EntryAt(1), (HistoryEntry{2, paragraph150}));
    QVERIFY(navigator->ShowArticle(2, paragraph150 + 3));
    QCOMPARE(view->FirstVisiblePosition(), paragraph150);
}

void MireldaViewTest::keys_typingChangesNothing_navigationScrolls()
{
    QVERIFY(navigator->ShowArticle(2, 0));
    view->setFocus();
    const QString before = view->toPlainText();
    QTest::keyClicks(view.get(), QStringLiteral("abc"));
    QTest::keyClick(view.get(), Qt::Key_Tab);
    QTest::keyClick(view.get(), Qt::Key_Return);
    QTest::keyClick(view.get(), Qt::Key_Delete);
    QCOMPARE(view->toPlainText(), before);
    QCOMPARE(view->verticalScrollBar()->value(), 0);

    QScrollBar* v = view->verticalScrollBar();
    const std::u16string& text = view->articleText();
    const auto second = static_cast<std::int32_t>(text.find(u"Paragraphe 1 "));
    const auto third = static_cast<std::int32_t>(text.find(u"Paragraphe 2 "));
    QTest::keyClick(view.get(), Qt::Key_Down);
    QCOMPARE(view->FirstVisiblePosition(), second);
    QTest::keyClick(view.get(), Qt::Key_Down);
    QCOMPARE(view->FirstVisiblePosition(), third);
    QTest::keyClick(view.get(), Qt::Key_Up);
    QCOMPARE(view->FirstVisiblePosition(), second);
    const int start = v->value();
    QTest::keyClick(view.get(), Qt::Key_PageDown);
    QCOMPARE(v->value(), start + v->pageStep());
    QTest::keyClick(view.get(), Qt::Key_PageUp);
    QCOMPARE(v->value(), start);
    QTest::keyClick(view.get(), Qt::Key_End);
    QCOMPARE(v->value(), v->maximum());
    QTest::keyClick(view.get(), Qt::Key_Home);
    QCOMPARE(v->value(), 0);
    QCOMPARE(view->horizontalScrollBar()->value(), 0);

    QTest::keyClick(view.get(), Qt::Key_Escape);
    QCOMPARE(host.minimized, 1);
    QCOMPARE(view->currentArticle(), 2);
    QCOMPARE(view->textInteractionFlags(), Qt::TextSelectableByMouse); // no caret to show
}

void MireldaViewTest::find_firstThenNextThenNothing()
{
    QVERIFY(navigator->ShowArticle(1, 0));
    // "0123456789LINKS after POPUP and GONE.\r" is 38 positions; "chat" follows at 38 and 56.
    QCOMPARE(view->FindInArticle(QStringLiteral("chat"), false, false), 38);
    QCOMPARE(view->textCursor().selectedText(), QStringLiteral("chat"));
    QCOMPARE(view->FindNextInArticle(QStringLiteral("chat"), false, false), 56);
    QCOMPARE(view->selectionStart(), 56);
    QCOMPARE(view->selectionEnd(), 60);
    QCOMPARE(view->FindNextInArticle(QStringLiteral("chat"), false, false), -1);
    QCOMPARE(view->selectionStart(), 56); // a failed find leaves the selection
    // FindInArticle starts over from the top.
    QCOMPARE(view->FindInArticle(QStringLiteral("chat"), false, false), 38);
    // An empty selection is a starting point of its own: no step past it.
    view->setSelection(56, 56);
    QCOMPARE(view->FindNextInArticle(QStringLiteral("chat"), false, false), 56);
}

void MireldaViewTest::find_options_andHiddenText()
{
    QVERIFY(navigator->ShowArticle(1, 0));
    QCOMPARE(view->FindInArticle(QStringLiteral("CHAT"), true, false), -1);
    QCOMPARE(view->FindInArticle(QStringLiteral("CHAT"), false, false), 38);
    QCOMPARE(view->FindInArticle(QStringLiteral("ha"), false, true), -1);
    QCOMPARE(view->FindInArticle(QStringLiteral("link"), false, false), 10);

    QVERIFY(navigator->ShowArticle(5, 0));
    // Hidden text counts in the positions but is never selected on screen.
    QCOMPARE(view->FindInArticle(QStringLiteral("chat"), false, false), 16);
    QCOMPARE(view->textCursor().selectedText(), QStringLiteral("chat"));
    QCOMPARE(view->FindInArticle(QStringLiteral("hidden"), false, false), 0);
    QCOMPARE(view->selectionStart(), 0);
    QCOMPARE(view->FindNextInArticle(QStringLiteral("hidden"), false, false), -1);
    view->SelectAll();
    QCOMPARE(view->selectionStart(), 0);
    QCOMPARE(view->selectionEnd(), static_cast<std::int32_t>(view->articleText().size()));
}

void MireldaViewTest::highlights_boundedInOneParagraph()
{
    // Two paragraphs of 300 "a": each colours kMaxHighlightsPerParagraph of its own, and every
    // occurrence is counted; the current one past the bound is coloured too.
    std::string rtf = "{\\rtf1 ";
    for (int p = 0; p < 2; ++p) {
        for (int i = 0; i < 300; ++i)
            rtf += "a ";
        rtf += "\\par ";
    }
    view->ShowArticleText(rtf + "}");
    QCOMPARE(view->HighlightOccurrences(QStringLiteral("a"), false, false), 600);
    QCOMPARE(view->extraSelections().size(), 2 * kMaxHighlightsPerParagraph);
    QCOMPARE(view->extraSelections().back().cursor.selectionStart(),
             601 + 2 * (kMaxHighlightsPerParagraph - 1));
    view->setSelection(2 * 299 - 1, 2 * 299 - 1);
    QCOMPARE(view->FindNextInArticle(QStringLiteral("a"), false, false), 2 * 299);
    QCOMPARE(view->extraSelections().size(), 2 * kMaxHighlightsPerParagraph + 1);
    QCOMPARE(view->extraSelections().back().cursor.selectionStart(), 2 * 299);
}

void MireldaViewTest::highlights_everyOccurrenceUntilAnotherArticle()
{
    QVERIFY(navigator->ShowArticle(1, 0));
    view->setSelection(3, 4);
    using Hits = std::vector<std::pair<std::int32_t, std::int32_t>>;
    QCOMPARE(view->HighlightOccurrences(QStringLiteral("CHAT"), false, true), 2);
    QCOMPARE(view->highlights(), (Hits{{38, 42}, {56, 60}}));
    QCOMPARE(view->extraSelections().size(), 2);
    QCOMPARE(view->extraSelections()[1].cursor.selectedText(), QStringLiteral("chat"));
    QCOMPARE(view->selectionStart(), 3); // the selection is the find's business
    QCOMPARE(view->HighlightOccurrences(QStringLiteral("CHAT"), true, false), 0);
    QVERIFY(view->extraSelections().isEmpty());

    view->HighlightOccurrences(QStringLiteral("chat"), false, false);
    QVERIFY(navigator->ShowArticle(3, 0)); // a pop-up leaves the article and its hits
    QCOMPARE(view->highlights().size(), 2u);
    QVERIFY(navigator->ShowArticle(2, 0));
    QVERIFY(view->highlights().empty());
    QVERIFY(view->extraSelections().isEmpty());
}

void MireldaViewTest::linkKeys_ctrlTabInTextOrder_ctrlReturnFollowsAsAClick()
{
    MessageAnswerer closer;
    QVERIFY(navigator->ShowArticle(1, 0));
    view->setFocus();
    host.calls.clear();
    // Plain Tab and Enter still do nothing.
    QTest::keyClick(view.get(), Qt::Key_Tab);
    QTest::keyClick(view.get(), Qt::Key_Return);
    QVERIFY(!view->focusedLink());
    QVERIFY(view->hasFocus());

    QTest::keyClick(view.get(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(view->focusedLink()->first, 10);
    QCOMPARE(view->extraSelections().size(), 1);
    QCOMPARE(view->extraSelections()[0].cursor.selectedText(), QStringLiteral("LINKS"));
    QTest::keyClick(view.get(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(view->focusedLink()->first, 22);
    QCOMPARE(view->accessibleDescription(), QStringLiteral("Lien : POPUP"));
    QTest::keyClick(view.get(), Qt::Key_Return); // Enter alone follows nothing
    QVERIFY(host.calls.isEmpty());

    // The second link leads to a pop-up, which opens beside it.
    QTest::keyClick(view.get(), Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(host.calls, QStringList{QStringLiteral("popup")});
    QCOMPARE(host.popupTitle, std::string("#POPUP:Glossaire"));
    QCOMPARE(host.popupPoint, view->viewport()->mapToGlobal(view->characterRect(22).center()));
    QCOMPARE(view->currentArticle(), 1);

    // Backwards, wrapping from the first link to the last one.
    QTest::keyClick(view.get(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(view.get(), Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(view->focusedLink()->first, 32);
    QTest::keyClick(view.get(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(view->focusedLink()->first, 10);
    QTest::keyClick(view.get(), Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(view->currentArticle(), 2);
    QVERIFY(!view->focusedLink()); // the new article starts without one
    QVERIFY(view->extraSelections().isEmpty());
    QVERIFY(closer.seen.isEmpty());

    // Past hidden text, in the model's numbering.
    QVERIFY(navigator->ShowArticle(5, 0));
    QTest::keyClick(view.get(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(view->extraSelections()[0].cursor.selectedText(), QStringLiteral("LINKS"));
    QTest::keyClick(view.get(), Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    QCOMPARE(view->currentArticle(), 1);
}

void MireldaViewTest::linkKeys_rangesPastTheTextClampedOnLoad()
{
    QVERIFY(navigator->ShowArticle(11, 0));
    QCOMPARE(view->linkTable().records(), (std::vector<LinkRecord>{{5, 14, 2, 0}, {0, 3, 1, 0}}));
    view->setFocus();
    QTest::keyClick(view.get(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(view->extraSelections()[0].cursor.selectedText(), QStringLiteral("Voir"));
    QTest::keyClick(view.get(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(view->focusedLink()->first, 5);
}

void MireldaViewTest::textSize_stepsBoundsWheelPositionsAndRestart()
{
    QCOMPARE(view->textZoom(), 100);
    QVERIFY(navigator->ShowArticle(1, 0));
    view->setFocus();
    const QTextDocument& doc = *view->document();
    QCOMPARE(SizeAt(doc, 0), 10.0);
    QTest::keyClick(view.get(), Qt::Key_Equal, Qt::ControlModifier);
    QCOMPARE(view->textZoom(), 110);
    QCOMPARE(SizeAt(*view->document(), 0), 11.0);
    QTest::keyClick(view.get(), Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(view->textZoom(), 125);
    QTest::keyClick(view.get(), Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(view->textZoom(), 110);
    QTest::keyClick(view.get(), Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(view->textZoom(), 100);
    QCOMPARE(SizeAt(*view->document(), 0), 10.0); // back to the article's own size exactly
    for (int i = 0; i < 8; ++i)
        QTest::keyClick(view.get(), Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(view->textZoom(), 50);
    QCOMPARE(SizeAt(*view->document(), 0), 5.0);
    Wheel(view->viewport(), 120, Qt::ControlModifier);
    QCOMPARE(view->textZoom(), 67);
    Wheel(view->viewport(), 60, Qt::ControlModifier); // half a notch: not yet
    QCOMPARE(view->textZoom(), 67);
    Wheel(view->viewport(), 60, Qt::ControlModifier);
    QCOMPARE(view->textZoom(), 80);
    Wheel(view->viewport(), -120, Qt::NoModifier); // an ordinary scroll
    QCOMPARE(view->textZoom(), 80);
    for (int i = 0; i < 12; ++i)
        view->setTextZoom(mirelda::StepTextZoom(view->textZoom(), 1));
    QCOMPARE(view->textZoom(), 300);
    QCOMPARE(SizeAt(*view->document(), 0), 30.0);

    // Positions keep their meaning: the text, the links and the first visible line.
    QCOMPARE(view->articleText().substr(10, 5), std::u16string(u"LINKS"));
    QCOMPARE(view->positionAt(centerOf(12)), 12);
    QVERIFY(navigator->ShowArticle(2, 0));
    const auto tenth = static_cast<std::int32_t>(view->articleText().find(u"Paragraphe 10 "));
    view->ScrollToPosition(tenth);
    QCOMPARE(view->FirstVisiblePosition(), tenth);
    QTest::keyClick(view.get(), Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(view->FirstVisiblePosition(), tenth);

    // Printing ignores the reader's size.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("zoom.pdf")));
    QCOMPARE(SizeAt(*view->printDocument(printer), 0), 10.0);

    // The next start reads the size back; a pop-up takes the one the view shows.
    QCOMPARE(view->textZoom(), 250);
    view.reset();
    view = std::make_unique<CMireldaView>(host, *session);
    host.view = view.get();
    QCOMPARE(view->textZoom(), 250);
    QVERIFY(navigator->ShowArticle(1, 0));
    QCOMPARE(SizeAt(*view->document(), 0), 25.0);
    CPopupWnd popup;
    popup.CreatePopup("#POPUP:Note", Rtf("Une note.\\par"), {}, view->textZoom());
    QCOMPARE(SizeAt(*popup.textControl()->document(), 0), 25.0);
    QCOMPARE(QSettings(QStringLiteral("mirelda"), QStringLiteral("mirelda"))
                 .value(QStringLiteral("view/textSize"))
                 .toInt(),
             250);
}

void MireldaViewTest::rightClick_showsHostMenuAtMouse()
{
    QVERIFY(navigator->ShowArticle(1, 0));
    QMenu menu;
    menu.addAction(QStringLiteral("&Copier\tCtrl+C"));
    host.menu = &menu;
    bool shown = false;
    QTimer::singleShot(50, &menu, [&] {
        shown = QApplication::activePopupWidget() == &menu;
        menu.close();
    });
    const QPoint at = centerOf(3);
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, at);
    QVERIFY(shown);
    QCOMPARE(view->currentArticle(), 1);
    host.menu = nullptr;
}

void MireldaViewTest::print_writesTheArticle()
{
    QVERIFY(navigator->ShowArticle(2, 0));
    const QString pdf = dir.filePath(QStringLiteral("article.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    view->printArticle(&printer);
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    // The long article runs over several pages.
    const auto pages = bytes.count("/Type /Page") - bytes.count("/Type /Pages");
    QVERIFY2(pages >= 2, qPrintable(QString::number(pages)));
}

void MireldaViewTest::printBook_articlesInOrderOnNewPagesWithoutPopups()
{
    const auto pdfPages = [](const QString& path) {
        QFile file(path);
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        return bytes.count("/Type /Page") - bytes.count("/Type /Pages");
    };
    const auto print = [&](const QString& name, const std::vector<std::int32_t>& articles) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(name));
        auto printed = PrintBook(printer, session->index(), host.pgd, articles, view->font());
        return printed.ok() ? printed.value() : BookPrintout{};
    };
    // Two short articles and a pop-up: one page each, the pop-up left out, in the book's order.
    const BookPrintout shortBook = print(QStringLiteral("short.pdf"), {6, 3, 1});
    QCOMPARE(shortBook.articles, (std::vector<std::int32_t>{6, 1}));
    QCOMPARE(shortBook.pages, 2);
    QCOMPARE(pdfPages(dir.filePath(QStringLiteral("short.pdf"))), 2);
    // The long article takes pages of its own; the next one still starts a new page.
    const BookPrintout longBook = print(QStringLiteral("long.pdf"), {1, 2, 7, 4711});
    QCOMPARE(longBook.articles, (std::vector<std::int32_t>{1, 2, 7}));
    QVERIFY2(longBook.pages >= 4, qPrintable(QString::number(longBook.pages)));
    QCOMPARE(pdfPages(dir.filePath(QStringLiteral("long.pdf"))), longBook.pages);
}

// Records what a printout draws as text, page by page, in place of the printer's engine.
class TextRecorder : public QPaintEngine
{
  public:
    QStringList texts;
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawTextItem(const QPointF&, const QTextItem& item) override { texts << item.text(); }
    Type type() const override { return QPaintEngine::User; }
};

class RecordingPrinter : public QPrinter
{
  public:
    mutable TextRecorder recorder;
    QPaintEngine* paintEngine() const override { return &recorder; }
};

void MireldaViewTest::printBook_numbersPagesTitlesOnceAndNamesTheDocument()
{
    // The title above an article that does not begin with it; a page number at each foot.
    const auto drawn = [&](std::int32_t article) {
        RecordingPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("recorded.pdf")));
        printer.setDocName(QStringLiteral("Tableau.pdf"));
        const auto printed = PrintBook(printer, session->index(), host.pgd, {article}, view->font(),
                                       QStringLiteral("Aide Mildane - Livre"));
        // The name print dialogs make a file name from comes back after the printout.
        [&] { QCOMPARE(printer.docName(), QStringLiteral("Tableau.pdf")); }();
        return printed.ok() && printed->pages == 1 ? printer.recorder.texts.join(QLatin1Char('|'))
                                                   : QString();
    };
    QCOMPARE(drawn(7).count(QStringLiteral("Tableau")), 1); // the title once, above the text
    QVERIFY(drawn(7).startsWith(QStringLiteral("Tableau|")));
    QCOMPARE(drawn(10).count(QStringLiteral("Tableau")), 1); // the article's own heading only
    QVERIFY(drawn(10).endsWith(QStringLiteral("|1")));       // then the page number

    // Page numbers run on through the book: five pages and more give a "5".
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = dir.filePath(QStringLiteral("book.pdf"));
    printer.setOutputFileName(pdf);
    const auto printed = PrintBook(printer, session->index(), host.pgd, {1, 2, 6}, view->font(),
                                   QStringLiteral("Aide Mildane - Généralités"));
    QVERIFY(printed.ok());
    QVERIFY(printed->pages >= 5);
    // The document title, as the PDF's Title: UTF-16 big-endian after its byte order mark.
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString title = QStringLiteral("Aide Mildane - Généralités");
    QByteArray utf16("\xFE\xFF");
    for (const QChar c : title)
        utf16 += char(c.unicode() >> 8), utf16 += char(c.unicode() & 0xFF);
    QVERIFY(file.readAll().contains(utf16));

    // The file name offered for it: the book's title, less what a file name cannot hold.
    QCOMPARE(BookFileName(QStringLiteral("Menus : Fichier/Édition ")),
             QStringLiteral("Menus - Fichier-Édition.pdf"));
    QCOMPARE(BookFileName(QStringLiteral("../..")), QStringLiteral("livre.pdf"));
}

void MireldaViewTest::find_highlightsEveryOccurrenceMarksAndCountsTheCurrent()
{
    QSignalSpy counts(view.get(), &CMireldaView::findCountChanged);
    const auto last = [&] { return counts.last(); };
    QVERIFY(navigator->ShowArticle(1, 0));
    QCOMPARE(view->FindInArticle(QStringLiteral("chat"), false, false), 38);
    QCOMPARE(view->highlights().size(), 2u);
    QCOMPARE(view->currentHighlight(), 0);
    QCOMPARE(last(), (QList<QVariant>{1, 2}));
    // Both hits, and the current one marked over them.
    QCOMPARE(view->extraSelections().size(), 3);
    QCOMPARE(view->extraSelections().last().cursor.selectionStart(), 38);
    QCOMPARE(view->FindNextInArticle(QStringLiteral("chat"), false, false), 56);
    QCOMPARE(last(), (QList<QVariant>{2, 2}));
    QCOMPARE(view->extraSelections().last().cursor.selectionStart(), 56);
    const int before = static_cast<int>(counts.size());
    QCOMPARE(view->FindNextInArticle(QStringLiteral("chat"), false, false), -1);
    QCOMPARE(counts.size(), before); // the last one stays the current one
    // Another string from the same place: the highlights follow it.
    view->setSelection(0, 0);
    QCOMPARE(view->FindNextInArticle(QStringLiteral("et"), false, true), 43);
    QCOMPARE(view->highlights().size(), 1u);
    QCOMPARE(last(), (QList<QVariant>{1, 1}));
    // The next article takes them away.
    QVERIFY(navigator->ShowArticle(2, 0));
    QVERIFY(view->highlights().empty());
    QVERIFY(view->extraSelections().isEmpty());
    QCOMPARE(last(), (QList<QVariant>{0, 0}));
}

void MireldaViewTest::textSize_scalesIndentsTabStopsAndTableColumns()
{
    // Distances on screen between two characters of one line: fonts change the text, not these.
    const auto gap = [&](std::int32_t from, std::int32_t to) {
        return view->characterRect(to).left() - view->characterRect(from).left();
    };
    QVERIFY(navigator->ShowArticle(8, 0)); // "A", a tab to one inch, "B"
    view->setFocus();
    QCOMPARE(gap(0, 2), 96);
    QVERIFY(navigator->ShowArticle(7, 0)); // first column 1500 twips: 100 pixels
    QCOMPARE(gap(159, 164), 100);
    QVERIFY(navigator->ShowArticle(6, 0));
    const int indent = view->characterRect(0).left();

    for (int i = 0; i < 5; ++i)
        QTest::keyClick(view.get(), Qt::Key_Equal, Qt::ControlModifier);
    QCOMPARE(view->textZoom(), 200);
    QCOMPARE(view->document()->firstBlock().blockFormat().leftMargin(), 384.0);
    QCOMPARE(view->characterRect(0).left(), 2 * indent - 4); // the document's own margin stays
    QVERIFY(navigator->ShowArticle(8, 0));
    QCOMPARE(gap(0, 2), 192);
    QVERIFY(navigator->ShowArticle(7, 0));
    QVERIFY(qAbs(gap(159, 164) - 200) <= 1);
    const QTextTable* table =
        qobject_cast<QTextTable*>(view->document()->rootFrame()->childFrames().value(0));
    QVERIFY(table);
    QCOMPARE(table->format().columnWidthConstraints().first().rawValue(), 200.0);

    // Back to the normal size: the lengths the article was built with, exactly.
    QTest::keyClick(view.get(), Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(gap(159, 164), 100);
    QCOMPARE(table->format().columnWidthConstraints().first().rawValue(), 100.0);
}

void MireldaViewTest::print_indentsAtPrinterResolutionAndSelection()
{
    QVERIFY(navigator->ShowArticle(6, 0));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("indent.pdf")));
    printer.setResolution(1200);
    const std::unique_ptr<QTextDocument> doc = view->printDocument(printer);
    doc->documentLayout()->setPaintDevice(&printer);
    doc->setPageSize(QSizeF(printer.width(), printer.height()));
    // Laid out on the printer, the text starts two inches in, in its own point size.
    const QTextBlock block = doc->firstBlock();
    QCOMPARE(block.text(), QStringLiteral("Deux pouces."));
    QCOMPARE(block.layout()->lineAt(0).x(), 2.0 * printer.logicalDpiX());
    QCOMPARE(QTextCursor(block).charFormat().fontPointSize(), 12.0);
    // The view's document stays laid out for the screen.
    QCOMPARE(view->document()->firstBlock().blockFormat().leftMargin(), 192.0);

    view->setSelection(5, 15);
    printer.setPrintRange(QPrinter::Selection);
    QCOMPARE(view->printDocument(printer)->toPlainText(), QStringLiteral("pouces.\nEn"));
    printer.setPrintRange(QPrinter::AllPages);
    QCOMPARE(view->printDocument(printer)->blockCount(), 2);
}

void MireldaViewTest::fileErrors_reportedThroughHost()
{
    QVERIFY(navigator->ShowArticle(1, 0));
    // Without the links file the article still shows, with no links and the error told.
    QVERIFY(std::filesystem::remove(host.pgl));
    host.calls.clear();
    QVERIFY(navigator->ShowArticle(5, 0));
    QCOMPARE(view->currentArticle(), 5);
    QVERIFY(view->linkTable().empty());
    QCOMPARE(host.calls.mid(host.calls.size() - 2),
             (QStringList{QStringLiteral("error ") + QString::fromStdString(host.pgl.string()),
                          QStringLiteral("shown 5  ab ")}));
    // Without the data file nothing changes but the message.
    QVERIFY(std::filesystem::remove(host.pgd));
    host.calls.clear();
    QVERIFY(!navigator->ShowArticle(1, 0));
    QCOMPARE(host.calls, QStringList{QStringLiteral("error ") + QString::fromStdString(host.pgd.string())});
    QCOMPARE(view->currentArticle(), 5);
    QCOMPARE(host.caption, QStringLiteral("Aide Mildane - Caché"));
}

void MireldaViewTest::copy_givesTheShownSelection()
{
    QVERIFY(navigator->ShowArticle(5, 0));
    view->SelectAll();
    view->copy();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral(" ab LINKS chat"));
}

void MireldaViewTest::table_linksFindCopyAndScrollInModelNumbering()
{
    QVERIFY(navigator->ShowArticle(7, 0));
    QCOMPARE(view->articleText().substr(140, 35),
             std::u16string(u"Nom\tVoir LINKS ici\rchat\tchien\vchat\r"));
    // Each cell's characters are found where they are drawn, side by side.
    view->ScrollToPosition(140);
    QCOMPARE(view->FirstVisiblePosition(), 140);
    for (std::int32_t p : {140, 148, 149, 153, 154, 159, 164, 170}) {
        moveTo(p);
        QCOMPARE(view->positionAt(centerOf(p)), p);
        const bool onLink = p >= 149 && p <= 153;
        QVERIFY2(view->viewport()->cursor().shape() == (onLink ? Qt::PointingHandCursor : Qt::ArrowCursor),
                 qPrintable(QString::number(p)));
    }
    // The second cell's text starts right of the first cell's edge (1500 twips, 100 px).
    QVERIFY(view->characterRect(164).left() > view->characterRect(159).left() + 90);
    QCOMPARE(view->characterRect(170).left(), view->characterRect(164).left());
    // Found text is selected inside its cell, never across cells.
    QCOMPARE(view->FindInArticle(QStringLiteral("chat"), false, false), 159);
    QCOMPARE(view->FindNextInArticle(QStringLiteral("chat"), false, false), 170);
    QCOMPARE(view->textCursor().selectedText(), QStringLiteral("chat"));
    QVERIFY(!view->textCursor().hasComplexSelection());
    QCOMPARE(view->FindInArticle(QStringLiteral("ici"), false, false), 155);
    QCOMPARE(view->textCursor().selectedText(), QStringLiteral("ici"));
    QCOMPARE(view->selectionEnd(), 158);
    // Copy keeps the model's text: cells separated by tabs, rows ended by line ends.
    view->setSelection(133, 181);
    view->copy();
    QCOMPARE(QApplication::clipboard()->text(),
             QStringLiteral("Ligne.\nNom\tVoir LINKS ici\nchat\tchien\nchat\nApres."));
    // On paper the cells keep their widths: "Voir" starts 1500 twips right of "Nom".
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("table.pdf")));
    printer.setResolution(1200);
    const std::unique_ptr<QTextDocument> doc = view->printDocument(printer);
    doc->documentLayout()->setPaintDevice(&printer);
    doc->setPageSize(QSizeF(printer.width(), printer.height()));
    const auto left = [&](const QString& text) {
        return doc->documentLayout()->blockBoundingRect(doc->find(text).block()).left();
    };
    QVERIFY2(qAbs(left(QStringLiteral("Voir")) - left(QStringLiteral("Nom")) - 1250) < 30,
             qPrintable(QString::number(left(QStringLiteral("Voir")) - left(QStringLiteral("Nom")))));
    // A click on the link inside the cell follows it.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centerOf(151));
    QCOMPARE(view->currentArticle(), 2);
}

QTEST_MAIN(MireldaViewTest)
#include "mirelda_view_test.moc"
