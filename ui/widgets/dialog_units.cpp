#include "ui/widgets/dialog_units.h"

#include <QFontMetrics>
#include <QString>

namespace mirelda::ui {

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics fm(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    x_ = fm.horizontalAdvance(letters) / 52.0 / 4.0;
    y_ = fm.height() / 8.0;
}

int DialogUnits::X(int units) const
{
    return qRound(units * x_);
}

int DialogUnits::Y(int units) const
{
    return qRound(units * y_);
}

} // namespace mirelda::ui
