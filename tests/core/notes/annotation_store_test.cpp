#include "core/notes/annotation_store.h"
#include "core/store/binary_file.h"

#include "tests/support/file_faults.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <map>
#include <sys/stat.h>
#include <sys/wait.h>

namespace mirelda {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;
namespace fs = std::filesystem;

using Notes = std::map<std::int32_t, std::string>;

std::string NotFile(const std::vector<std::pair<std::int32_t, std::string>>& records, std::int64_t count = -1)
{
    std::string out;
    StoreU32(out, static_cast<std::uint32_t>(count < 0 ? records.size() : count));
    for (const auto& [article, text] : records) {
        StoreI32(out, article);
        StoreU32(out, static_cast<std::uint32_t>(text.size()));
        out += text;
    }
    return out;
}

// What the .NOT file holds, read independently of the store.
Notes ParseNot(const std::string& bytes)
{
    Notes notes;
    std::size_t pos = 4;
    for (std::uint32_t i = 0, n = LoadU32(bytes.data()); i < n; ++i) {
        std::int32_t article = LoadI32(bytes.data() + pos);
        std::uint32_t length = LoadU32(bytes.data() + pos + 4);
        EXPECT_TRUE(notes.emplace(article, bytes.substr(pos + 8, length)).second) << "article twice";
        EXPECT_GT(length, 0u) << "empty text written";
        pos += 8 + length;
    }
    EXPECT_EQ(pos, bytes.size());
    return notes;
}

// Visiting an article as the frame does: store the one left, show the new one.
struct Session
{
    AnnotationStore store;
    std::int32_t current = 0;
    std::string edit; // the edit control

