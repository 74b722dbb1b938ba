#include "common/game_path.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <mutex>

#include "common/shift_jis.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

// Listings of folders for the case-insensitive match, kept only while a scope is open.
struct ListingCache {
    std::mutex mutex;
    int openScopes = 0;
    std::map<fs::path, std::vector<std::string>> listings;
};

ListingCache& listingCache() {
    static ListingCache cache;
    return cache;
}

std::vector<std::string> readFolder(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    // Sorted so that when several entries differ only in case the choice is repeatable.
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> folderListing(const fs::path& folder) {
    ListingCache& cache = listingCache();
    std::lock_guard lock(cache.mutex);
    if (cache.openScopes == 0) {
        return readFolder(folder);
    }
    auto found = cache.listings.find(folder);
    if (found == cache.listings.end()) {
        found = cache.listings.emplace(folder, readFolder(folder)).first;
    }
    return found->second;
}

unsigned char asciiLower(unsigned char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

// Compares ignoring ASCII case. When `shiftJis` is set, `a` is read as Shift-JIS: the second
// byte of a two-byte character must match exactly, since a trail byte in the letter range
// ("ア" is 0x83 0x41, "モ" is 0x83 0x61) is part of a character, not a letter. UTF-8 needs no
// such care: all bytes of its multi-byte characters lie above the ASCII range.
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b, bool shiftJis) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (shiftJis && isLeadByte(x) && i + 1 < a.size()) {
            if (x != y || a[i + 1] != b[i + 1]) {
                return false;
            }
            ++i;
            continue;
        }
        if (asciiLower(x) != asciiLower(y)) {
            return false;
        }
    }
    return true;
}

bool pathExists(const fs::path& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

// Spellings of one component on disk: the UTF-8 conversion first, then the raw bytes.
std::vector<std::string> spellings(const std::string& component) {
    std::vector<std::string> result;
    if (std::optional<std::string> utf8 = sjisToUtf8Strict(component)) {
        result.push_back(*utf8);
    }
    if (result.empty() || result.front() != component) {
        result.push_back(component);
    }
    return result;
}

// Walks the components one folder at a time, taking an exact spelling where one exists and
// otherwise the first entry that matches a spelling without regard to ASCII case.
std::optional<fs::path> matchIgnoringCase(const fs::path& folder,
                                          const std::vector<std::string>& components) {
    fs::path current = folder;
    for (const std::string& component : components) {
        if (component == "." || component == "..") {
            current /= component;
            continue;
        }
        std::vector<std::string> candidates = spellings(component);
        bool found = false;
        for (const std::string& spelling : candidates) {
            if (pathExists(current / spelling)) {
                current /= spelling;
                found = true;
                break;
            }
        }
        if (found) {
            continue;
        }
        for (const std::string& entry : folderListing(current)) {
            for (const std::string& spelling : candidates) {
                // The component's own bytes are Shift-JIS; any other spelling is UTF-8.
                if (equalsIgnoringAsciiCase(spelling, entry, spelling == component)) {
                    current /= entry;
                    found = true;
                    break;
                }
            }
            if (found) {
                break;
            }
        }
        if (!found) {
            return std::nullopt;
        }
    }
    return current;
}

}  // namespace

std::vector<std::string> splitSjisName(std::string_view name) {
    std::vector<std::string> components;
    std::string current;
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(name[i]);
        if (isLeadByte(byte) && i + 1 < name.size()) {
            current += name[i];
            current += name[i + 1];
            ++i;
            continue;
        }
        if (byte == '\\' || byte == '/') {
            if (!current.empty()) {
                components.push_back(std::move(current));
            }
            current.clear();
            continue;
        }
        current += name[i];
    }
    if (!current.empty()) {
        components.push_back(std::move(current));
    }
    return components;
}

fs::path plausibleNativePath(const GamePath& path) {
    fs::path result = path.folder;
    for (const std::string& component : splitSjisName(path.name)) {
        result /= spellings(component).front();
    }
    return result;
}

bool isRegularFile(const fs::path& file) {
    struct stat info;
    return ::stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<fs::path> resolveGameFile(const GamePath& path) {
    std::vector<std::string> components = splitSjisName(path.name);

    fs::path raw = path.folder;
    for (const std::string& component : components) {
        raw /= component;
    }
    fs::path converted = plausibleNativePath(path);
    if (isRegularFile(converted)) {
        return converted;
    }
    if (raw != converted && isRegularFile(raw)) {
        return raw;
    }
    std::optional<fs::path> matched = matchIgnoringCase(path.folder, components);
    if (matched && isRegularFile(*matched)) {
        return matched;
    }
    return std::nullopt;
}

bool gameFileExists(const GamePath& path) {
    return resolveGameFile(path).has_value();
}

FolderListingScope::FolderListingScope() {
    ListingCache& cache = listingCache();
    std::lock_guard lock(cache.mutex);
    ++cache.openScopes;
}

FolderListingScope::~FolderListingScope() {
    ListingCache& cache = listingCache();
    std::lock_guard lock(cache.mutex);
    if (--cache.openScopes == 0) {
        cache.listings.clear();
    }
}

}  // namespace tsuzuri
