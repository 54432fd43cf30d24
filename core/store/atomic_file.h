#pragma once
// Writing a user file so that a crash, a full disk or a refused write at any moment leaves
// either the old file or the new one, whole, never a torn one:
//
//   1. Create   a temporary file in the target's folder (same file system, so step 4 is atomic)
//   2. Write    the new content into it
//   3. Flush    fsync the temporary file, so its bytes are on disk before it gets the name
//   4. Rename   it over the target (atomic replacement)
//   5. SyncFolder  fsync the folder, so the new name itself survives a power cut
//
// A failure before step 4 removes the temporary file and leaves the target untouched.

#include "core/store/result.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace mirelda {

enum class WriteStep {
    Create,
    Write,
    Flush,
    Rename,
    SyncFolder,
    Cleanup, // callers' own step after the rename (removing what the new file replaces)
};

const char* WriteStepName(WriteStep step);

// Called before each step. Returning false makes the step fail as if the system had refused
// it (a full disk, a read-only folder). Tests use it to prove that the old file survives a
// failure at any step; an empty hook never fails anything.
using WriteStepHook = std::function<bool(WriteStep)>;

// One atomic replacement in progress. Move-only; destroying it before Commit() removes the
// temporary file and leaves the target as it was.
class AtomicFile
{
  public:
    static Result<AtomicFile> Create(const std::filesystem::path& target, WriteStepHook hook = {});

    AtomicFile(AtomicFile&& other) noexcept;
    AtomicFile& operator=(AtomicFile&& other) noexcept;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    // Appends bytes to the new content. After a failure the object only discards.
    Status Write(std::string_view bytes);
    // Flush, rename over the target, sync the folder. Once the rename has happened the new
    // file is in place even if the folder sync then fails (that failure is still reported).
    Status Commit();

    const std::filesystem::path& target() const { return target_; }
    // The new file has taken the target's name (Commit got past its rename).
    bool replaced() const { return replaced_; }

  private:
    AtomicFile(std::filesystem::path target, std::filesystem::path temp, int fd, WriteStepHook hook);
    FileError Fail(WriteStep step, int error);
    bool Allowed(WriteStep step) const { return !hook_ || hook_(step); }
    void Discard();

    std::filesystem::path target_;
    std::filesystem::path temp_;
    int fd_ = -1;
    bool failed_ = false;
    bool replaced_ = false;
    WriteStepHook hook_;
};

// Copies a user file found damaged to "<name>.damaged" (or ".damaged.2", ".damaged.3"... when
// that name is taken) before the program rewrites it from the part it could read, so that the
// unreadable rest stays with the user. Returns the copy's path (the file itself when it is
// empty: there is nothing to keep). When it fails the caller must leave the file as it is.
Result<std::filesystem::path> KeepDamagedCopy(const std::filesystem::path& file);

// The whole content at once.
Status WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                           const WriteStepHook& hook = {});

} // namespace mirelda
