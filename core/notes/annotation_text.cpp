#include "core/notes/annotation_text.h"

#include "core/store/cp1252.h"

#include <algorithm>

namespace mirelda {

namespace {

constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kParagraphSeparator = 0x2029;

bool IsSeparator(char16_t c)
{
    return c == kLineSeparator || c == kParagraphSeparator;
}

bool HasByte(char16_t c)
{
    return IsSeparator(c) || Cp1252ByteOf(c) >= 0;
}

bool IsHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

bool AnnotationCanHold(std::u16string_view text)
{
    return std::all_of(text.begin(), text.end(), HasByte);
}

std::u16string AnnotationTextOf(std::u16string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            out += u'?';
            ++i;
        } else {
            out += HasByte(c) ? c : u'?';
        }
    }
    return out;
}

std::string AnnotationBytes(std::u16string_view editorText)
{
    std::u16string text(editorText);
    std::replace_if(text.begin(), text.end(), IsSeparator, u'\n');
    return EncodeCp1252(text);
}

} // namespace mirelda
