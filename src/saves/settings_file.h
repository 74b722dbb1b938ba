// The reader's settings, kept between runs in settings.ini: one `key=value` line each, without
// sections, blanks around keys and values ignored:
//
//   volume=100          master volume, 0-100        mute=0          1: muted
//   music_volume=100    the BGM's, 0-100            fullscreen=0    1: fullscreen
//   effects_volume=100  every other sound's, 0-100  scale=2         1-8 or fit; none: 800x600
//   auto_base_ms=1500   auto mode's time per page   auto_per_char_ms=60  and per character
//   skip=all            or "read": skip only pages already read
//   copy_pages=0        1: every new page's text goes to the clipboard
//
// Lines with other keys, blank lines and lines that begin with '#' are kept as they are when
// the file is written again; a bad value is ignored (and reported), and a damaged file gives
// the defaults.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tsuzuri {

enum class SkipMode { All, Read };

struct Settings {
    int volume = 100;
    int musicVolume = 100;
    int effectsVolume = 100;
    bool mute = false;
    bool fullscreen = false;
    int scale = 0;  // 1-8; 0: the plain fixed window
    bool scaleToFit = false;
    std::uint32_t autoBaseMs = 1500;
    std::uint32_t autoPerCharMs = 60;
    SkipMode skip = SkipMode::All;
    bool copyPages = false;

    bool operator==(const Settings&) const = default;
};

// The longest auto-mode times taken.
constexpr std::uint32_t kMaxAutoBaseMs = 60'000;
constexpr std::uint32_t kMaxAutoPerCharMs = 1'000;

// The settings file's text, as read, and the settings it holds.
class SettingsText {
public:
    // Reads `text`: every problem (a bad value, a line that is no `key=value`) is added to
    // `problems` as one line, and the setting keeps its default.
    static SettingsText parse(std::string_view text, std::vector<std::string>& problems);

    const Settings& settings() const { return settings_; }
    // Takes `settings`: written over the known keys' lines (where a key stands twice, into the
    // first, the others dropped), the keys missing added at the end, every other line kept.
    // Answers the new text.
    std::string update(const Settings& settings);

private:
    Settings settings_;
    std::vector<std::string> lines_;  // as read, without their line ends
};

// $XDG_CONFIG_HOME/tsuzuri/settings.ini, else ~/.config/tsuzuri/settings.ini; empty when neither
// can be found.
std::filesystem::path defaultSettingsFile();

// Reads the settings file: a missing file gives the defaults quietly; a file that cannot be read
// or is too large gives them with one problem.
SettingsText readSettingsFile(const std::filesystem::path& file,
                              std::vector<std::string>& problems);
// Writes `settings` into the file, atomically (through a link, to where it leads), over the
// text it held (`kept`, which then holds the new text). False with the reason.
bool writeSettingsFile(const std::filesystem::path& file, SettingsText& kept,
                       const Settings& settings, std::string& error);

}  // namespace tsuzuri
