// Recording a run for review: every new frame as a PNG file, an index of the frames, and the
// sound that was played, in one folder.
//
//   DIR/frame-NNNNNN.png   a frame, N = the main-loop pass it was shown on (six digits)
//   DIR/index.tsv          a header line, then one row per frame: file, pass, ms (since the
//                          main loop began, when the frame was shown), script (file name,
//                          UTF-8), line (index)
//   DIR/audio.wav          the mixed output, 16-bit PCM stereo at the output rate; its first
//                          sample is the start of the main loop, and every part of it stands
//                          at the clock time it was mixed for, whatever the device did
//
// A frame is written only when its pixels differ from the last one written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "script_engine/scene_state.h"

namespace tsuzuri {

// Makes the folder for a recording, or checks the one that is there. A folder that already
// holds a recording (index.tsv, audio.wav or frame-*.png) is refused rather than mixed with a
// new one: nothing of an earlier recording is ever overwritten. On failure `error` says why.
bool prepareRecordingFolder(const std::filesystem::path& folder, std::string& error);
// Starts the index and the sound capture in a prepared folder; `originMs` is the clock reading
// at the start of the main loop, where the sound begins; the frames are those `render` presents
// from then on. On failure `error` says why.
bool startRecording(const std::filesystem::path& folder, const RenderState& render,
                    std::uint32_t originMs, std::string& error);
// Writes the frame of this pass when it is new (indexed with where `scene` stands), and the
// sound mixed since the last call.
void recordPass(std::uint64_t pass, const RenderState& render, const SceneState& scene);
// Stops the capture and completes the files.
void stopRecording(std::uint32_t nowMs);
bool isRecording();

}  // namespace tsuzuri
