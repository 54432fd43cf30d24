#include "ui/app/help_set_watcher.h"

#include "ui/widgets/qt_path.h"

#include <QFile>
#include <QStringList>

namespace mirelda::ui {

CHelpSetWatcher::CHelpSetWatcher(std::vector<std::filesystem::path> files, QObject* parent)
    : QObject(parent), files_(std::move(files))
{
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, &CHelpSetWatcher::Settled);
    // Every event restarts the wait: the reload comes once the writer is done.
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] { CheckSoon(); });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { CheckSoon(); });
    Watch();
}

void CHelpSetWatcher::Watch()
{
    // A file renamed over or removed drops out of the watch list: watch the new one. Its
    // folder tells when it comes back.
    QStringList wanted;
    for (const std::filesystem::path& file : files_) {
        wanted << ToQString(file);
        const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
        wanted << ToQString(folder);
    }
    wanted.removeDuplicates();
    const QStringList watched = watcher_.files() + watcher_.directories();
    QStringList missing;
    for (const QString& path : wanted)
        if (!watched.contains(path) && QFile::exists(path))
            missing << path;
    if (!missing.isEmpty())
        watcher_.addPaths(missing);
}

void CHelpSetWatcher::MarkLoaded(std::vector<mirelda::FileStamp> stamps)
{
    loaded_ = std::move(stamps);
    Watch();
}

std::optional<std::vector<mirelda::FileStamp>> CHelpSetWatcher::ReplacedFiles() const
{
    if (!loaded_)
        return std::nullopt; // nothing read yet: nothing to read again
    std::vector<mirelda::FileStamp> now = mirelda::StampFiles(files_);
    if (now == *loaded_)
        return std::nullopt;
    return now;
}

void CHelpSetWatcher::CheckSoon()
{
    if (!settle_.isActive())
        waiting_.start();
    else if (waiting_.elapsed() >= kLongestWaitMs)
        return; // let the running wait end
    settle_.start();
}

void CHelpSetWatcher::Settled()
{
    Watch();
    emit filesSettled();
}

} // namespace mirelda::ui
