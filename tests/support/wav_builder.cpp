#include "support/wav_builder.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace tsuzuri::test {

std::string le16(std::uint16_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string le32(std::uint32_t value) {
    return le16(static_cast<std::uint16_t>(value & 0xFFFF)) +
           le16(static_cast<std::uint16_t>(value >> 16));
}

std::string chunk(const std::string& id, const std::string& body) {
    return id + le32(static_cast<std::uint32_t>(body.size())) + body;
}

std::string padChunkTo4088() {
    // 36 bytes of header, then 8 of chunk header and 4044 of padding.
    return chunk("PAD ", std::string(4044, '\0'));
}

std::string buildWav(const WavSpec& spec) {
    const std::uint16_t blockAlign =
        spec.blockAlign.value_or(static_cast<std::uint16_t>(spec.channels * spec.bits / 8));
    std::string body = spec.waveId + spec.fmtId + le32(spec.fmtLength) + le16(spec.formatTag) +
                       le16(spec.channels) + le32(spec.rate) +
                       le32(spec.avgBytesPerSec.value_or(spec.rate * blockAlign)) +
                       le16(blockAlign) + le16(spec.bits);
    if (spec.fmtLength > 16) {
        body += std::string(spec.fmtLength - 16, '\0');
    }
    body += spec.between + spec.dataId +
            le32(spec.dataLength.value_or(static_cast<std::uint32_t>(spec.samples.size()))) +
            spec.samples + spec.trailer;
    return spec.riffId + le32(spec.riffLength.value_or(static_cast<std::uint32_t>(body.size()))) +
           body;
}

std::string stereo16(std::uint32_t frames, std::int16_t (*left)(std::uint32_t),
                     std::int16_t (*right)(std::uint32_t)) {
    std::string out;
    out.reserve(frames * 4);
    for (std::uint32_t i = 0; i < frames; ++i) {
        out += le16(static_cast<std::uint16_t>(left(i)));
        out += le16(static_cast<std::uint16_t>(right(i)));
    }
    return out;
}

std::string constantStereo16(std::uint32_t frames, std::int16_t left, std::int16_t right) {
    const std::string frame =
        le16(static_cast<std::uint16_t>(left)) + le16(static_cast<std::uint16_t>(right));
    std::string out;
    out.reserve(frames * 4);
    for (std::uint32_t i = 0; i < frames; ++i) {
        out += frame;
    }
    return out;
}

std::string outputFormatWav(const std::string& samples) {
    WavSpec spec;
    spec.channels = 2;
    spec.rate = 48000;
    spec.bits = 16;
    spec.samples = samples;
    return buildWav(spec);
}

bool runSox(const std::string& arguments) {
    const std::string command = "sox " + arguments + " 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

std::string readBytes(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

}  // namespace tsuzuri::test
