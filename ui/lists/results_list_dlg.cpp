#include "ui/lists/results_list_dlg.h"

#include "core/session/help_session.h"
#include "core/view/window_placement.h"
#include "ui/lists/list_host.h"

#include <QGuiApplication>
#include <QListWidget>
#include <QScreen>

#include <algorithm>

namespace mirelda::ui {

CResultsListDlg::CResultsListDlg(ListHost& host, mirelda::HelpSession& session, QWidget* mainWindow)
    : CListDlg(host, mainWindow, 100, QStringLiteral("Résultats de la recherche"), false), session_(session)
{
}

void CResultsListDlg::Clear()
{
    list()->clear();
    setWindowTitle(title());
}

void CResultsListDlg::SetSearch(const QString& text, bool matchCase, bool wholeWord)
{
    searchText_ = text;
    searchMatchCase_ = matchCase;
    searchWholeWord_ = wholeWord;
    SetTitle(text.isEmpty() ? QStringLiteral("Résultats de la recherche")
                            : QStringLiteral("Recherche sur «") + text + QStringLiteral("»"));
}

void CResultsListDlg::AddItem(std::int32_t article, std::string_view name)
{
    const std::string bytes(name);
    const std::size_t at = session_.listOrder().InsertPosition(
        static_cast<std::size_t>(GetCount()),
        [this](std::size_t i) { return GetItemName(static_cast<int>(i)); }, bytes);
    InsertRow(static_cast<int>(at), bytes, article);
    const int n = GetCount();
    const QString count =
        n < 2 ? QStringLiteral(" (%1 sujet trouvé)").arg(n) : QStringLiteral(" (%1 sujets trouvés)").arg(n);
    setWindowTitle(title() + count);
    FitCaptionWidth();
}

void CResultsListDlg::FitCaptionWidth()
{
    // A window manager cuts a caption wider than its window, often in the middle, which is
    // where the searched string and the count are: the window grows (never shrinks) to show
    // the whole caption, as far as the screen allows. The allowance is for the caption's
    // buttons and icon.
    constexpr int kCaptionAllowance = 140;
    const int wanted = fontMetrics().horizontalAdvance(windowTitle()) + kCaptionAllowance;
    int room = wanted;
    if (const QScreen* screen = this->screen())
        room = std::max(width(), screen->availableGeometry().right() - x());
    const int fitted = std::min(wanted, room);
    if (fitted > width())
        resize(fitted, height());
}

void CResultsListDlg::ShowSelected()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    const bool shown = session_.ShowArticle(GetItemArticle(row), 0);
    if (!shown || searchText_.isEmpty())
        return;
    // An article that matched by its title alone has no occurrence to select.
    if (const std::optional<QPoint> found =
            host().HighlightInArticle(searchText_, searchMatchCase_, searchWholeWord_))
        MoveAwayFrom(*found);
}

void CResultsListDlg::MoveAwayFrom(const QPoint& point)
{
    const QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = this->screen();
    const int screenHeight = screen ? screen->geometry().height() : 0;
    const QRect window = frameGeometry();
    const mirelda::PixelPoint to = mirelda::PlaceAwayFrom(
        {window.left(), window.top(), window.left() + window.width(), window.top() + window.height()},
        {point.x(), point.y()}, screenHeight);
    if (QPoint(to.x, to.y) != window.topLeft())
        move(to.x, to.y);
}

} // namespace mirelda::ui
