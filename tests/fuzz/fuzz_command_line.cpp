// Arguments split at NUL bytes, parsed as the viewer's command line; the class name it
// builds must always be ten characters.
#include "core/app/command_line.h"
#include "core/app/help_title.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back().push_back(static_cast<char>(data[i]));
    }
    const mirelda::StartOptions options =
        mirelda::ParseCommandLine(args, [](const std::string& arg) { return arg.size() % 7 == 3; });
    if (options.windowClassName.size() != 10 && options.windowClassName != mirelda::kDefaultWindowClassName)
        std::abort();
    (void)mirelda::HelpTitle(options.helpSetBase);
    return 0;
}
