#include "saves/state_text.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace tsuzuri {
namespace {

std::uint64_t fnv1a(std::uint64_t hash, std::string_view bytes) {
    for (const char byte : bytes) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 0x100000001B3ull;
    }
    return hash;
}

}  // namespace

std::filesystem::path userFolder(const char* variable, const char* underHome) {
    const char* base = std::getenv(variable);
    if (base != nullptr && base[0] == '/') {
        return std::filesystem::path(base) / "tsuzuri";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return std::filesystem::path(home) / underHome / "tsuzuri";
    }
    return {};
}

std::string escape(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < '!' || byte > '~' || byte == '%') {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

// Undoes escape(); false for a byte that should have been escaped, a broken escape or a NUL.
bool unescape(std::string_view text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < '!' || byte > '~') {
            return false;
        }
        if (byte != '%') {
            out += text[i];
            continue;
        }
        const int high = i + 1 < text.size() ? hexDigit(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? hexDigit(text[i + 2]) : -1;
        if (high < 0 || low < 0 || (high == 0 && low == 0)) {
            return false;
        }
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

// Cuts the next LF-ended line off `text`; false when there is none.
bool nextLine(std::string_view& text, std::string_view& line) {
    const size_t end = text.find('\n');
    if (end == std::string_view::npos) {
        return false;
    }
    line = text.substr(0, end);
    text.remove_prefix(end + 1);
    return true;
}

// The value of the next line, which must hold `key`: empty when the key stands alone.
bool takeValue(std::string_view& text, std::string_view key, std::string_view& value,
               std::string& reason) {
    std::string_view line;
    if (!nextLine(text, line)) {
        reason = "it ends before its '" + std::string(key) + "' line is complete";
        return false;
    }
    if (line == key) {
        value = {};
        return true;
    }
    if (line.size() > key.size() + 1 && line.substr(0, key.size()) == key &&
        line[key.size()] == ' ') {
        value = line.substr(key.size() + 1);
        return true;
    }
    reason = "a line where '" + std::string(key) + "' belongs reads something else";
    return false;
}

bool takeName(std::string_view& text, std::string_view key, std::string& name,
              std::string& reason) {
    std::string_view value;
    if (!takeValue(text, key, value, reason)) {
        return false;
    }
    if (!unescape(value, name)) {
        reason = "its '" + std::string(key) + "' value is not written as names are";
        return false;
    }
    return true;
}

bool takeNumber(std::string_view& text, std::string_view key, std::int64_t least, std::int64_t most,
                std::int64_t& number, std::string& reason) {
    std::string_view value;
    if (!takeValue(text, key, value, reason)) {
        return false;
    }
    const char* end = value.data() + value.size();
    std::int64_t read = 0;
    const auto [ptr, ec] = std::from_chars(value.data(), end, read);
    if (value.empty() || ec != std::errc() || ptr != end || read < least || read > most) {
        reason = "its '" + std::string(key) + "' is not a number from " + std::to_string(least) +
                 " to " + std::to_string(most);
        return false;
    }
    number = read;
    return true;
}

std::string gameKey(const std::filesystem::path& gameFolder, std::string_view title) {
    std::uint64_t hash = fnv1a(0xCBF29CE484222325ull, gameFolder.string());
    hash = fnv1a(hash, std::string_view("\0", 1));
    hash = fnv1a(hash, title);
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
    return digits;
}

bool makePrivateFolder(const std::filesystem::path& folder, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code code;
    if (fs::create_directories(folder, code)) {
        // What is kept says what someone has been reading: for their eyes only.
        fs::permissions(folder, fs::perms::owner_all, code);
        code.clear();
    }
    if (code || !fs::is_directory(folder, code)) {
        error = "cannot make the folder " + folder.string();
        return false;
    }
    return true;
}

}  // namespace tsuzuri
