// Recording a run for review: every new frame as a PNG file, an index of the frames, and the
// sound that was played, in one folder.
//
//   DIR/frame-NNNNNN.png   a frame, N = the main-loop pass it was shown on (six digits)
//   DIR/index.tsv          a header line, then one row per frame: file, pass, ms (since the
//                          main loop began, when the frame was shown), script (file name,
//                          UTF-8), line (index); a field's tab, CR, LF or backslash is
//                          written as \t, \r, \n or \\ (see indexField)
//   DIR/audio.wav          the mixed output, 16-bit PCM stereo at the output rate; its first
//                          sample is the start of the main loop, and every part of it stands
//                          at the clock time it was mixed for, whatever the device did; its
//                          header always counts the frames that are in the file
//
// A frame is written only when its pixels differ from the last one written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "script_engine/scene_state.h"

namespace tsuzuri {

// Claims a folder for a recording before the player starts: makes it when it is missing and
// refuses one that holds an earlier recording (index.tsv, audio.wav or frame-*.png), is a link
// to nowhere or cannot be written into. index.tsv is created exclusively, so of two players
// given the same folder only one records in it, and its header line is written at once, as is
// the header of an empty audio.wav. On failure `error` says why and nothing the claim made is
// left behind.
bool claimRecordingFolder(const std::filesystem::path& folder, std::string& error);
// Gives up a claimed folder no recording was started in (the player ended before its story
// began): removes what the claim made.
void releaseRecordingFolder();
// Starts the index and the sound capture in `folder`, claiming it first unless that was done;
// `originMs` is the clock reading at the start of the main loop, where the sound begins; the
// frames are those `render` presents from then on. On failure `error` says why.
bool startRecording(const std::filesystem::path& folder, const RenderState& render,
                    std::uint32_t originMs, std::string& error);
// A field of an index row as written: a tab, CR, LF or backslash becomes \t, \r, \n or \\, so
// that a name holding one keeps the row's columns.
std::string indexField(std::string_view text);
// Writes the frame of this pass when it is new (indexed with where `scene` stands), and the
// sound mixed since the last call. A write that fails stops the recording, with one line on
// stderr naming the file and the reason; the files keep what reached them, complete.
void recordPass(std::uint64_t pass, const RenderState& render, const SceneState& scene);
// Stops the capture and completes the files (saying so on stderr when that fails).
void stopRecording(std::uint32_t nowMs);
bool isRecording();

}  // namespace tsuzuri
