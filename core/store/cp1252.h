#pragma once
// Windows-1252, the code page of every text in the help-set and user files.

#include <string>
#include <string_view>

namespace mirelda {

// The Unicode character of one byte. The five bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) decode to the code point of the same value.
char16_t Cp1252ToUnicode(unsigned char byte);

std::u16string DecodeCp1252(std::string_view bytes);

// Characters with no byte in Windows-1252 become "?". Lone surrogates too.
std::string EncodeCp1252(std::u16string_view text);

// Upper-cases Windows-1252 bytes: a-z, and the accented small letters to their accented
// capitals (é → É, ÿ → Ÿ, š → Š, œ → Œ); accents stay. ß and µ have no capital byte and stay.
char UpperCp1252(char byte);
std::string UpperCp1252(std::string_view bytes);

// UTF-8 <-> UTF-16 for the command-line tool and file names; invalid input becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace mirelda
