// Reading the samples of a long sound off the main thread. A line that starts thirty minutes of
// music must not hold the story while the file is read, nor hold it all in memory: the sound
// layer reads the head itself (the first frames, kept for good), and this loader keeps the
// voice's stream window (voice_frames.h) filled from the file ahead of where the voice plays,
// for as long as the voice lives. A read that fails leaves the rest of the sound silent.
#pragma once

#include <cstdint>

#include "common/file_buffer.h"
#include "platform/audio.h"
#include "sound/mixer.h"

namespace tsuzuri {

// The frames of the stream window of a long sound, and the most the window holds at once.
constexpr std::uint32_t kStreamRingFrames = 256 * 1024;

// Reads and converts the voice's next frames into its held samples, at most `count`, from
// `file`, whose sample data in `format` begins at `dataOffset`, raising voice.loadedFrames.
// Answers false once the file has nothing more to give (it ended early, or could not be read).
bool readSampleFrames(Voice& voice, const OpenFile& file, std::uint64_t dataOffset,
                      const platform::PcmFormat& format, std::uint32_t count);

// Keeps the stream window of the voice (whose ring is made) filled with its frames after the
// held ones, read from `file`, whose sample data in `format` begins at `dataOffset` and holds
// `totalFrames` frames. The voice must stay alive until cancelSampleLoad.
void queueSampleLoad(Voice& voice, OpenFile file, std::uint64_t dataOffset,
                     const platform::PcmFormat& format, std::uint32_t totalFrames);

// Stops reading into the voice, waiting for a read in progress; harmless when none.
void cancelSampleLoad(Voice& voice);

// Cancels every load and ends the loader's thread.
void stopSampleLoader();

}  // namespace tsuzuri
