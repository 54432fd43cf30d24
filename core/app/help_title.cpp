#include "core/app/help_title.h"

namespace mirelda {

std::string UpperAscii(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

std::string BuildClassName(std::string_view name)
{
    constexpr std::size_t kLength = 10;
    std::string letters(kLength, 'A');
    for (char c : name)
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            letters.push_back(c);
    return letters.substr(letters.size() - kLength);
}

std::string HelpTitle(std::string_view helpSetBase)
{
    const std::string path = UpperAscii(helpSetBase);
    const auto has = [&path](std::string_view part) { return path.find(part) != std::string::npos; };
    if (has("VORNE"))
        return "Aide VORNELAS";
    if (has("QUILMO"))
        return "Aide Quil Morvante";
    if (has("FENDA") && has("RUX"))
        return "Aide Fendal Ruxanore";
    if (has("MILDA"))
        return "Aide Mildane";
    if (has("PROSK"))
        return "Aide Dorvins Proskelane";
    if (has("GULAV") || has("ESTIX"))
        return "Aide Gulavera/Estixorandi";
    return "Aide";
}

} // namespace mirelda
