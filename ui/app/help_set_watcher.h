#pragma once
// Notices that the help set's files were replaced while the viewer runs (a rebuild's renames,
// a copy, a package upgrade) and says so once they have settled, so that the frame can read
// them again. inotify through QFileSystemWatcher, on the four files and on their folders: a
// file renamed over is a new file that a watch on the old one never sees.

#include "core/store/file_stamp.h"

#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <filesystem>
#include <optional>
#include <vector>

namespace mirelda::ui {

class CHelpSetWatcher : public QObject
{
    Q_OBJECT
  public:
    // How long the files must stay quiet before a reload: a set copied file by file, or
    // written by a slow disk, is then read whole.
    static constexpr int kSettleMs = 300;
    // A folder where other files keep changing (a build folder, /tmp) must not put the
    // reload off for ever: the wait ends this long after its first event.
    static constexpr int kLongestWaitMs = 2000;

    CHelpSetWatcher(std::vector<std::filesystem::path> files, QObject* parent = nullptr);

    // The files are about to be read: what is on disk now is what the frame holds.
    void MarkLoaded() { MarkLoaded(mirelda::StampFiles(files_)); }
    // The same with the stamps ReplacedFiles has just taken (the files are not looked at again).
    void MarkLoaded(std::vector<mirelda::FileStamp> stamps);
    // The files' stamps now when one was replaced, changed or removed since MarkLoaded;
    // nothing when none was, or before the first MarkLoaded.
    std::optional<std::vector<mirelda::FileStamp>> ReplacedFiles() const;
    bool ChangedSinceLoad() const { return ReplacedFiles().has_value(); }
    // Looks again once the files have been quiet for kSettleMs (a read found them changed).
    void CheckSoon();

  signals:
    // The files or their folders changed and have been quiet for kSettleMs. Whether the files
    // differ from those loaded is for the receiver to ask (ReplacedFiles), once.
    void filesSettled();

  private:
    void Watch();
    void Settled();

    std::vector<std::filesystem::path> files_;
    std::optional<std::vector<mirelda::FileStamp>> loaded_; // none before the first load
    QFileSystemWatcher watcher_;
    QTimer settle_;
    QElapsedTimer waiting_; // since the first event of the current wait
};

} // namespace mirelda::ui
