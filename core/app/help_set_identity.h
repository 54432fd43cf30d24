#pragma once
// Which help set a path names, whatever way it was spelled: the identity behind the
// single-instance key ("one viewer per help set") and the recent list.

#include "core/app/help_set_location.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace mirelda {

// FNV-1a over the bytes: stable across runs, builds and machines, unlike std::hash.
std::uint64_t StableHash(std::string_view bytes);

// The folder made absolute with every symlink, "." and ".." resolved as far as it exists.
std::filesystem::path CanonicalFolder(const std::filesystem::path& folder);

// The help set's canonical base: the real path of its .PGD file without the extension when
// that file exists (so a symlinked folder or file, a relative path and an absolute one give
// the same), otherwise its canonical folder joined with the base name as given. Any of the
// four files or the base may be given.
std::filesystem::path HelpSetIdentity(const std::filesystem::path& given);
// The same for a help set already resolved.
std::filesystem::path HelpSetIdentity(const HelpSetFiles& files);

// The single-instance key: sixteen hexadecimal digits of HelpSetIdentity's hash, so that two
// help sets never share a viewer and one help set never gets two.
std::string InstanceKey(const std::filesystem::path& given);
// The key of a help set's identity (HelpSetIdentity's answer).
std::string InstanceKeyOfIdentity(const std::filesystem::path& identity);

} // namespace mirelda
