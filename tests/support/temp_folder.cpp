#include "support/temp_folder.h"

#include <stdlib.h>

#include <fstream>
#include <stdexcept>

namespace tsuzuri::test {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tsuzuri-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

std::filesystem::path TempFolder::write(const std::filesystem::path& relative,
                                        std::string_view bytes) const {
    std::filesystem::path file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
}

CurrentDirectory::CurrentDirectory(const std::filesystem::path& folder)
    : saved_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
}

CurrentDirectory::~CurrentDirectory() {
    std::error_code error;
    std::filesystem::current_path(saved_, error);
}

}  // namespace tsuzuri::test
