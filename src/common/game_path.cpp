#include "common/game_path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
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
        // For a folder: its own listing once looked up (null when it cannot be read).
        mutable bool subListingKnown = false;
        mutable const Listing* subListing = nullptr;
    };
    std::unordered_map<std::string, Entry, NameHash, std::equal_to<>> entries;
    // Folded name -> the first entry name (in sorted order) that folds to it.
    std::unordered_map<std::string, std::string, NameHash, std::equal_to<>> byAsciiFold;
    std::unordered_map<std::string, std::string, NameHash, std::equal_to<>> byShiftJisFold;
    // The byte length of the longest entry name. Folding keeps a name's length and a UTF-8
    // spelling is never shorter than the Shift-JIS one, so a longer component cannot match:
    // most lines of story text are turned away after a few bytes.
    size_t longestName = 0;
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
        listing->longestName = std::max(listing->longestName, name.size());
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

// Listings kept while a scope is open on this thread; without one every lookup reads the
// folder afresh. Each thread keeps its own, so no lock is needed and none can be dropped
// while another thread works with it.
struct ListingCache {
    int openScopes = 0;
    std::unordered_map<std::string, std::unique_ptr<const Listing>, NameHash, std::equal_to<>>
        listings;
    // Lookups start from the same game folder again and again: remember the last one asked.
    std::string lastFolder;
    const Listing* lastListing = nullptr;
};

ListingCache& listingCache() {
    thread_local ListingCache cache;
    return cache;
}

bool scopeOpen() {
    return listingCache().openScopes > 0;
}

