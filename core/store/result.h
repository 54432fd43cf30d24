#pragma once
// Results of the file readers: a value, or the reason there is none.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace mirelda {

enum class FileErrorKind {
    CannotOpen,  // missing or unreadable file
    ReadFailed,  // the system reported an error while reading
    Truncated,   // a record or string runs past the end of the file
    Malformed,   // the bytes are there but make no sense (bad length, bad reference)
    CannotWrite, // creating, writing, flushing or renaming failed
};

// Where and why reading or writing a file went wrong. `offset` is the byte offset of the
// record or field at fault (0 when the whole file is at fault).
struct FileError
{
    FileErrorKind kind = FileErrorKind::CannotOpen;
    std::string path;
    std::uint64_t offset = 0;
    std::string message; // English, for logs and mirelda-tool; windows show their own texts
};

// A value or a FileError; a small stand-in for std::expected, which C++20 lacks.
template <class T> class Result
{
  public:
    Result(T value) : state_(std::move(value)) {}
    Result(FileError error) : state_(std::move(error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() { return std::get<0>(state_); }
    const T& value() const { return std::get<0>(state_); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const FileError& error() const { return std::get<1>(state_); }

  private:
    std::variant<T, FileError> state_;
};

// For operations that return nothing but may fail.
struct Done
{
};
using Status = Result<Done>;

} // namespace mirelda
