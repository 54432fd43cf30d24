#include "core/store/binary_file.h"

#include "core/store/file_faults.h"
#include "core/store/regular_file.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace mirelda {

BinaryReader::BinaryReader(std::istream& in, std::uint64_t size, std::string path)
    : in_(in), size_(size), path_(std::move(path))
{
}

FileError BinaryReader::Error(FileErrorKind kind, std::uint64_t offset, std::string message) const
{
    return FileError{kind, path_, offset, std::move(message)};
}

Status BinaryReader::Seek(std::uint64_t offset)
{
    if (offset != pos_) {
        pos_ = offset;
        streamAtPos_ = false;
    }
    return Done{};
}

Status BinaryReader::Fill(void* dest, std::size_t count)
{
    if (count == 0)
        return Done{};
    if (!streamAtPos_) {
        // Seeking drops the stream's buffer: only when the position really changes.
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(pos_));
    }
    streamAtPos_ = false;
    in_.read(static_cast<char*>(dest), static_cast<std::streamsize>(count));
    if (!in_ || static_cast<std::size_t>(in_.gcount()) != count)
        return Error(FileErrorKind::ReadFailed, pos_, "read failed (the file may have changed)");
    pos_ += count;
    streamAtPos_ = true;
    return Done{};
}

Status BinaryReader::ReadExact(void* dest, std::size_t count)
{
    if (count > remaining())
        return Error(FileErrorKind::Truncated, pos_,
                     "needs " + std::to_string(count) + " bytes, only " + std::to_string(remaining()) +
                         " remain");
    return Fill(dest, count);
}

Result<std::uint32_t> BinaryReader::ReadU32()
{
    unsigned char bytes[4];
    if (auto done = ReadExact(bytes, sizeof bytes); !done)
        return done.error();
    return LoadU32(bytes);
}

Result<std::int32_t> BinaryReader::ReadI32()
{
    auto value = ReadU32();
    if (!value)
        return value.error();
    return static_cast<std::int32_t>(*value);
}

Result<std::string> BinaryReader::ReadBytes(std::uint64_t length)
{
    if (length > remaining())
        return Error(FileErrorKind::Truncated, pos_,
                     "length " + std::to_string(length) + " runs past the end of the file (" +
                         std::to_string(remaining()) + " bytes remain)");
    std::string bytes(static_cast<std::size_t>(length), '\0');
    if (auto done = Fill(bytes.data(), bytes.size()); !done)
        return done.error();
    return bytes;
}

Result<std::string> BinaryReader::ReadLengthPrefixed()
{
    const std::uint64_t at = pos_;
    auto length = ReadU32();
    if (!length)
        return length.error();
    auto bytes = ReadBytes(*length);
    if (!bytes) {
        FileError error = bytes.error();
        error.offset = at; // the length field is what is wrong
        return error;
    }
    return bytes;
}

Result<std::uint64_t> OpenForReading(std::ifstream& stream, const std::filesystem::path& path, Links links)
{
    if (!FileOperationAllowed(FileOperation::OpenForReading, path))
        return FileError{FileErrorKind::CannotOpen, path.string(), 0,
                         std::string("cannot open: ") + std::strerror(EACCES)};
    struct stat st
    {
    };
    const int fd = OpenRegularFile(path, O_RDONLY | (links == Links::DoNotFollow ? O_NOFOLLOW : 0), st);
    if (fd < 0) {
        const int error = errno;
        return FileError{FileErrorKind::CannotOpen, path.string(), 0,
                         st.st_mode != 0 ? std::string(NotRegularFileReason(st.st_mode))
                         : error == ELOOP && links == Links::DoNotFollow
                             ? std::string("is a symbolic link")
                             : std::string("cannot open: ") + std::strerror(error)};
    }
    // The stream is opened on that very file, whatever has been put at the path since.
    stream.open("/proc/self/fd/" + std::to_string(fd), std::ios::binary);
    if (!stream)
        stream.open(path, std::ios::binary); // no /proc: the path, just checked
    const int openError = errno;
    ::close(fd);
    if (!stream)
        return FileError{FileErrorKind::CannotOpen, path.string(), 0,
                         std::string("cannot open: ") + std::strerror(openError)};
    stream.seekg(0, std::ios::end);
    const auto end = stream.tellg();
    if (!stream || end < 0)
        return FileError{FileErrorKind::ReadFailed, path.string(), 0, "cannot measure the file"};
    stream.seekg(0);
    return static_cast<std::uint64_t>(end);
}

Result<InputFile> InputFile::Open(const std::filesystem::path& path, Links links)
{
    InputFile file;
    file.path_ = path.string();
    auto size = OpenForReading(file.stream_, path, links);
    if (!size)
        return size.error();
    file.size_ = *size;
    return file;
}

MemoryInput::MemoryInput(std::string_view bytes, std::string name)
    : stream_(std::string(bytes), std::ios::in | std::ios::binary), size_(bytes.size()),
      name_(std::move(name))
{
}

Status WriteWholeFile(const std::filesystem::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return FileError{FileErrorKind::CannotWrite, path.string(), 0, "cannot create the file"};
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out)
        return FileError{FileErrorKind::CannotWrite, path.string(), 0, "cannot write the file"};
    return Done{};
}

std::string Hex(std::uint64_t value)
{
    char digits[16];
    char* const end = std::to_chars(std::begin(digits), std::end(digits), value, 16).ptr;
    return "0x" + std::string(digits, end);
}

std::string_view FixedFieldText(const char* field, std::size_t width)
{
    const void* nul = std::memchr(field, '\0', width);
    return {field, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - field) : width};
}

std::uint32_t LoadU32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::int32_t LoadI32(const unsigned char* p)
{
    return static_cast<std::int32_t>(LoadU32(p));
}

void StoreU32(std::string& out, std::uint32_t value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
    out.push_back(static_cast<char>((value >> 16) & 0xFF));
    out.push_back(static_cast<char>((value >> 24) & 0xFF));
}

} // namespace mirelda
