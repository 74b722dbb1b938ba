#include "script_engine/check/byte_check.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "common/shift_jis.h"

namespace tsuzuri {
namespace {

// A byte's place as an editor shows it: lines end at LF and at a CR not followed by LF.
struct BytePlace {
    std::int32_t line;
    std::int32_t column;
    char byte;
};

// More of one kind in a file would bury everything else.
constexpr std::size_t kMaxListed = 10;

bool isUtf16(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        return true;
    }
    const auto nuls = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\0'));
    return bytes.size() >= 4 && nuls * 4 >= bytes.size();
}

template <typename Describe>
void reportListed(CheckRun& run, const std::string& file, const std::vector<BytePlace>& places,
                  std::string_view code, Describe describe) {
    for (std::size_t i = 0; i < places.size() && i < kMaxListed; ++i) {
        std::string message = describe(places[i]);
        if (i + 1 == kMaxListed && places.size() > kMaxListed) {
            message += " (" + std::to_string(places.size() - kMaxListed) +
                       " more in this file are not listed)";
        }
        run.reportAt(file, places[i].line, places[i].column, code, std::move(message));
    }
}

}  // namespace

bool checkBytes(CheckRun& run, const std::string& file, std::string_view bytes) {
    if (isUtf16(bytes)) {
        run.report(file, 1, "encoding",
                   "the file is UTF-16; the player reads scripts as Shift-JIS, so it finds no "
                   "line of it: save it as Shift-JIS");
        return true;
    }
    const bool bom = bytes.substr(0, 3) == "\xEF\xBB\xBF";
    const bool multiByte = std::any_of(
        bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    const bool utf8 = bom || (multiByte && isValidUtf8(bytes));

    bool pair = false;
    std::vector<BytePlace> lone;
    std::vector<BytePlace> nuls;
    std::int32_t line = 1;
    std::int32_t column = 1;
    std::int32_t nulLine = 0;  // a line's first NUL is the one that matters
    for (std::size_t i = 0; i < bytes.size();) {
        const char c = bytes[i];
        const char next = i + 1 < bytes.size() ? bytes[i + 1] : '\0';
        const bool hasNext = i + 1 < bytes.size();
        if (c == '\r' || c == '\n') {
            if (hasNext && (next == '\r' || next == '\n') && next != c) {
                pair = true;
                // LF CR is taken as a pair too, though an editor shows two line ends.
                line += c == '\n' ? 2 : 1;
                i += 2;
            } else {
                lone.push_back({line, column, c});
                ++line;
                ++i;
            }
            column = 1;
            continue;
        }
        if (c == '\0' && nulLine != line) {
            nuls.push_back({line, column, c});
            nulLine = line;
        }
        const bool twoBytes = !utf8 && isLeadByte(static_cast<unsigned char>(c)) && hasNext &&
                              next != '\r' && next != '\n' && next != '\0';
        i += twoBytes ? 2 : 1;
        if (!utf8 || (static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++column;  // a UTF-8 character's continuation bytes are part of its column
        }
    }
    if (!lone.empty() && !pair) {
        run.report(file, 1, "line-ends",
                   "the file's lines end in a lone LF or CR, not CR LF: the player reads the "
                   "whole file as one line");
    } else {
        reportListed(run, file, lone, "line-ends", [](const BytePlace& place) {
            return std::string("a lone ") + (place.byte == '\n' ? "LF" : "CR") +
                   " here does not end the line: the player reads this line and the next as one";
        });
    }
    reportListed(run, file, nuls, "nul-byte", [](const BytePlace&) {
        return std::string("a NUL byte: the player drops the rest of the line from here");
    });
    if (utf8) {
        run.report(file, 1, "encoding",
                   "the file is UTF-8; the player reads scripts as Shift-JIS, so its text is "
                   "garbled");
    }
    return utf8;
}

}  // namespace tsuzuri
