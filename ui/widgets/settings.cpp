#include "ui/widgets/settings.h"

QSettings MireldaSettings()
{
    return QSettings(QStringLiteral("mirelda"), QStringLiteral("mirelda"));
}
