#include "ui/widgets/qt_path.h"

#include <QFile>

namespace mirelda::ui {

QString ToQString(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

std::filesystem::path ToPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

} // namespace mirelda::ui
