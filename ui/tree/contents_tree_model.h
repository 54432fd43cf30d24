#pragma once
// The item model of the contents tree: a view over the core's flat tree. Nothing is made per
// entry; an index is the entry's item number, and titles and icons are produced only for the
// rows the view asks about.

#include "core/tree/flat_contents_tree.h"

#include <QAbstractItemModel>
#include <QIcon>
#include <QVector>

namespace mirelda::ui {

class CContentsTreeModel : public QAbstractItemModel
{
    Q_OBJECT
  public:
    static constexpr int kImageRole = Qt::UserRole + 1; // the image index in the 15-image list

    explicit CContentsTreeModel(QObject* parent = nullptr);

    // Takes a whole loaded tree in place of the current one.
    void Adopt(mirelda::FlatContentsTree tree);
    const mirelda::FlatContentsTree& tree() const { return tree_; }

    void SetImages(QVector<QIcon> images) { images_ = std::move(images); }
    void SetImage(const QModelIndex& index, int image);

    QModelIndex IndexOf(mirelda::ContentsTree::Item item) const;
    static mirelda::ContentsTree::Item ItemOf(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    mirelda::FlatContentsTree tree_;
    QVector<QIcon> images_;
};

} // namespace mirelda::ui
