// The open-file dialog of the desktop, run as a separate program (zenity or kdialog).
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/backend.h"

extern char** environ;

namespace tsuzuri::platform {
namespace {

bool isOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) {
        return false;
    }
    std::string folders = path;
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        std::string folder = folders.substr(start, end == std::string::npos ? end : end - start);
        if (!folder.empty() && ::access((folder + "/" + program).c_str(), X_OK) == 0) {
            return true;
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return false;
}

// Runs the program and answers its standard output when it exits with status 0.
std::optional<std::string> runForOutput(const std::vector<std::string>& argv) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return std::nullopt;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);

    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);

    pid_t child = 0;
    int spawned = posix_spawnp(&child, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        return std::nullopt;
    }
    std::string output;
    char chunk[4096];
    for (;;) {
        ssize_t got = ::read(pipeFds[0], chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        output.append(chunk, static_cast<size_t>(got));
    }
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    return output;
}

// The program's answer without its line end; nothing when it was cancelled or failed.
std::optional<std::filesystem::path> answerOf(const std::vector<std::string>& argv) {
    std::optional<std::string> output = runForOutput(argv);
    if (!output) {
        return std::nullopt;
    }
    while (!output->empty() && (output->back() == '\n' || output->back() == '\r')) {
        output->pop_back();
    }
    if (output->empty()) {
        return std::nullopt;
    }
    return std::filesystem::path(*output);
}

}  // namespace

bool hasDesktopDialog() {
    return isOnPath("zenity") || isOnPath("kdialog");
}

std::optional<std::filesystem::path> runDesktopFolderDialog(
    const std::filesystem::path& startFolder, const std::string& utf8Title) {
    const std::string folder = startFolder.string() + "/";
    if (isOnPath("zenity")) {
        return answerOf({"zenity", "--file-selection", "--directory", "--title=" + utf8Title,
                         "--filename=" + folder});
    }
    if (isOnPath("kdialog")) {
        return answerOf({"kdialog", "--title", utf8Title, "--getexistingdirectory", folder});
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> runDesktopFileDialog(const std::filesystem::path& startFolder,
                                                          const std::string& label,
                                                          const std::string& pattern) {
    std::vector<std::string> argv;
    // A trailing slash makes zenity open inside the folder instead of selecting it.
    std::string folder = startFolder.string() + "/";
    if (isOnPath("zenity")) {
        argv = {"zenity", "--file-selection", "--filename=" + folder,
                "--file-filter=" + label + " | " + pattern};
    } else if (isOnPath("kdialog")) {
        argv = {"kdialog", "--getopenfilename", folder, pattern + "|" + label};
    } else {
        return std::nullopt;
    }
    return answerOf(argv);
}

}  // namespace tsuzuri::platform
