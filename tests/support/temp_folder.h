// Temporary folders for tests: made fresh, removed with everything in them afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tsuzuri::test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Writes `bytes` to the file at `relative` (a native path below the folder), making
    // folders on the way. Answers the full path.
    std::filesystem::path write(const std::filesystem::path& relative,
                                std::string_view bytes) const;

private:
    std::filesystem::path path_;
};

// Changes the current directory for the lifetime of the object.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::filesystem::path& folder);
    ~CurrentDirectory();

private:
    std::filesystem::path saved_;
};

}  // namespace tsuzuri::test
