#pragma once
// The compiler's test sources: where they are, and writable copies of them.

#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"

#include <filesystem>
#include <string>

namespace mirelda::test {

namespace fs = std::filesystem;

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

} // namespace mirelda::test
