// CMireldaView: keyboard access to links and following them.
#include "ui/view/mirelda_view.h"

#include "core/session/help_session.h"
#include "core/view/link_focus.h"

#include <QAccessible>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

namespace mirelda::ui {

namespace {

const QString kViewDescription =
    QStringLiteral("Texte de l'article courant. Ctrl+Tab et Ctrl+Maj+Tab : lien suivant ou précédent ; "
                   "Ctrl+Entrée : suivre le lien ; Ctrl+plus et Ctrl+moins : taille du texte.");

} // namespace

QString CMireldaView::viewDescription()
{
    return kViewDescription;
}

const mirelda::LinkRecord* CMireldaView::focusedLink() const
{
    const auto& records = links_.records();
    return focusedLink_ >= 0 && focusedLink_ < static_cast<int>(records.size()) ? &records[focusedLink_]
                                                                                : nullptr;
}

void CMireldaView::FocusNextLink(bool forward)
{
    const auto& records = links_.records();
    const int next = mirelda::NextFocusedLink(records, content_.map, focusedLink_, forward);
    if (next < 0)
        return;
    focusedLink_ = next;

    const mirelda::LinkRecord& link = records[focusedLink_];
    const QRect first = characterRect(link.first);
    const QRect last = characterRect(link.last);
    if (first.top() < 0 || last.bottom() > viewport()->height())
        ScrollToPosition(link.first);
    updateExtraSelections();
    announceLinkFocus();
}

bool CMireldaView::FollowFocusedLink()
{
    const mirelda::LinkRecord* link = focusedLink();
    if (!link)
        return false;
    // The pop-up opens beside the link, as it does beside the click.
    const mirelda::LinkRecord chosen = *link;
    followLink(chosen, viewport()->mapToGlobal(characterRect(chosen.first).center()));
    return true;
}

void CMireldaView::followLink(const mirelda::LinkRecord& link, QPoint screenPoint)
{
    lastLinkClick_ = screenPoint;
    session_.ShowArticle(link.target, 0);
}

void CMireldaView::announceLinkFocus()
{
    QString description = kViewDescription;
    if (const mirelda::LinkRecord* link = focusedLink()) {
        QTextCursor c(document());
        c.setPosition(documentPosition(link->first));
        c.setPosition(documentPosition(mirelda::LinkEnd(*link)), QTextCursor::KeepAnchor);
        description = QStringLiteral("Lien : %1").arg(c.selectedText());
    }
    if (description == accessibleDescription())
        return;
    setAccessibleDescription(description);
    QAccessibleEvent changed(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&changed);
    if (hasFocus() && focusedLink()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

} // namespace mirelda::ui
