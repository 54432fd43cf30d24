#include "tools/tool_common.h"

#include "core/store/cp1252.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace mirelda::tool {

bool Arguments::Has(std::string_view option) const
{
    return std::find(options.begin(), options.end(), option) != options.end();
}

std::optional<Arguments> SplitArguments(std::string_view command, const std::vector<std::string>& args,
                                        std::size_t minCount, std::size_t maxCount,
                                        const std::vector<std::string_view>& allowed)
{
    Arguments split;
    for (const std::string& arg : args) {
        if (!arg.starts_with("--")) {
            split.positional.push_back(arg);
            continue;
        }
        if (std::find(allowed.begin(), allowed.end(), arg) == allowed.end()) {
            UsageError(command, "unknown option " + arg);
            return std::nullopt;
        }
        split.options.push_back(arg);
    }
    if (split.positional.size() < minCount) {
        UsageError(command, "missing argument");
        return std::nullopt;
    }
    if (split.positional.size() > maxCount) {
        UsageError(command, "unexpected argument " + split.positional[maxCount]);
        return std::nullopt;
    }
    return split;
}

int UsageError(std::string_view command, std::string_view message)
{
    std::fprintf(stderr, "mirelda-tool %.*s: %.*s (see mirelda-tool --help)\n",
                 static_cast<int>(command.size()), command.data(), static_cast<int>(message.size()),
                 message.data());
    return kExitUsage;
}

void ReportProblem(std::string_view file, std::string_view message)
{
    const std::string text = MessageText(message);
    std::fprintf(stderr, "mirelda-tool: %.*s: %s\n", static_cast<int>(file.size()), file.data(),
                 text.c_str());
}

void ReportError(const FileError& error)
{
    std::string message = error.message;
    if (error.offset != 0)
        message = "at offset " + OffsetText(error.offset) + ": " + message;
    ReportProblem(error.path, message);
}

std::optional<std::int32_t> ParseArticleArgument(std::string_view text)
{
    std::size_t i = 0;
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        i = 1;
    }
    if (i == text.size() || text.size() - i > 10)
        return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<HelpSetFiles> OpenHelpSet(const std::string& base)
{
    HelpSetFiles files = ResolveHelpSetFiles(base);
    if (!files.complete()) {
        for (const auto& missing : files.missing)
            ReportProblem(missing.string(), "file not found");
        return std::nullopt;
    }
    return files;
}

std::string FieldText(std::string_view cp1252)
{
    std::string utf8 = Utf16ToUtf8(DecodeCp1252(cp1252));
    std::replace_if(
        utf8.begin(), utf8.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    return utf8;
}

std::string MessageText(std::string_view text)
{
    const std::string utf8(text);
    // Valid UTF-8 survives the round trip unchanged; anything else is Windows-1252.
    if (Utf16ToUtf8(Utf8ToUtf16(utf8)) == utf8)
        return utf8;
    return Utf16ToUtf8(DecodeCp1252(text));
}

void WriteRecord(const std::vector<std::string>& fields)
{
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i)
            line.push_back('\t');
        line += fields[i];
    }
    line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stdout);
}

std::string OffsetText(std::uint64_t offset)
{
    return std::to_string(offset);
}

std::optional<ArticleIndex> LoadIndexOrReport(const HelpSetFiles& files)
{
    auto index = LoadArticleIndex(files.pgh);
    if (!index) {
        ReportError(index.error());
        return std::nullopt;
    }
    return std::move(*index);
}

} // namespace mirelda::tool
