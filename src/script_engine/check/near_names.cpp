#include "script_engine/check/near_names.h"

#include <algorithm>
#include <numeric>

namespace tsuzuri {
namespace {

char32_t lowerAscii(char32_t c) {
    return c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c;
}

// Code points of UTF-8 text; a byte that starts no valid sequence stands for itself.
std::u32string codePoints(std::string_view text) {
    std::u32string result;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = byte < 0x80    ? 1
                                   : byte >= 0xF0 ? 4
                                   : byte >= 0xE0 ? 3
                                   : byte >= 0xC0 ? 2
                                                  : 1;
        if (length == 1 || i + length > text.size()) {
            result.push_back(byte);
            ++i;
            continue;
        }
        char32_t c = byte & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        result.push_back(c);
        i += length;
    }
    return result;
}

// Edits between two texts: insertions, deletions, substitutions and swaps of two neighbours
// (the commonest slip of a typing hand: "StopBMG"), each counting one.
std::size_t distance(const std::u32string& a, const std::u32string& b, bool ignoreCase) {
    auto same = [ignoreCase](char32_t x, char32_t y) {
        return ignoreCase ? lowerAscii(x) == lowerAscii(y) : x == y;
    };
    // Three rows of the table: two back, one back, and the one being filled.
    std::vector<std::size_t> twoBack(b.size() + 1);
    std::vector<std::size_t> previous(b.size() + 1);
    std::vector<std::size_t> current(b.size() + 1);
    std::iota(previous.begin(), previous.end(), std::size_t{0});
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            std::size_t best = std::min({previous[j] + 1, current[j - 1] + 1,
                                         previous[j - 1] + (same(a[i - 1], b[j - 1]) ? 0 : 1)});
            if (i > 1 && j > 1 && same(a[i - 1], b[j - 2]) && same(a[i - 2], b[j - 1])) {
                best = std::min(best, twoBack[j - 2] + 1);
            }
            current[j] = best;
        }
        std::swap(twoBack, previous);
        std::swap(previous, current);
    }
    return previous[b.size()];
}

}  // namespace

std::size_t editDistance(std::string_view a, std::string_view b) {
    return distance(codePoints(a), codePoints(b), true);
}

std::vector<std::string> nearestNames(std::string_view name,
                                      const std::vector<std::string>& candidates) {
    const std::u32string wanted = codePoints(name);
    // A slip of a key or two; short names allow only one, or nearly every name would match.
    const std::size_t limit = wanted.size() < 5 ? 1 : wanted.size() < 12 ? 2 : 3;
    std::vector<std::pair<std::size_t, const std::string*>> near;
    for (const std::string& candidate : candidates) {
        const std::u32string other = codePoints(candidate);
        const std::size_t gap = other.size() > wanted.size() ? other.size() - wanted.size()
                                                             : wanted.size() - other.size();
        if (gap > limit) {
            continue;
        }
        if (const std::size_t d = distance(wanted, other, true); d <= limit) {
            near.emplace_back(d, &candidate);
        }
    }
    std::sort(near.begin(), near.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : *a.second < *b.second;
    });
    std::vector<std::string> result;
    for (std::size_t i = 0; i < near.size() && i < 3; ++i) {
        result.push_back(*near[i].second);
    }
    return result;
}

const char* nearKeyword(std::string_view text) {
    static constexpr const char* kKeywords[] = {"StopBGM", "StopLoopSE", "StopLoopWao", "flash",
                                                "choices"};
    for (const char* keyword : kKeywords) {
        const std::string_view word = keyword;
        std::string_view compared = text;
        if (word == "choices") {
            compared = text.substr(0, text.find("||"));
        }
        if (compared.size() > word.size() + 1 || compared.size() + 1 < word.size()) {
            continue;
        }
        const std::u32string a = codePoints(compared);
        const std::u32string b = codePoints(word);
        if (distance(a, b, true) <= 1) {
            return keyword;
        }
    }
    return nullptr;
}

}  // namespace tsuzuri
