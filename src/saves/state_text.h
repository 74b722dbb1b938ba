// The text the files kept between runs are written in: one LF-ended line per key, "key value"
// or the key alone for none. Names are the bytes the game (Shift-JIS) or the file system names
// them by, every byte outside '!'..'~' and every '%' written as %XX with upper-case hex digits.
// Readers take nothing malformed: each step answers false with the reason.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tsuzuri {

// The bytes written as a name, and back; unescape is false for a byte that should have been
// escaped, a broken escape or a NUL.
std::string escape(std::string_view bytes);
bool unescape(std::string_view text, std::string& out);

// Cuts the next LF-ended line off `text`; false when there is none.
bool nextLine(std::string_view& text, std::string_view& line);

// The value of the next line, which must hold `key`: empty when the key stands alone.
bool takeValue(std::string_view& text, std::string_view key, std::string_view& value,
               std::string& reason);
// The same for a value written as a name.
bool takeName(std::string_view& text, std::string_view key, std::string& name, std::string& reason);
// The same for a decimal number from `least` to `most`.
bool takeNumber(std::string_view& text, std::string_view key, std::int64_t least, std::int64_t most,
                std::int64_t& number, std::string& reason);

// The 16 hex digits that stand for one game: the 64-bit FNV-1a hash of its folder's absolute
// path, a NUL byte and its title (WindowTitle of Game.INI, as its bytes stand).
std::string gameKey(const std::filesystem::path& gameFolder, std::string_view title);

// The player's folder in one of the user's base folders: $`variable`/tsuzuri, else
// $HOME/`underHome`/tsuzuri (relative values are ignored, as the base directory rules ask);
// empty when neither can be found.
std::filesystem::path userFolder(const char* variable, const char* underHome);

// Makes the folder (and those above it) for the user's eyes only; false with the reason.
bool makePrivateFolder(const std::filesystem::path& folder, std::string& error);

}  // namespace tsuzuri
