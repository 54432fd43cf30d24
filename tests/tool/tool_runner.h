#pragma once
// Runs the real mirelda-tool binary and collects what it printed.

#include <filesystem>
#include <string>
#include <vector>

namespace mirelda::testing {

struct ToolRun
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs MIRELDA_TOOL with `args`; standard output and error are captured through files in
// `scratch`.
ToolRun RunTool(const std::vector<std::string>& args, const std::filesystem::path& scratch);

// A fresh temporary folder, removed with the object.
class TempDir
{
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

std::string ReadWhole(const std::filesystem::path& file);
std::vector<std::string> Lines(const std::string& text);

} // namespace mirelda::testing
