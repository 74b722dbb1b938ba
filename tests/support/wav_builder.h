// WAV file images for tests, built byte by byte so that every header field can be set,
// including the ones a well-formed file never has.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tsuzuri::test {

struct WavSpec {
    std::string riffId = "RIFF";
    std::optional<std::uint32_t> riffLength;  // default: the true length
    std::string waveId = "WAVE";
    std::string fmtId = "fmt ";
    std::uint32_t fmtLength = 16;  // bytes beyond 16 are written as zeros
    std::uint16_t formatTag = 1;
    std::uint16_t channels = 1;
    std::uint32_t rate = 8000;
    std::optional<std::uint32_t> avgBytesPerSec;  // default: rate * blockAlign
    std::optional<std::uint16_t> blockAlign;      // default: channels * bits / 8
    std::uint16_t bits = 8;
    std::string between;  // raw bytes between the format chunk and the data chunk
    std::string dataId = "data";
    std::optional<std::uint32_t> dataLength;  // default: the size of `samples`
    std::string samples;
    std::string trailer;  // raw bytes after the samples
};

std::string buildWav(const WavSpec& spec);

// A "PAD " chunk that, placed right after a 16-byte format chunk, puts the data chunk at 4088.
std::string padChunkTo4088();
// Any chunk: id, length, body.
std::string chunk(const std::string& id, const std::string& body);

// Little-endian helpers.
std::string le16(std::uint16_t value);
std::string le32(std::uint32_t value);

// Samples of 16-bit stereo: frame i is (left(i), right(i)).
std::string stereo16(std::uint32_t frames, std::int16_t (*left)(std::uint32_t),
                     std::int16_t (*right)(std::uint32_t));
// `frames` frames of 16-bit stereo holding the constant (left, right).
std::string constantStereo16(std::uint32_t frames, std::int16_t left, std::int16_t right);

// A 16-bit stereo 48000 Hz file (the output format: it plays sample for sample).
std::string outputFormatWav(const std::string& samples);

// Runs sox with the arguments; answers whether it succeeded.
bool runSox(const std::string& arguments);

// Reads a whole file as bytes (empty when it cannot be read).
std::string readBytes(const std::string& path);

}  // namespace tsuzuri::test
