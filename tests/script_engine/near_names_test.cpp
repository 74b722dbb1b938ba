// The indexed search for near names answers exactly what comparing the name with every
// candidate answers: the same names, in the same order.
#include "script_engine/check/near_names.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tsuzuri {
namespace {

// Characters of one to three bytes (é, あ), both cases, and the marks of file and label names.
const std::vector<std::string> kLetters = {"a", "b", "c",        "d",           "e", "A",
                                           "B", "C", "E",        "0",           "1", "2",
                                           "_", ".", "\xC3\xA9", "\xE3\x81\x82"};

std::vector<std::string> characters(const std::string& text) {
    std::vector<std::string> result;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = byte < 0x80 ? 1 : byte >= 0xE0 ? 3 : 2;
        result.push_back(text.substr(i, length));
        i += length;
    }
    return result;
}

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) {
        text += part;
    }
    return text;
}

// The name with one to three slips: a character changed, left out, added, or swapped with its
// neighbour.
std::string slipped(const std::string& name, std::mt19937& random) {
    std::vector<std::string> chars = characters(name);
    const int slips = 1 + static_cast<int>(random() % 3);
    for (int k = 0; k < slips; ++k) {
        const std::string letter = kLetters[random() % kLetters.size()];
        const std::size_t at = chars.empty() ? 0 : random() % chars.size();
        switch (random() % 4) {
            case 0:
                if (!chars.empty()) {
                    chars[at] = letter;
                }
                break;
            case 1:
                if (!chars.empty()) {
                    chars.erase(chars.begin() + static_cast<std::ptrdiff_t>(at));
                }
                break;
            case 2:
                chars.insert(chars.begin() + static_cast<std::ptrdiff_t>(at), letter);
                break;
            default:
                if (at + 1 < chars.size()) {
                    std::swap(chars[at], chars[at + 1]);
                }
                break;
        }
    }
    return joined(chars);
}

TEST(NearNamesTest, IndexAnswersAsComparingEveryName) {
    std::mt19937 random(20261211);
    std::vector<std::string> names;
    // A family of numbered names, where many are within reach of each other.
    for (int i = 0; i < 120; ++i) {
        names.push_back("bg" + std::to_string(i) + ".png");
    }
    for (int i = 0; i < 250; ++i) {
        std::string name;
        const std::size_t length = 1 + random() % 16;
        for (std::size_t k = 0; k < length; ++k) {
            name += kLetters[random() % kLetters.size()];
        }
        names.push_back(name);
    }
    // The same name twice, and names that differ only in case.
    names.push_back(names[130]);
    names.push_back("BG7.PNG");
    names.push_back("Bg7.png");

    const NameIndex index(names);
    std::vector<std::string> asked = {"", "b", "bg", "bg7.png", "BG7.png", "bg100png"};
    for (int i = 0; i < 400; ++i) {
        asked.push_back(slipped(names[random() % names.size()], random));
    }
    int answered = 0;
    for (const std::string& name : asked) {
        const std::vector<std::string> expected = nearestNames(name, names);
        EXPECT_EQ(index.nearest(name), expected) << "for '" << name << "'";
        answered += expected.empty() ? 0 : 1;
    }
    // Most slips are found again: the comparison is not between two empty answers.
    EXPECT_GT(answered, 300);
    EXPECT_TRUE(NameIndex().nearest("bg").empty());
}

}  // namespace
}  // namespace tsuzuri
