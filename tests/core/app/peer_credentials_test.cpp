#include "core/app/peer_credentials.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

namespace mirelda {
namespace {

TEST(PeerCredentials, thisUsersSocketPairPassesWhatIsNoSocketDoesNot)
{
    int pair[2] = {-1, -1};
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    EXPECT_TRUE(PeerIsThisUser(pair[0]));
    ::close(pair[1]);
    ::close(pair[0]);

    int pipeEnds[2] = {-1, -1};
    ASSERT_EQ(::pipe(pipeEnds), 0);
    EXPECT_FALSE(PeerIsThisUser(pipeEnds[0])); // no socket
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);

    EXPECT_FALSE(PeerIsThisUser(-1));
}

} // namespace
} // namespace mirelda
