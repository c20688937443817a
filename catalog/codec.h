// Shift_JIS (Windows code page 932) at the edges of the program.
// Inside the core every text is CP932 bytes exactly as read from a file;
// conversion happens only where text meets the window system.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kr {

// CP932 bytes to UTF-8. Bytes that are not valid CP932 become U+FFFD; never fails.
std::string Cp932ToUtf8(std::string_view cp932);

// UTF-8 to CP932 bytes, or nothing when some character has no CP932 form
// (or the input is not valid UTF-8).
std::optional<std::string> Utf8ToCp932(std::string_view utf8);

// UTF-8 to CP932 bytes, taking every character that has a CP932 form, also
// the characters CP932 holds under another character's code ("〜" U+301C
// becomes the code of "～" U+FF5E, "−" U+2212 that of "－" U+FF0D). The
// characters without a form are left out; `leftOut`, when given, receives
// them (UTF-8). Input that is not UTF-8 is left out byte by byte.
std::string Utf8ToCp932Lossy(std::string_view utf8, std::string* leftOut = nullptr);

// The length of the longest start of the text that is at most `limit` bytes
// long and does not end in the first byte of a double-byte character.
std::size_t Cp932PrefixLength(std::string_view cp932, std::size_t limit);

// A literal of the program, kept in source as UTF-8, as CP932 bytes.
// Throws std::logic_error for a literal without a CP932 form (a programming error).
std::string Sjis(std::string_view utf8Literal);

// Whether the byte starts a double-byte character in Shift_JIS.
constexpr bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The text with the ASCII letters a to z made upper case. The second byte
// of a double-byte character may look like a letter ("ヂ" is 0x83 0x61) and
// stays as it is.
std::string UpperAsciiLetters(std::string_view text);

}  // namespace kr
