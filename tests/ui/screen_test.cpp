// The stack of screens: presses from the top down, updates until a screen freezes the rest,
// screens opened and closed within a pass, and the top screen drawing.
#include "ui/screen.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tsuzuri {
namespace {

using Log = std::vector<std::string>;

// A screen that notes what the stack asks of it.
class FakeScreen final : public Screen {
public:
    FakeScreen(std::string name, Log& log, bool freezes = true)
        : name_(std::move(name)), log_(log), freezes_(freezes) {}

    bool takePress(ScreenStack& stack, const ActionPress& press) override {
        log_.push_back(name_ + " press");
        if (press.action == takes && opens) {
            stack.push(std::move(opens));
        }
        return press.action == takes;
    }
    void update(ScreenStack& stack, ActionInput&, std::uint32_t nowMs) override {
        log_.push_back(name_ + " update " + std::to_string(nowMs));
        if (opens) {
            stack.push(std::move(opens));
        }
        closed_ = closes;
    }
    void stand(const ActionInput&, std::uint32_t) override { log_.push_back(name_ + " stand"); }
    bool freezesBelow() const override { return freezes_; }
    bool draw(const std::string&) override {
        log_.push_back(name_ + " draw");
        return true;
    }
    bool isClosed() const override { return closed_; }
    void end() override { log_.push_back(name_ + " end"); }

    Action takes = Action::Quit;
    bool closes = false;
    std::unique_ptr<Screen> opens;

private:
    std::string name_;
    Log& log_;
    bool freezes_;
    bool closed_ = false;
};

TEST(ScreenStackTest, PressesGoFromTheTopDownUntilOneIsTaken) {
    Log log;
    ScreenStack stack;
    stack.push(std::make_unique<FakeScreen>("story", log));
    auto backlog = std::make_unique<FakeScreen>("backlog", log);
    backlog->takes = Action::OlderPage;
    stack.push(std::move(backlog));
    EXPECT_TRUE(stack.takePress({Action::OlderPage, false}));
    EXPECT_EQ(log, (Log{"backlog press"}));
    log.clear();
    EXPECT_TRUE(stack.takePress({Action::Quit, false}));
    EXPECT_EQ(log, (Log{"backlog press", "story press"}));
    log.clear();
    EXPECT_FALSE(stack.takePress({Action::Mute, false})) << "left for the window";
}

TEST(ScreenStackTest, AFreezingScreenMakesTheOnesBelowStandAndOnlyTheTopDraws) {
    Log log;
    ScreenStack stack;
    stack.push(std::make_unique<FakeScreen>("story", log));
    stack.push(std::make_unique<FakeScreen>("backlog", log, true));
    stack.push(std::make_unique<FakeScreen>("note", log, false));
    ActionInput input;
    stack.update(input, 40);
    EXPECT_TRUE(stack.draw(""));
    EXPECT_EQ(log, (Log{"note update 40", "backlog update 40", "story stand", "note draw"}));
}

TEST(ScreenStackTest, ScreensOpenedInAPassStartOnTheNextAndClosedOnesGoAfterIt) {
    Log log;
    ScreenStack stack;
    auto story = std::make_unique<FakeScreen>("story", log);
    auto backlog = std::make_unique<FakeScreen>("backlog", log);
    FakeScreen* opened = backlog.get();
    story->opens = std::move(backlog);
    stack.push(std::move(story));
    ActionInput input;
    stack.update(input, 1);
    EXPECT_EQ(log, (Log{"story update 1"}));
    EXPECT_EQ(stack.size(), 2u);
    log.clear();
    opened->closes = true;
    stack.update(input, 2);
    EXPECT_EQ(log, (Log{"backlog update 2", "story stand"})) << "the story stands on that pass";
    EXPECT_EQ(stack.size(), 1u);
    log.clear();
    stack.update(input, 3);
    EXPECT_EQ(log, (Log{"story update 3"}));
}

TEST(ScreenStackTest, APressMayOpenAScreenThatTakesTheNextOne) {
    Log log;
    ScreenStack stack;
    auto story = std::make_unique<FakeScreen>("story", log);
    story->takes = Action::Backlog;
    story->opens = std::make_unique<FakeScreen>("backlog", log);
    stack.push(std::move(story));
    EXPECT_TRUE(stack.takePress({Action::Backlog, false}));
    EXPECT_EQ(stack.size(), 2u);
    EXPECT_TRUE(stack.takePress({Action::Quit, false}));
    EXPECT_EQ(log, (Log{"story press", "backlog press"}));
}

TEST(ScreenStackTest, ClearingEndsTheTopScreenFirst) {
    Log log;
    ScreenStack stack;
    stack.push(std::make_unique<FakeScreen>("story", log));
    stack.push(std::make_unique<FakeScreen>("backlog", log));
    stack.clear();
    EXPECT_EQ(log, (Log{"backlog end", "story end"}));
    EXPECT_TRUE(stack.empty());
    EXPECT_TRUE(stack.draw("")) << "nothing to draw is no failure";
}

}  // namespace
}  // namespace tsuzuri
