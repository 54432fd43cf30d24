#pragma once
// The whole-file helpers for tests that hold their paths as QStrings.

#include "tests/support/files.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <filesystem>

namespace mirelda::test {

// The path as the file system spells it (the locale's encoding, as Qt opens files).
inline std::filesystem::path FsPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

inline QByteArray ReadFile(const QString& path)
{
    return QByteArray::fromStdString(ReadFile(FsPath(path)));
}

} // namespace mirelda::test
