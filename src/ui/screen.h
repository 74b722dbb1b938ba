// The in-window screens and their stack. The story is at the bottom; whatever the reader opens
// over it (the backlog, the chooser, and every later screen) goes on top. Each pass the main
// loop hands the stack the pass's actions and the clock; the screen on top acts on them, and
// says whether the screens below it stand still meanwhile; the top screen draws the frame.
// Adding a screen is one class deriving from Screen and one push where it is opened.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/action.h"

namespace tsuzuri {

class ScreenStack;

class Screen {
public:
    virtual ~Screen() = default;

    // A key went down (its message just arrived): answers whether this screen took the press.
    // Presses are offered from the top down; one that no screen takes is the window's. A press
    // may open a screen on `stack`.
    virtual bool takePress(ScreenStack& stack, const ActionPress& press) = 0;
    // Once per idle pass while no screen above freezes this one, at clock `nowMs`. The screen
    // may add to `input` for the screens below it, push screens onto `stack`, or close itself.
    virtual void update(ScreenStack& stack, ActionInput& input, std::uint32_t nowMs) = 0;
    // Once per idle pass while a screen above freezes this one.
    virtual void stand(const ActionInput& input, std::uint32_t nowMs) {
        (void)input;
        (void)nowMs;
    }
    // Whether the screens below stand still while this one is open.
    virtual bool freezesBelow() const { return true; }
    // Draws and presents the frame, when this screen is on top, with its own mark in the top left
    // corner and `cornerNote` (the window's, such as a volume change) in the top right. False:
    // the display cannot go on.
    virtual bool draw(const std::string& cornerNote) = 0;
    // Whether the screen has closed; the stack removes it after the pass.
    virtual bool isClosed() const { return false; }
    // The run ends with the screen still open: it puts back what it changed.
    virtual void end() {}
};

class ScreenStack {
public:
    void push(std::unique_ptr<Screen> screen);
    bool empty() const { return screens_.empty(); }
    std::size_t size() const { return screens_.size(); }
    Screen& top() { return *screens_.back(); }

    // Offers a press to the screens from the top down, until one takes it.
    bool takePress(const ActionPress& press);
    // One idle pass: screens update from the top down until one freezes those below it, which
    // stand; screens closed in the pass are then removed.
    void update(ActionInput& input, std::uint32_t nowMs);
    // The top screen draws the frame; true without screens.
    bool draw(const std::string& cornerNote);
    // Removes the screens that have closed.
    void removeClosed();
    // Ends every screen, the top one first, and empties the stack.
    void clear();

private:
    std::vector<std::unique_ptr<Screen>> screens_;
};

}  // namespace tsuzuri
