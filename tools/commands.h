#pragma once
// The subcommands of mirelda-tool. Each takes the arguments after its name and returns the
// process's exit code (tools/tool_common.h).

#include <string>
#include <vector>

namespace mirelda::tool {

int RunInfo(const std::vector<std::string>& args);
int RunCheck(const std::vector<std::string>& args);
int RunIndex(const std::vector<std::string>& args);
int RunArticle(const std::vector<std::string>& args);
int RunLinks(const std::vector<std::string>& args);
int RunTree(const std::vector<std::string>& args);
int RunBuild(const std::vector<std::string>& args);
int RunDecompile(const std::vector<std::string>& args);

} // namespace mirelda::tool
