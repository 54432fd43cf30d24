// The single-instance request parser: any bytes a peer may send.
#include "core/app/instance_request.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const mirelda::InstanceRequest request = mirelda::ParseInstanceRequest(bytes);
    using Kind = mirelda::InstanceRequest::Kind;
    if (request.kind == Kind::Activate || request.kind == Kind::Show || request.kind == Kind::Close) {
        // Only well-formed lines are accepted, and they read back the same.
        if (bytes.size() > mirelda::kMaxInstanceRequest ||
            mirelda::FormatInstanceRequest(request).size() > bytes.size())
            __builtin_trap();
        const auto again = mirelda::ParseInstanceRequest(mirelda::FormatInstanceRequest(request));
        if (again.kind != request.kind || again.article != request.article)
            __builtin_trap();
    }
    return 0;
}
