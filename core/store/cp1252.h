#pragma once
// Windows-1252, the code page of every text in the help-set and user files.

#include <cstddef>
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

// The byte of a character in Windows-1252, or -1 when it has none.
int Cp1252ByteOf(char32_t c);

// UTF-8 <-> UTF-16 for the command-line tool and file names; invalid input becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

// The character that starts at text[at]. Strict: overlong forms, surrogates and code points
// past U+10FFFF are ill-formed; an ill-formed sequence takes its maximal invalid part (at
// least one byte), as ICU and browsers count it.
struct Utf8Char
{
    char32_t code = 0;
    std::size_t length = 1;
    bool valid = false;
};
Utf8Char DecodeUtf8Char(std::string_view text, std::size_t at);

// UTF-8 to Windows-1252 for the texts an author writes into a help set (titles): refuses
// ill-formed UTF-8, control characters and characters with no byte; `why` says which.
bool Utf8ToCp1252Strict(std::string_view utf8, std::string& out, std::string& why);

} // namespace mirelda
