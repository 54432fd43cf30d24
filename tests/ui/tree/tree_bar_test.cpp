// The contents tree bar in a frame: the tree built from a real .FIC, the image rules, the
// open rules for books and pages, synchronising, and the bar's sizes.

#define QTEST_QPA_MOUSE_HANDLING // mouse events go through the window, as a user's would

#include "core/tree/contents_file.h"
#include "ui/tree/title_filter_box.h"
#include "ui/tree/tree_bar.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QImage>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <QToolTip>
#include <QTreeView>
#include <QtTest>

#include <memory>
#include <optional>

using namespace mirelda::ui;

using mirelda::ContentsRecord;

namespace {

// The frame around the bar: records what the bar asks of it.
struct Frame
{
    mirelda::HelpContents contents; // the session's, which outlives the bar
    QMainWindow window;
    QTextEdit* view = nullptr;
    std::unique_ptr<CTreeBar> bar;
    QList<std::int32_t> shown;
    QStringList messages;
    int minimized = 0;
    std::vector<std::vector<std::int32_t>> printed;
    QList<bool> previews;
    QStringList bookTitles;

    Frame()
    {
        view = new QTextEdit(&window);
        window.setCentralWidget(view);
        bar = std::make_unique<CTreeBar>(contents, &window);
        QObject::connect(bar.get(), &CTreeBar::articleChosen, [this](std::int32_t a) { shown << a; });
        QObject::connect(bar.get(), &CTreeBar::messageRequested, [this](const QString& t) { messages << t; });
        QObject::connect(bar.get(), &CTreeBar::minimizeRequested, [this] { ++minimized; });
        QObject::connect(
            bar.get(), &CTreeBar::printBookRequested,
            [this](const std::vector<std::int32_t>& articles, const QString& title, bool preview) {
                printed.push_back(articles);
                bookTitles << title;
                previews << preview;
            });
        if (bar->Create(&window))
            window.addDockWidget(Qt::LeftDockWidgetArea, bar.get());
        window.resize(800, 600);
    }
};

QModelIndex Find(QTreeView* tree, const QString& text)
{
    const auto found = tree->model()->match(tree->model()->index(0, 0), Qt::DisplayRole, text, 1,
                                            Qt::MatchExactly | Qt::MatchRecursive | Qt::MatchWrap);
    return found.isEmpty() ? QModelIndex() : found.first();
}

QModelIndex Top(QTreeView* tree, int row)
{
    return tree->model()->index(row, 0);
}
QString Text(const QModelIndex& index)
{
    return index.data().toString();
}

} // namespace

class TreeBarTest : public QObject
{
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    std::filesystem::path fic_;

