#include "core/app/help_set_identity.h"

#include "core/app/help_set_location.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

namespace mirelda {

namespace fs = std::filesystem;

std::uint64_t StableHash(std::string_view bytes)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

fs::path CanonicalFolder(const fs::path& folder)
{
    const fs::path f = folder.empty() ? fs::path(".") : folder;
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(f, ec);
    if (!ec)
        return canonical;
    canonical = fs::absolute(f, ec);
    return ec ? f : canonical.lexically_normal();
}

fs::path HelpSetIdentity(const fs::path& given)
{
    return HelpSetIdentity(ResolveHelpSetFiles(given));
}

fs::path HelpSetIdentity(const HelpSetFiles& files)
{
    if (std::find(files.missing.begin(), files.missing.end(), files.pgd) == files.missing.end()) {
        std::error_code ec;
        const fs::path data = fs::canonical(files.pgd, ec);
        if (!ec)
            return StripHelpSetExtension(data);
    }
    return CanonicalFolder(files.base.parent_path()) / files.base.filename();
}

std::string InstanceKey(const fs::path& given)
{
    return InstanceKeyOfIdentity(HelpSetIdentity(given));
}

std::string InstanceKeyOfIdentity(const fs::path& identity)
{
    char key[17];
    std::snprintf(key, sizeof key, "%016llx", static_cast<unsigned long long>(StableHash(identity.native())));
    return key;
}

} // namespace mirelda
