#include "ui/widgets/settings.h"

namespace mirelda::ui {

QSettings MireldaSettings()
{
    return QSettings(QStringLiteral("mirelda"), QStringLiteral("mirelda"));
}

} // namespace mirelda::ui
