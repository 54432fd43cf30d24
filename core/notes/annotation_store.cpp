#include "core/notes/annotation_store.h"

#include "core/store/binary_file.h"
#include "core/store/file_faults.h"
#include "core/store/user_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

namespace mirelda {

namespace {

constexpr char kTagMagic[4] = {'A', 'N', 'N', 'O'};
constexpr std::uint32_t kTagLength = 8;

FileError CannotWriteScratch(const fs::path& path, int error)
{
    return FileError{FileErrorKind::CannotWrite, path.string(), 0,
                     std::string("cannot append to the scratch file: ") + std::strerror(error)};
}

// One change as .NO$ holds it: the tag entry, then the text entry.
std::string ChangeBytes(std::int32_t article, std::string_view text)
{
    std::string bytes;
    StoreU32(bytes, kTagLength);
    bytes.append(kTagMagic, sizeof kTagMagic);
    StoreI32(bytes, article);
    StoreU32(bytes, static_cast<std::uint32_t>(text.size()));
    bytes.append(text);
    return bytes;
}

} // namespace

std::string ToFileLineEnds(std::string_view editText)
{
    std::string out;
    out.reserve(editText.size() + editText.size() / 16);
    for (std::size_t i = 0; i < editText.size(); ++i) {
        char c = editText[i];
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            if (c == '\r' && i + 1 < editText.size() && editText[i + 1] == '\n')
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

std::string ToEditLineEnds(std::string_view fileText)
{
    std::string out;
    out.reserve(fileText.size());
    for (std::size_t i = 0; i < fileText.size(); ++i) {
        char c = fileText[i];
        if (c == '\r') {
            out += '\n';
            if (i + 1 < fileText.size() && fileText[i + 1] == '\n')
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

AnnotationStore::AnnotationStore(fs::path savedPath, fs::path scratchPath)
    : savedPath_(std::move(savedPath)), scratchPath_(std::move(scratchPath)), savedFile_(savedPath_),
      scratchFile_(scratchPath_)
{
}

void AnnotationStore::RemoveQuietly(const fs::path& path)
{
    std::error_code ignored;
    fs::remove(path, ignored);
}

Result<std::string> AnnotationStore::ReadText(const fs::path& path, std::uint64_t offset)
{
    auto file = InputFile::Open(path, Links::DoNotFollow);
    if (!file)
        return file.error();
    BinaryReader reader = file->reader();
    if (auto sought = reader.Seek(offset); !sought)
        return sought.error();
    return reader.ReadLengthPrefixed();
}

AnnotationStore::LoadReport AnnotationStore::LoadIndex()
{
    LoadReport report;
    shown_.clear();
    savedIndex_.clear();
    scratchTable_.clear();
    unwritten_.clear();
    shownArticle_ = 0;
    savedKept_.reset();
    scratchKept_.reset();
    // A path that is not the user's own file is left alone for the whole run.
    if (auto place = LocateUserFile(savedPath_))
        savedFile_ = place->file;
    else
        savedKept_ = place.error();
    if (auto place = LocateUserFile(scratchPath_))
        scratchFile_ = place->file;
    else
        scratchKept_ = place.error();
    if (!savedKept_)
        report.savedDamage = LoadSavedIndex(savedKept_);
    // Closing rewrites .NOT from the records read: keep the whole damaged file aside first,
    // and when that cannot be done, leave .NOT alone.
    if (report.savedDamage) {
        if (auto copy = KeepDamagedCopy(savedPath_); !copy)
            savedKept_ = copy.error();
    }
    report.savedKept = savedKept_;
    if (!scratchKept_)
        report.recovered = RecoverScratch(report.scratchDamage);
    report.scratchKept = scratchKept_;
    return report;
}

// Walks the records, noting where each text's length field is; texts are skipped, not read.
std::optional<FileError> AnnotationStore::LoadSavedIndex(std::optional<FileError>& unreadable)
{
    auto file = InputFile::Open(savedFile_, Links::DoNotFollow);
    if (!file) {
        // Only a file that is not there means "no saved annotations"; one that is there but
        // cannot be read holds notes that writing a new file would destroy.
        std::error_code ec;
        if (fs::symlink_status(savedPath_, ec).type() != fs::file_type::not_found)
            unreadable = file.error();
        return std::nullopt;
    }
    BinaryReader reader = file->reader();
    auto count = reader.ReadU32();
    if (!count)
        return count.error();
    // Each record takes at least 8 bytes, so a hostile count cannot keep this loop going
    // past the end of the file.
    for (std::uint32_t i = 0; i < *count; ++i) {
        const std::uint64_t recordStart = reader.position();
        auto article = reader.ReadI32();
        if (!article)
            return reader.Error(FileErrorKind::Truncated, recordStart,
                                "the file ends after " + std::to_string(i) + " of " + std::to_string(*count) +
                                    " annotations");
        const std::uint64_t lengthAt = reader.position();
        auto length = reader.ReadU32();
        if (!length || *length > reader.remaining())
            return reader.Error(FileErrorKind::Truncated, lengthAt,
                                "the text of article " + std::to_string(*article) +
                                    " runs past the end of the file");
        reader.Seek(reader.position() + *length);
        savedIndex_[*article] = lengthAt; // an article found twice keeps the later record
    }
    return std::nullopt;
}

// Takes back the (tag, text) pairs a previous run appended to .NO$, later ones overriding
// earlier ones, and cuts the file after the last whole pair so that new changes follow it.
std::size_t AnnotationStore::RecoverScratch(std::optional<FileError>& damage)
{
    std::uint64_t goodEnd = 0;
    std::uint64_t size = 0;
    std::map<std::int32_t, std::uint64_t> recovered;
    {
        auto file = InputFile::Open(scratchFile_, Links::DoNotFollow);
        if (!file)
            return 0;
        size = file->size();
        BinaryReader reader = file->reader();
        while (!reader.atEnd()) {
            const std::uint64_t pairStart = reader.position();
            char tag[kTagLength];
            auto tagLength = reader.ReadU32();
            if (!tagLength || *tagLength != kTagLength || !reader.ReadExact(tag, sizeof tag) ||
                std::memcmp(tag, kTagMagic, sizeof kTagMagic) != 0) {
                damage =
                    reader.Error(FileErrorKind::Malformed, pairStart, "not a change written by this program");
                break;
            }
            const std::uint64_t textAt = reader.position();
            auto textLength = reader.ReadU32();
            if (!textLength || *textLength > reader.remaining()) {
                damage = reader.Error(FileErrorKind::Truncated, textAt, "a change cut short");
                break;
            }
            reader.Seek(reader.position() + *textLength);
            recovered[LoadI32(tag + 4)] = textAt;
            goodEnd = reader.position();
        }
    }
    // Through the user's own link the file may be one of his that this program did not
    // write: what cutting or emptying it would drop is first copied aside, and when that
    // cannot be done the file is left alone for the whole run.
    if (goodEnd < size && scratchFile_ != scratchPath_) {
        if (auto copy = KeepDamagedCopy(scratchFile_); !copy) {
            scratchKept_ = copy.error();
            return 0;
        }
    }
    if (goodEnd == 0) {
        ClearScratch();
        return 0;
    }
    if (goodEnd < size && !TruncateScratch(goodEnd)) {
        // The tail cannot be cut: rather than append after garbage, put the recovered changes
        // into a fresh .NO$ that replaces the old one whole, so they stay on disk.
        std::map<std::int32_t, std::string> texts;
        for (const auto& [article, offset] : recovered)
            if (auto text = ReadText(scratchFile_, offset))
                texts[article] = std::move(*text);
        std::string bytes;
        std::map<std::int32_t, std::uint64_t> offsets;
        for (const auto& [article, text] : texts) {
            offsets[article] = bytes.size() + 4 + kTagLength;
            bytes += ChangeBytes(article, text);
        }
        if (WriteFileAtomically(scratchPath_, bytes)) {
            scratchTable_.insert(offsets.begin(), offsets.end());
        } else {
            ClearScratch();
            unwritten_ = std::move(texts); // only memory holds them now; saved at close
        }
        return recovered.size();
    }
    for (const auto& [article, offset] : recovered)
        scratchTable_[article] = offset;
    return recovered.size();
}

void AnnotationStore::ClearScratch()
{
    if (scratchKept_)
        return; // not ours to remove
    if (scratchFile_ != scratchPath_) {
        TruncateScratch(0); // the user's link stays, and so does the file it leads to
        return;
    }
    struct stat entry
    {
    };
    if (::lstat(scratchPath_.c_str(), &entry) == 0 && S_ISREG(entry.st_mode))
        RemoveQuietly(scratchPath_);
}

bool AnnotationStore::TruncateScratch(std::uint64_t size)
{
    if (!FileOperationAllowed(FileOperation::Truncate, scratchFile_))
        return false;
    auto fd = OpenUserFile(scratchFile_, O_WRONLY);
    if (!fd)
        return false;
    const bool cut = ::ftruncate(*fd, static_cast<off_t>(size)) == 0;
    ::close(*fd);
    return cut;
}

std::string AnnotationStore::ShowAnnotation(std::int32_t article)
{
    std::string text;
    if (auto kept = unwritten_.find(article); kept != unwritten_.end()) {
        text = kept->second;
    } else if (auto changed = scratchTable_.find(article); changed != scratchTable_.end()) {
        if (auto read = ReadText(scratchFile_, changed->second))
            text = std::move(*read);
    } else if (auto saved = savedIndex_.find(article); saved != savedIndex_.end()) {
        if (auto read = ReadText(savedFile_, saved->second))
            text = std::move(*read);
    }
    shown_ = text;
    shownArticle_ = article;
    return text;
}

Status AnnotationStore::StoreAnnotation(std::int32_t article, std::string_view text)
{
    if (article == 0)
        return Done{};
    std::string fileText = ToFileLineEnds(text);
    if (fileText == ToFileLineEnds(shown_))
        return Done{};
    if (article == shownArticle_)
        shown_ = fileText;
    auto offset = AppendText(article, fileText);
    if (!offset) {
        unwritten_[article] = std::move(fileText);
        return offset.error();
    }
    scratchTable_[article] = *offset;
    unwritten_.erase(article);
    return Done{};
}

Result<std::uint64_t> AnnotationStore::AppendText(std::int32_t article, std::string_view text)
{
    if (scratchKept_)
        return FileError{FileErrorKind::CannotWrite, scratchPath_.string(), 0, scratchKept_->message};
    const std::string bytes = ChangeBytes(article, text);
    // Never created or appended to through a link: see user_file.h.
    auto opened = OpenUserFile(scratchFile_, O_WRONLY | O_CREAT | O_APPEND);
    if (!opened)
        return FileError{FileErrorKind::CannotWrite, scratchPath_.string(), 0,
                         "cannot append to the scratch file: " + opened.error().message};
    const int fd = *opened;
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0) {
        int error = errno;
        ::close(fd);
        return CannotWriteScratch(scratchPath_, error);
    }
    const std::uint64_t start = static_cast<std::uint64_t>(st.st_size);
    std::string_view rest = bytes;
    int error = 0;
    while (!rest.empty()) {
        ssize_t n = ::write(fd, rest.data(), rest.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            break;
        }
        rest.remove_prefix(static_cast<std::size_t>(n));
    }
    // On disk before the user moves on: this is the only copy of the change until close.
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (error != 0) {
        // Leave no half change behind for the next one to follow.
        (void)!::ftruncate(fd, static_cast<off_t>(start));
        ::close(fd);
        return CannotWriteScratch(scratchPath_, error);
    }
    ::close(fd);
    return start + 4 + kTagLength;
}

std::vector<std::int32_t> AnnotationStore::Articles() const
{
    std::set<std::int32_t> all;
    for (const auto& [article, offset] : savedIndex_)
        all.insert(article);
    for (const auto& [article, offset] : scratchTable_)
        all.insert(article);
    for (const auto& [article, text] : unwritten_)
        all.insert(article);
    return {all.begin(), all.end()};
}

// Unlike a delete-then-write, the old .NOT stays in place until the new one, complete and on
// disk, is renamed over it; .NO$ goes only after that. A failure or a crash at any moment
// leaves the old or the new .NOT whole, and .NO$ still holds the run's changes.
Status AnnotationStore::SaveAnnotations(const WriteStepHook& hook)
{
    if (savedKept_) {
        // .NOT stays as it is; .NO$ is where this run's changes wait for the next start.
        for (auto it = unwritten_.begin(); it != unwritten_.end();) {
            auto offset = AppendText(it->first, it->second);
            if (!offset)
                return offset.error();
            scratchTable_[it->first] = *offset;
            it = unwritten_.erase(it);
        }
        return *savedKept_;
    }
    enum class From { Saved, Scratch, Memory };
    struct Source
    {
        From from;
        std::uint64_t offset = 0;
        std::uint32_t length = 0;
    };
    std::map<std::int32_t, Source> all; // written in article order
    for (const auto& [article, offset] : savedIndex_)
        all[article] = {From::Saved, offset};
    for (const auto& [article, offset] : scratchTable_)
        all[article] = {From::Scratch, offset};
    for (const auto& [article, text] : unwritten_)
        all[article] = {From::Memory, 0};

    std::optional<InputFile> saved, scratch;
    auto reader = [&](From from) -> Result<BinaryReader> {
        std::optional<InputFile>& file = from == From::Saved ? saved : scratch;
        if (!file) {
            auto opened =
                InputFile::Open(from == From::Saved ? savedFile_ : scratchFile_, Links::DoNotFollow);
            if (!opened)
                return opened.error();
            file.emplace(std::move(*opened));
        }
        return file->reader();
    };

    // First the lengths, to leave out deleted annotations and know the count.
    std::uint32_t count = 0;
    for (auto& [article, source] : all) {
        if (source.from == From::Memory) {
            source.length = static_cast<std::uint32_t>(unwritten_[article].size());
        } else {
            auto r = reader(source.from);
            if (!r)
                return r.error();
            r->Seek(source.offset);
            auto length = r->ReadU32();
            if (!length)
                return length.error();
            if (*length > r->remaining())
                return r->Error(FileErrorKind::Truncated, source.offset,
                                "an annotation runs past the end of the file");
            source.length = *length;
        }
        if (source.length > 0)
            ++count;
    }

    auto out = AtomicFile::Create(savedPath_, hook);
    if (!out)
        return out.error();
    std::string header;
    StoreU32(header, count);
    if (auto w = out->Write(header); !w)
        return w.error();
    for (const auto& [article, source] : all) {
        if (source.length == 0)
            continue;
        std::string text;
        if (source.from == From::Memory) {
            text = unwritten_[article];
        } else {
            auto r = reader(source.from);
            if (!r)
                return r.error();
            r->Seek(source.offset + 4);
            auto bytes = r->ReadBytes(source.length);
            if (!bytes)
                return bytes.error();
            text = std::move(*bytes);
        }
        std::string record;
        StoreI32(record, article);
        StoreU32(record, source.length);
        record += text;
        if (auto w = out->Write(record); !w)
            return w.error();
    }
    saved.reset();
    scratch.reset();
    Status committed = out->Commit();
    if (!out->replaced())
        return committed;

    // The new .NOT has its name. Should the folder sync have failed (the rename might not
    // survive a power cut), .NO$ is kept: its changes, taken back at the next start over
    // whichever .NOT is there, give the same annotations. Either way nothing is lost.
    if (committed && (!hook || hook(WriteStep::Cleanup)))
        ClearScratch();
    std::string shown = std::move(shown_);
    const std::int32_t shownArticle = shownArticle_;
    LoadIndex();
    shown_ = std::move(shown);
    shownArticle_ = shownArticle;
    return Done{};
}

} // namespace mirelda
