// Recording a run for review: every new frame as a PNG file, an index of the frames, and the
// sound that was played, in one folder.
//
//   DIR/frame-NNNNNN.png   a frame, N = the main-loop pass it was shown on (six digits)
//   DIR/index.tsv          a header line, then one row per frame: file, pass, ms (since the
//                          main loop began), script (file name, UTF-8), line (index)
//   DIR/audio.wav          the mixed output, 16-bit PCM stereo at the output rate; its first
//                          sample is the start of the main loop
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace tsuzuri {

// Makes the folder and starts the index and the sound capture. On failure `error` says why.
bool startRecording(const std::filesystem::path& folder, std::string& error);
// Writes the frame of this pass when it is new, and the sound mixed since the last call.
void recordPass(std::uint64_t pass, std::uint32_t msSinceLoop);
// Stops the capture and completes the files.
void stopRecording();
bool isRecording();

}  // namespace tsuzuri
