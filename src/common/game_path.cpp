#include "common/game_path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "common/shift_jis.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

// Hashing that lets the sets and maps below be searched with a string_view.
struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
};

// One folder's entries, with indexes for finding a name without regard to ASCII case.
struct Listing {
    struct Entry {
        unsigned char type = DT_UNKNOWN;  // from the folder listing, so files need no stat
        mutable signed char usable = -1;  // a readable regular file: -1 not yet known
    };
    std::unordered_map<std::string, Entry, NameHash, std::equal_to<>> entries;
    // Folded name -> the first entry name (in sorted order) that folds to it.
    std::unordered_map<std::string, std::string, NameHash, std::equal_to<>> byAsciiFold;
    std::unordered_map<std::string, std::string, NameHash, std::equal_to<>> byShiftJisFold;
    // The folder itself, kept open so that testing a file in it needs no walk of the path.
    int folderFd = -1;

    Listing() = default;
    Listing(const Listing&) = delete;
    Listing& operator=(const Listing&) = delete;
    ~Listing() {
        if (folderFd >= 0) {
            ::close(folderFd);
        }
    }
};

unsigned char asciiLower(unsigned char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Lower-cases ASCII letters. With `shiftJis` the text is read as Shift-JIS, and the second byte
// of a two-byte character is kept as it is: a trail byte in the letter range ("ア" is 0x83 0x41,
// "モ" is 0x83 0x61) is part of a character, not a letter. UTF-8 needs no such care: all bytes
// of its multi-byte characters lie above the ASCII range.
std::string foldCase(std::string_view text, bool shiftJis) {
    std::string folded(text);
    for (size_t i = 0; i < folded.size(); ++i) {
        const auto byte = static_cast<unsigned char>(folded[i]);
        if (shiftJis && isLeadByte(byte) && i + 1 < folded.size()) {
            ++i;
            continue;
        }
        folded[i] = static_cast<char>(asciiLower(byte));
    }
    return folded;
}

std::unique_ptr<const Listing> readListing(const std::string& folder) {
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) {
        return nullptr;
    }
    auto listing = std::make_unique<Listing>();
    listing->folderFd = folderFd;
    const int readFd = ::dup(folderFd);
    DIR* dir = readFd < 0 ? nullptr : ::fdopendir(readFd);
    if (dir == nullptr) {
        if (readFd >= 0) {
            ::close(readFd);
        }
        return nullptr;
    }
    std::vector<std::string> withCapitals;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        listing->entries.emplace(name, Listing::Entry{entry->d_type});
        if (std::any_of(name.begin(), name.end(), [](char c) { return c >= 'A' && c <= 'Z'; })) {
            withCapitals.emplace_back(name);
        }
    }
    ::closedir(dir);
    // Only names that change when folded need an index entry; a name already in folded form
    // is found among the entries themselves. Sorted so that when several names differ only
    // in case the choice is repeatable.
    std::sort(withCapitals.begin(), withCapitals.end());
    for (const std::string& name : withCapitals) {
        if (std::string folded = foldCase(name, false); folded != name) {
            listing->byAsciiFold.emplace(std::move(folded), name);
        }
        if (std::string folded = foldCase(name, true); folded != name) {
            listing->byShiftJisFold.emplace(std::move(folded), name);
        }
    }
    return listing;
}

// Listings kept while a scope is open; without one every lookup reads the folder afresh.
struct ListingCache {
    std::mutex mutex;
    int openScopes = 0;
    std::unordered_map<std::string, std::unique_ptr<const Listing>, NameHash, std::equal_to<>>
        listings;
};

ListingCache& listingCache() {
    static ListingCache cache;
    return cache;
}

bool scopeOpen() {
    ListingCache& cache = listingCache();
    std::lock_guard lock(cache.mutex);
    return cache.openScopes > 0;
}

// The cached listing of a folder (null when it cannot be read); stays valid until the last
// scope closes. Only called while a scope is open.
const Listing* cachedListing(const std::string& folder) {
    ListingCache& cache = listingCache();
    std::lock_guard lock(cache.mutex);
    auto found = cache.listings.find(folder);
    if (found == cache.listings.end()) {
        found = cache.listings.emplace(folder, readListing(folder)).first;
    }
    return found->second.get();
}

