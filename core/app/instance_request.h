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
// not exactly one of these lines is acted on.

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
InstanceRequest ParseInstanceRequest(std::string_view received);

// The line a second start sends for `request` (Activate, Show or Close).
std::string FormatInstanceRequest(const InstanceRequest& request);

} // namespace mirelda
