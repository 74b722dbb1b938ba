// The reader's settings for one run: those kept in the settings file, with the command line's
// laid over them for this run only. A change the reader makes in the window takes effect at
// once and is written at once, the file's other values left as they were (so a value given on
// the command line is never written unless the reader changes it).
#pragma once

#include <filesystem>
#include <functional>

#include "saves/settings_file.h"

namespace tsuzuri {

class Preferences {
public:
    // Settings that are not kept: the defaults, and nothing is written.
    Preferences() = default;
    // The settings of `file` (empty: none kept); problems reading it are reported on stderr,
    // one line each.
    explicit Preferences(const std::filesystem::path& file);

    // What the run uses.
    const Settings& current() const { return current_; }
    // Lays a value given for this run only over what the file holds.
    void overrideForRun(const std::function<void(Settings&)>& change) { change(current_); }
    // A change made by the reader: taken for the run and written into the file (a failure is
    // reported on stderr; the run goes on with the change).
    void change(const std::function<void(Settings&)>& change);

private:
    std::filesystem::path file_;
    SettingsText kept_;  // the file's text and values
    Settings current_;
    bool failureReported_ = false;  // a file that cannot be written is reported once
};

// Brings the sound to the settings' volumes.
void applySoundSettings(const Settings& settings);

}  // namespace tsuzuri
