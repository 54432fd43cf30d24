#include "core/app/instance_request.h"

#include <gtest/gtest.h>

#include <string>

namespace mirelda {
namespace {

using Kind = InstanceRequest::Kind;

TEST(InstanceRequest, acceptsExactlyTheThreeRequests)
{
    struct Case
    {
        const char* name;
        std::string bytes;
        Kind kind;
        std::int32_t article = 0;
    };
    const Case cases[] = {
        {"activate", "activate\n", Kind::Activate},
        {"close", "close\n", Kind::Close},
        {"show", "show 25\n", Kind::Show, 25},
        {"show zero", "show 0\n", Kind::Show, 0},
        {"show negative", "show -7\n", Kind::Show, -7},
        {"show int max", "show 2147483647\n", Kind::Show, 2147483647},
        {"show int min", "show -2147483648\n", Kind::Show, -2147483647 - 1},
        {"partial", "show 2", Kind::Incomplete},
        {"empty", "", Kind::Incomplete},
        {"beyond 32 bits", "show 2147483648\n", Kind::Malformed},
        {"eleven digits", "show 00000000001\n", Kind::Malformed},
        {"no number", "show \n", Kind::Malformed},
        {"sign only", "show -\n", Kind::Malformed},
        {"letters", "show 1a\n", Kind::Malformed},
        {"plus sign", "show +1\n", Kind::Malformed},
        {"two spaces", "show  1\n", Kind::Malformed},
        {"carriage return", "close\r\n", Kind::Malformed},
        {"upper case", "CLOSE\n", Kind::Malformed},
        {"two requests", "show 3\nclose\n", Kind::Malformed},
        {"nul inside", std::string("clo\0se\n", 7), Kind::Malformed},
        {"unknown", "quit\n", Kind::Malformed},
        {"too long without end", std::string(64, 'x'), Kind::Malformed},
        {"too long with end", std::string(64, 'x') + '\n', Kind::Malformed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const InstanceRequest r = ParseInstanceRequest(c.bytes);
        EXPECT_EQ(r.kind, c.kind);
        EXPECT_EQ(r.article, c.article);
        if (r.kind == Kind::Show || r.kind == Kind::Close || r.kind == Kind::Activate) {
            const std::string line = FormatInstanceRequest(r); // what a second start sends
            EXPECT_EQ(ParseInstanceRequest(line).kind, c.kind);
        }
    }
}

} // namespace
} // namespace mirelda
