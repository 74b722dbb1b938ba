// Message boxes and the open-file dialog: the text made displayable, then the backend shows it.
#include <cstdio>
#include <string_view>

#include "common/shift_jis.h"
#include "platform/backend.h"
#include "platform/platform.h"

namespace tsuzuri::platform {
namespace {

void showUtf8MessageBox(const std::string& caption, const std::string& text) {
    std::fprintf(stderr, "tsuzuri: [%s] %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
    selectedBackend().showMessageBox(caption, text);
}

// File names on disk are UTF-8 here, or raw Shift-JIS bytes for names that were copied from
// Windows as they were; each folder name is shown in whichever it is.
std::string displayablePath(const std::filesystem::path& file) {
    const std::string_view raw = file.native();
    std::string out;
    size_t start = 0;
    while (start <= raw.size()) {
        const size_t slash = raw.find('/', start);
        const std::string_view part = raw.substr(
            start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
        out += isValidUtf8(part) ? std::string(part) : sjisToUtf8ForDisplay(part);
        if (slash == std::string_view::npos) {
            break;
        }
        out += '/';
        start = slash + 1;
    }
    return out;
}

}  // namespace

void showMessageBox(const std::string& sjisCaption, const std::string& sjisText) {
    showUtf8MessageBox(sjisToUtf8ForDisplay(sjisCaption), sjisToUtf8ForDisplay(sjisText));
}

void showMessageBoxForFile(const std::filesystem::path& file, const std::string& sjisText) {
    showUtf8MessageBox(displayablePath(file), sjisToUtf8ForDisplay(sjisText));
}

std::optional<std::filesystem::path> showOpenFileDialog(const std::filesystem::path& startFolder,
                                                        const std::string& label,
                                                        const std::string& pattern) {
    return selectedBackend().showOpenFileDialog(startFolder, label, pattern);
}

std::optional<std::filesystem::path> showFolderDialog(const std::filesystem::path& startFolder,
                                                      const std::string& utf8Title) {
    return selectedBackend().showFolderDialog(startFolder, utf8Title);
}

bool isFileDialogAvailable() {
    return selectedBackend().isFileDialogAvailable();
}

bool canInputStillArrive() {
    return selectedBackend().canInputStillArrive();
}

}  // namespace tsuzuri::platform