    explicit Session(const TempDir& dir) : store(dir / "AIDE.NOT", dir / "AIDE.NO$") { store.LoadIndex(); }
    void Visit(std::int32_t article)
    {
        if (current != 0) {
            EXPECT_TRUE(store.StoreAnnotation(current, edit));
        }
        edit = store.ShowAnnotation(article);
        current = article;
    }
    Status Close()
    {
        store.StoreAnnotation(current, edit);
        return store.SaveAnnotations();
    }
    std::uint64_t ScratchSize() const
    {
        std::error_code ec;
        auto n = fs::file_size(store.scratchPath(), ec);
        return ec ? 0 : n;
    }
};

TEST(LineEnds, editAndFileFormsConvertBothWays)
{
    EXPECT_EQ(ToFileLineEnds("a\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(ToFileLineEnds("a\r\nb"), "a\r\nb"); // already file form
    EXPECT_EQ(ToFileLineEnds("a\rb"), "a\r\nb");
    EXPECT_EQ(ToEditLineEnds("a\r\nb\r\n\r\n"), "a\nb\n\n");
    EXPECT_EQ(ToEditLineEnds("a\rb\n"), "a\nb\n");
    const std::string typed = "Ligne 1\n\nLigne \xE9t\xE9\n";
    EXPECT_EQ(ToEditLineEnds(ToFileLineEnds(typed)), typed);
}

TEST(AnnotationStore, closingWithNothing_writesCountZeroAndNoScratch)
{
    TempDir dir;
    Session s(dir);
    s.Visit(1);
    s.Visit(2);
    ASSERT_TRUE(s.Close());
    EXPECT_EQ(ReadFile(dir / "AIDE.NOT"), NotFile({}));
    EXPECT_FALSE(fs::exists(dir / "AIDE.NO$"));
}

TEST(AnnotationStore, typedText_readBackFromScratchAfterVisitingAnother)
{
    TempDir dir;
    Session s(dir);
    s.Visit(12);
    s.edit = "Voir aussi\nla page 30";
    s.Visit(30);
    EXPECT_EQ(s.edit, "");
    EXPECT_GT(s.ScratchSize(), 0u);
    s.Visit(12);
    EXPECT_EQ(s.edit, "Voir aussi\r\nla page 30");
    EXPECT_EQ(ToEditLineEnds(s.edit), "Voir aussi\nla page 30");
}

TEST(AnnotationStore, twoChanges_twoScratchEntriesOneRecord)
{
    TempDir dir;
    Session s(dir);
    s.Visit(12);
    s.edit = "first";
    s.Visit(30);
    const auto afterFirst = s.ScratchSize();
    s.Visit(12);
    s.edit = "second";
    s.Visit(30);
    EXPECT_GT(s.ScratchSize(), afterFirst);
    ASSERT_TRUE(s.Close());
    EXPECT_EQ(ParseNot(ReadFile(dir / "AIDE.NOT")), (Notes{{12, "second"}}));
}

TEST(AnnotationStore, unchangedOrRestoredText_appendsNothing)
{
    TempDir dir;
    WriteFile(dir / "AIDE.NOT", NotFile({{5, "line\r\nend"}}));
    Session s(dir);
    s.Visit(5);
    s.Visit(6); // left unchanged
    s.Visit(5);
    s.edit = "typed over";
    s.edit = "line\nend"; // back to what was shown, as the edit control gives it
    s.Visit(6);
    EXPECT_EQ(s.ScratchSize(), 0u);
}

TEST(AnnotationStore, clearedAnnotation_showsEmptyAndIsDroppedAtClose)
{
    TempDir dir;
    WriteFile(dir / "AIDE.NOT", NotFile({{7, "old note"}, {8, "kept"}}));
    Session s(dir);
    s.Visit(7);
    EXPECT_EQ(s.edit, "old note");
    s.edit.clear();
    s.Visit(8);
    EXPECT_EQ(s.store.ShowAnnotation(7), "");
    s.edit = s.store.ShowAnnotation(8);
    s.current = 8;
    ASSERT_TRUE(s.Close());
    EXPECT_EQ(ParseNot(ReadFile(dir / "AIDE.NOT")), (Notes{{8, "kept"}}));
}

TEST(AnnotationStore, untouchedAnnotationsCopiedUnchanged_blankTextsKept)
{
    TempDir dir;
    const std::string binary("\0\x01\xFF\r\n", 5);
    WriteFile(dir / "AIDE.NOT", NotFile({{3, binary}, {-4, "negative article"}, {9, "nine"}}));
    Session s(dir);
    s.Visit(20);
    s.edit = "   \n"; // only blanks and a line end: still an annotation
    s.Visit(21);
    ASSERT_TRUE(s.Close());
    EXPECT_EQ(ParseNot(ReadFile(dir / "AIDE.NOT")),
              (Notes{{3, binary}, {-4, "negative article"}, {9, "nine"}, {20, "   \r\n"}}));
}

TEST(AnnotationStore, duplicateArticleInFile_laterRecordWins)
{
    TempDir dir;
    WriteFile(dir / "AIDE.NOT", NotFile({{4, "earlier"}, {4, "later"}}));
    Session s(dir);
    s.Visit(4);
    EXPECT_EQ(s.edit, "later");
    ASSERT_TRUE(s.Close());
    EXPECT_EQ(ParseNot(ReadFile(dir / "AIDE.NOT")), (Notes{{4, "later"}}));
}

TEST(AnnotationStore, damagedNotFiles_keepRecordsRead)
{
    const std::string two = NotFile({{1, "one"}, {2, "two"}});
    struct Case
    {
        const char* what;
        std::string bytes;
        Notes kept;
        bool damaged;
    };
    std::string longer = NotFile({{1, "one"}}, 2);
    StoreI32(longer, 2);
    StoreU32(longer, 0xFFFFFFF0u); // a length far past the end
    longer += "xy";
    const Case cases[] = {
        {"empty file", "", {}, true},
        {"count larger than the records",
         NotFile({{1, "one"}, {2, "two"}}, 1000),
         {{1, "one"}, {2, "two"}},
         true},
        {"huge count", NotFile({{1, "one"}}, 0xFFFFFFFF), {{1, "one"}}, true},
        {"record cut in its header", two.substr(0, two.size() - 8), {{1, "one"}}, true},
        {"text cut short", two.substr(0, two.size() - 1), {{1, "one"}}, true},
        {"length past the end", longer, {{1, "one"}}, true},
        {"extra bytes after the records", two + "junk", {{1, "one"}, {2, "two"}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        WriteFile(dir / "AIDE.NOT", c.bytes);
        AnnotationStore store(dir / "AIDE.NOT", dir / "AIDE.NO$");
        auto report = store.LoadIndex();
        EXPECT_EQ(report.savedDamage.has_value(), c.damaged);
        // The damaged file is kept aside whole before the save below rewrites it.
        const bool keepsCopy = c.damaged && !c.bytes.empty();
        EXPECT_EQ(std::filesystem::exists(dir / "AIDE.NOT.damaged"), keepsCopy);
        if (keepsCopy) {
            EXPECT_EQ(ReadFile(dir / "AIDE.NOT.damaged"), c.bytes);
        }
        Notes shown;
        for (std::int32_t a : store.Articles())
            shown[a] = store.ShowAnnotation(a);
        EXPECT_EQ(shown, c.kept);
        // Saving keeps what was readable and writes a sound file.
        ASSERT_TRUE(store.SaveAnnotations());
        EXPECT_EQ(ParseNot(ReadFile(dir / "AIDE.NOT")), c.kept);
    }
}

TEST(AnnotationStore, leftoverScratchOfInterruptedRun_isTakenBack)
{
    TempDir dir;
    WriteFile(dir / "AIDE.NOT", NotFile({{1, "saved one"}, {2, "saved two"}}));
    {
        Session crashed(dir);
        crashed.Visit(1);
        crashed.edit = "changed one";
        crashed.Visit(2);
        crashed.edit = "";
        crashed.Visit(3);
        crashed.edit = "new three";
        crashed.Visit(1);
        // The run ends here without saving: the process died.
    }
    const auto scratch = ReadFile(dir / "AIDE.NO$");
    WriteFile(dir / "AIDE.NO$", scratch + std::string("\x08\x00\x00\x00"
                                                      "ANN",
                                                      7)); // cut mid-append

    auto report = AnnotationStore(dir / "AIDE.NOT", dir / "AIDE.NO$").LoadIndex();
    EXPECT_EQ(report.recovered, 3u);
    EXPECT_TRUE(report.scratchDamage);
    EXPECT_EQ(ReadFile(dir / "AIDE.NO$"), scratch); // the torn tail is cut off

    Session next(dir);
    next.Visit(1);
    EXPECT_EQ(next.edit, "changed one");
    next.edit = "changed again";
    next.Visit(2);
    EXPECT_EQ(next.edit, "");
    ASSERT_TRUE(next.Close());
    EXPECT_EQ(ParseNot(ReadFile(dir / "AIDE.NOT")), (Notes{{1, "changed again"}, {3, "new three"}}));
    EXPECT_FALSE(fs::exists(dir / "AIDE.NO$"));
}

TEST(AnnotationStore, foreignScratchFile_isDiscardedUnread)
{
    TempDir dir;
    WriteFile(dir / "AIDE.NOT", NotFile({{1, "saved"}}));
    std::string foreign;
    StoreU32(foreign, 5);
    foreign += "hello";
    WriteFile(dir / "AIDE.NO$", foreign);
    AnnotationStore store(dir / "AIDE.NOT", dir / "AIDE.NO$");
    auto report = store.LoadIndex();
    EXPECT_EQ(report.recovered, 0u);
    EXPECT_TRUE(report.scratchDamage);
    EXPECT_FALSE(fs::exists(dir / "AIDE.NO$"));
    EXPECT_EQ(store.ShowAnnotation(1), "saved");
}

TEST(AnnotationStore, unwritableScratch_changeKeptAndSavedElsewhere)
{
    TempDir dir;
    Session s(dir);
    fs::create_directory(dir / "AIDE.NO$"); // the scratch file cannot be opened for writing
    s.Visit(1);
    s.edit = "note";
    Status stored = s.store.StoreAnnotation(1, s.edit);
    ASSERT_FALSE(stored);
    EXPECT_EQ(stored.error().kind, FileErrorKind::CannotWrite);
    EXPECT_EQ(s.store.ShowAnnotation(1), "note");
    ASSERT_TRUE(s.store.SaveAnnotations());
    EXPECT_EQ(ParseNot(ReadFile(dir / "AIDE.NOT")), (Notes{{1, "note"}}));
}

// Typing goes to .NO$ at every pause: typing on, or going back to the text that was there,
// must leave the last text typed as the annotation.
TEST(AnnotationStore, storedWhileTyping_lastTextWins)
{
    TempDir dir;
    WriteFile(dir / "AIDE.NOT", NotFile({{1, "saved"}}));
    Session s(dir);
    s.Visit(1);
    ASSERT_TRUE(s.store.StoreAnnotation(1, "saved and more"));
    ASSERT_TRUE(s.store.StoreAnnotation(1, "saved")); // typed back to what was there
    s.edit = "saved";
    s.Visit(2);
    EXPECT_EQ(s.store.ShowAnnotation(1), "saved");
}

// A .NOT that is there but cannot be read (or is damaged and cannot be copied aside) is never
// written over; the run's changes wait in .NO$ and come back once the file can be read.
TEST(AnnotationStore, unreadableOrUncopiableNot_isKeptAndChangesWaitInScratch)
{
    const std::string saved = NotFile({{1, "saved one"}});
    const std::string damaged = NotFile({{1, "saved one"}}, 2); // one record short
    for (const bool unreadable : {true, false}) {
        SCOPED_TRACE(unreadable ? "unreadable" : "damaged, no copy");
        TempDir dir;
        const std::string bytes = unreadable ? saved : damaged;
        WriteFile(dir / "AIDE.NOT", bytes);
        {
            test::RefusedFileOperation refused(unreadable ? FileOperation::OpenForReading
                                                          : FileOperation::Copy,
                                               unreadable ? dir / "AIDE.NOT" : fs::path());
            Session s(dir);
            s.Visit(2);
            s.edit = "new two";
            ASSERT_FALSE(s.Close());
        }
        EXPECT_EQ(ReadFile(dir / "AIDE.NOT"), bytes);
        EXPECT_FALSE(fs::exists(dir / "AIDE.NOT.damaged"));
        Session next(dir);
        next.Visit(2);
        EXPECT_EQ(next.edit, "new two");
        ASSERT_TRUE(next.Close());
        EXPECT_EQ(ParseNot(ReadFile(dir / "AIDE.NOT")), (Notes{{1, "saved one"}, {2, "new two"}}));
    }
}

// A new .NOT is the owner's alone; one replaced keeps its mode, but never locks its owner out.
TEST(AnnotationStore, savedFileMode_privateWhenNewNeverUnusable)
{
    TempDir dir;
    ASSERT_TRUE(AnnotationStore(dir / "AIDE.NOT", dir / "AIDE.NO$").SaveAnnotations());
    struct stat st
    {
    };
    ASSERT_EQ(::stat((dir / "AIDE.NOT").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ::chmod((dir / "AIDE.NOT").c_str(), 0);
    Session s(dir);
    s.Visit(1);
    s.edit = "note";
    ASSERT_TRUE(s.Close());
    ASSERT_EQ(::stat((dir / "AIDE.NOT").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// A leftover .NO$ whose torn tail cannot be cut: its changes go to a fresh .NO$ at once, so a
// second crash before closing still finds them.
TEST(AnnotationStore, leftoverScratchThatCannotBeCut_changesRewrittenOnDisk)
{
    TempDir dir;
    {
        Session crashed(dir);
        crashed.Visit(1);
        crashed.edit = "one";
        crashed.Visit(2);
        crashed.edit = "two";
        crashed.Visit(3);
    }
    WriteFile(dir / "AIDE.NO$", ReadFile(dir / "AIDE.NO$") + std::string("\x08\x00", 2));
    {
        test::RefusedFileOperation refused(FileOperation::Truncate);
        auto report = AnnotationStore(dir / "AIDE.NOT", dir / "AIDE.NO$").LoadIndex();
        EXPECT_EQ(report.recovered, 2u);
    }
    AnnotationStore again(dir / "AIDE.NOT", dir / "AIDE.NO$");
    auto report = again.LoadIndex();
    EXPECT_EQ(report.recovered, 2u);
    EXPECT_FALSE(report.scratchDamage);
    EXPECT_EQ(again.ShowAnnotation(1), "one");
    EXPECT_EQ(again.ShowAnnotation(2), "two");
}

// A .NOT or .NO$ that is not the user's own regular file: a link to nothing (a note would be
// created wherever it leads), a link to another user's file (it would be cut or replaced), a
// FIFO (opening it would wait for ever). Each is said once, left exactly as it is, and the
// run's notes still reach .NOT when .NOT itself is usable.
TEST(AnnotationStore, scratchOrSavedFileNotTheUsers_isNeverWrittenThroughOrReplaced)
{
    const std::string theirs(350, 'x');
    for (const char* kind : {"dangling link", "link to another user's file", "fifo"}) {
        SCOPED_TRACE(kind);
        TempDir dir;
        fs::create_directory(dir / "elsewhere");
        const fs::path target = dir / "elsewhere" / "target";
        const std::string k = kind;
        if (k == "fifo") {
            ASSERT_EQ(::mkfifo((dir / "AIDE.NO$").c_str(), 0600), 0);
        } else {
            if (k != "dangling link") {
                WriteFile(target, theirs);
                if (::chown(target.c_str(), 4242, 4242) != 0)
                    GTEST_SKIP() << "files cannot be given to another user here";
            }
            fs::create_symlink(target, dir / "AIDE.NO$");
        }
        WriteFile(dir / "AIDE.NOT", NotFile({{1, "saved"}}));
        Session s(dir);
        auto report = s.store.LoadIndex();
        ASSERT_TRUE(report.scratchKept);
        EXPECT_EQ(s.store.ShowAnnotation(1), "saved");
        ASSERT_FALSE(s.store.StoreAnnotation(2, "private note")); // held in memory
        EXPECT_EQ(s.store.ShowAnnotation(2), "private note");
        ASSERT_TRUE(s.store.SaveAnnotations());
        EXPECT_EQ(ParseNot(ReadFile(dir / "AIDE.NOT")), (Notes{{1, "saved"}, {2, "private note"}}));
        if (k == "fifo") {
            EXPECT_TRUE(fs::is_fifo(dir / "AIDE.NO$"));
        } else {
            EXPECT_TRUE(fs::is_symlink(dir / "AIDE.NO$"));
            EXPECT_EQ(k == "dangling link" ? !fs::exists(target) : ReadFile(target) == theirs, true);
        }
    }
    // The same kinds standing for .NOT: unreadable, kept, and the notes wait in .NO$.
    for (const char* kind : {"dangling link", "fifo"}) {
        SCOPED_TRACE(std::string(".NOT ") + kind);
        TempDir dir;
        if (std::string(kind) == "fifo")
            ASSERT_EQ(::mkfifo((dir / "AIDE.NOT").c_str(), 0600), 0);
        else
            fs::create_symlink(dir / "planted", dir / "AIDE.NOT");
        AnnotationStore store(dir / "AIDE.NOT", dir / "AIDE.NO$");
        ASSERT_TRUE(store.LoadIndex().savedKept);
        store.ShowAnnotation(3);
        ASSERT_TRUE(store.StoreAnnotation(3, "three"));
        EXPECT_FALSE(store.SaveAnnotations());
        EXPECT_FALSE(fs::exists(dir / "planted"));
        EXPECT_TRUE(fs::is_symlink(dir / "AIDE.NOT") || fs::is_fifo(dir / "AIDE.NOT"));
        EXPECT_GT(fs::file_size(dir / "AIDE.NO$"), 0u);
    }
}

// The user's own links to files of his: used where they lead, the links stay.
TEST(AnnotationStore, usersOwnLinks_filesUsedWhereTheyLeadLinksStay)
{
    TempDir dir;
    fs::create_directory(dir / "elsewhere");
    WriteFile(dir / "elsewhere" / "notes", NotFile({{1, "saved"}}));
    WriteFile(dir / "elsewhere" / "scratch", "");
    fs::create_symlink(dir / "elsewhere" / "notes", dir / "AIDE.NOT");
    fs::create_symlink(dir / "elsewhere" / "scratch", dir / "AIDE.NO$");
    {
        Session s(dir);
        s.Visit(1);
        s.edit = "changed";
        s.Visit(2);
        EXPECT_GT(fs::file_size(dir / "elsewhere" / "scratch"), 0u); // appended where it leads
        ASSERT_TRUE(s.Close());
    }
    EXPECT_TRUE(fs::is_symlink(dir / "AIDE.NOT"));
    EXPECT_TRUE(fs::is_symlink(dir / "AIDE.NO$"));
    EXPECT_EQ(ParseNot(ReadFile(dir / "elsewhere" / "notes")), (Notes{{1, "changed"}}));
    EXPECT_EQ(ReadFile(dir / "elsewhere" / "scratch"), ""); // emptied, not removed

    // A file of the user's that this program did not write: copied aside before it is emptied.
    const std::string text(350, 't');
    WriteFile(dir / "elsewhere" / "scratch", text);
    AnnotationStore store(dir / "AIDE.NOT", dir / "AIDE.NO$");
    EXPECT_TRUE(store.LoadIndex().scratchDamage);
    EXPECT_EQ(ReadFile(dir / "elsewhere" / "scratch.damaged"), text);
    EXPECT_TRUE(fs::is_symlink(dir / "AIDE.NO$"));
}

struct SaveFixture
{
    TempDir dir;
    const Notes before{{1, "saved one"}, {2, "saved two"}};
    const Notes after{{1, "saved one"}, {2, "changed two"}, {3, "new three"}};

    SaveFixture() { WriteFile(dir / "AIDE.NOT", NotFile({{1, "saved one"}, {2, "saved two"}})); }
    void Edit(AnnotationStore& store)
    {
        store.LoadIndex();
        store.ShowAnnotation(2);
        ASSERT_TRUE(store.StoreAnnotation(2, "changed two"));
        store.ShowAnnotation(3);
        ASSERT_TRUE(store.StoreAnnotation(3, "new three"));
    }
    Notes NextStart()
    {
        AnnotationStore store(dir / "AIDE.NOT", dir / "AIDE.NO$");
        store.LoadIndex();
        Notes notes;
        for (std::int32_t a : store.Articles())
            if (auto t = store.ShowAnnotation(a); !t.empty())
                notes[a] = t;
        return notes;
    }
};

TEST(SaveAnnotations, failureAtEachStep_keepsOldFileAndChanges)
{
    for (WriteStep step : {WriteStep::Create, WriteStep::Write, WriteStep::Flush, WriteStep::Rename}) {
        SCOPED_TRACE(WriteStepName(step));
        SaveFixture f;
        AnnotationStore store(f.dir / "AIDE.NOT", f.dir / "AIDE.NO$");
        f.Edit(store);
        Status saved = store.SaveAnnotations([step](WriteStep s) { return s != step; });
        ASSERT_FALSE(saved);
        EXPECT_EQ(saved.error().kind, FileErrorKind::CannotWrite);
        EXPECT_EQ(ParseNot(ReadFile(f.dir / "AIDE.NOT")), f.before);
        EXPECT_TRUE(fs::exists(f.dir / "AIDE.NO$"));
        // Still usable: the changes are there and a second attempt succeeds.
        EXPECT_EQ(store.ShowAnnotation(3), "new three");
        ASSERT_TRUE(store.SaveAnnotations());
        EXPECT_EQ(ParseNot(ReadFile(f.dir / "AIDE.NOT")), f.after);
        EXPECT_FALSE(fs::exists(f.dir / "AIDE.NO$"));
        EXPECT_EQ(test::CountFiles(f.dir.path()), 1u);
    }
    // Failures after the rename: the new file is in place; a kept .NO$ changes nothing.
    for (WriteStep step : {WriteStep::SyncFolder, WriteStep::Cleanup}) {
        SCOPED_TRACE(WriteStepName(step));
        SaveFixture f;
        AnnotationStore store(f.dir / "AIDE.NOT", f.dir / "AIDE.NO$");
        f.Edit(store);
        EXPECT_TRUE(store.SaveAnnotations([step](WriteStep s) { return s != step; }));
        EXPECT_EQ(ParseNot(ReadFile(f.dir / "AIDE.NOT")), f.after);
        EXPECT_EQ(f.NextStart(), f.after);
    }
}

// The process dies at each step of closing: the next start finds every annotation, old or
// changed, never neither.
TEST(SaveAnnotations, crashAtEachStep_nextStartFindsEveryAnnotation)
{
    for (WriteStep step : {WriteStep::Create, WriteStep::Write, WriteStep::Flush, WriteStep::Rename,
                           WriteStep::SyncFolder, WriteStep::Cleanup}) {
        SCOPED_TRACE(WriteStepName(step));
        SaveFixture f;
        const int status = test::CrashAtWriteStep(step, [&f](const WriteStepHook& hook) {
            AnnotationStore store(f.dir / "AIDE.NOT", f.dir / "AIDE.NO$");
            f.Edit(store);
            (void)store.SaveAnnotations(hook);
        });
        ASSERT_NE(status, -1);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        const Notes onDisk = ParseNot(ReadFile(f.dir / "AIDE.NOT"));
        EXPECT_TRUE(onDisk == f.before || onDisk == f.after);
        EXPECT_EQ(f.NextStart(), f.after);
    }
}

} // namespace
} // namespace mirelda
