#include "ui/tree/title_filter_box.h"

#include "core/store/cp1252.h"

#include <QAbstractListModel>
#include <QCoreApplication>
#include <QFont>
#include <QKeyEvent>
#include <QListView>
#include <QtConcurrent/QtConcurrentRun>

#include <vector>

// The titles found, as the list shows them; it makes nothing per entry.

namespace mirelda::ui {

class TitleListModel : public QAbstractListModel
{
  public:
    using QAbstractListModel::QAbstractListModel;

    // `entries` stays the filter's until its next Find, which comes with the next Show.
    void Show(const mirelda::TitleFilter* filter, const std::vector<std::uint32_t>* entries)
    {
        beginResetModel();
        filter_ = filter;
        entries_ = entries ? entries : &kNone;
        endResetModel();
    }

    std::int32_t ArticleAt(int row) const
    {
        return filter_ && row >= 0 && row < rowCount()
                   ? filter_->number((*entries_)[static_cast<std::size_t>(row)])
                   : 0;
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(entries_->size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!filter_ || !index.isValid() || index.row() >= rowCount())
            return {};
        const std::uint32_t entry = (*entries_)[static_cast<std::size_t>(index.row())];
        switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdU16String(mirelda::DecodeCp1252(filter_->caption(entry)));
        case Qt::FontRole:
            if (filter_->popup(entry)) {
                QFont italic;
                italic.setItalic(true);
                return italic;
            }
            return {};
        case Qt::ToolTipRole:
            return filter_->popup(entry) ? QStringLiteral("Article en bulle") : QVariant();
        default:
            return {};
        }
    }

  private:
    static inline const std::vector<std::uint32_t> kNone;
    const mirelda::TitleFilter* filter_ = nullptr;
    const std::vector<std::uint32_t>* entries_ = &kNone;
};

CTitleFilterBox::CTitleFilterBox(mirelda::HelpContents& contents, QWidget* parent, QWidget* tree)
    : QLineEdit(parent), tree_(tree), contents_(contents)
{
    setObjectName(QStringLiteral("titleFilter"));
    setPlaceholderText(QStringLiteral("Titres (Ctrl+K)"));
    setClearButtonEnabled(true);
    setAccessibleName(QStringLiteral("Chercher un titre"));

    model_ = new TitleListModel(this);
    results_ = new QListView(parent);
    results_->setObjectName(QStringLiteral("titleFilterList"));
    results_->setModel(model_);
    results_->setUniformItemSizes(true); // a list of any length costs only what is shown
    results_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    results_->setSelectionMode(QAbstractItemView::SingleSelection);
    results_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    results_->hide();
    results_->installEventFilter(this);
    connect(results_, &QListView::clicked, this, [this](const QModelIndex& i) { OpenRow(i.row()); });
    connect(results_, &QListView::activated, this, [this](const QModelIndex& i) { OpenRow(i.row()); });
    connect(this, &QLineEdit::textChanged, this, &CTitleFilterBox::Refilter);
}

CTitleFilterBox::~CTitleFilterBox()
{
    StopBuild();
}

void CTitleFilterBox::StopBuild()
{
    stopBuild_ = true; // the build reads the session's index: it ends before the index changes
    if (build_) {
        build_->disconnect(this);
        build_->waitForFinished();
    }
}

void CTitleFilterBox::Reset()
{
    StopBuild();
    build_.reset();
    stopBuild_ = false;
    contents_.DropTitles();
    Refilter();
}

void CTitleFilterBox::StartBuild(const mirelda::ArticleIndex& index, const std::filesystem::path& pgdPath)
{
    if ((build_ && build_->isRunning()) || contents_.titles())
        return;
    build_ = std::make_unique<QFutureWatcher<mirelda::TitleFilter>>();
    connect(build_.get(), &QFutureWatcherBase::finished, this, [this] {
        mirelda::TitleFilter titles = build_->future().takeResult();
        build_.release()->deleteLater(); // this lambda belongs to it; its future is spent
        contents_.AdoptTitles(std::move(titles));
        Refilter();
    });
    build_->setFuture(QtConcurrent::run([&index, pgdPath, stop = &stopBuild_] {
        return mirelda::HelpContents::BuildTitles(index, pgdPath, stop);
    }));
}

void CTitleFilterBox::Activate()
{
    setFocus(Qt::ShortcutFocusReason);
    selectAll();
}

void CTitleFilterBox::Dismiss()
{
    clear();
    if (tree_)
        tree_->setFocus(Qt::OtherFocusReason);
}

void CTitleFilterBox::Refilter()
{
    const bool typed = !text().trimmed().isEmpty();
    mirelda::TitleFilter* titles = contents_.titles();
    model_->Show(titles, typed && titles ? &titles->Find(text().toStdU16String()) : nullptr);
    if (model_->rowCount() > 0)
        results_->setCurrentIndex(model_->index(0));
    // The tree keeps its expanded books, selection and scroll position while hidden.
    results_->setVisible(typed);
    if (tree_)
        tree_->setVisible(!typed);
}

void CTitleFilterBox::OpenRow(int row)
{
    const std::int32_t article = model_->ArticleAt(row);
    if (article != 0)
        emit articleChosen(article);
}

void CTitleFilterBox::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        Dismiss();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        OpenRow(results_->currentIndex().isValid() ? results_->currentIndex().row() : 0);
        return;
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
        if (results_->isVisible()) {
            // The list moves its current row; the focus stays in the box for typing on.
            QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text());
            QCoreApplication::sendEvent(results_, &copy);
            return;
        }
        break;
    default:
        break;
    }
    QLineEdit::keyPressEvent(event);
}

bool CTitleFilterBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == results_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        Dismiss();
        return true;
    }
    return QLineEdit::eventFilter(watched, event);
}

} // namespace mirelda::ui