bool pathExists(const fs::path& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

// A file counts only when it is a regular file the player can open for reading.
bool isReadableRegularFile(const fs::path& file) {
    return isRegularFile(file) && ::access(file.c_str(), R_OK) == 0;
}

// The UTF-8 spelling of a component, remembered for the last one asked: classifying a line
// asks for the same name in three folders.
std::optional<std::string> utf8Spelling(std::string_view component) {
    thread_local std::string lastComponent;
    thread_local std::optional<std::string> lastSpelling;
    if (component != lastComponent || lastComponent.empty()) {
        lastComponent = component;
        lastSpelling = sjisToUtf8Strict(component);
    }
    return lastSpelling;
}

struct FoundEntry {
    const std::string* name = nullptr;
    const Listing::Entry* entry = nullptr;
};

// The entry a component names: its UTF-8 spelling or its own bytes exactly, or else either
// without regard to ASCII case (the component's own bytes read as Shift-JIS).
FoundEntry findEntry(const Listing& listing, std::string_view component) {
    const bool ascii = isAscii(component);
    std::optional<std::string> utf8;
    if (!ascii) {
        utf8 = utf8Spelling(component);
        if (utf8) {
            if (auto found = listing.entries.find(*utf8); found != listing.entries.end()) {
                return {&found->first, &found->second};
            }
        }
    }
    if (auto found = listing.entries.find(component); found != listing.entries.end()) {
        return {&found->first, &found->second};
    }
    auto lookUpFolded = [&listing](const auto& index, std::string_view key) -> FoundEntry {
        if (auto entry = listing.entries.find(key); entry != listing.entries.end()) {
            return {&entry->first, &entry->second};
        }
        auto found = index.find(key);
        if (found == index.end()) {
            return {};
        }
        auto entry = listing.entries.find(found->second);
        return {&entry->first, &entry->second};
    };
    if (utf8) {
        if (FoundEntry found = lookUpFolded(listing.byAsciiFold, foldCase(*utf8, false));
            found.name != nullptr) {
            return found;
        }
    }
    const bool hasUpper = std::any_of(component.begin(), component.end(),
                                      [](char c) { return c >= 'A' && c <= 'Z'; });
    return hasUpper ? lookUpFolded(listing.byShiftJisFold, foldCase(component, true))
                    : lookUpFolded(listing.byShiftJisFold, component);
}

// Cuts a name into views of its components (see splitSjisName).
void splitSjisViews(std::string_view name, std::vector<std::string_view>& parts) {
    parts.clear();
    size_t start = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (isLeadByte(byte) && i + 1 < name.size()) {
            ++i;
            continue;
        }
        if (byte == '\\' || byte == '/') {
            if (i > start) {
                parts.push_back(name.substr(start, i - start));
            }
            start = i + 1;
        }
    }
    if (name.size() > start) {
        parts.push_back(name.substr(start));
    }
}

// Resolves a name from cached listings: no file-system call except for the final file's
// type and readability, each asked once per file while the scope lasts.
std::optional<fs::path> resolveThroughListings(const fs::path& folder, std::string_view name) {
    thread_local std::vector<std::string_view> parts;
    splitSjisViews(name, parts);
    std::string current = folder.native();
    auto append = [&current](std::string_view part) {
        if (current.empty() || current.back() != '/') {
            current += '/';
        }
        current += part;
    };
    const Listing::Entry* last = nullptr;
    const Listing* lastFolder = nullptr;
    const std::string* lastName = nullptr;
    for (std::string_view part : parts) {
        if (part == "." || part == "..") {
            append(part);
            last = nullptr;
            continue;
        }
        const Listing* listing = cachedListing(current);
        if (listing == nullptr) {
            return std::nullopt;
        }
        const FoundEntry found = findEntry(*listing, part);
        if (found.name == nullptr) {
            return std::nullopt;
        }
        append(*found.name);
        last = found.entry;
        lastFolder = listing;
        lastName = found.name;
    }
    fs::path file(std::move(current));
    if (last == nullptr) {
        return isReadableRegularFile(file) ? std::optional<fs::path>(file) : std::nullopt;
    }
    if (last->usable < 0) {
        bool regular = last->type == DT_REG;
        if (last->type == DT_LNK || last->type == DT_UNKNOWN) {
            struct stat info;
            regular = ::fstatat(lastFolder->folderFd, lastName->c_str(), &info, 0) == 0 &&
                      S_ISREG(info.st_mode);
        }
        last->usable =
            regular && ::faccessat(lastFolder->folderFd, lastName->c_str(), R_OK, 0) == 0 ? 1 : 0;
    }
    return last->usable != 0 ? std::optional<fs::path>(file) : std::nullopt;
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
// otherwise the first entry that matches a spelling without regard to ASCII case. Reads each
// folder afresh; used for single lookups outside a scope.
std::optional<fs::path> matchIgnoringCase(const fs::path& folder,
                                          const std::vector<std::string>& components) {
    fs::path current = folder;
    for (const std::string& component : components) {
        if (component == "." || component == "..") {
            current /= component;
            continue;
        }
        bool found = false;
        for (const std::string& spelling : spellings(component)) {
            if (pathExists(current / spelling)) {
                current /= spelling;
                found = true;
                break;
            }
        }
        if (found) {
            continue;
        }
        std::unique_ptr<const Listing> listing = readListing(current.native());
        if (!listing) {
            return std::nullopt;
        }
        const FoundEntry entry = findEntry(*listing, component);
        if (entry.name == nullptr) {
            return std::nullopt;
        }
        current /= *entry.name;
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
    if (scopeOpen()) {
        // Many lookups in the same folders: answer them from the folders' listings.
        return resolveThroughListings(path.folder, path.name);
    }
    const std::vector<std::string> components = splitSjisName(path.name);
    const fs::path converted = plausibleNativePath(path);
    if (isReadableRegularFile(converted)) {
        return converted;
    }
    fs::path raw = path.folder;
    for (const std::string& component : components) {
        raw /= component;
    }
    if (raw != converted && isReadableRegularFile(raw)) {
        return raw;
    }
    std::optional<fs::path> matched = matchIgnoringCase(path.folder, components);
    if (matched && isReadableRegularFile(*matched)) {
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
