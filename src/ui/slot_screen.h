// The save and load screens: the game's slots in pages of six, each with its thumbnail, the
// date and time it was saved and the first line of its page. The load screen lists the
// automatic saves first, newest first, then the quick save, then the reader's slots, and
// opens on the newest save; the save screen lists the reader's slots. Up and Down (or the D-pad)
// move the highlight, Page Up and Page Down turn the page, the wheel moves the highlight, the
// pointer highlights the slot under it; Enter (or A) or a click on a slot saves or loads.
// Saving over a save and deleting one (Delete) ask first. Escape, a right click, Space or B
// close the screen without quitting.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "graphics/slot_page_view.h"
#include "saves/save_slots.h"
#include "ui/quick_saves.h"
#include "ui/screen.h"

namespace tsuzuri {

// The reader's own slots: six pages of six.
constexpr int kReaderSlots = 36;

class SlotScreen final : public Screen {
public:
    enum class Mode { Save, Load };
    // Saves and loads through `saves`, whose slots exist; draws into `render`. Both outlive it.
    SlotScreen(Mode mode, RenderState& render, QuickSaves& saves);

    bool takePress(ScreenStack& stack, const ActionPress& press) override;
    void update(ScreenStack& stack, ActionInput& input, std::uint32_t nowMs) override;
    // A question is open over it: it draws afresh once the question has gone.
    void stand(const ActionInput&, std::uint32_t) override { shown_.reset(); }
    bool draw(const std::string& cornerNote) override;
    bool isClosed() const override { return closed_; }
    void end() override { close(false); }

private:
    int pageOf(int entry) const { return entry / kSlotsPerPage; }
    int pageCount() const;
    // Reads the slots of the highlighted entry's page and their thumbnails.
    void readPage();
    void moveTo(int entry);
    void act(ScreenStack& stack, int entry, std::uint32_t nowMs);
    void askToDelete(ScreenStack& stack, int entry);
    void close(bool storyChanged);

    Mode mode_;
    RenderState& render_;
    QuickSaves& saves_;
    std::vector<std::string> names_;  // every entry's slot name, in order
    int highlighted_ = 0;
    int page_ = -1;                // the page read into slots_
    std::vector<SaveSlot> slots_;  // the page's slots
    std::vector<TextureSlot> thumbnails_;
    int pendingMoves_ = 0;  // Up (-1), Down (+1) pressed since the last pass
    int pendingPages_ = 0;  // Page Up (-1), Page Down (+1)
    bool deleteAsked_ = false;
    bool closeAsked_ = false;
    std::optional<int> overwriteConfirmed_;  // a question said yes to saving over this entry
    std::optional<int> deleteConfirmed_;     // ... to deleting this entry
    int lastPointerX_ = -1;
    int lastPointerY_ = -1;
    std::vector<DrawnPage> storyText_;  // what the text layer showed when the screen opened
    std::optional<SlotPageView> shown_;
    bool closed_ = false;
};

}  // namespace tsuzuri
