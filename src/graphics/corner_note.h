// A short note in the frame's top right corner ("Volume 70", "Muted"), shown for a moment after
// the reader changes a setting, and a lasting mark in the top left corner for a mode the reader
// is in ("Auto"). Both are drawn over everything else, at the output size, with the message
// text's font: white with a black outline on a half-dark box.
#pragma once

#include <cstdint>
#include <string>

#include "graphics/compositor.h"

namespace tsuzuri {

// How long a note stays.
constexpr std::uint32_t kCornerNoteMs = 1500;

// Shows `text` (printable ASCII) from clock time `nowMs` on, in place of any note shown.
void showCornerNote(const std::string& text, std::uint32_t nowMs);
// Takes the note away once its time has passed.
void expireCornerNote(std::uint32_t nowMs);
// Takes any note away at once.
void clearCornerNote();
// Shows `text` (printable ASCII) as the lasting mark until it is changed; empty: no mark.
void setCornerMark(const std::string& text);
// Changes whenever a note or the mark appears, changes or goes, so the frame is composed again
// then only.
std::uint64_t cornerNoteVersion();
// Draws the note and the mark into the frame, those that are shown.
void drawCornerNote(const FrameView& frame);

}  // namespace tsuzuri
