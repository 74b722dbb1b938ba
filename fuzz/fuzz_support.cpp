#include "fuzz_support.h"

#include <stdlib.h>

#include <fstream>

namespace tsuzuri::fuzz {
namespace {

void touch(const std::filesystem::path& file) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << "x";
}

}  // namespace

const std::filesystem::path& fuzzGameFolder() {
    static const std::filesystem::path folder = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tsuzuri-fuzz-XXXXXX").string();
        std::filesystem::path made = ::mkdtemp(pattern.data()) ? pattern : "/tmp";
        for (const char* name : {"cg/bg01.bmp", "cg/Room/Night.BMP", "cg/\xE8\xA1\xA8.bmp",
                                 "cg/\x95\x5C.png", "wave/se01.wav", "wave/loop.wav",
                                 "wave/seq.wao", "script/next.txt", "script/flash"}) {
            touch(made / name);
        }
        std::filesystem::create_directories(made / "cg" / "folder.bmp");
        // One playable sound: 100 frames of 8-bit mono silence at 8000 Hz.
        std::string wav = "RIFF";
        auto put32 = [&wav](std::uint32_t v) {
            for (int i = 0; i < 4; ++i)
                wav += static_cast<char>((v >> (8 * i)) & 0xFF);
        };
        put32(36 + 100);
        wav += "WAVEfmt ";
        put32(16);
        wav += std::string("\x01\x00\x01\x00", 4);
        put32(8000);
        put32(8000);
        wav += std::string("\x01\x00\x08\x00", 4);
        wav += "data";
        put32(100);
        wav += std::string(100, '\x80');
        std::ofstream(made / "wave" / "beep.wav", std::ios::binary) << wav;
        return made;
    }();
    return folder;
}

std::string asText(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    return text;
}

}  // namespace tsuzuri::fuzz
