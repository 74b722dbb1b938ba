// tsuzuri: plays a visual novel from its game folder.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/check_command.h"
#include "app/command_line.h"
#include "app/player.h"
#include "capture/recorder.h"
#include "common/game_path.h"
#include "graphics/library_versions.h"
#include "graphics/text_font.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "saves/remembered_place.h"
#include "saves/save_slots.h"
#include "saves/settings_file.h"
#include "sound/sound_layer.h"

#ifndef TSUZURI_VERSION
#define TSUZURI_VERSION "unknown"
#endif

namespace {

// Paths given when starting the player name files from the folder it was started in, although
// the player then moves into the game folder.
std::filesystem::path fromStartFolder(const std::filesystem::path& path) {
    if (path.empty()) {
        return path;
    }
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(path, error);
    return error ? path : full;
}

}  // namespace

int main(int argc, char** argv) {
    using tsuzuri::CommandLine;
    namespace platform = tsuzuri::platform;

    const CommandLine commandLine =
        tsuzuri::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (commandLine.action) {
        case CommandLine::Action::Help:
            std::fputs(tsuzuri::usageText().c_str(), stdout);
            return 0;
        case CommandLine::Action::Version:
            std::printf("tsuzuri %s\n", TSUZURI_VERSION);
            std::printf("  SDL %s\n", platform::sdlVersion().c_str());
            for (const tsuzuri::LibraryVersion& library : tsuzuri::graphicsLibraryVersions()) {
                std::printf("  %s %s\n", library.name.c_str(), library.version.c_str());
            }
            return 0;
        case CommandLine::Action::UsageError:
            std::fprintf(stderr, "tsuzuri: %s\nTry 'tsuzuri --help'.\n", commandLine.error.c_str());
            return 2;
        case CommandLine::Action::Play:
            break;
    }

    if (!commandLine.fontFile.empty()) {
        tsuzuri::setTextFontFile(fromStartFolder(commandLine.fontFile));
    } else if (const char* font = std::getenv("TSUZURI_FONT"); font != nullptr && font[0] != '\0') {
        tsuzuri::setTextFontFile(fromStartFolder(font));
    }

    if (commandLine.headless) {
        platform::ScriptedInput input;
        if (!commandLine.inputScript.empty()) {
            std::string error;
            if (!platform::loadScriptedInput(commandLine.inputScript, input, error)) {
                std::fprintf(stderr, "tsuzuri: %s\n", error.c_str());
                return 2;
            }
        }
        platform::selectBackend(platform::Backend::Headless);
        // A headless run is never heard: it opens no sound device (a recording still has the
        // sound, mixed on the clock).
        tsuzuri::SoundUseOutputDevice(false);
        platform::setHeadlessInput(std::move(input));
    }

    const std::filesystem::path recordFolder = fromStartFolder(commandLine.recordFolder);
    const std::filesystem::path stateFolder = commandLine.stateFolder.empty()
                                                  ? tsuzuri::defaultStateFolder()
                                                  : fromStartFolder(commandLine.stateFolder);
    std::filesystem::path gameFolder = commandLine.gameFolder;
    bool chooseGame = commandLine.chooseGame;
    if (commandLine.continueStory && gameFolder.empty()) {
        std::error_code error;
        const std::filesystem::path here = std::filesystem::current_path(error);
        if (error || !tsuzuri::gameFileExists(here, "Game.INI")) {
            // Outside a game folder: the game played last, or else the game is asked for.
            if (const auto last = tsuzuri::lastGameFolder(stateFolder)) {
                gameFolder = *last;
            } else {
                std::fprintf(stderr, "tsuzuri: no game was played last to continue\n");
                chooseGame = true;
            }
        }
    }
    bool chooseGameInWindow = false;
    if (chooseGame && gameFolder.empty() && !commandLine.check) {
        if (!commandLine.startScript.empty()) {
            std::fprintf(stderr,
                         "tsuzuri: --start-at needs a GAME_DIR with --choose-game\nTry 'tsuzuri "
                         "--help'.\n");
            return 2;
        }
        if (platform::isFileDialogAvailable()) {
            std::error_code error;
            const std::optional<std::filesystem::path> chosen = platform::showFolderDialog(
                std::filesystem::current_path(error), "Tsuzuri: choose a game folder");
            if (!chosen) {
                return 0;  // cancelled: the reader changed their mind
            }
            gameFolder = *chosen;
        } else {
            chooseGameInWindow = true;  // the window opens first and offers the folders
        }
    }
    if (!gameFolder.empty()) {
        std::error_code error;
        if (!std::filesystem::is_directory(gameFolder, error)) {
            std::fprintf(stderr, "tsuzuri: '%s' is not a folder\nTry 'tsuzuri --help'.\n",
                         gameFolder.c_str());
            return 2;
        }
        std::filesystem::current_path(gameFolder, error);
        if (error) {
            std::fprintf(stderr, "tsuzuri: cannot enter '%s': %s\n", gameFolder.c_str(),
                         error.message().c_str());
            return 2;
        }
    }
    if (commandLine.check) {
        tsuzuri::CheckOptions check;
        check.format = commandLine.sarif  ? tsuzuri::CheckFormat::Sarif
                       : commandLine.json ? tsuzuri::CheckFormat::Json
                                          : tsuzuri::CheckFormat::Text;
        check.toolVersion = TSUZURI_VERSION;
        check.werror = commandLine.werror;
        check.ignoredCodes = commandLine.ignoredCodes;
        check.shownFolder = commandLine.gameFolder.string();
        return tsuzuri::runCheck(check, stdout, stderr);
    }
    std::string startScript = commandLine.startScript;
    std::int32_t startLine = commandLine.startLine;
    if (!startScript.empty()) {
        std::string error;
        if (!tsuzuri::resolveStartAt(startScript, startLine, commandLine.startLabel, error)) {
            std::fprintf(stderr, "tsuzuri: %s\nTry 'tsuzuri --help'.\n", error.c_str());
            return 2;
        }
    }
    if (!recordFolder.empty()) {
        std::string error;
        if (!tsuzuri::claimRecordingFolder(recordFolder, error)) {
            std::fprintf(stderr, "tsuzuri: %s\nTry 'tsuzuri --help'.\n", error.c_str());
            return 2;
        }
    }
    tsuzuri::PlayerOptions options;
    options.traceInput = commandLine.traceInput;
    options.traceLines = commandLine.traceLines;
    options.exitAfterFirstFrame = commandLine.exitAfterFirstFrame;
    options.autoplayMs = commandLine.autoplayMs;
    options.recordFolder = recordFolder;
    options.maxPasses = commandLine.maxPasses;
    options.maxSeconds = commandLine.maxSeconds;
    options.chooseGameInWindow = chooseGameInWindow;
    options.windowScale = commandLine.windowScale;
    options.scaleToFit = commandLine.scaleToFit;
    options.fullscreen = commandLine.fullscreen;
    options.volume = commandLine.volume;
    options.musicVolume = commandLine.musicVolume;
    options.effectsVolume = commandLine.effectsVolume;
    options.muted = commandLine.muted;
    options.startScript = startScript;
    options.startLine = startLine;
    options.continueStory = commandLine.continueStory;
    options.stateFolder = stateFolder;
    options.savesFolder =
        commandLine.stateFolder.empty() ? tsuzuri::defaultSavesFolder() : stateFolder / "saves";
    // Tests and unattended runs leave nothing behind unless they name the folder.
    options.rememberPlace = !commandLine.stateFolder.empty() ||
                            !(commandLine.headless || !recordFolder.empty() ||
                              commandLine.autoplayMs || commandLine.maxPasses != 0 ||
                              commandLine.maxSeconds > 0.0 || commandLine.exitAfterFirstFrame);
    if (options.rememberPlace) {
        options.settingsFile = commandLine.stateFolder.empty() ? tsuzuri::defaultSettingsFile()
                                                               : stateFolder / "settings.ini";
    }
    const int exitCode = tsuzuri::runPlayer(options);
    // A player that ended before its story began leaves no empty recording behind.
    tsuzuri::releaseRecordingFolder();
    return exitCode;
}
