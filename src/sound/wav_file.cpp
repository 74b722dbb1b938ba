#include "sound/wav_file.h"

#include <cstdint>
#include <cstring>

namespace tsuzuri {
namespace {

constexpr std::uint32_t kHeaderBytes = 36;
// Where the data chunk stands when a "PAD " chunk follows the format chunk.
constexpr std::uint32_t kPaddedDataHeader = 4088;

std::uint16_t read16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

std::uint32_t read32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

bool hasId(const std::uint8_t* at, const char (&id)[5]) {
    return std::memcmp(at, id, 4) == 0;
}

}  // namespace

std::optional<WavLayout> ParseWav(const std::uint8_t* image, std::int32_t size) {
    return ParseWav(image, size, size);
}

std::optional<WavLayout> ParseWav(const std::uint8_t* image, std::int32_t size,
                                  std::int64_t fileSize) {
    return ParseWav(image, size, fileSize, nullptr);
}

std::optional<WavLayout> ParseWav(const std::uint8_t* image, std::int32_t size,
                                  std::int64_t fileSize, const char** refusal) {
    auto refuse = [refusal](const char* reason) -> std::optional<WavLayout> {
        if (refusal != nullptr) {
            *refusal = reason;
        }
        return std::nullopt;
    };
    if (image == nullptr || size < 0 || static_cast<std::uint32_t>(size) < kHeaderBytes ||
        fileSize < size || fileSize > INT32_MAX) {
        return refuse("too short for a WAV header, or too large");
    }
    const auto imageSize = static_cast<std::uint32_t>(size);
    if (read16(image + 20) != 1) {
        return refuse("not PCM samples (format tag other than 1)");
    }
    if (!hasId(image, "RIFF") || !hasId(image + 8, "WAVE") || !hasId(image + 12, "fmt ")) {
        return refuse("no RIFF, WAVE and fmt header");
    }
    const std::uint16_t extra = static_cast<std::uint16_t>(read32(image + 16) - 16);
    const std::uint32_t nextChunk = kHeaderBytes + extra;
    if (nextChunk + 4 > imageSize) {
        return refuse("the file ends inside its format chunk");
    }
    const std::uint32_t dataHeader =
        hasId(image + nextChunk, "PAD ") ? kPaddedDataHeader : nextChunk;
    if (dataHeader + 8 > imageSize || !hasId(image + dataHeader, "data")) {
        return refuse("the data chunk does not follow the format chunk (or a PAD chunk)");
    }

    WavLayout layout;
    WaveFormat& format = layout.format;
    format.wFormatTag = read16(image + 20);
    format.nChannels = read16(image + 22);
    format.nSamplesPerSec = read32(image + 24);
    format.nAvgBytesPerSec = read32(image + 28);
    format.nBlockAlign = read16(image + 32);
    format.wBitsPerSample = read16(image + 34);
    format.cbSize = extra;

    layout.dataOffset = dataHeader + 8;
    std::uint32_t length = read32(image + dataHeader + 4);
    const std::uint32_t present = static_cast<std::uint32_t>(fileSize) - layout.dataOffset;
    if (length > present) {
        length = format.nBlockAlign != 0 ? present - present % format.nBlockAlign : present;
    }
    layout.dataLength = length;
    // The file is below 2^31 bytes, so the length is never negative as a signed value.
    if (format.nAvgBytesPerSec != 0) {
        layout.lengthSeconds = static_cast<double>(static_cast<std::int32_t>(length)) /
                               static_cast<double>(format.nAvgBytesPerSec);
    }
    return layout;
}

}  // namespace tsuzuri