// The cached listing of a folder (null when it cannot be read); stays valid until the last
// scope closes. Only called while a scope is open.
const Listing* cachedListing(std::string_view folder) {
    ListingCache& cache = listingCache();
    if (cache.lastListing != nullptr && cache.lastFolder == folder) {
        return cache.lastListing;
    }
    auto found = cache.listings.find(folder);
    if (found == cache.listings.end()) {
        found = cache.listings.emplace(std::string(folder), readListing(std::string(folder))).first;
    }
    cache.lastFolder.assign(folder);
    cache.lastListing = found->second.get();
    return cache.lastListing;
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

bool isSeparator(char byte) {
    return byte == '\\' || byte == '/';
}

// The length of a "." or ".." component starting at `start`; 0 for any other component.
size_t dotComponentLength(std::string_view name, size_t start) {
    size_t end = start;
    while (end < name.size() && end - start < 3 && name[end] == '.') {
        ++end;
    }
    const bool ends = end == name.size() || isSeparator(name[end]);
    return ends && end - start <= 2 ? end - start : 0;
}

// The end of the component starting at `start` (the second byte of a two-byte character is
// never a separator, as in splitSjisName), or npos once the component is known to be longer
// than `limit` bytes: no name in a folder whose names are all shorter can match it.
size_t componentEnd(std::string_view name, size_t start, size_t limit) {
    size_t i = start;
    while (i < name.size() && !isSeparator(name[i])) {
        if (i - start >= limit) {
            return std::string_view::npos;
        }
        i += isLeadByte(static_cast<unsigned char>(name[i])) && i + 1 < name.size() ? 2 : 1;
    }
    return i;
}

// Resolves a name from cached listings into `file` (a native path): no file-system call except
// for the final file's type and readability, each asked once per file while the scope lasts.
// Components are cut as they are reached, so a long line of text is turned away after a few
// bytes instead of being read to its end.
bool resolveThroughListings(const fs::path& folder, std::string_view name, std::string& file) {
    file.assign(folder.native());
    auto append = [&file](std::string_view part) {
        if (file.empty() || file.back() != '/') {
            file += '/';
        }
        file += part;
    };
    const Listing::Entry* last = nullptr;
    const Listing* lastFolder = nullptr;
    const std::string* lastName = nullptr;
    size_t pos = 0;
    while (pos < name.size()) {
        if (isSeparator(name[pos])) {
            ++pos;
            continue;
        }
        if (const size_t dots = dotComponentLength(name, pos); dots != 0) {
            append(name.substr(pos, dots));
            pos += dots;
            last = nullptr;
            continue;
        }
        const Listing* listing = nullptr;
        if (last == nullptr) {
            listing = cachedListing(file);
        } else {
            // The folder just stepped into: its listing is remembered on its entry.
            if (!last->subListingKnown) {
                last->subListing = cachedListing(file);
                last->subListingKnown = true;
            }
            listing = last->subListing;
        }
        if (listing == nullptr) {
            return false;
        }
        const size_t end = componentEnd(name, pos, listing->longestName);
        if (end == std::string_view::npos) {
            return false;
        }
        const std::string_view part = name.substr(pos, end - pos);
        pos = end;
        const FoundEntry found = findEntry(*listing, part);
        if (found.name == nullptr) {
            return false;
        }
        append(*found.name);
        last = found.entry;
        lastFolder = listing;
        lastName = found.name;
    }
    if (last == nullptr) {
        return isReadableRegularFile(fs::path(file));
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
    return last->usable != 0;
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

// Runs `lookUp` on a name as Windows opened it. Windows drops the spaces and dots at the end
// of a name (those only: a tab stays), so "bg.bmp " opens "bg.bmp"; and a name that ends in a
// separator names a folder, never a file. The name as written is tried first, so a file here
// whose name does end in a space is still found. Dropping never leaves "." or ".." as the
// last component: a last component of dots only goes whole and leaves a name that is empty
// or ends in a separator, which is no file.
template <typename Lookup>
auto lookUpAsOnWindows(std::string_view name, Lookup lookUp) -> decltype(lookUp(name)) {
    if (name.empty()) {
        return lookUp(name);
    }
    const char last = name.back();
    const bool mayEndBadly = last == '\\' || last == '/' || last == ' ' || last == '.';
    if (!mayEndBadly) {
        return lookUp(name);
    }
    // Walk the characters: a 0x5C byte may be the second byte of one, and then is no
    // separator. Space, dot and slash are never second bytes.
    size_t keep = 0;  // the length without the spaces and dots at the end
    bool endsInSeparator = false;
    bool keptEndsInSeparator = false;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        const bool pair = isLeadByte(byte) && i + 1 < name.size();
        endsInSeparator = !pair && isSeparator(name[i]);
        if (pair) {
            ++i;
        }
        if (pair || (byte != ' ' && byte != '.')) {
            keep = i + 1;
            keptEndsInSeparator = endsInSeparator;
        }
    }
    if (endsInSeparator) {
        return {};
    }
    if (auto found = lookUp(name)) {
        return found;
    }
    if (keep == name.size() || keep == 0 || keptEndsInSeparator) {
        return {};
    }
    return lookUp(name.substr(0, keep));
}

// resolveGameFile for a name as written, outside a listing scope.
std::optional<fs::path> resolveOnDisk(const fs::path& folder, std::string_view name) {
    const GamePath path{folder, std::string(name)};
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

bool climbsOutOfFolder(std::string_view name) {
    int depth = 0;
    for (const std::string& component : splitSjisName(name)) {
        if (component == "..") {
            if (--depth < 0) {
                return true;
            }
        } else if (component != ".") {
            ++depth;
        }
    }
    return false;
}

bool isInsideFolder(const fs::path& folder, const fs::path& file) {
    std::error_code error;
    const fs::path root = fs::weakly_canonical(folder, error);
    if (error) {
        return false;
    }
    const fs::path resolved = fs::weakly_canonical(file, error);
    if (error) {
        return false;
    }
    auto part = resolved.begin();
    for (auto it = root.begin(); it != root.end(); ++it, ++part) {
        if (it->empty() && std::next(it) == root.end()) {
            break;  // the empty last part of a root written with a trailing slash
        }
        if (part == resolved.end() || *part != *it) {
            return false;
        }
    }
    return true;
}

bool isRegularFile(const fs::path& file) {
    struct stat info;
    return ::stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

namespace {

std::optional<fs::path> resolveGameFileWithin(const GamePath& path) {
    if (scopeOpen()) {
        // Many lookups in the same folders: answer them from the folders' listings.
        return lookUpAsOnWindows(path.name,
                                 [&path](std::string_view name) -> std::optional<fs::path> {
                                     std::string file;
                                     if (!resolveThroughListings(path.folder, name, file)) {
                                         return std::nullopt;
                                     }
                                     return fs::path(std::move(file));
                                 });
    }
    return lookUpAsOnWindows(
        path.name, [&path](std::string_view name) { return resolveOnDisk(path.folder, name); });
}

}  // namespace

std::optional<fs::path> resolveGameFile(const GamePath& path) {
    if (climbsOutOfFolder(path.name)) {
        return std::nullopt;
    }
    std::optional<fs::path> found = resolveGameFileWithin(path);
    if (found && !path.name.empty() && !isInsideFolder(path.folder, *found)) {
        return std::nullopt;  // a symbolic link that leads out of the game
    }
    return found;
}

bool gameFileExists(const GamePath& path) {
    return gameFileExists(path.folder, path.name);
}

bool gameFileExists(const fs::path& folder, std::string_view name) {
    if (climbsOutOfFolder(name)) {
        return false;
    }
    if (scopeOpen()) {
        return lookUpAsOnWindows(name, [&folder](std::string_view part) {
            thread_local std::string file;
            return resolveThroughListings(folder, part, file);
        });
    }
    return resolveGameFile(GamePath{folder, std::string(name)}).has_value();
}

FolderListingScope::FolderListingScope() {
    ++listingCache().openScopes;
}

FolderListingScope::~FolderListingScope() {
    ListingCache& cache = listingCache();
    if (--cache.openScopes == 0) {
        cache.listings.clear();
        cache.lastListing = nullptr;
    }
}

}  // namespace tsuzuri
