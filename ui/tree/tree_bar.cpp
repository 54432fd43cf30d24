#include "ui/tree/tree_bar.h"

#include "core/store/cp1252.h"
#include "core/view/bar_geometry.h"

#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QMainWindow>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleFactory>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

constexpr int kImageRole = Qt::UserRole + 1; // the item's image index in the 15-image list
constexpr int kImageSize = 16;

QTreeWidgetItem* AsItem(mirelda::ContentsTree::Item item)
{
    return reinterpret_cast<QTreeWidgetItem*>(item);
}
mirelda::ContentsTree::Item AsHandle(const QTreeWidgetItem* item)
{
    return reinterpret_cast<mirelda::ContentsTree::Item>(item);
}

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
class ContentsTreeWidget : public QTreeWidget
{
  public:
    using QTreeWidget::QTreeWidget;
    bool classicLines = false;

  protected:
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override
    {
        if (!classicLines || !rootIsDecorated() || index.parent().isValid() || index.row() != 0) {
            QTreeWidget::drawBranches(painter, rect, index);
            return;
        }
        const int middle = rect.top() + rect.height() / 2;
        const int lineEnd = model()->hasChildren(index) ? middle - 4 : middle;
        painter->save();
        painter->setClipRegion(QRegion(rect).subtracted(QRect(rect.left(), rect.top(), rect.width(),
                                                              lineEnd - rect.top())),
                               Qt::IntersectClip);
        QTreeWidget::drawBranches(painter, rect, index);
        painter->restore();
    }
};

} // namespace

CTreeBar::CTreeBar(Host host, QWidget* parent) : CDlgBar(parent), host_(std::move(host))
{
    setObjectName(QStringLiteral("treeBar"));
}

CTreeBar::~CTreeBar() = default;

bool CTreeBar::Create(QMainWindow* frame)
{
    if (!CDlgBar::Create(frame, Qt::LeftDockWidgetArea, DialogUnitsToPixels(124, 103), kBarId, true))
        return false;

    auto* tree = new ContentsTreeWidget(client());
    tree_ = tree;
    tree_->setObjectName(QStringLiteral("tree%1").arg(kTreeId));
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
    tree_->header()->setStretchLastSection(false);
    tree_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
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
    tree_->setGeometry(QRect(QPoint(1, 1), DialogUnitsToPixels(91, 73)));
    tree_->installEventFilter(this);
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { OpenItem(item); });
    connect(tree_, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { ItemToggled(item, true); });
    connect(tree_, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { ItemToggled(item, false); });

    strip_ = CSplitterStrip::Create(client(), this, kStripId, mirelda::StripOrientation::Vertical,
                                    mirelda::bars::kInitialTreeFraction);
    if (!strip_ && host_.showMessage)
        host_.showMessage(QStringLiteral("Error creating staticbar"));

    LoadImages();
    ClientResized(client()->size());
    return true;
}

void CTreeBar::LoadImages()
{
    // One strip of 15 images, 16 pixels square, and its double-size drawing for high DPI.
    const QImage normal(QStringLiteral(":/icons/tree.png"));
    const QImage doubled(QStringLiteral(":/icons/tree@2x.png"));
    images_.clear();
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
        images_.append(icon);
    }
}

void CTreeBar::SetImage(QTreeWidgetItem* item, int image)
{
    item->setData(0, kImageRole, image);
    item->setIcon(0, image >= 0 && image < images_.size() ? images_[image] : QIcon());
}

int CTreeBar::ImageIndexOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kImageRole).toInt() : 0;
}

float CTreeBar::fraction() const
{
    return strip_ ? strip_->value() : mirelda::bars::kInitialTreeFraction;
}

// --- loading ------------------------------------------------------------------------------

mirelda::Result<mirelda::TreeLoadReport> CTreeBar::LoadTree(const std::filesystem::path& ficPath)
{
    return mirelda::LoadTree(ficPath, *this, itemArticles_);
}

mirelda::ContentsTree::Item CTreeBar::InsertLast(Item parent, std::string_view titleCp1252, int image)
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, QString::fromStdU16String(mirelda::DecodeCp1252(titleCp1252)));
    SetImage(item, image);
    if (parent == kNone)
        tree_->addTopLevelItem(item);
    else
        AsItem(parent)->addChild(item);
    return AsHandle(item);
}

mirelda::ContentsTree::Item CTreeBar::ParentOf(Item item) const
{
    return item == kNone ? kNone : AsHandle(AsItem(item)->parent());
}

int CTreeBar::ImageOf(Item item) const
{
    return item == kNone ? 0 : ImageIndexOf(AsItem(item));
}

std::int32_t CTreeBar::ArticleOf(const QTreeWidgetItem* item) const
{
    const auto it = itemArticles_.find(AsHandle(item));
    return it == itemArticles_.end() ? 0 : it->second;
}

// --- opening and selecting ----------------------------------------------------------------

bool CTreeBar::OpenItem(QTreeWidgetItem* item)
{
    if (!item)
        return false;
    const std::int32_t article = ArticleOf(item);
    if (article == 0 || !host_.showArticle)
        return false;
    return host_.showArticle(article);
}

void CTreeBar::SelectArticle(std::int32_t article)
{
    if (!tree_ || article == 0)
        return;
    for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
        QTreeWidgetItem* item = *it;
        if (ArticleOf(item) != article)
            continue;
        for (QTreeWidgetItem* up = item->parent(); up; up = up->parent())
            up->setExpanded(true);
        tree_->scrollToItem(item);
        tree_->setCurrentItem(item);
        return;
    }
}

void CTreeBar::ItemToggled(QTreeWidgetItem* item, bool expanded)
{
    SetImage(item, ImageAfterToggle(ImageIndexOf(item), expanded));
}

bool CTreeBar::TreeKeyPressed(int key)
{
    QTreeWidgetItem* current = tree_->currentItem();
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A book opens no article; Enter opens or closes it, as a double click does.
        if (!OpenItem(current) && current && ArticleOf(current) == 0 && current->childCount() > 0)
            current->setExpanded(!current->isExpanded());
        return true;
    case Qt::Key_Space:
        OpenItem(current);
        return false; // the tree still sees it (selection, incremental search)
    case Qt::Key_Escape:
        if (host_.minimizeMainWindow)
            host_.minimizeMainWindow();
        else
            window()->showMinimized();
        return true;
    default:
        return false;
    }
}

bool CTreeBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tree_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier)
            return TreeKeyPressed(key->key());
    }
    return CDlgBar::eventFilter(watched, event);
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
        const mirelda::PixelRect r =
            mirelda::TreeControlRect({size.width(), size.height()}, tree_->x(), tree_->y());
        tree_->setGeometry(r.left, r.top, r.width(), r.height());
    }
    if (strip_)
        strip_->Reposition();
}
