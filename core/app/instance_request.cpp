#include "core/app/instance_request.h"

#include <cstdint>

namespace mirelda {

InstanceRequest ParseInstanceRequest(std::string_view received)
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

std::string FormatInstanceRequest(const InstanceRequest& request)
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
