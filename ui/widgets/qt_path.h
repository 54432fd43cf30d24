#pragma once
// File paths between the core (std::filesystem, the system's bytes) and Qt (QString): through
// the locale's file-name encoding, so that a name that is not valid UTF-8 comes back unchanged.

#include <QString>

#include <filesystem>

namespace mirelda::ui {

QString ToQString(const std::filesystem::path& path);
std::filesystem::path ToPath(const QString& path);

} // namespace mirelda::ui
