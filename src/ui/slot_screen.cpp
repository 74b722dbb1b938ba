#include "ui/slot_screen.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

#include "graphics/text_layer.h"
#include "graphics/texture_loader.h"
#include "ui/main_window.h"
#include "ui/question_screen.h"

namespace tsuzuri {
namespace {

std::string readerSlotName(int n) {
    char name[16];
    std::snprintf(name, sizeof name, "slot-%02d", n);
    return name;
}

// What a slot's cell says: which slot, when it was saved, its page's first line.
SlotView describe(const SaveSlot& slot) {
    SlotView view;
    if (slot.name == kQuickSlot) {
        view.lines[0] = "Quick save";
    } else if (slot.name.rfind("auto-", 0) == 0) {
        view.lines[0] = "Automatic save";
    } else {
        view.lines[0] = "Slot " + std::to_string(std::stoi(slot.name.substr(5)));
    }
    switch (slot.state) {
        case SaveSlot::State::Empty:
            view.lines[1] = "Empty";
            break;
        case SaveSlot::State::Unusable:
            view.lines[1] = "Unusable:";
            view.lines[3] = slot.problem;
            break;
        case SaveSlot::State::Usable:
            // "YYYY-MM-DD HH:MM:SS": the date and the time on lines of their own.
            view.lines[1] = slot.save.savedAt.substr(0, 10);
            view.lines[2] = slot.save.savedAt.size() > 11 ? slot.save.savedAt.substr(11) : "";
            view.lines[3] = slot.save.pageText;
            break;
    }
    return view;
}

}  // namespace

SlotScreen::SlotScreen(Mode mode, RenderState& render, QuickSaves& saves)
    : mode_(mode), render_(render), saves_(saves), storyText_(render.drawnPages) {
    saves_.keepStoryView(QuickSaves::StoryView{copyFrame(render), render.drawnPages});
    if (mode == Mode::Load) {
        for (const SaveSlot& slot : saves.slots()->automatic()) {
            names_.push_back(slot.name);
        }
        names_.push_back(kQuickSlot);
    }
    for (int n = 1; n <= kReaderSlots; ++n) {
        names_.push_back(readerSlotName(n));
    }
    if (mode == Mode::Load) {
        // It opens on the newest save, wherever it is.
        std::uint64_t newest = 0;
        for (std::size_t i = 0; i < names_.size(); ++i) {
            const SaveSlot slot = saves.slots()->read(names_[i]);
            if (slot.state == SaveSlot::State::Usable && slot.save.sequence > newest) {
                newest = slot.save.sequence;
                highlighted_ = static_cast<int>(i);
            }
        }
    }
    readPage();
}

int SlotScreen::pageCount() const {
    return (static_cast<int>(names_.size()) + kSlotsPerPage - 1) / kSlotsPerPage;
}

void SlotScreen::readPage() {
    page_ = pageOf(highlighted_);
    slots_.clear();
    thumbnails_.clear();
    const SaveSlots& slots = *saves_.slots();
    for (int i = page_ * kSlotsPerPage;
         i < std::min<int>((page_ + 1) * kSlotsPerPage, static_cast<int>(names_.size())); ++i) {
        slots_.push_back(slots.read(names_[static_cast<std::size_t>(i)]));
        TextureSlot thumbnail;
        const std::optional<std::filesystem::path> file =
            slots.thumbnail(names_[static_cast<std::size_t>(i)]);
        if (slots_.back().state == SaveSlot::State::Usable && file) {
            loadMaskedTexture(GamePath{file->parent_path(), file->filename().string()}, thumbnail);
        }
        thumbnails_.push_back(std::move(thumbnail));
    }
}

void SlotScreen::moveTo(int entry) {
    highlighted_ = std::clamp(entry, 0, static_cast<int>(names_.size()) - 1);
    if (pageOf(highlighted_) != page_) {
        readPage();
    }
}

bool SlotScreen::takePress(ScreenStack&, const ActionPress& press) {
    switch (press.action) {
        case Action::MenuUp:
            --pendingMoves_;
            return true;
        case Action::MenuDown:
            ++pendingMoves_;
            return true;
        case Action::OlderPage:
        case Action::BacklogOlder:
            --pendingPages_;
            return true;
        case Action::NewerPage:
        case Action::BacklogNewer:
            ++pendingPages_;
            return true;
        case Action::DeleteSlot:
            deleteAsked_ = deleteAsked_ || !press.repeat;
            return true;
        case Action::Quit:
            closeAsked_ = true;
            return true;
        default:
            // The window's own keys still reach it; the story's do nothing here.
            return !isWindowAction(press.action);
    }
}

void SlotScreen::update(ScreenStack& stack, ActionInput& input, std::uint32_t nowMs) {
    if (const std::optional<int> entry = std::exchange(overwriteConfirmed_, std::nullopt)) {
        if (saves_.saveInto(names_[static_cast<std::size_t>(*entry)], nowMs)) {
            close(false);
            return;
        }
        readPage();
    }
    if (const std::optional<int> entry = std::exchange(deleteConfirmed_, std::nullopt)) {
        std::string error;
        if (!saves_.slots()->remove(names_[static_cast<std::size_t>(*entry)], error)) {
            std::fprintf(stderr, "tsuzuri: cannot delete the save: %s\n", error.c_str());
        }
        readPage();
    }
    if (std::exchange(closeAsked_, false) || input.wasReleased(Action::Toggle)) {
        close(false);
        return;
    }
    moveTo(highlighted_ + std::exchange(pendingMoves_, 0) - input.wheelNotches +
           std::exchange(pendingPages_, 0) * kSlotsPerPage);
    // The pointer takes the highlight when it moves onto a slot.
    const int under = input.pointerKnown ? slotAt(input.pointerX, input.pointerY) : -1;
    const int underEntry =
        under >= 0 && under < static_cast<int>(slots_.size()) ? page_ * kSlotsPerPage + under : -1;
    if (input.pointerKnown &&
        (input.pointerX != lastPointerX_ || input.pointerY != lastPointerY_)) {
        lastPointerX_ = input.pointerX;
        lastPointerY_ = input.pointerY;
        if (underEntry >= 0) {
            highlighted_ = underEntry;
        }
    }
    if (std::exchange(deleteAsked_, false)) {
        askToDelete(stack, highlighted_);
    } else if (input.wasReleased(Action::Click)) {
        if (underEntry >= 0) {
            highlighted_ = underEntry;
            act(stack, underEntry, nowMs);
        }
    } else if (input.wasReleased(Action::Advance)) {
        act(stack, highlighted_, nowMs);
    }
}

void SlotScreen::act(ScreenStack& stack, int entry, std::uint32_t nowMs) {
    const SaveSlot& slot = slots_[static_cast<std::size_t>(entry - page_ * kSlotsPerPage)];
    if (mode_ == Mode::Load) {
        if (saves_.loadFrom(slot, nowMs)) {
            close(true);
        }
        return;
    }
    if (slot.state == SaveSlot::State::Empty) {
        if (saves_.saveInto(slot.name, nowMs)) {
            close(false);
        } else {
            readPage();
        }
        return;
    }
    stack.push(std::make_unique<QuestionScreen>(render_,
                                                describe(slot).lines[0] + ": save over it?",
                                                [this, entry] { overwriteConfirmed_ = entry; }));
}

void SlotScreen::askToDelete(ScreenStack& stack, int entry) {
    const SaveSlot& slot = slots_[static_cast<std::size_t>(entry - page_ * kSlotsPerPage)];
    if (slot.state == SaveSlot::State::Empty) {
        return;
    }
    stack.push(std::make_unique<QuestionScreen>(render_, describe(slot).lines[0] + ": delete it?",
                                                [this, entry] { deleteConfirmed_ = entry; }));
}

void SlotScreen::close(bool storyChanged) {
    if (closed_) {
        return;
    }
    closed_ = true;
    saves_.keepStoryView(std::nullopt);
    // A story gone to another place draws its own page; otherwise the page comes back.
    if (storyChanged) {
        clearTextLayer(render_);
    } else {
        showDrawnPages(render_, storyText_);
    }
}

bool SlotScreen::draw(const std::string&) {
    SlotPageView view;
    view.title = std::string(mode_ == Mode::Save ? "Save" : "Load") + "   page " +
                 std::to_string(page_ + 1) + "/" + std::to_string(pageCount());
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        SlotView slot = describe(slots_[i]);
        slot.thumbnail = thumbnails_[i].get();
        view.slots.push_back(std::move(slot));
    }
    view.highlighted = highlighted_ - page_ * kSlotsPerPage;
    return renderSlotPage(render_, view, shown_);
}

}  // namespace tsuzuri
