// WAV files: which images are accepted, and where their PCM format and samples are.
#pragma once

#include <cstdint>
#include <optional>

namespace tsuzuri {

// The PCM format fields of the format chunk, as the file gives them.
struct WaveFormat {
    std::uint16_t wFormatTag = 0;  // always 1 (PCM) in an accepted file
    std::uint16_t nChannels = 0;
    std::uint32_t nSamplesPerSec = 0;
    std::uint32_t nAvgBytesPerSec = 0;
    std::uint16_t nBlockAlign = 0;
    std::uint16_t wBitsPerSample = 0;
    std::uint16_t cbSize = 0;  // the format chunk's length beyond 16 bytes, modulo 65536
};

struct WavLayout {
    WaveFormat format;
    std::uint32_t dataOffset = 0;  // where the sample bytes begin
    std::uint32_t dataLength = 0;  // how many sample bytes there are
    double lengthSeconds = 0.0;    // dataLength / nAvgBytesPerSec; 0 when the latter is 0
};

// Checks a whole WAV file image. The header is read at fixed offsets: "RIFF", "WAVE", "fmt "
// at 0, 8 and 12, the format tag (which must be 1, and is tested before the ids) and the PCM
// fields from 20. The chunk after the format chunk is looked for at 20 + its length; it is
// either the data chunk or a "PAD " chunk, in which case the data chunk must stand at 4088
// (samples from 4096). Anything else there rejects the file; so does an image too short to
// hold the header, the chunk id or the data chunk's header. A data length that runs past the
// end of the image is cut to the whole frames present, so a truncated recording still plays.
// Nothing else is checked: rates, channels, alignment and bit depth are passed on as stated.
std::optional<WavLayout> ParseWav(const std::uint8_t* image, std::int32_t size);
// The same for the first `size` bytes of a file of `fileSize` bytes: the header must lie within
// them, and the data length is cut to the whole frames of the file.
std::optional<WavLayout> ParseWav(const std::uint8_t* image, std::int32_t size,
                                  std::int64_t fileSize);
// The same, pointing `refusal` (when not null) at a short English reason when the file is refused.
std::optional<WavLayout> ParseWav(const std::uint8_t* image, std::int32_t size,
                                  std::int64_t fileSize, const char** refusal);

}  // namespace tsuzuri
