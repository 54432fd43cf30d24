#pragma once
// The user's annotations: one free text per article, kept in two files beside the help set.
//
//   .NOT (saved)    0  u32 count
//                   4  count records:  0 i32 article   4 u32 L   8 L bytes of text
//   .NO$ (scratch)  entries appended one after the other:  0 u32 L   4 L bytes
//
// Texts are Windows-1252 with CR LF line ends, never empty in .NOT; integers little-endian.
// In memory only offsets are kept: the saved index points at the length field of each .NOT
// record, the scratch table at the entry in .NO$ that holds an article's changed text (an
// empty entry marks a deleted annotation). Every change appends to .NO$; .NOT is rewritten
// only at close.
//
// Each change is appended to .NO$ as two entries: an 8-byte tag entry ("ANNO", i32 article)
// then the text entry. The scratch table points at the text entry, exactly as if the tag were
// not there; the tag lets the next start give an interrupted run's changes back to their
// articles instead of throwing them away.

#include "core/store/atomic_file.h"
#include "core/store/result.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace mirelda {

// The edit control separates lines with LF alone; the files with CR LF. A lone CR counts as a
// line end too.
std::string ToFileLineEnds(std::string_view editText);
std::string ToEditLineEnds(std::string_view fileText);

class AnnotationStore
{
  public:
    AnnotationStore(std::filesystem::path savedPath, std::filesystem::path scratchPath);

    struct LoadReport
    {
        // .NOT is damaged (ends early, a length runs past its end): the records before the
        // damage are kept.
        std::optional<FileError> savedDamage;
        // Changes of a run that ended without saving, taken back from .NO$.
        std::size_t recovered = 0;
        // Part of a leftover .NO$ that could not be read back (cut short by the crash, or
        // not written by this program); it is dropped.
        std::optional<FileError> scratchDamage;
        // .NOT is there but cannot be read, or is damaged and no copy of it could be kept
        // aside: it is left as it is for this whole run. Changes stay in .NO$, taken back at
        // the next start.
        std::optional<FileError> savedKept;
        // .NO$ is not the user's own regular file (a dangling link, a link to another user's
        // file, a FIFO...): it is neither read nor written nor removed during this run, and
        // changes are held in memory until close.
        std::optional<FileError> scratchKept;
    };
    // Reads the saved index from .NOT and takes back the changes an interrupted run left in
    // .NO$. The shown text becomes empty.
    LoadReport LoadIndex();

    // The article's annotation (CR LF line ends; empty when there is none), which becomes the
    // shown text. The article has an annotation when the result is not empty.
    std::string ShowAnnotation(std::int32_t article);

    // Records `text` as the article's annotation when it differs from the shown text (line
    // ends aside). An empty text deletes the annotation. Nothing happens for article 0.
    // For the shown article the recorded text becomes the shown text, so that it may be
    // stored again and again while the user types.
    // When .NO$ cannot be written the text is still kept (in memory) and still saved at close,
    // but the error is returned so the user can be told.
    Status StoreAnnotation(std::int32_t article, std::string_view text);

    // Writes the new .NOT (every non-empty annotation, changed or not) atomically, then
    // removes .NO$. On failure nothing is lost: the old .NOT and .NO$ stay as they were and
    // the store keeps working. The store is reloaded from the new file on success.
    // While .NOT is kept (see LoadReport::savedKept) nothing is written over it: the changes
    // held only in memory go to .NO$, and the reason is returned.
    Status SaveAnnotations(const WriteStepHook& hook = {});

    // The text whose length field is at `offset` in `path` (a located user file, see
    // user_file.h: a link there is not followed).
    static Result<std::string> ReadText(const std::filesystem::path& path, std::uint64_t offset);
    // Deletes a file, ignoring every error (a missing file included).
    static void RemoveQuietly(const std::filesystem::path& path);

    const std::string& shownText() const { return shown_; }
    const std::filesystem::path& savedPath() const { return savedPath_; }
    const std::filesystem::path& scratchPath() const { return scratchPath_; }
    // Articles with a saved or changed annotation (a deleted one included until close).
    std::vector<std::int32_t> Articles() const;

  private:
    // Appends a change to .NO$ and returns the offset of its text entry.
    Result<std::uint64_t> AppendText(std::int32_t article, std::string_view text);
    std::optional<FileError> LoadSavedIndex(std::optional<FileError>& unreadable);
    std::size_t RecoverScratch(std::optional<FileError>& damage);
    // Empties .NO$ once its changes are elsewhere: the file is removed, or, when .NO$ is the
    // user's link to a file of his, that file is emptied and the link stays.
    void ClearScratch();
    // Cuts .NO$ (where it really is) to `size` bytes.
    bool TruncateScratch(std::uint64_t size);

    std::filesystem::path savedPath_;
    std::filesystem::path scratchPath_;
    // Where the two files really are (see user_file.h), found by LoadIndex.
    std::filesystem::path savedFile_;
    std::filesystem::path scratchFile_;
    std::unordered_map<std::int32_t, std::uint64_t> savedIndex_;
    std::unordered_map<std::int32_t, std::uint64_t> scratchTable_;
    // Changes that could not be appended to .NO$.
    std::map<std::int32_t, std::string> unwritten_;
    std::string shown_;
    std::int32_t shownArticle_ = 0;
    std::optional<FileError> savedKept_;
    std::optional<FileError> scratchKept_;
};

} // namespace mirelda
