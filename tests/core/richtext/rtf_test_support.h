#pragma once
// Helpers shared by the rich-text tests.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core/richtext/plain_text.h"
#include "core/richtext/rtf_reader.h"

namespace mirelda::testing {

// Reads `rtf` both ways, checks the model's invariants and that the plain text agrees.
inline RichDocument Read(std::string_view rtf)
{
    RichDocument doc = ReadRtf(rtf);
    EXPECT_EQ(CheckDocument(doc), "") << rtf;
    EXPECT_EQ(ExtractPlainText(rtf), doc.text) << rtf;
    EXPECT_LE(doc.text.size(), rtf.size() + 1);
    return doc;
}

inline std::u16string TextOf(std::string_view rtf)
{
    return Read(rtf).text;
}

// A body wrapped as a minimal document.
inline std::string Rtf(std::string_view body)
{
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}" + std::string(body) + "}";
}

} // namespace mirelda::testing
