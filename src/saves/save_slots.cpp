#include "saves/save_slots.h"

#include <algorithm>
#include <cstdlib>

#include "capture/frame_png.h"
#include "common/atomic_file.h"
#include "common/calendar.h"
#include "common/file_buffer.h"
#include "saves/state_text.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

// Notes the sequence number at which the story last ended.
constexpr char kEndedFile[] = "ended";
// Far above any real save (200 pages of backlog); anything larger is not one.
constexpr std::int32_t kMaxSaveFileBytes = 4 * 1024 * 1024;

std::string automaticName(int n) {
    return "auto-" + std::to_string(n);
}

bool isLink(const fs::path& path) {
    std::error_code error;
    return fs::is_symlink(fs::symlink_status(path, error));
}

}  // namespace

SaveSlots::SaveSlots(const fs::path& savesFolder, const fs::path& gameFolder,
                     std::string_view title)
    : gameFolder_(gameFolder), folder_(savesFolder / gameKey(gameFolder, title)) {}

SaveSlot SaveSlots::read(std::string_view name) const {
    SaveSlot slot;
    slot.name = name;
    const fs::path file = folder_ / (std::string(name) + ".save");
    std::error_code error;
    const fs::file_status status = fs::symlink_status(file, error);
    if (!fs::exists(status)) {
        return slot;
    }
    slot.state = SaveSlot::State::Unusable;
    if (isLink(folder_) || fs::is_symlink(status)) {
        slot.problem = "it is a link";
        return slot;
    }
    FileBuffer buffer;
    if (!loadWholeFile(buffer, file, kMaxSaveFileBytes)) {
        slot.problem = "it cannot be read";
        return slot;
    }
    const std::string_view text(reinterpret_cast<const char*>(buffer.data.get()),
                                static_cast<std::size_t>(buffer.size));
    if (parseSave(text, gameFolder_, slot.save, slot.problem)) {
        slot.state = SaveSlot::State::Usable;
    }
    return slot;
}

bool SaveSlots::write(std::string_view name, SaveRecord save, const FrameCopy& frame,
                      std::string& error) const {
    if (!makePrivateFolder(folder_, error)) {
        return false;
    }
    if (isLink(folder_)) {
        error = folder_.string() + " is a link";
        return false;
    }
    save.sequence = nextSequence();
    const std::string base = (folder_ / std::string(name)).string();
    // The thumbnail first: a save without its picture still loads, a picture alone is nothing.
    if (const std::optional<std::string> png =
            thumbnailPng(frame, kThumbnailWidth, kThumbnailHeight)) {
        std::string ignored;
        writeFileAtomically(base + ".png", *png, ignored);
    }
    return writeFileAtomically(base + ".save", formatSave(save, gameFolder_), error);
}

std::optional<fs::path> SaveSlots::thumbnail(std::string_view name) const {
    const fs::path file = folder_ / (std::string(name) + ".png");
    std::error_code error;
    if (isLink(folder_) || !fs::is_regular_file(fs::symlink_status(file, error))) {
        return std::nullopt;
    }
    return file;
}

bool SaveSlots::remove(std::string_view name, std::string& error) const {
    std::error_code code;
    const std::string base = (folder_ / std::string(name)).string();
    fs::remove(base + ".png", code);
    if (!fs::remove(base + ".save", code) && code) {
        error = base + ".save: " + code.message();
        return false;
    }
    return true;
}

bool SaveSlots::writeAutomatic(SaveRecord save, const FrameCopy& frame, std::string& error) const {
    // The first free or unusable slot of the ring, else the one with the oldest save.
    std::string target;
    std::uint64_t oldest = UINT64_MAX;
    for (int n = 1; n <= kAutomaticSlots && target.empty(); ++n) {
        const SaveSlot slot = read(automaticName(n));
        if (slot.state != SaveSlot::State::Usable) {
            target = slot.name;
        } else if (slot.save.sequence < oldest) {
            oldest = slot.save.sequence;
        }
    }
    if (target.empty()) {
        for (int n = 1; n <= kAutomaticSlots; ++n) {
            if (read(automaticName(n)).save.sequence == oldest) {
                target = automaticName(n);
                break;
            }
        }
    }
    return write(target, std::move(save), frame, error);
}

std::vector<SaveSlot> SaveSlots::automatic() const {
    std::vector<SaveSlot> slots;
    for (int n = 1; n <= kAutomaticSlots; ++n) {
        SaveSlot slot = read(automaticName(n));
        if (slot.state != SaveSlot::State::Empty) {
            slots.push_back(std::move(slot));
        }
    }
    std::stable_sort(slots.begin(), slots.end(), [](const SaveSlot& a, const SaveSlot& b) {
        const bool aUsable = a.state == SaveSlot::State::Usable;
        const bool bUsable = b.state == SaveSlot::State::Usable;
        if (aUsable != bUsable) {
            return aUsable;
        }
        return aUsable && a.save.sequence > b.save.sequence;
    });
    return slots;
}

bool SaveSlots::markStoryEnded(std::string& error) const {
    if (!makePrivateFolder(folder_, error)) {
        return false;
    }
    if (isLink(folder_)) {
        error = folder_.string() + " is a link";
        return false;
    }
    return writeFileAtomically(folder_ / kEndedFile,
                               "ended " + std::to_string(nextSequence()) + "\n", error);
}

std::vector<SaveSlot> SaveSlots::continuable() const {
    const std::uint64_t ended = endedAt();
    std::vector<SaveSlot> slots = automatic();
    std::erase_if(slots, [ended](const SaveSlot& slot) {
        return slot.state == SaveSlot::State::Usable && slot.save.sequence <= ended;
    });
    return slots;
}

std::uint64_t SaveSlots::endedAt() const {
    const fs::path file = folder_ / kEndedFile;
    FileBuffer buffer;
    if (isLink(file) || !loadWholeFile(buffer, file, 64)) {
        return 0;
    }
    std::string_view text(reinterpret_cast<const char*>(buffer.data.get()),
                          static_cast<std::size_t>(buffer.size));
    std::int64_t number = 0;
    std::string ignored;
    return takeNumber(text, "ended", 0, INT64_MAX, number, ignored) && text.empty()
               ? static_cast<std::uint64_t>(number)
               : 0;
}

std::uint64_t SaveSlots::nextSequence() const {
    std::uint64_t newest = endedAt();
    std::error_code error;
    for (fs::directory_iterator entry(folder_, error), end; !error && entry != end;
         entry.increment(error)) {
        const fs::path& file = entry->path();
        if (file.extension() == ".save") {
            const SaveSlot slot = read(file.stem().string());
            if (slot.state == SaveSlot::State::Usable) {
                newest = std::max(newest, slot.save.sequence);
            }
        }
    }
    return newest + 1;
}

fs::path defaultSavesFolder() {
    const fs::path folder = userFolder("XDG_DATA_HOME", ".local/share");
    return folder.empty() ? folder : folder / "saves";
}

std::string saveTimeNow(std::uint32_t runMs) {
    return calendarNow("%Y-%m-%d %H:%M:%S", runMs);
}

}  // namespace tsuzuri
