#include "core/store/binary_file.h"

#include <gtest/gtest.h>

#include <sstream>

namespace mirelda {
namespace {

TEST(BinaryReader, readsLittleEndianAndLengthPrefixedStrings)
{
    std::string bytes;
    StoreI32(bytes, -2);
    StoreU32(bytes, 5);
    bytes += "hello";
    StoreU32(bytes, 0);
    std::istringstream in(bytes);
    BinaryReader r(in, bytes.size(), "mem");
    EXPECT_EQ(*r.ReadI32(), -2);
    EXPECT_EQ(*r.ReadLengthPrefixed(), "hello");
    EXPECT_EQ(*r.ReadLengthPrefixed(), "");
    EXPECT_TRUE(r.atEnd());
    r.Seek(0);
    EXPECT_EQ(*r.ReadU32(), 0xFFFFFFFEu);
}

TEST(BinaryReader, lengthsPastTheEndFailAtTheLengthField)
{
    std::string bytes = "xx";
    StoreU32(bytes, 0x7FFFFFFF);
    bytes += "abc";
    std::istringstream in(bytes);
    BinaryReader r(in, bytes.size(), "mem");
    r.Seek(2);
    auto s = r.ReadLengthPrefixed();
    ASSERT_FALSE(s);
    EXPECT_EQ(s.error().kind, FileErrorKind::Truncated);
    EXPECT_EQ(s.error().offset, 2u);
    EXPECT_EQ(s.error().path, "mem");

    r.Seek(7); // two bytes left: a 32-bit read fails and leaves the position
    EXPECT_EQ(r.ReadU32().error().kind, FileErrorKind::Truncated);
    EXPECT_EQ(r.position(), 7u);
    EXPECT_EQ(*r.ReadBytes(2), "bc");
    r.Seek(1000);
    EXPECT_EQ(r.remaining(), 0u);
    EXPECT_EQ(r.ReadBytes(1).error().offset, 1000u);
    EXPECT_TRUE(r.ReadBytes(0));
}

TEST(BinaryReader, fixedFieldStopsAtNulOrTakesFullWidth)
{
    const char withNul[4] = {'a', 'b', '\0', 'z'};
    EXPECT_EQ(FixedFieldText(withNul, 4), "ab");
    const char full[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(FixedFieldText(full, 4), "abcd");
    const char empty[2] = {'\0', 'x'};
    EXPECT_EQ(FixedFieldText(empty, 2), "");
}

} // namespace
} // namespace mirelda
