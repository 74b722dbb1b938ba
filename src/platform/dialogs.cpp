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

bool isValidUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const size_t length = byte < 0x80             ? 1
                              : (byte & 0xE0) == 0xC0 ? 2
                              : (byte & 0xF0) == 0xE0 ? 3
                              : (byte & 0xF8) == 0xF0 ? 4
                                                      : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
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

}  // namespace tsuzuri::platform
