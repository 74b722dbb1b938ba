// Finding the files a game names. Games were written on Windows: names are Shift-JIS bytes with
// backslashes between folders, and the file system ignored case. This layer maps such a name
// onto the native file system so those games play unchanged here.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tsuzuri {

// A file the game names: a native folder on this machine plus a name in Shift-JIS bytes as
// written in the game's own files, with backslashes as folder separators. An empty name
// stands for `folder` itself.
struct GamePath {
    std::filesystem::path folder;
    std::string name;
};

// Cuts a Shift-JIS name at the backslashes (and, as on Windows, slashes) that separate folders.
// A 0x5C byte that is the second byte of a two-byte character (as in 0x95 0x5C) belongs to that
// character. Empty components (from doubled or leading separators) are dropped, so a name can
// never leave its folder by being absolute.
std::vector<std::string> splitSjisName(std::string_view name);

// The native path the name most plausibly maps to, without looking at the disk: each
// component converted to UTF-8, or kept as raw bytes when it is not valid Shift-JIS.
std::filesystem::path plausibleNativePath(const GamePath& path);

// The existing regular file that the name refers to. Tried in order: the UTF-8 name, the raw
// Shift-JIS bytes, then a component-by-component match that ignores ASCII case; last, as
// Windows opens it, the same for the name without the spaces and dots at its end. A name
// ending in a separator refers to no file. Directories, FIFOs and devices never count as files.
std::optional<std::filesystem::path> resolveGameFile(const GamePath& path);

// Lookups never leave the game: a name whose ".." components climb above its folder, or that
// reaches a file outside the folder through a symbolic link, refers to no file.
bool gameFileExists(const GamePath& path);
// The same for `name` below `folder`, without building a GamePath or the found file's path.
bool gameFileExists(const std::filesystem::path& folder, std::string_view name);

// Whether the ".." components of a Shift-JIS name climb above the folder it is below.
bool climbsOutOfFolder(std::string_view name);

// Whether `file` lies inside `folder` once both are resolved (symbolic links and ".." followed).
bool isInsideFolder(const std::filesystem::path& folder, const std::filesystem::path& file);

// True when `file` names a regular file (after following symbolic links).
// Lookups above also require that the player may read it.
bool isRegularFile(const std::filesystem::path& file);

// While one of these is alive, lookups are answered from folder listings that are read once
// and reused (a snapshot of each folder from its first use), so classifying a whole script
// reads each folder once instead of testing every name on disk. Scopes nest; a scope serves
// the lookups of the thread that opened it.
class FolderListingScope {
public:
    FolderListingScope();
    ~FolderListingScope();
    FolderListingScope(const FolderListingScope&) = delete;
    FolderListingScope& operator=(const FolderListingScope&) = delete;
};

}  // namespace tsuzuri
