// Arguments split at NUL bytes, parsed as the viewer's command line; the class name it
// builds must always be ten characters. Each argument is also read as a file URL, whose path
// can never be longer than the URL nor hold a NUL.
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
    for (const std::string& arg : args)
        if (const auto path = mirelda::LocalPathOfFileUrl(arg))
            if (path->size() > arg.size() || path->find('\0') != std::string::npos)
                std::abort();
    return 0;
}
