#include "ui/preferences.h"

#include <cstdio>
#include <string>
#include <vector>

#include "sound/sound_layer.h"

namespace tsuzuri {

Preferences::Preferences(const std::filesystem::path& file) : file_(file) {
    std::vector<std::string> problems;
    kept_ = readSettingsFile(file, problems);
    for (const std::string& problem : problems) {
        std::fprintf(stderr, "tsuzuri: %s: %s\n", file.c_str(), problem.c_str());
    }
    current_ = kept_.settings();
}

void Preferences::change(const std::function<void(Settings&)>& change) {
    Settings before = current_;
    change(current_);
    if (file_.empty() || current_ == before) {
        return;
    }
    Settings kept = kept_.settings();
    change(kept);
    std::string error;
    if (!writeSettingsFile(file_, kept_, kept, error) && !failureReported_) {
        failureReported_ = true;
        std::fprintf(stderr, "tsuzuri: cannot keep the settings in %s: %s\n", file_.c_str(),
                     error.c_str());
    }
}

void applySoundSettings(const Settings& settings) {
    SoundSetVolume(settings.volume);
    SoundSetMuted(settings.mute);
    SoundSetGroupVolume(SoundGroup::Music, settings.musicVolume);
    SoundSetGroupVolume(SoundGroup::Effects, settings.effectsVolume);
}

}  // namespace tsuzuri
