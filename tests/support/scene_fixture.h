// A fixture for tests that step the interpreter by hand: a game folder of its own, a headless
// window (for the cursor), a sound layer whose ids count from 1, a record of the engine's
// calls, and the keys of each pass set directly.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script_engine/scene_state.h"
#include "script_engine/script_line.h"
#include "support/engine_calls.h"
#include "support/scoped_sound.h"
#include "support/temp_folder.h"

namespace tsuzuri::test {

// The input of one pass.
struct Keys {
    bool advance = false;       // the left button released
    bool toggle = false;        // the right button released
    bool skip = false;          // Ctrl held
    bool skipReadOnly = false;  // ... for a skip of read pages only
};

inline constexpr Keys kNoKeys{};
inline constexpr Keys kClick{true, false, false};
inline constexpr Keys kToggle{false, true, false};
inline constexpr Keys kSkip{false, false, true};
inline constexpr Keys kSkipRead{false, false, true, true};
inline constexpr Keys kClickAndToggle{true, true, false};

using Calls = std::vector<std::string>;

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Makes these lines the loaded script, standing on its first line, with the game folder
    // set to this test's folder. Each line is classified by the files there now; no pause.
    void setScript(const std::vector<std::string>& lines);
    // Writes a script file (lines joined by CR LF) into the "script" folder.
    void writeScript(const std::string& name, const std::vector<std::string>& lines);
    // Writes a short, valid WAV file into the "wave" folder.
    void writeSound(const std::string& name);
    // Writes a file that is there but is not a picture anyone can read into "cg"; pictures
    // are faked (see EngineCallLog::fakePictures), so any existing file shows.
    void writePicture(const std::string& name);

    // One pass of the main loop with these keys: the input is set, then one step runs.
    void step(Keys keys = kNoKeys);
    // Moves the cursor (client coordinates), as the next sample would see it.
    void moveCursor(int x, int y);

    LineKind kindOf(int index) const;
    int currentLine() const;

    TempFolder game;
    RenderState render;     // the frame the story draws into (no device: pictures are faked)
    SceneState sceneState;  // the story the test steps
    ScopedSound sound;
    EngineCallLog calls;
};

}  // namespace tsuzuri::test
