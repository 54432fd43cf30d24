#pragma once
// The requests a second start hands to the running viewer over the single-instance socket.
// One line of ASCII, ended by '\n':
//
//   "activate"   bring the viewer forward (a start without P or F)
//   "show N"     bring it forward, then show article N (N: optional '-', 1 to 10 digits,
//                within 32 bits; 0 and negatives are legal and fall back to article 1)
//   "close"      run the close sequence
//
// The viewer answers "ok\n" once it has handled the request, or "error\n" for anything else.
// Deliberately strict: anyone of the same user can write to the socket, so nothing that is
// not exactly one of these lines is acted on. Kept free of Qt so that it can be fuzzed.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace mirelda {

// Longest acceptable request line, '\n' included; a peer that sends more without a line end
// is cut off.
inline constexpr std::size_t kMaxInstanceRequest = 64;

struct InstanceRequest
{
    enum class Kind { Incomplete, Malformed, Activate, Show, Close };
    Kind kind = Kind::Incomplete;
    std::int32_t article = 0; // Show only
};

// Parses what a peer has sent so far. Incomplete: no line end yet and still under the limit.
inline InstanceRequest ParseInstanceRequest(std::string_view received)
{
    using Kind = InstanceRequest::Kind;
    const auto end = received.find('\n');
    if (end == std::string_view::npos)
        return {received.size() < kMaxInstanceRequest ? Kind::Incomplete : Kind::Malformed, 0};
    if (end + 1 > kMaxInstanceRequest || end + 1 != received.size())
        return {Kind::Malformed, 0}; // too long, or bytes after the line: one request a connection
    const std::string_view line = received.substr(0, end);
    if (line == "activate")
        return {Kind::Activate, 0};
    if (line == "close")
        return {Kind::Close, 0};
    constexpr std::string_view kShow = "show ";
    if (line.substr(0, kShow.size()) != kShow)
        return {Kind::Malformed, 0};
    std::string_view number = line.substr(kShow.size());
    const bool negative = !number.empty() && number.front() == '-';
    if (negative)
        number.remove_prefix(1);
    if (number.empty() || number.size() > 10)
        return {Kind::Malformed, 0};
    std::int64_t value = 0;
    for (const char c : number) {
        if (c < '0' || c > '9')
            return {Kind::Malformed, 0};
        value = value * 10 + (c - '0');
    }
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return {Kind::Malformed, 0};
    return {Kind::Show, static_cast<std::int32_t>(value)};
}

// The line a second start sends for `request` (Activate, Show or Close).
inline std::string FormatInstanceRequest(const InstanceRequest& request)
{
    switch (request.kind) {
    case InstanceRequest::Kind::Show:
        return "show " + std::to_string(request.article) + "\n";
    case InstanceRequest::Kind::Close:
        return "close\n";
    default:
        return "activate\n";
    }
}

} // namespace mirelda
