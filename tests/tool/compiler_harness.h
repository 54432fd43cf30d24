#pragma once
// Runs the real mirelda-tool on source trees copied into a scratch folder.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace mirelda::testing {

namespace fs = std::filesystem;

inline std::string ReadFileBytes(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFileBytes(const fs::path& p, const std::string& bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A folder removed at the end of the test.
class ScratchDir
{
  public:
    ScratchDir()
    {
        std::string pattern = (fs::temp_directory_path() / "mirelda-compiler-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~ScratchDir()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

struct ToolRun
{
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ShellQuote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline ToolRun RunTool(const std::vector<std::string>& args, const fs::path& scratch)
{
    std::string cmd = ShellQuote(MIRELDA_TOOL);
    for (const std::string& a : args)
        cmd += " " + ShellQuote(a);
    const fs::path out = scratch / "tool.stdout", err = scratch / "tool.stderr";
    cmd += " >" + ShellQuote(out.string()) + " 2>" + ShellQuote(err.string());
    ToolRun run;
    int raw = std::system(cmd.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadFileBytes(out);
    run.err = ReadFileBytes(err);
    fs::remove(out);
    fs::remove(err);
    return run;
}

inline fs::path TestData(const std::string& name)
{
    return fs::path(MIRELDA_SOURCE_DIR) / "tests" / "data" / "compiler" / name;
}

// A writable copy of a test source tree.
inline fs::path CopySources(const fs::path& from, const fs::path& to)
{
    fs::copy(from, to, fs::copy_options::recursive);
    return to;
}

inline const char* const kHelpSetExtensions[] = {".PGH", ".PGD", ".PGL", ".FIC"};

} // namespace mirelda::testing
