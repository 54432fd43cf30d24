#include "ui/tree/tree_bar.h"

#include "core/store/cp1252.h"
#include "core/tree/book_pages.h"
#include "core/view/bar_geometry.h"
#include "ui/tree/title_filter_box.h"
#include "ui/widgets/dialog_units.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>
#include <QToolTip>
#include <QTreeView>
#include <QVector>
#include <QtConcurrent/QtConcurrentRun>

#include <memory>

namespace mirelda::ui {

namespace {

constexpr int kImageSize = 16;

// A book shows its open image while expanded. A page keeps the page image whether or not it
// has children: the list has no open page, and a page is still a page when opened.
int ImageAfterToggle(int image, bool expanded)
{
    using mirelda::kBookImageCount;
    using mirelda::kOpenBookOffset;
    if (expanded && image >= 0 && image < kBookImageCount)
        return image + kOpenBookOffset;
    if (!expanded && image >= kOpenBookOffset && image < kOpenBookOffset + kBookImageCount)
        return image - kOpenBookOffset;
    return image;
}

// The classic style joins every item to the one above with a dotted line, the very first
// one included, where there is nothing above to join. Its line stops at the +/- box
// (half the box, 4 pixels, above the middle of the row) or, without a box, at the middle.
class ContentsTreeView : public QTreeView
{
  public:
    using QTreeView::QTreeView;
    bool classicLines = false;

  protected:
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override
    {
        if (!classicLines || !rootIsDecorated() || index.parent().isValid() || index.row() != 0) {
            QTreeView::drawBranches(painter, rect, index);
            return;
        }
        const int middle = rect.top() + rect.height() / 2;
        const int lineEnd = model()->hasChildren(index) ? middle - 4 : middle;
        painter->save();
        painter->setClipRegion(
            QRegion(rect).subtracted(QRect(rect.left(), rect.top(), rect.width(), lineEnd - rect.top())),
            Qt::IntersectClip);
        QTreeView::drawBranches(painter, rect, index);
        painter->restore();
    }
};

} // namespace

CTreeBar::CTreeBar(mirelda::HelpContents& contents, QWidget* parent)
    : CDlgBar(parent), model_(new CContentsTreeModel(contents, this)), contents_(contents)
{
    setObjectName(QStringLiteral("treeBar"));
}

CTreeBar::~CTreeBar()
{
    stopLoad_ = true; // a bar closed while loading waits for no more than a record
    if (load_) {
        load_->disconnect(this);
        load_->waitForFinished();
    }
}

bool CTreeBar::Create(QMainWindow* frame)
{
    const DialogUnits du;
    if (!CDlgBar::Create(frame, Qt::LeftDockWidgetArea, du.Size(124, 103)))
        return false;

    auto* tree = new ContentsTreeView(client());
    tree_ = tree;
    tree_->setModel(model_);
    tree_->setObjectName(QStringLiteral("contentsTree"));
    // Dotted lines, lines at the root and +/- buttons: the classic tree look, where the
    // platform style has one.
    if (QStyle* classic = QStyleFactory::create(QStringLiteral("Windows"))) {
        classic->setParent(tree_);
        tree_->setStyle(classic);
        tree->classicLines = true;
    }
    tree_->setHeaderHidden(true);
    // Whole titles: one column as wide as the widest shown title, a horizontal scroll bar
    // when that is wider than the bar.
    tree_->setTextElideMode(Qt::ElideNone);
    // The width is fitted by FitColumnSoon, not by the header's ResizeToContents, which would
    // measure the shown rows again for every item expanded or repainted.
    tree_->header()->setStretchLastSection(false);
    tree_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    tree_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    tree_->setRootIsDecorated(true);
    tree_->setItemsExpandable(true);
    tree_->setExpandsOnDoubleClick(true);
    tree_->setDragEnabled(false);
    tree_->setDragDropMode(QAbstractItemView::NoDragDrop);
    tree_->setUniformRowHeights(true);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setFocusPolicy(Qt::StrongFocus);
    tree_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    tree_->setIconSize(QSize(kImageSize, kImageSize));
    // The selection stays visible while the focus is in the article view.
    QPalette pal = tree_->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    tree_->setPalette(pal);
    // Left offset 1: the tree's right margin is then the 4 pixels the strip needs.
    tree_->setGeometry(QRect(QPoint(1, 1), du.Size(91, 73)));
    tree_->installEventFilter(this);
    tree_->viewport()->installEventFilter(this);
    connect(tree_, &QTreeView::expanded, this, [this](const QModelIndex& item) { ItemToggled(item, true); });
    connect(tree_, &QTreeView::collapsed, this,
            [this](const QModelIndex& item) { ItemToggled(item, false); });
    connect(model_, &QAbstractItemModel::modelReset, this, &CTreeBar::FitColumnSoon);
    connect(tree_->verticalScrollBar(), &QScrollBar::valueChanged, this, &CTreeBar::FitColumnSoon);

    // The title filter above the tree: Ctrl+K anywhere in the frame, "/" in the tree.
    filter_ = new CTitleFilterBox(contents_, client(), tree_);
    connect(filter_, &CTitleFilterBox::articleChosen, this, &CTreeBar::articleChosen);
    auto* findTitle = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_K), frame);
    connect(findTitle, &QShortcut::activated, this, [this] {
        show();
        filter_->Activate();
    });

    strip_ = CSplitterStrip::Create(client(), this, kStripId, mirelda::StripOrientation::Vertical,
                                    mirelda::bars::kInitialTreeFraction);
    if (!strip_)
        emit messageRequested(QStringLiteral("Error creating staticbar"));

    LoadImages();
    ClientResized(client()->size());
    return true;
}

