#pragma once
// Bounded reading of little-endian binary files.
//
// Every length that comes from a file is checked against the bytes that remain before
// anything is allocated, and nothing is read past what was allocated: a damaged or hostile
// file gives a Truncated error carrying the offset of the field at fault, never a huge
// allocation or an overrun. Files are opened for one operation and closed with the object.

#include "core/store/result.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <istream>
#include <sstream>
#include <string>
#include <string_view>

namespace mirelda {

// Reads from a stream of known size. The stream is not owned; positions are absolute.
class BinaryReader
{
  public:
    BinaryReader(std::istream& in, std::uint64_t size, std::string path);

    const std::string& path() const { return path_; }
    std::uint64_t size() const { return size_; }
    std::uint64_t position() const { return pos_; }
    std::uint64_t remaining() const { return pos_ < size_ ? size_ - pos_ : 0; }
    bool atEnd() const { return pos_ >= size_; }

    // Moving past the end is allowed (reads then fail as Truncated), as on a real file.
    Status Seek(std::uint64_t offset);

    Result<std::uint32_t> ReadU32();
    Result<std::int32_t> ReadI32();
    // Exactly `count` bytes into `dest`; Truncated, with nothing read, if fewer remain.
    Status ReadExact(void* dest, std::size_t count);
    // A string of exactly `length` bytes, allocated only once the bytes are known to be there.
    Result<std::string> ReadBytes(std::uint64_t length);
    // u32 length, then that many bytes; a length past the end of the file is Truncated.
    Result<std::string> ReadLengthPrefixed();

    // The errors this reader produces, for callers that detect damage of their own.
    FileError Error(FileErrorKind kind, std::uint64_t offset, std::string message) const;

  private:
    Status Fill(void* dest, std::size_t count);

    std::istream& in_;
    std::uint64_t size_;
    std::uint64_t pos_ = 0;
    bool streamAtPos_ = false; // the stream's own position is pos_ (no seek needed)
    std::string path_;
};

// Whether opening may follow a symbolic link at the path's last component. User files are
// opened where LocateUserFile (user_file.h) found them, never through a link.
enum class Links { Follow, DoNotFollow };

// Opens `stream` on `path` in binary mode and returns the file's size. Only a regular file is
// opened: a FIFO, a device or a folder is refused without waiting on it.
Result<std::uint64_t> OpenForReading(std::ifstream& stream, const std::filesystem::path& path,
                                     Links links = Links::Follow);

// A file opened for reading, with its size measured once.
class InputFile
{
  public:
    static Result<InputFile> Open(const std::filesystem::path& path, Links links = Links::Follow);

    std::uint64_t size() const { return size_; }
    const std::string& path() const { return path_; }
    // A reader starting at offset 0. The file must outlive it.
    BinaryReader reader() { return BinaryReader(stream_, size_, path_); }

  private:
    std::ifstream stream_;
    std::uint64_t size_ = 0;
    std::string path_;
};

// Reads `bytes` held in memory as if they were a file named `name` (tests, fuzzing, files
// already read whole). The bytes must outlive the object.
class MemoryInput
{
  public:
    MemoryInput(std::string_view bytes, std::string name);
    BinaryReader reader() { return BinaryReader(stream_, size_, name_); }

  private:
    std::istringstream stream_;
    std::uint64_t size_ = 0;
    std::string name_;
};

// Writes `bytes` as the whole content of `path` (created or truncated); not atomic.
Status WriteWholeFile(const std::filesystem::path& path, std::string_view bytes);

// The text of a fixed-width field: up to its first NUL, or the whole width if it has none.
std::string_view FixedFieldText(const char* field, std::size_t width);

// "0x" and the lower-case hexadecimal digits of `value`: how error messages give file offsets.
std::string Hex(std::uint64_t value);

// Little-endian integers at `p` (at least 4 bytes).
std::uint32_t LoadU32(const unsigned char* p);
inline std::uint32_t LoadU32(const char* p)
{
    return LoadU32(reinterpret_cast<const unsigned char*>(p));
}
std::int32_t LoadI32(const unsigned char* p);
inline std::int32_t LoadI32(const char* p)
{
    return LoadI32(reinterpret_cast<const unsigned char*>(p));
}
void StoreU32(std::string& out, std::uint32_t value); // appends 4 bytes
inline void StoreI32(std::string& out, std::int32_t value)
{
    StoreU32(out, static_cast<std::uint32_t>(value));
}

} // namespace mirelda
