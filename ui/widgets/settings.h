#pragma once
// Where the viewer keeps what it remembers between sessions (window place, text size, recent
// help sets, search options): one settings file for every window.

#include <QSettings>

namespace mirelda::ui {

QSettings MireldaSettings();

} // namespace mirelda::ui