  private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        fic_ = std::filesystem::path(dir_.filePath(QStringLiteral("GUIDE.FIC")).toStdString());
        const std::vector<ContentsRecord> records{
            {"B0", "Livre 0", "0", 0, 0, 0},
            {"B1", "Livre 1", "B0", 0, 0, 0},
            {"B2", "Livre 2", "B1", 0, 0, 0},
            {"B3", "Livre 3", "B2", 0, 0, 0},
            {"B4", "Livre 4", "B3", 0, 0, 0},
            {"B5", "Livre 5", "B4", 0, 0, 0},
            {"P7", "G\xe9n\xe9ralit\xe9s", "B2", 7, 0, 0}, // Windows-1252
            {"BP", "Livre sous page", "P7", 0, 0, 0},
            {"P8", "Page sous livre", "BP", 8, 0, 0},
            {"S0", "Voisin du haut", "B0", 0, 0, 2},    // sibling of a top-level book
            {"S1", "Voisin du livre 1", "B1", 0, 0, 2}, // sibling: under B0
            {"T9", "Haut, lien 2", "0", 9, 0, 2},       // "0" wins over the link kind
            {"P4", "Page profonde", "B5", 4, 0, 0},
        };
        QVERIFY(mirelda::WriteContentsFile(fic_, records).ok());
    }

    void bookMenu_printsTheBooksPagesInOrder_pageHasNone()
    {
        Frame f;
        QVERIFY(f.bar->LoadTree(fic_).ok());
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QTreeView* tree = f.bar->tree();
        // The menu key on the current row; the entry `pick` is chosen in the menu.
        const auto menuOn = [&](const QString& text, int pick) {
            tree->setCurrentIndex(Find(tree, text));
            QStringList seen;
            QTimer::singleShot(50, tree, [&] {
                if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                    for (QAction* action : menu->actions())
                        seen << action->text();
                    menu->setActiveAction(menu->actions().at(pick));
                    QTest::keyClick(menu, Qt::Key_Return);
                }
            });
            QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(), QPoint());
            QApplication::sendEvent(tree, &event);
            QTest::qWait(100);
            return seen;
        };
        const QStringList entries{QStringLiteral("&Imprimer le livre..."), QStringLiteral("Aperçu du livre")};
        QCOMPARE(menuOn(QStringLiteral("Livre 2"), 1), entries);
        // Depth first through books and under pages: Livre 5's page, then Généralités and the
        // page of the book under it.
        QCOMPARE(f.printed, (std::vector<std::vector<std::int32_t>>{{4, 7, 8}}));
        QCOMPARE(f.previews, QList<bool>{true});
        QCOMPARE(f.bookTitles, QStringList{QStringLiteral("Livre 2")}); // for the printout's title
        QCOMPARE(menuOn(QStringLiteral("Livre 5"), 0), entries);
        QCOMPARE(f.printed.back(), (std::vector<std::int32_t>{4}));
        QCOMPARE(f.previews.back(), false);
        QVERIFY(menuOn(QStringLiteral("Généralités"), 0).isEmpty());
        QCOMPARE(f.printed.size(), std::size_t(2));
    }

    void loadTree_imagesByDepthAndLinkKinds()
    {
        Frame f;
        const auto report = f.bar->LoadTree(fic_);
        QVERIFY(report.ok());
        QCOMPARE(report->entries, std::size_t(13));
        QTreeView* tree = f.bar->tree();
        QCOMPARE(tree->model()->rowCount(), 3);
        QCOMPARE(Text(Top(tree, 0)), QStringLiteral("Livre 0"));
        QCOMPARE(Text(Top(tree, 1)), QStringLiteral("Voisin du haut"));
        QCOMPARE(Text(Top(tree, 2)), QStringLiteral("Haut, lien 2"));

        const QList<QPair<QString, int>> images{
            {QStringLiteral("Livre 0"), 0},        {QStringLiteral("Livre 1"), 1},
            {QStringLiteral("Livre 2"), 2},        {QStringLiteral("Livre 3"), 3},
            {QStringLiteral("Livre 4"), 4},        {QStringLiteral("Livre 5"), 0},
            {QStringLiteral("Généralités"), 10},   {QStringLiteral("Livre sous page"), 1},
            {QStringLiteral("Voisin du haut"), 0}, {QStringLiteral("Voisin du livre 1"), 1},
            {QStringLiteral("Haut, lien 2"), 10},
        };
        for (const auto& [text, image] : images) {
            const QModelIndex item = Find(tree, text);
            QVERIFY2(item.isValid(), qPrintable(text));
            QCOMPARE(CTreeBar::ImageIndexOf(item), image);
            QVERIFY2(!item.data(Qt::DecorationRole).value<QIcon>().isNull(), qPrintable(text));
            QVERIFY(!tree->isExpanded(item));
        }
        // The sibling link puts S1 after B1 under B0; the page under the book under the page.
        const QModelIndex b0 = Top(tree, 0);
        QCOMPARE(tree->model()->rowCount(b0), 2);
        QCOMPARE(Text(tree->model()->index(1, 0, b0)), QStringLiteral("Voisin du livre 1"));
        QCOMPARE(Text(Find(tree, QStringLiteral("Page sous livre")).parent().parent()),
                 QStringLiteral("Généralités"));
        // Pages carry their article, books 0.
        QCOMPARE(f.bar->ArticleOf(Find(tree, QStringLiteral("Généralités"))), 7);
        QCOMPARE(f.bar->ArticleOf(Find(tree, QStringLiteral("Haut, lien 2"))), 9);
        QCOMPARE(f.bar->ArticleOf(b0), 0);
        QCOMPARE(f.bar->ArticleOf(QModelIndex()), 0);
    }

    void expandCollapse_switchesBookImages_pageKeepsItsImage()
    {
        Frame f;
        QVERIFY(f.bar->LoadTree(fic_).ok());
        QTreeView* tree = f.bar->tree();
        const QModelIndex b2 = Find(tree, QStringLiteral("Livre 2"));
        tree->expand(b2);
        QCOMPARE(CTreeBar::ImageIndexOf(b2), 7);
        tree->collapse(b2);
        QCOMPARE(CTreeBar::ImageIndexOf(b2), 2);
        const QModelIndex page = Find(tree, QStringLiteral("Généralités"));
        tree->expand(page);
        QCOMPARE(CTreeBar::ImageIndexOf(page), 10);
        tree->collapse(page);
        QCOMPARE(CTreeBar::ImageIndexOf(page), 10);
        QVERIFY(!Top(tree, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    }

    void openRules_doubleClickEnterSpaceEscape()
    {
        Frame f;
        QVERIFY(f.bar->LoadTree(fic_).ok());
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QTreeView* tree = f.bar->tree();
        tree->setFocus();

        const QModelIndex book = Top(tree, 0);
        const QModelIndex page = Top(tree, 2); // article 9
        const QPoint bookAt = tree->visualRect(book).center();
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, bookAt);
        QVERIFY(f.shown.isEmpty());
        QVERIFY(tree->isExpanded(book)); // the tree's own double click still opens the book
        QCOMPARE(CTreeBar::ImageIndexOf(book), 5);

        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(page).center());
        QCOMPARE(f.shown, QList<std::int32_t>{9});

        // A page with children, double-clicked on its +/- box: its article, and it opens.
        f.shown.clear();
        f.bar->SelectArticle(4); // brings "Généralités" (article 7, with a child book) into view
        const QModelIndex parentPage = Find(tree, QStringLiteral("Généralités"));
        QVERIFY(!tree->isExpanded(parentPage));
        const QRect row = tree->visualRect(parentPage);
        const QPoint box(row.left() - tree->indentation() / 2, row.center().y());
        QCOMPARE(tree->indexAt(box), parentPage);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, box);
        QCOMPARE(f.shown, QList<std::int32_t>{7});
        QVERIFY(tree->isExpanded(parentPage));

        f.shown.clear();
        tree->collapseAll();
        tree->setCurrentIndex(book);
        QTest::keyClick(tree, Qt::Key_Return);
        QVERIFY(f.shown.isEmpty());
        QVERIFY(!tree->isExpanded(book)); // Enter on a book does nothing at all
        tree->expand(book);
        QTest::keyClick(tree, Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(tree->isExpanded(book));
        QTest::keyClick(tree, Qt::Key_Space);
        QVERIFY(f.shown.isEmpty());
        QCOMPARE(tree->currentIndex(), book);

        tree->setCurrentIndex(page);
        QTest::keyClick(tree, Qt::Key_Return);
        QTest::keyClick(tree, Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(tree, Qt::Key_Space);
        QCOMPARE(f.shown, (QList<std::int32_t>{9, 9, 9}));
        QVERIFY(!f.bar->OpenItem(QModelIndex()));

        QCOMPARE(f.minimized, 0);
        QTest::keyClick(tree, Qt::Key_Escape);
        QCOMPARE(f.minimized, 1);
    }

    void selectArticle_insideClosedBooks_expandsAndSelectsWithoutOpening()
    {
        Frame f;
        QVERIFY(f.bar->LoadTree(fic_).ok());
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QTreeView* tree = f.bar->tree();

        f.bar->SelectArticle(8); // Livre 0 > Livre 1 > Livre 2 > Généralités > Livre sous page > here
        const QModelIndex target = Find(tree, QStringLiteral("Page sous livre"));
        QCOMPARE(tree->currentIndex(), target);
        QVERIFY(tree->selectionModel()->isSelected(target));
        for (QModelIndex up = target.parent(); up.isValid(); up = up.parent())
            QVERIFY2(tree->isExpanded(up), qPrintable(Text(up)));
        QCOMPARE(CTreeBar::ImageIndexOf(Find(tree, QStringLiteral("Livre 1"))), 6);
        QVERIFY(tree->viewport()->rect().intersects(tree->visualRect(target)));
        QVERIFY(f.shown.isEmpty());

        f.bar->SelectArticle(12345); // no entry opens it
        f.bar->SelectArticle(0);
        QCOMPARE(tree->currentIndex(), target);
        QVERIFY(f.shown.isEmpty());
    }

    void deepTree_loadsInTheBackgroundShowsSelectsAndCloses()
    {
        // 150 000 entries each under the one before: shown down to the deepest level the
        // bar allows, the rest beside it; selecting the last one opens every level above it.
        constexpr int kDepth = 150000;
        std::vector<ContentsRecord> records;
        records.reserve(kDepth);
        records.push_back({"k0", "Niveau 0", "0", 0, 0, 0});
        for (int i = 1; i < kDepth; ++i)
            records.push_back({"k" + std::to_string(i), "Niveau " + std::to_string(i),
                               "k" + std::to_string(i - 1), i == kDepth - 1 ? 77 : 0, 0, 0});
        const std::filesystem::path fic =
            std::filesystem::path(dir_.filePath(QStringLiteral("DEEP.FIC")).toStdString());
        QVERIFY(mirelda::WriteContentsFile(fic, records).ok());

        auto f = std::make_unique<Frame>();
        f->window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f->window));
        std::size_t problems = 0;
        bool done = false;
        f->bar->StartLoadTree(fic, [&](const CTreeBar::LoadResult& r) {
            QVERIFY(r.ok());
            QCOMPARE(r->entries, std::size_t(kDepth));
            problems = r->problems.size();
            done = true;
        });
        QVERIFY(!f->bar->treeLoaded());
        f->bar->SelectArticle(77); // carried out once the tree is there
        QTRY_VERIFY_WITH_TIMEOUT(done, 60000);
        QVERIFY(f->bar->treeLoaded());
        QCOMPARE(problems, std::size_t(kDepth - 1 - mirelda::kMaxContentsDepth));

        QTreeView* tree = f->bar->tree();
        const QModelIndex last = tree->currentIndex();
        QCOMPARE(f->bar->ArticleOf(last), 77);
        int depth = 0;
        for (QModelIndex up = last.parent(); up.isValid(); up = up.parent(), ++depth)
            QVERIFY(tree->isExpanded(up));
        QCOMPARE(depth, int(mirelda::kMaxContentsDepth));
        QCOMPARE(tree->model()->rowCount(last.parent()), kDepth - int(mirelda::kMaxContentsDepth));
        tree->viewport()->grab(); // painted at that depth
        tree->expandAll();
        tree->viewport()->grab();
        f.reset(); // and closed
    }

    void stopLoadTree_keepsTheEntriesReadSoFar_andTheBarWorks()
    {
        // Many top-level books, each with one page: a stop leaves some prefix of them.
        constexpr int kBooks = 200000;
        std::vector<ContentsRecord> records;
        records.reserve(2 * kBooks);
        for (int i = 0; i < kBooks; ++i) {
            const std::string key = "b" + std::to_string(i);
            records.push_back({key, "Livre " + std::to_string(i), "0", 0, 0, 0});
            records.push_back({"p" + std::to_string(i), "Page " + std::to_string(i), key, i + 1, 0, 0});
        }
        const std::filesystem::path fic =
            std::filesystem::path(dir_.filePath(QStringLiteral("BIG.FIC")).toStdString());
        QVERIFY(mirelda::WriteContentsFile(fic, records).ok());

        Frame f;
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        std::optional<CTreeBar::LoadResult> result;
        f.bar->StartLoadTree(fic, [&](const CTreeBar::LoadResult& r) { result = r; });
        f.bar->StopLoadTree();
        QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 60000);
        QVERIFY(result->ok());
        QVERIFY((*result)->stopped);
        const std::size_t entries = (*result)->entries;
        QVERIFY(entries < records.size());

        // Every entry read is in its place: books in order, each with its page once read.
        QAbstractItemModel* model = f.bar->tree()->model();
        const int books = model->rowCount();
        QCOMPARE(std::size_t(books), (entries + 1) / 2);
        for (int i = 0; i < books; ++i)
            QCOMPARE(Text(Top(f.bar->tree(), i)), QStringLiteral("Livre %1").arg(i));
        if (books > 0) {
            const QModelIndex lastBook = Top(f.bar->tree(), books - 1);
            QCOMPARE(model->rowCount(lastBook), entries % 2 == 0 ? 1 : 0);
            QCOMPARE(model->rowCount(Top(f.bar->tree(), 0)), entries >= 2 ? 1 : 0);
        }
        if (entries >= 2) { // the bar opens what it holds
            const QModelIndex page = model->index(0, 0, Top(f.bar->tree(), 0));
            QVERIFY(f.bar->OpenItem(page));
            QCOMPARE(f.shown, QList<std::int32_t>{1});
        }
        f.bar->tree()->viewport()->grab();
    }

    void applyWidth_isTheFractionOfTheFrameWidth_atLeastTen()
    {
        Frame f;
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QVERIFY(f.messages.isEmpty()); // the strip was made
        QCOMPARE(f.bar->strip()->value(), 0.25f);
        f.bar->ApplyWidth();
        QCOMPARE(f.bar->dockedSize().width(), 200);
        QTRY_COMPARE(f.bar->width(), 200);
        QCOMPARE(f.bar->dockedSize().height(), f.view->height());

        f.bar->strip()->setValue(0.01f); // 8 pixels
        f.bar->ApplyWidth();
        QCOMPARE(f.bar->dockedSize().width(), 10);
        QTRY_COMPARE(f.bar->width(), 10);
    }

    void treeGeometry_leavesRoomForTheStrip()
    {
        Frame f;
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        f.bar->client()->resize(150, 400);
        // The title filter's row on top, the tree below it to the bottom.
        const QRect filter = f.bar->titleFilter()->geometry();
        QCOMPARE(filter.topLeft(), QPoint(1, 1));
        QCOMPARE(filter.width(), 145);
        QCOMPARE(f.bar->tree()->geometry(), QRect(1, filter.bottom() + 2, 145, 398 - filter.height() - 1));
        QCOMPARE(f.bar->titleFilter()->results()->geometry(), f.bar->tree()->geometry());
        QCOMPARE(f.bar->strip()->geometry(), QRect(144, 0, 4, 400));
        QCOMPARE(f.bar->strip()->cursor().shape(), Qt::SplitHCursor);
    }

    void longTitles_scrollSideways_firstRootHasNoLineAbove()
    {
        const std::filesystem::path fic =
            std::filesystem::path(dir_.filePath(QStringLiteral("LONG.FIC")).toStdString());
        const std::string longTitle =
            "Un titre bien trop long pour la largeur du sommaire, qui se lit en d\xe9"
            "filant";
        QVERIFY(mirelda::WriteContentsFile(fic, {{"B0", "Livre 0", "0", 0, 0, 0},
                                                 {"B1", "Livre 1", "B0", 0, 0, 0},
                                                 {"S0", "Voisin du haut", "0", 0, 0, 0},
                                                 {"T9", longTitle, "0", 9, 0, 0}})
                    .ok());
        Frame f;
        QVERIFY(f.bar->LoadTree(fic).ok());
        QTreeView* tree = f.bar->tree();
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        // Whole titles, and a horizontal scroll bar to reach their ends.
        QCOMPARE(tree->textElideMode(), Qt::ElideNone);
        QTRY_VERIFY(tree->horizontalScrollBar()->maximum() > 0);
        QVERIFY(tree->header()->sectionSize(0) >
                tree->indentation() + tree->fontMetrics().horizontalAdvance(Text(Top(tree, 2))));
        // The pane cuts it: hovering it shows the whole title; a title that fits has no tip.
        const auto tipOver = [&](const QModelIndex& item) -> QString {
            QToolTip::hideText(); // it fades out
            for (int i = 0; i < 100 && QToolTip::isVisible(); ++i)
                QTest::qWait(20);
            const QPoint at = tree->visualRect(item).center();
            QHelpEvent help(QEvent::ToolTip, at, tree->viewport()->mapToGlobal(at));
            QApplication::sendEvent(tree->viewport(), &help);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        QCOMPARE(Text(Top(tree, 2)).left(8), QStringLiteral("Un titre"));
        QVERIFY(f.bar->TitleCut(Top(tree, 2)));
        QCOMPARE(tipOver(Top(tree, 2)), Text(Top(tree, 2)));
        QVERIFY(!f.bar->TitleCut(Top(tree, 1)));
        QCOMPARE(tipOver(Top(tree, 1)), QString());
        // Scrolled to its end, the start of the title is what is cut.
        tree->horizontalScrollBar()->setValue(tree->horizontalScrollBar()->maximum());
        QVERIFY(f.bar->TitleCut(Top(tree, 2)));
        tree->horizontalScrollBar()->setValue(0);

        // The branch column of a root item: the first one has no dotted line above its box,
        // the next ones have the line that joins them to the one before.
        const QImage image = tree->viewport()->grab().toImage();
        const QRgb base = tree->palette().color(QPalette::Base).rgb();
        const auto marksAbove = [&](const QModelIndex& item) {
            const QRect r = tree->visualRect(item);
            const int boxTop = r.top() + r.height() / 2 - 4;
            int marks = 0;
            for (int y = r.top(); y < boxTop; ++y)
                for (int x = r.left() - tree->indentation(); x < r.left(); ++x)
                    marks += image.pixel(x, y) != base;
            return marks;
        };
        QCOMPARE(marksAbove(Top(tree, 0)), 0);
        QVERIFY(marksAbove(Top(tree, 1)) > 0);
    }

    void bar_cannotBeDraggedFloatedOrClosed()
    {
        Frame f;
        QCOMPARE(f.bar->features(), QDockWidget::NoDockWidgetFeatures);
        QVERIFY(f.bar->titleBarWidget());
        QCOMPARE(f.window.dockWidgetArea(f.bar.get()), Qt::LeftDockWidgetArea);
        CTreeBar orphan(f.contents);
        QVERIFY(!orphan.Create(nullptr));
    }
};

QTEST_MAIN(TreeBarTest)
#include "tree_bar_test.moc"