void CTreeBar::LoadImages()
{
    // One strip of 15 images, 16 pixels square, and its double-size drawing for high DPI.
    const QImage normal(QStringLiteral(":/icons/tree.png"));
    const QImage doubled(QStringLiteral(":/icons/tree@2x.png"));
    QVector<QIcon> images;
    for (int i = 0; i < kImageCount; ++i) {
        QIcon icon;
        if (!normal.isNull())
            icon.addPixmap(QPixmap::fromImage(normal.copy(i * kImageSize, 0, kImageSize, kImageSize)));
        if (!doubled.isNull()) {
            QPixmap big =
                QPixmap::fromImage(doubled.copy(i * 2 * kImageSize, 0, 2 * kImageSize, 2 * kImageSize));
            big.setDevicePixelRatio(2.0);
            icon.addPixmap(big);
        }
        images.append(icon);
    }
    model_->SetImages(std::move(images));
}

int CTreeBar::ImageIndexOf(const QModelIndex& item)
{
    return item.data(CContentsTreeModel::kImageRole).toInt();
}

float CTreeBar::fraction() const
{
    return strip_ ? strip_->value() : mirelda::bars::kInitialTreeFraction;
}

// --- loading ------------------------------------------------------------------------------

CTreeBar::LoadResult CTreeBar::LoadTree(const std::filesystem::path& ficPath)
{
    mirelda::HelpContents::TreeRead read = mirelda::HelpContents::ReadTree(ficPath);
    model_->Adopt(std::move(read.tree));
    return std::move(read.report);
}

void CTreeBar::StartLoadTree(const std::filesystem::path& ficPath,
                             std::function<void(const LoadResult&)> done)
{
    if (load_)
        return; // a load is under way
    stopLoad_ = false;
    load_ = std::make_unique<QFutureWatcher<mirelda::HelpContents::TreeRead>>();
    // Delivered on the bar's thread; a bar closed first waits for the read and drops it.
    connect(load_.get(), &QFutureWatcherBase::finished, this, [this, done = std::move(done)] {
        mirelda::HelpContents::TreeRead read = load_->future().takeResult();
        load_.release()->deleteLater(); // this lambda belongs to it
        model_->Adopt(std::move(read.tree));
        TreeLoaded();
        if (done)
            done(read.report);
    });
    load_->setFuture(QtConcurrent::run(
        [ficPath, stop = &stopLoad_] { return mirelda::HelpContents::ReadTree(ficPath, stop); }));
}

