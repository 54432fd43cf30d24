#include "ui/tree/contents_tree_model.h"

#include "core/store/cp1252.h"

#include <limits>

namespace mirelda::ui {

using mirelda::ContentsTree;

CContentsTreeModel::CContentsTreeModel(mirelda::HelpContents& contents, QObject* parent)
    : QAbstractItemModel(parent), contents_(contents)
{
}

void CContentsTreeModel::Adopt(mirelda::FlatContentsTree tree)
{
    beginResetModel();
    tree.Finish();
    contents_.AdoptTree(std::move(tree));
    endResetModel();
}

void CContentsTreeModel::SetImage(const QModelIndex& index, int image)
{
    const ContentsTree::Item item = ItemOf(index);
    if (!tree().contains(item) || tree().ImageOf(item) == image)
        return;
    mutableTree().SetImage(item, image);
    emit dataChanged(index, index, {Qt::DecorationRole, kImageRole});
}

QModelIndex CContentsTreeModel::IndexOf(ContentsTree::Item item) const
{
    if (!tree().contains(item))
        return {};
    return createIndex(static_cast<int>(tree().RowOf(item)), 0, static_cast<quintptr>(item));
}

ContentsTree::Item CContentsTreeModel::ItemOf(const QModelIndex& index)
{
    return index.isValid() ? static_cast<ContentsTree::Item>(index.internalId()) : ContentsTree::kNone;
}

QModelIndex CContentsTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column != 0)
        return {};
    const ContentsTree::Item child = tree().ChildAt(ItemOf(parent), static_cast<std::size_t>(row));
    return child == ContentsTree::kNone ? QModelIndex() : createIndex(row, 0, static_cast<quintptr>(child));
}

QModelIndex CContentsTreeModel::parent(const QModelIndex& child) const
{
    return IndexOf(tree().ParentOf(ItemOf(child)));
}

int CContentsTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    // A view counts rows in int: a larger level shows its first two thousand million.
    return static_cast<int>(
        std::min<std::size_t>(tree().ChildCount(ItemOf(parent)), std::numeric_limits<int>::max()));
}

int CContentsTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool CContentsTreeModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

QVariant CContentsTreeModel::data(const QModelIndex& index, int role) const
{
    const ContentsTree::Item item = ItemOf(index);
    if (!tree().contains(item))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdU16String(mirelda::DecodeCp1252(tree().TitleOf(item)));
    case Qt::DecorationRole: {
        const int image = tree().ImageOf(item);
        return image >= 0 && image < images_.size() ? QVariant(images_[image]) : QVariant();
    }
    case kImageRole:
        return tree().ImageOf(item);
    default:
        return {};
    }
}

Qt::ItemFlags CContentsTreeModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace mirelda::ui
