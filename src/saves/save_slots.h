// The save slots of one game, in a folder of their own (SAVES/<game key>, the key as in
// state_text.h): NAME.save (save_file.h) and NAME.png, its thumbnail, for each slot NAME:
//
//   auto-1 ... auto-3   automatic saves, a ring: a new one replaces the oldest (or an unusable)
//   quick               the quick save
//   slot-01 ...         the reader's own slots
//
// Files are replaced atomically; a slot whose file is a link, or whose folder is, is unusable
// and is never written through.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/frame_png.h"
#include "saves/save_file.h"

namespace tsuzuri {

constexpr int kAutomaticSlots = 3;
constexpr char kQuickSlot[] = "quick";
// The thumbnail's size: a fifth of the frame.
constexpr std::uint32_t kThumbnailWidth = 160;
constexpr std::uint32_t kThumbnailHeight = 120;

struct SaveSlot {
    enum class State { Empty, Usable, Unusable };
    std::string name;
    State state = State::Empty;
    SaveRecord save;      // when usable
    std::string problem;  // when unusable: why
};

class SaveSlots {
public:
    // The slots of the game at `gameFolder` titled `title`, below `savesFolder`.
    SaveSlots(const std::filesystem::path& savesFolder, const std::filesystem::path& gameFolder,
              std::string_view title);

    const std::filesystem::path& folder() const { return folder_; }

    SaveSlot read(std::string_view name) const;
    // Writes the save (its sequence set newer than every other save of the game) with a
    // thumbnail of `frame`; the slot's previous save survives a failed write. False with the
    // reason.
    bool write(std::string_view name, SaveRecord save, const FrameCopy& frame,
               std::string& error) const;
    // The slot's thumbnail file, when there is one that is no link.
    std::optional<std::filesystem::path> thumbnail(std::string_view name) const;
    // Deletes the slot's save and thumbnail; false with the reason.
    bool remove(std::string_view name, std::string& error) const;
    // Writes the save into the automatic slot next in the ring.
    bool writeAutomatic(SaveRecord save, const FrameCopy& frame, std::string& error) const;
    // The automatic slots that hold a file, newest first (the unusable ones last).
    std::vector<SaveSlot> automatic() const;
    // Notes that the story has ended: the saves made before stay, but are not continued from.
    bool markStoryEnded(std::string& error) const;
    // The automatic saves made since the story last ended, newest first, and the unusable ones.
    std::vector<SaveSlot> continuable() const;

private:
    std::uint64_t nextSequence() const;
    // The sequence number the story's last end took; 0 for none.
    std::uint64_t endedAt() const;

    std::filesystem::path gameFolder_;
    std::filesystem::path folder_;
};

// $XDG_DATA_HOME/tsuzuri/saves, else ~/.local/share/tsuzuri/saves; empty when neither can be
// found.
std::filesystem::path defaultSavesFolder();

// The date and time for a save made now, "YYYY-MM-DD HH:MM:SS", as calendarNow gives it.
std::string saveTimeNow(std::uint32_t runMs);

}  // namespace tsuzuri
