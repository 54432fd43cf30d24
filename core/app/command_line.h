#pragma once
// The viewer's command line: which help set to open, which article to show first, and
// whether to close a running viewer instead of starting.
//
//   /D:PATH   help set base path (any separator character after the letter: /D:x, /D=x, -dx)
//   /P:N      start article N
//   /F        close the running viewer of the same help set and open nothing
//   PATH      a help set, as /D:PATH: one of its four files or its base, or a file:// URL
//
// A switch starts with "/" or "-"; its first letter (any case) selects the action and the
// character after it is a separator that is skipped without being looked at. Later
// switches and paths replace earlier ones.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirelda {

inline constexpr std::string_view kDefaultWindowClassName = "MireldaView0110";

struct StartOptions
{
    // The D value as typed. Only comparisons and derived names (class name, title) use its
    // upper-cased form: on a case-sensitive file system the typed case is needed to open files.
    std::string helpSetBase;
    std::string windowClassName = std::string(kDefaultWindowClassName);
    bool hasStartArticle = false;
    std::int32_t startArticle = 0;
    bool closeRunning = false;
};

// One argument. For a switch, `param` is its text without the leading "/" or "-".
void ParseParam(StartOptions& options, std::string_view param, bool isSwitch);

// The whole command line, without the program name. Arguments beginning with "--" are the
// program's own long options (--help, --version) and are left to it; after a lone "--" every
// argument is a path.
//
// A Linux absolute path also starts with "/", and a file name may start with "-". Such an
// argument is a path when it names something that exists (a dangling symlink included), and
// otherwise a switch, unless it is plainly a path: a help-set extension at its end or, for
// "/", a further "/" in it — but never when its third character is ":" or "=" (/D:x, -p=3).
// So `mirelda /data/x` never becomes a D switch with the value "ta/x", nor `mirelda /foo` a
// close request. `isExistingPath` answers for the file system (by default, the real one).
StartOptions ParseCommandLine(const std::vector<std::string>& args,
                              const std::function<bool(const std::string&)>& isExistingPath = {});

// The local path of a file URL ("file:///a/b%20c", "file://localhost/a"), percent escapes
// decoded; nothing for another scheme, another host, a bad escape or an escaped NUL.
std::optional<std::string> LocalPathOfFileUrl(std::string_view url);

// The P value: leading white space, an optional sign, then decimal digits up to the first
// other character; 0 when there are no digits. Values beyond 32 bits saturate at the limits.
std::int32_t ParseArticleNumber(std::string_view text);

} // namespace mirelda
