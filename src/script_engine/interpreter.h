// The scene interpreter: moves the story one step per main-loop pass.
#pragma once

namespace tsuzuri {

// Runs one step of the story from the current line.
void stepScene();

// True when the story has run out of lines (also when none were ever loaded).
bool isSceneFinished();

}  // namespace tsuzuri
