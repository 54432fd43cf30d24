#include "core/app/peer_credentials.h"

#include <sys/socket.h>
#include <unistd.h>

namespace mirelda {

bool PeerIsThisUser(int fd)
{
    ucred credentials{};
    socklen_t length = sizeof credentials;
    return fd >= 0 && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 &&
           credentials.uid == ::getuid();
}

} // namespace mirelda
