#include "core/app/command_line.h"

#include "core/app/help_title.h"

#include <filesystem>
#include <limits>

namespace mirelda {

namespace {

bool IsBlank(char c)
{
    // The white space that the C library's number reading skips.
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

char UpperLetter(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The value of P and D starts after the letter and its separator.
std::string_view ValueOf(std::string_view param)
{
    return param.size() > 2 ? param.substr(2) : std::string_view{};
}

} // namespace

std::int32_t ParseArticleNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate as a magnitude in 64 bits and stop growing once past the 32-bit range, so
    // that any number of digits is read without overflow.
    constexpr std::int64_t kMaxMagnitude = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (magnitude <= kMaxMagnitude)
            magnitude = magnitude * 10 + (text[i] - '0');
    }
    if (negative) {
        return magnitude >= kMaxMagnitude ? std::numeric_limits<std::int32_t>::min()
                                          : static_cast<std::int32_t>(-magnitude);
    }
    return magnitude >= kMaxMagnitude ? std::numeric_limits<std::int32_t>::max()
                                      : static_cast<std::int32_t>(magnitude);
}

void ParseParam(StartOptions& options, std::string_view param, bool isSwitch)
{
    if (!isSwitch || param.empty())
        return;
    switch (UpperLetter(param.front())) {
    case 'P':
        options.startArticle = ParseArticleNumber(ValueOf(param));
        options.hasStartArticle = true;
        break;
    case 'D': {
        const std::string_view value = ValueOf(param);
        options.helpSetBase.assign(value);
        options.windowClassName = BuildClassName(UpperAscii(value));
        break;
    }
    case 'F':
        options.closeRunning = true;
        break;
    default:
        break;
    }
}

StartOptions ParseCommandLine(const std::vector<std::string>& args,
                              const std::function<bool(const std::string&)>& isExistingPath)
{
    const auto exists = [&isExistingPath](const std::string& arg) {
        if (isExistingPath)
            return isExistingPath(arg);
        std::error_code ignored;
        return std::filesystem::exists(arg, ignored);
    };
    StartOptions options;
    for (const std::string& arg : args) {
        if (arg.starts_with("--"))
            continue;
        const bool isSwitch = !arg.empty() && (arg.front() == '-' || (arg.front() == '/' && !exists(arg)));
        ParseParam(options, isSwitch ? std::string_view(arg).substr(1) : std::string_view(arg), isSwitch);
    }
    return options;
}

} // namespace mirelda