void CTreeBar::StartBuildTitles(const mirelda::ArticleIndex& index, const std::filesystem::path& pgdPath)
{
    if (filter_)
        filter_->StartBuild(index, pgdPath);
}

void CTreeBar::StopBuildTitles()
{
    if (filter_)
        filter_->StopBuild();
}

void CTreeBar::ResetTitles()
{
    if (filter_)
        filter_->Reset();
}

void CTreeBar::TreeLoaded()
{
    const std::int32_t article = std::exchange(pendingSelect_, 0);
    if (article != 0)
        SelectArticle(article);
}

std::int32_t CTreeBar::ArticleOf(const QModelIndex& item) const
{
    return model_ ? model_->tree().ArticleOf(CContentsTreeModel::ItemOf(item)) : 0;
}

// --- opening and selecting ----------------------------------------------------------------

std::vector<std::int32_t> CTreeBar::BookArticlesOf(const QModelIndex& item) const
{
    if (!model_ || !item.isValid())
        return {};
    return mirelda::BookArticles(model_->tree(), CContentsTreeModel::ItemOf(item));
}

void CTreeBar::ShowBookMenu(const QModelIndex& item, QPoint viewportPos)
{
    // Only a book has something to print as a whole: a page gets no menu.
    if (!isSignalConnected(QMetaMethod::fromSignal(&CTreeBar::printBookRequested)) || !item.isValid() ||
        ArticleOf(item) != 0)
        return;
    const QPersistentModelIndex book(item);
    QMenu menu(tree_);
    QAction* print = menu.addAction(QStringLiteral("&Imprimer le livre..."));
    QAction* preview = menu.addAction(QStringLiteral("Aperçu du livre"));
    QAction* chosen = menu.exec(tree_->viewport()->mapToGlobal(viewportPos));
    if (chosen != print && chosen != preview)
        return;
    // The tree may have changed while the menu was open: walk it now.
    const std::vector<std::int32_t> articles = BookArticlesOf(book);
    if (!articles.empty())
        emit printBookRequested(articles, book.data().toString(), chosen == preview);
}

bool CTreeBar::OpenItem(const QModelIndex& item)
{
    if (!item.isValid())
        return false;
    const std::int32_t article = ArticleOf(item);
    if (article == 0)
        return false;
    emit articleChosen(article);
    return true;
}

void CTreeBar::SelectArticle(std::int32_t article)
{
    if (!tree_ || article == 0)
        return;
    if (load_) {
        pendingSelect_ = article;
        return;
    }
    const mirelda::FlatContentsTree& data = model_->tree();
    const mirelda::ContentsTree::Item item = data.FindArticle(article);
    if (item == mirelda::ContentsTree::kNone)
        return;
    // Outermost first: each level is then laid out once, below an open parent.
    std::vector<mirelda::ContentsTree::Item> ancestors;
    for (auto up = data.ParentOf(item); up != mirelda::ContentsTree::kNone; up = data.ParentOf(up))
        ancestors.push_back(up);
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it)
        tree_->expand(model_->IndexOf(*it));
    const QModelIndex index = model_->IndexOf(item);
    tree_->scrollTo(index);
    tree_->setCurrentIndex(index);
}

void CTreeBar::ItemToggled(const QModelIndex& item, bool expanded)
{
    model_->SetImage(item, ImageAfterToggle(ImageIndexOf(item), expanded));
    FitColumnSoon();
}

void CTreeBar::FitColumnSoon()
{
    // Once per turn of the event loop however many items changed: the view measures a
    // bounded number of rows around the visible ones.
    if (fitPending_ || !tree_)
        return;
    fitPending_ = true;
    QTimer::singleShot(0, this, [this] {
        fitPending_ = false;
        tree_->resizeColumnToContents(0);
    });
}

