#pragma once
// The item model of the contents tree: a view over the help set's flat tree, which the
// session's HelpContents holds. Nothing is made per entry; an index is the entry's item number, and titles
// and icons are produced only for the rows the view asks about.

#include "core/session/help_contents.h"

#include <QAbstractItemModel>
#include <QIcon>
#include <QVector>

namespace mirelda::ui {

class CContentsTreeModel : public QAbstractItemModel
{
    Q_OBJECT
  public:
    static constexpr int kImageRole = Qt::UserRole + 1; // the image index in the 15-image list

    // `contents` must outlive the model.
    explicit CContentsTreeModel(mirelda::HelpContents& contents, QObject* parent = nullptr);

    // Hands a whole loaded tree to the contents, in place of the one shown.
    void Adopt(mirelda::FlatContentsTree tree);
    const mirelda::FlatContentsTree& tree() const { return contents_.tree(); }

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
    mirelda::FlatContentsTree& mutableTree() { return contents_.tree(); }

    mirelda::HelpContents& contents_;
    QVector<QIcon> images_;
};

} // namespace mirelda::ui
