#pragma once
// Runs the real mirelda-tool binary (MIRELDA_TOOL, given by the build) and collects what it
// printed.

#include "tests/support/files.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace mirelda::test {

struct ToolRun
{
    int exitCode = -1; // 128 + the signal's number when a signal ended it
    std::string out;
    std::string err;
};

// Starts the tool with `args`, without a shell, its standard output and error going to the
// two files; returns its process id, or 0 when it could not be started.
inline pid_t SpawnTool(const std::vector<std::string>& args, const std::filesystem::path& outFile,
                       const std::filesystem::path& errFile)
{
    std::vector<std::string> argv{MIRELDA_TOOL};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> raw;
    for (std::string& a : argv)
        raw.push_back(a.data());
    raw.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    if (posix_spawn(&pid, MIRELDA_TOOL, &actions, nullptr, raw.data(), environ) != 0)
        pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Runs the tool with `args`, without a shell; standard output and error go through two files
// in `scratch`, removed afterwards.
inline ToolRun RunTool(const std::vector<std::string>& args, const std::filesystem::path& scratch)
{
    const std::filesystem::path outFile = scratch / "tool.out";
    const std::filesystem::path errFile = scratch / "tool.err";
    const pid_t pid = SpawnTool(args, outFile, errFile);
    if (pid == 0)
        throw std::runtime_error("cannot start " MIRELDA_TOOL);

    int status = 0;
    ::waitpid(pid, &status, 0);
    ToolRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = ReadFile(outFile);
    run.err = ReadFile(errFile);
    std::error_code ec;
    std::filesystem::remove(outFile, ec);
    std::filesystem::remove(errFile, ec);
    return run;
}

// `text` cut at its line feeds, without them.
inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace mirelda::test
