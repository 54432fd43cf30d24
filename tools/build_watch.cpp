#include "tools/build_watch.h"

#include "core/app/help_title.h"

#include "tools/tool_common.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace mirelda::tool {
namespace {

namespace fs = std::filesystem;

constexpr int kQuietMs = 200;      // an editor's save, a checkout: one build
constexpr int kFolderPollMs = 500; // a vanished source folder is looked for this often

constexpr std::uint32_t kEvents = IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB | IN_CREATE | IN_DELETE |
                                  IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

bool EndsWithNoCase(std::string_view name, std::string_view suffix)
{
    return name.size() >= suffix.size() && UpperAscii(name.substr(name.size() - suffix.size())) == suffix;
}

// Editors' swap and backup files, and a help set built into the source folder itself (which
// would otherwise rebuild itself for ever), are no sources.
bool IsSourceName(std::string_view name)
{
    if (name.empty() || name.front() == '.' || name.back() == '~')
        return false;
    for (std::string_view ext :
         {".PGH", ".PGD", ".PGL", ".FIC", ".BUILD-TMP", ".SWP", ".SWX", ".SIG", ".NOT", ".NO$"})
        if (EndsWithNoCase(name, ext))
            return false;
    return true;
}

class SourceWatch
{
  public:
    explicit SourceWatch(fs::path source) : source_(std::move(source))
    {
        fd_ = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    }
    ~SourceWatch()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    SourceWatch(const SourceWatch&) = delete;
    SourceWatch& operator=(const SourceWatch&) = delete;

    bool usable() const { return fd_ >= 0; }

    // (Re)watches the folder and its articles/ folder, which may have been made anew; false
    // when the source folder is not there.
    bool Arm()
    {
        folder_ = inotify_add_watch(fd_, source_.c_str(), kEvents);
        articles_ = folder_ < 0 ? -1 : inotify_add_watch(fd_, (source_ / "articles").c_str(), kEvents);
        return folder_ >= 0;
    }

    // Waits up to `ms` (-1: for ever) for events; true when one of them touches a source.
    bool WaitForChange(int ms)
    {
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, ms);
        if (ready <= 0)
            return false;
        return ReadEvents();
    }

  private:
    bool ReadEvents()
    {
        bool touched = false;
        alignas(inotify_event) std::array<char, 16384> buffer{};
        for (;;) {
            const ssize_t got = ::read(fd_, buffer.data(), buffer.size());
            if (got <= 0)
                return touched;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                const std::string_view name = event->len ? std::string_view(event->name) : std::string_view();
                if (event->mask & (IN_Q_OVERFLOW | IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF))
                    touched = true; // lost events, or a watched folder gone: look again
                else if (event->wd == folder_)
                    touched |= name == "articles.txt" || name == "contents.txt" || name == "articles";
                else if (event->wd == articles_)
                    touched |= IsSourceName(name);
            }
        }
    }

    fs::path source_;
    int fd_ = -1;
    int folder_ = -1;
    int articles_ = -1;
};

} // namespace

int WatchAndBuild(const fs::path& source, const std::string& base, const std::function<void()>& build)
{
    SourceWatch watch(source);
    if (!watch.usable()) {
        std::fprintf(stderr, "mirelda-tool build: cannot watch %s: %s\n", source.string().c_str(),
                     std::strerror(errno));
        return kExitDamaged;
    }
    // The watches come before the first build, so that no save during it is missed.
    bool present = watch.Arm();
    if (present)
        build();
    for (;;) {
        if (!present) {
            std::fprintf(stderr,
                         "%s: the source folder is gone; waiting for it to come back (%s stays as it is)\n",
                         source.string().c_str(), base.c_str());
            std::fflush(stderr);
            while (!watch.Arm())
                ::poll(nullptr, 0, kFolderPollMs);
            present = true;
        } else if (!watch.WaitForChange(-1)) {
            continue;
        }
        // Until the sources have been quiet for a moment.
        while (watch.WaitForChange(kQuietMs)) {
        }
        present = watch.Arm();
        if (present)
            build();
    }
}

} // namespace mirelda::tool
