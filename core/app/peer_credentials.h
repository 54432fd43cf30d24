#pragma once
// Who is at the other end of the single-instance socket: only this user may steer the viewer.

namespace mirelda {

// The peer of the connected local socket `fd` runs as this process's user; false for an fd
// that is no connected local socket, or whose credentials cannot be read.
bool PeerIsThisUser(int fd);

} // namespace mirelda
