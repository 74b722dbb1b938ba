#include "script_engine/check/near_names.h"

#include <algorithm>
#include <deque>
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

// The edits a name of `length` characters may be away from a name it is taken for: a slip of
// a key or two; short names allow only one, or nearly every name would match.
std::size_t editLimit(std::size_t length) {
    return length < 5 ? 1 : length < 12 ? 2 : 3;
}

std::u32string lowered(std::u32string text) {
    for (char32_t& c : text) {
        c = lowerAscii(c);
    }
    return text;
}

}  // namespace

std::size_t editDistance(std::string_view a, std::string_view b) {
    return distance(codePoints(a), codePoints(b), true);
}

std::vector<std::string> nearestNames(std::string_view name,
                                      const std::vector<std::string>& candidates) {
    const std::u32string wanted = codePoints(name);
    const std::size_t limit = editLimit(wanted.size());
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

NameIndex::NameIndex(std::vector<std::string> names) : names_(std::move(names)) {
    std::vector<std::u32string> keys;
    keys.reserve(names_.size());
    for (const std::string& name : names_) {
        keys.push_back(lowered(codePoints(name)));
    }
    std::vector<std::uint32_t> order(names_.size());
    std::iota(order.begin(), order.end(), std::uint32_t{0});
    std::sort(order.begin(), order.end(),
              [&keys](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
    // Breadth first, so that each node's children are made together, side by side. A node
    // stands for the names order[lo, hi), which share their first `depth` characters; those
    // that have no more come first.
    struct Span {
        std::uint32_t node, lo, hi, depth;
    };
    nodes_.emplace_back();
    std::deque<Span> spans{{0, 0, static_cast<std::uint32_t>(order.size()), 0}};
    while (!spans.empty()) {
        const Span span = spans.front();
        spans.pop_front();
        std::uint32_t i = span.lo;
        const auto [shortest, longest] = std::minmax_element(
            order.begin() + span.lo, order.begin() + span.hi,
            [&keys](std::uint32_t a, std::uint32_t b) { return keys[a].size() < keys[b].size(); });
        if (span.lo < span.hi) {
            nodes_[span.node].shortest = static_cast<std::uint32_t>(keys[*shortest].size());
            nodes_[span.node].longest = static_cast<std::uint32_t>(keys[*longest].size());
        }
        nodes_[span.node].firstEnding = static_cast<std::uint32_t>(endings_.size());
        for (; i < span.hi && keys[order[i]].size() == span.depth; ++i) {
            endings_.push_back(order[i]);
        }
        nodes_[span.node].endingCount =
            static_cast<std::uint32_t>(endings_.size()) - nodes_[span.node].firstEnding;
        nodes_[span.node].firstChild = static_cast<std::uint32_t>(nodes_.size());
        while (i < span.hi) {
            const char32_t letter = keys[order[i]][span.depth];
            std::uint32_t end = i;
            while (end < span.hi && keys[order[end]][span.depth] == letter) {
                ++end;
            }
            nodes_.emplace_back().letter = letter;
            spans.push_back(
                {static_cast<std::uint32_t>(nodes_.size() - 1), i, end, span.depth + 1});
            i = end;
        }
        nodes_[span.node].childCount =
            static_cast<std::uint32_t>(nodes_.size()) - nodes_[span.node].firstChild;
    }
}

// One search: the name asked for, the table's rows along the path from the root (row `depth`
// compares the path's first `depth` characters with every start of the name), and the three
// nearest names found so far.
struct NameIndex::Search {
    const NameIndex& index;
    std::u32string wanted;
    std::size_t limit = 0;
    std::size_t width = 0;            // entries in a row: one more than the name's characters
    std::vector<std::uint32_t> rows;  // row d at rows[d * width]
    std::u32string path;              // the characters leading to the node being looked at
    std::vector<std::pair<std::uint32_t, const std::string*>> best;  // nearest first

    Search(const NameIndex& searched, std::string_view name)
        : index(searched),
          wanted(lowered(codePoints(name))),
          limit(editLimit(wanted.size())),
          width(wanted.size() + 1),
          rows((wanted.size() + limit + 1) * width),
          path(wanted.size() + limit, U'\0') {
        // Row 0: the empty start against every start of the name.
        std::iota(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(width),
                  std::uint32_t{0});
    }

    // Names further than this cannot be among the answers: the limit, or, once three are
    // found, the distance of the third (one as far may still come before it by name).
    std::uint32_t reach() const {
        return best.size() < 3 ? static_cast<std::uint32_t>(limit) : best.back().first;
    }

    void offer(std::uint32_t distance, const std::string& name) {
        const auto before = [](const auto& a, const auto& b) {
            return a.first != b.first ? a.first < b.first : *a.second < *b.second;
        };
        const std::pair<std::uint32_t, const std::string*> found{distance, &name};
        if (best.size() == 3 && !before(found, best.back())) {
            return;
        }
        best.insert(std::upper_bound(best.begin(), best.end(), found, before), found);
        if (best.size() > 3) {
            best.pop_back();
        }
    }

    void offerEndings(const Node& node, std::uint32_t distance) {
        if (distance > reach()) {
            return;
        }
        for (std::uint32_t k = 0; k < node.endingCount; ++k) {
            offer(distance, index.names_[index.endings_[node.firstEnding + k]]);
        }
    }

    // Fills the row for `node` at `depth` (at least 1) with the same recurrence as
    // `distance`, the node's path taking the place of the first text (edits are symmetric, so
    // the distances are the same). Only the band of entries that can be within reach is
    // worked out (an entry is at least as far as its row and column are apart); the entry on
    // each side of the band is set beyond reach for the rows below. Answers the least
    // distance any name below can have, and the distance of the names ending here.
    std::pair<std::uint32_t, std::uint32_t> fillRow(const Node& node, std::size_t depth) {
        const std::size_t n = wanted.size();
        const std::uint32_t r = reach();
        const std::uint32_t beyond = r + 1;
        const std::size_t lo = depth > r ? depth - r : 0;
        const std::size_t hi = std::min(n, depth + r);
        if (lo > hi) {
            return {beyond, beyond};
        }
        std::uint32_t* row = rows.data() + depth * width;
        const std::uint32_t* up = row - width;
        const std::uint32_t* twoUp = depth >= 2 ? up - width : nullptr;
        path[depth - 1] = node.letter;
        // A name below of length L is at least as far as an entry (depth, j) plus the
        // difference of what remains on both sides, L - depth and n - j.
        const auto lengthGap = [&](std::size_t j) -> std::uint32_t {
            const std::size_t left = n - j;
            const std::size_t fewest = node.shortest - depth;
            const std::size_t most = node.longest - depth;
            return static_cast<std::uint32_t>(left < fewest ? fewest - left
                                              : left > most ? left - most
                                                            : 0);
        };
        std::uint32_t least = beyond;
        std::size_t j = lo;
        if (lo == 0) {
            row[0] = static_cast<std::uint32_t>(depth);
            least = row[0] + lengthGap(0);
            j = 1;
        } else {
            row[lo - 1] = beyond;
        }
        for (; j <= hi; ++j) {
            std::uint32_t value = std::min(
                {up[j] + 1, row[j - 1] + 1, up[j - 1] + (node.letter == wanted[j - 1] ? 0 : 1)});
            if (twoUp != nullptr && j > 1 && node.letter == wanted[j - 2] &&
                path[depth - 2] == wanted[j - 1]) {
                value = std::min(value, twoUp[j - 2] + 1);
            }
            row[j] = value;
            least = std::min(least, value + lengthGap(j));
        }
        if (hi < n) {
            row[hi + 1] = beyond;
        }
        return {least, hi == n ? row[n] : beyond};
    }

    void visit(std::uint32_t nodeIndex, std::size_t depth) {
        const Node& node = index.nodes_[nodeIndex];
        // A path through the table to a name below passes through this row (or jumps over it
        // with a swap, from an entry no nearer), and from there needs an edit for each
        // character one side has left over: once that is beyond reach everywhere, so is
        // every name below.
        const auto [least, here] = fillRow(node, depth);
        if (least > reach()) {
            return;
        }
        offerEndings(node, here);
        visitChildren(node, depth);
    }

    void visitChildren(const Node& node, std::size_t depth) {
        // Past this depth every name is more than `limit` longer than the one asked for.
        if (depth >= wanted.size() + limit) {
            return;
        }
        // The child that goes on as the name does first: near names found early narrow the
        // reach for the rest.
        const std::uint32_t first = node.firstChild;
        const std::uint32_t end = node.firstChild + node.childCount;
        std::uint32_t same = end;
        if (depth < wanted.size()) {
            const auto found = std::lower_bound(
                index.nodes_.begin() + first, index.nodes_.begin() + end, wanted[depth],
                [](const Node& child, char32_t letter) { return child.letter < letter; });
            if (found != index.nodes_.begin() + end && found->letter == wanted[depth]) {
                same = static_cast<std::uint32_t>(found - index.nodes_.begin());
                visit(same, depth + 1);
            }
        }
        for (std::uint32_t child = first; child < end; ++child) {
            if (child != same) {
                visit(child, depth + 1);
            }
        }
    }
};

std::vector<std::string> NameIndex::nearest(std::string_view name) const {
    if (nodes_.empty()) {
        return {};
    }
    Search search(*this, name);
    search.offerEndings(nodes_[0], static_cast<std::uint32_t>(search.wanted.size()));
    search.visitChildren(nodes_[0], 0);
    std::vector<std::string> result;
    for (const auto& [distance, found] : search.best) {
        result.push_back(*found);
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
