// Reading the samples of a large sound off the main thread. A line that starts three minutes
// of music must not hold the story while tens of megabytes are read: the sound layer reads and
// converts the first part itself, and this loader reads the rest, in order, while the sound
// already plays (the mixer hears only the frames read so far).
#pragma once

#include <cstdint>

#include "common/file_buffer.h"
#include "platform/audio.h"
#include "sound/mixer.h"

namespace tsuzuri {

// Reads and converts the voice's next frames, at most `count`, from `file`, whose sample data
// in `format` begins at `dataOffset`, raising voice.loadedFrames. Answers false once the file
// has nothing more to give (it ended early, or could not be read).
bool readSampleFrames(Voice& voice, const OpenFile& file, std::uint64_t dataOffset,
                      const platform::PcmFormat& format, std::uint32_t count);

// Reads frames [voice.loadedFrames, total) of the voice's samples from `file`, whose sample
// data in `format` begins at `dataOffset` (the frame numbers count from there), converting
// them into the voice's samples and raising voice.loadedFrames as it goes. A file that ends
// early leaves the rest silent. The voice must stay alive until the load ends or is cancelled.
void queueSampleLoad(Voice& voice, OpenFile file, std::uint64_t dataOffset,
                     const platform::PcmFormat& format, std::uint32_t totalFrames);

// Stops reading into the voice, waiting for a part in progress; harmless when none.
void cancelSampleLoad(Voice& voice);

// Cancels every load and ends the loader's thread.
void stopSampleLoader();

}  // namespace tsuzuri
