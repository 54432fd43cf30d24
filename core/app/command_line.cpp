#include "core/app/command_line.h"

#include "core/app/help_set_location.h"
#include "core/app/help_title.h"
#include "core/richtext/rtf_lexer.h"

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

void SetHelpSet(StartOptions& options, std::string_view path)
{
    options.helpSetBase.assign(path);
    options.windowClassName = BuildClassName(UpperAscii(path));
}

bool HasHelpSetExtension(const std::string& arg)
{
    return StripHelpSetExtension(arg) != std::filesystem::path(arg);
}

// "/..." and "-..." arguments: a switch, or a path that happens to start like one.
bool IsSwitch(const std::string& arg, const std::function<bool(const std::string&)>& exists)
{
    if (exists(arg))
        return false;
    if (arg.size() >= 3 && (arg[2] == ':' || arg[2] == '='))
        return true;
    if (HasHelpSetExtension(arg))
        return false;
    return !(arg.front() == '/' && arg.find('/', 1) != std::string::npos);
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
    case 'D':
        SetHelpSet(options, ValueOf(param));
        break;
    case 'F':
        options.closeRunning = true;
        break;
    default:
        break;
    }
}

std::optional<std::string> LocalPathOfFileUrl(std::string_view url)
{
    constexpr std::string_view kScheme = "FILE:";
    if (url.size() < kScheme.size() || UpperAscii(url.substr(0, kScheme.size())) != kScheme)
        return std::nullopt;
    std::string_view rest = url.substr(kScheme.size());
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && UpperAscii(host) != "LOCALHOST")
            return std::nullopt; // another machine's file
        if (slash == std::string_view::npos)
            return std::nullopt;
        rest.remove_prefix(slash);
    }
    if (!rest.starts_with('/'))
        return std::nullopt;
    rest = rest.substr(0, rest.find_first_of("?#")); // a query or fragment names no file
    std::string path;
    path.reserve(rest.size());
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != '%') {
            path.push_back(rest[i]);
            continue;
        }
        if (i + 2 >= rest.size())
            return std::nullopt;
        const int high = rtf::HexValue(static_cast<unsigned char>(rest[i + 1]));
        const int low = rtf::HexValue(static_cast<unsigned char>(rest[i + 2]));
        if (high < 0 || low < 0 || (high == 0 && low == 0))
            return std::nullopt;
        path.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    return path;
}

StartOptions ParseCommandLine(const std::vector<std::string>& args,
                              const std::function<bool(const std::string&)>& isExistingPath)
{
    const auto exists = [&isExistingPath](const std::string& arg) {
        if (isExistingPath)
            return isExistingPath(arg);
        std::error_code ignored;
        return std::filesystem::exists(std::filesystem::symlink_status(arg, ignored));
    };
    StartOptions options;
    bool onlyPaths = false;
    for (const std::string& arg : args) {
        if (arg.empty())
            continue;
        if (!onlyPaths && arg == "--") {
            onlyPaths = true;
            continue;
        }
        if (!onlyPaths && arg.starts_with("--"))
            continue;
        if (!onlyPaths && (arg.front() == '-' || arg.front() == '/') && IsSwitch(arg, exists)) {
            ParseParam(options, std::string_view(arg).substr(1), true);
            continue;
        }
        // A URL that is not a local file's stays as given: the message then names it.
        const std::optional<std::string> local = LocalPathOfFileUrl(arg);
        SetHelpSet(options, local ? *local : arg);
    }
    return options;
}

} // namespace mirelda