bool CTreeBar::TreeKeyPressed(int key)
{
    const QModelIndex current = tree_->currentIndex();
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        OpenItem(current); // a book opens nothing; the tree's own keys open and close it
        return true;
    case Qt::Key_Space:
        OpenItem(current);
        return false; // the tree still sees it (selection, incremental search)
    case Qt::Key_Escape:
        if (isSignalConnected(QMetaMethod::fromSignal(&CTreeBar::minimizeRequested)))
            emit minimizeRequested();
        else
            window()->showMinimized();
        return true;
    default:
        return false;
    }
}

bool CTreeBar::eventFilter(QObject* watched, QEvent* event)
{
    if (tree_ && (watched == tree_ || watched == tree_->viewport()) && event->type() == QEvent::ContextMenu) {
        // A right click acts on the row under the mouse, the menu key on the current row.
        auto* menu = static_cast<QContextMenuEvent*>(event);
        QPoint at = tree_->viewport()->mapFrom(static_cast<QWidget*>(watched), menu->pos());
        QModelIndex item = tree_->indexAt(at);
        if (menu->reason() == QContextMenuEvent::Keyboard) {
            item = tree_->currentIndex();
            at = tree_->visualRect(item).center();
        }
        ShowBookMenu(item, at);
        return true;
    }
    if (tree_ && watched == tree_->viewport() && event->type() == QEvent::ToolTip) {
        ShowCutTitle(static_cast<QHelpEvent*>(event));
        return true;
    }
    if (watched == tree_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (filter_ && key->text() == QLatin1String("/")) {
            filter_->Activate();
            return true;
        }
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier)
            return TreeKeyPressed(key->key());
    }
    if (tree_ && watched == tree_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        // The row under the cursor, its +/- box included, opens its article; the tree then
        // opens or closes it as usual.
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            OpenItem(tree_->indexAt(mouse->position().toPoint()));
    }
    return CDlgBar::eventFilter(watched, event);
}

bool CTreeBar::TitleCut(const QModelIndex& item) const
{
    if (!tree_ || !item.isValid())
        return false;
    // The title is drawn whole in a column as wide as the widest one: it is cut where it
    // runs past the pane's visible part, on either side.
    const QRect cell = tree_->visualRect(item);
    QStyleOptionViewItem option;
    option.initFrom(tree_);
    option.decorationSize = tree_->iconSize();
    option.features |= QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    const int needed = tree_->itemDelegateForIndex(item)->sizeHint(option, item).width();
    return cell.left() < 0 || cell.left() + needed > tree_->viewport()->width();
}

void CTreeBar::ShowCutTitle(QHelpEvent* help)
{
    // The whole title over an entry the pane cuts, as the classic tree control offered it.
    const QModelIndex item = tree_->indexAt(help->pos());
    if (!TitleCut(item)) {
        QToolTip::hideText();
        return;
    }
    QToolTip::showText(help->globalPos(), item.data(Qt::DisplayRole).toString(), tree_->viewport(),
                       tree_->visualRect(item));
}

// --- sizes --------------------------------------------------------------------------------

void CTreeBar::ApplyWidth()
{
    QMainWindow* f = frame();
    if (!f)
        return;
    const QWidget* view = f->centralWidget();
    const mirelda::PixelSize size =
        mirelda::TreeBarDockedSize(f->width(), fraction(), view ? view->height() : height());
    SetDockedSize(QSize(size.width, size.height));
}

void CTreeBar::ClientResized(QSize size)
{
    if (tree_) {
        // The filter box takes a row at the top; the tree (or the list standing in for it) the rest.
        const int filterRows = filter_ ? filter_->sizeHint().height() + 1 : 0;
        const mirelda::PixelRect r =
            mirelda::TreeControlRect({size.width(), size.height() - filterRows}, tree_->x(), 1);
        if (filter_) {
            filter_->setGeometry(r.left, r.top, r.width(), filterRows - 1);
            filter_->results()->setGeometry(r.left, r.top + filterRows, r.width(), r.height());
        }
        tree_->setGeometry(r.left, r.top + filterRows, r.width(), r.height());
    }
    if (strip_)
        strip_->Reposition();
}

} // namespace mirelda::ui
