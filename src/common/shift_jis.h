// Shift-JIS (code page 932) helpers. All text inside the engine is Shift-JIS bytes; these
// convert to UTF-8 only where text leaves the engine (window caption, message boxes, file names).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tsuzuri {

// True for the first byte of a two-byte character: 0x81-0xA0 and 0xE0-0xFC.
constexpr bool isLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0xA0) || (byte >= 0xE0 && byte <= 0xFC);
}

// Converts for display: bytes that are not valid CP932 (including a lead byte cut off at the
// end) become U+FFFD. Never fails.
std::string sjisToUtf8ForDisplay(std::string_view sjis);

// Converts exactly, or answers nothing when any byte sequence is invalid. Used for file names,
// where a guessed name would be worse than none.
std::optional<std::string> sjisToUtf8Strict(std::string_view sjis);

// Whether the bytes are well-formed UTF-8 (plain ASCII is).
bool isValidUtf8(std::string_view text);

// Converts UTF-8 to Shift-JIS for showing with the engine's own text: characters Shift-JIS
// lacks, and broken sequences, become '?'. Never fails.
std::string utf8ToSjisForDisplay(std::string_view utf8);

// A file name's bytes as Shift-JIS text: a name that is valid UTF-8 (what Linux desktops
// write) is converted, any other is taken to be Shift-JIS already (as copied from a game disc).
std::string fileNameToSjis(std::string_view name);

// The Unicode code point of one Shift-JIS character (one byte, or a lead byte and its trail
// byte), or nothing when the code has no mapping.
std::optional<char32_t> sjisCharToCodePoint(std::string_view character);

}  // namespace tsuzuri
