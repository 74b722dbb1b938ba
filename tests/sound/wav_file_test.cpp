// Which WAV images are accepted, and where their format and samples are found: images built
// field by field, and files written by an independent tool (sox).
#include "sound/wav_file.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_folder.h"
#include "support/wav_builder.h"

namespace tsuzuri {
namespace {

using test::buildWav;
using test::chunk;
using test::le32;
using test::WavSpec;

std::optional<WavLayout> parse(const std::string& image) {
    return ParseWav(reinterpret_cast<const std::uint8_t*>(image.data()),
                    static_cast<std::int32_t>(image.size()));
}

// 16-bit stereo at 44100 Hz, `frames` frames of counting bytes.
WavSpec stereoSpec(std::uint32_t frames) {
    WavSpec spec;
    spec.channels = 2;
    spec.rate = 44100;
    spec.bits = 16;
    for (std::uint32_t i = 0; i < frames * 4; ++i) {
        spec.samples += static_cast<char>(i * 7);
    }
    return spec;
}

std::string withFormatLength(std::string image, std::uint32_t length) {
    image.replace(16, 4, le32(length));
    return image;
}

TEST(ParseWavTest, CanonicalFileGivesFormatSamplesAndLength) {
    WavSpec spec = stereoSpec(100);
    const std::optional<WavLayout> layout = parse(buildWav(spec));
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->format.wFormatTag, 1);
    EXPECT_EQ(layout->format.nChannels, 2);
    EXPECT_EQ(layout->format.nSamplesPerSec, 44100u);
    EXPECT_EQ(layout->format.nAvgBytesPerSec, 176400u);
    EXPECT_EQ(layout->format.nBlockAlign, 4);
    EXPECT_EQ(layout->format.wBitsPerSample, 16);
    EXPECT_EQ(layout->format.cbSize, 0);
    EXPECT_EQ(layout->dataOffset, 44u);
    EXPECT_EQ(layout->dataLength, 400u);
    EXPECT_DOUBLE_EQ(layout->lengthSeconds, 400.0 / 176400.0);

    // 88200 bytes of 16-bit mono at 44100 Hz last exactly one second.
    WavSpec second;
    second.rate = 44100;
    second.bits = 16;
    second.samples = std::string(88200, '\0');
    EXPECT_DOUBLE_EQ(parse(buildWav(second))->lengthSeconds, 1.0);
}

TEST(ParseWavTest, FormatChunkLengthPlacesTheNextChunk) {
    WavSpec spec = stereoSpec(10);
    spec.fmtLength = 18;
    std::optional<WavLayout> layout = parse(buildWav(spec));
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->format.cbSize, 2);
    EXPECT_EQ(layout->dataOffset, 46u);

    // An odd length gets no pad byte.
    spec.fmtLength = 17;
    layout = parse(buildWav(spec));
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->dataOffset, 45u);

    // The extra length is taken modulo 65536: 65552 reads the next chunk at 36 again, and 15
    // (extra -1) reads it 65535 bytes further on.
    const std::string canonical = buildWav(stereoSpec(10));
    layout = parse(withFormatLength(canonical, 65552));
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->dataOffset, 44u);
    EXPECT_EQ(layout->format.cbSize, 0);

    spec = stereoSpec(10);
    spec.between = std::string(65535, 'x');
    layout = parse(withFormatLength(buildWav(spec), 15));
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->format.cbSize, 65535);
    EXPECT_EQ(layout->dataOffset, 36u + 65535u + 8u);
    EXPECT_EQ(layout->dataLength, 40u);
}

TEST(ParseWavTest, OnlyAPadChunkEndingAt4088MayStandBeforeTheData) {
    WavSpec spec = stereoSpec(10);
    spec.between = test::padChunkTo4088();
    std::optional<WavLayout> layout = parse(buildWav(spec));
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->dataOffset, 4096u);
    EXPECT_EQ(layout->dataLength, 40u);

    // The pad chunk's length is not read: only where the data chunk stands matters.
    spec.between.replace(4, 4, le32(12345));
    EXPECT_TRUE(parse(buildWav(spec)));

    // After an 18-byte format chunk the data chunk must still be at 4088.
    spec.fmtLength = 18;
    spec.between = chunk("PAD ", std::string(4042, '\0'));
    layout = parse(buildWav(spec));
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->dataOffset, 4096u);

    // A pad chunk of another size, with the data chunk right behind it, is rejected.
    spec = stereoSpec(10);
    spec.between = chunk("PAD ", std::string(100, '\0'));
    EXPECT_FALSE(parse(buildWav(spec)));
    spec.between = chunk("PAD ", std::string(4046, '\0'));
    EXPECT_FALSE(parse(buildWav(spec)));

    // So is any other chunk there, however standard.
    for (const std::string& other :
         {chunk("LIST", std::string("INFOISFT\4\0\0\0abc\0", 16)), chunk("fact", le32(10)),
          chunk("pad ", std::string(4044, 0))}) {
        spec.between = other;
        EXPECT_FALSE(parse(buildWav(spec))) << other.substr(0, 4);
    }
}

TEST(ParseWavTest, RejectsOtherFormatTagsAndIds) {
    for (const std::uint16_t tag : {0, 2, 3, 0xFFFE}) {
        WavSpec spec = stereoSpec(10);
        spec.formatTag = tag;
        EXPECT_FALSE(parse(buildWav(spec))) << "tag " << tag;
        spec.riffId = "RIFX";  // tag and id both wrong
        EXPECT_FALSE(parse(buildWav(spec))) << "tag " << tag;
    }
    const auto rejects = [](void (*change)(WavSpec&)) {
        WavSpec spec = stereoSpec(10);
        change(spec);
        return !parse(buildWav(spec));
    };
    EXPECT_TRUE(rejects([](WavSpec& s) { s.riffId = "RIFX"; }));
    EXPECT_TRUE(rejects([](WavSpec& s) { s.riffId = "riff"; }));
    EXPECT_TRUE(rejects([](WavSpec& s) { s.waveId = "wave"; }));
    EXPECT_TRUE(rejects([](WavSpec& s) { s.fmtId = "FMT "; }));
    EXPECT_TRUE(rejects([](WavSpec& s) { s.dataId = "DATA"; }));
}

TEST(ParseWavTest, IgnoresTheRiffLengthAndWhatFollowsTheSamples) {
    WavSpec spec = stereoSpec(10);
    spec.riffLength = 3;
    spec.trailer = chunk("LIST", "INFO") + chunk("junk", std::string(33, 'j'));
    const std::optional<WavLayout> layout = parse(buildWav(spec));
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->dataLength, 40u);
}

TEST(ParseWavTest, NoPlausibilityChecksOnTheFormat) {
    WavSpec spec = stereoSpec(10);
    spec.channels = 0;
    spec.bits = 12;
    spec.blockAlign = 0;
    spec.avgBytesPerSec = 20;  // a byte rate that does not match the sample rate
    std::optional<WavLayout> layout = parse(buildWav(spec));
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->format.nChannels, 0);
    EXPECT_EQ(layout->format.wBitsPerSample, 12);
    EXPECT_DOUBLE_EQ(layout->lengthSeconds, 2.0);

    // A byte rate of 0 gives no length at all (the output refuses such a file).
    spec.avgBytesPerSec = 0;
    layout = parse(buildWav(spec));
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->lengthSeconds, 0.0);
}

TEST(ParseWavTest, TruncatedFilesNeverReadOutsideTheImage) {
    // Every prefix of a canonical file: no data chunk header, no file; with it, the whole
    // frames that are present.
    const std::string full = buildWav(stereoSpec(25));
    for (std::size_t size = 0; size <= full.size(); ++size) {
        const std::string prefix = full.substr(0, size);
        const std::optional<WavLayout> layout = parse(prefix);
        if (size < 44) {
            EXPECT_FALSE(layout) << size;
            continue;
        }
        ASSERT_TRUE(layout) << size;
        const std::uint32_t whole = static_cast<std::uint32_t>(size - 44) / 4 * 4;
        EXPECT_EQ(layout->dataLength, whole) << size;
        EXPECT_DOUBLE_EQ(layout->lengthSeconds, whole / 176400.0) << size;
    }

    // A padded file ending before its data chunk header.
    WavSpec padded = stereoSpec(2);
    padded.between = test::padChunkTo4088();
    const std::string image = buildWav(padded);
    EXPECT_FALSE(parse(image.substr(0, 4095)));
    EXPECT_TRUE(parse(image.substr(0, 4096)));
    // A format chunk claiming to run past the end.
    EXPECT_FALSE(parse(withFormatLength(buildWav(stereoSpec(2)), 60000)));

    // A data length far past the end (or negative as a signed value) is cut as well; without a
    // block alignment to cut by, to the bytes present.
    WavSpec huge = stereoSpec(3);
    huge.dataLength = 0xFFFFFFF0u;
    EXPECT_EQ(parse(buildWav(huge))->dataLength, 12u);
    huge.samples += "xy";
    EXPECT_EQ(parse(buildWav(huge))->dataLength, 12u);
    huge.blockAlign = 0;
    EXPECT_EQ(parse(buildWav(huge))->dataLength, 14u);
    EXPECT_FALSE(ParseWav(nullptr, 0));
}

// Files from an independent writer: sox's own account of the samples (its raw output) must be
// exactly the bytes found at the data offset.
TEST(ParseWavTest, AgreesWithFilesWrittenBySox) {
    test::TempFolder folder;
    for (const int bits : {8, 16}) {
        for (const int channels : {1, 2}) {
            for (const int rate : {22050, 44100, 48000}) {
                const std::string name = std::to_string(bits) + "-" + std::to_string(channels) +
                                         "-" + std::to_string(rate);
                SCOPED_TRACE(name);
                const std::string wav = (folder.path() / (name + ".wav")).string();
                const std::string raw = (folder.path() / (name + ".raw")).string();
                ASSERT_TRUE(test::runSox("-D -n -r " + std::to_string(rate) + " -b " +
                                         std::to_string(bits) + " -c " + std::to_string(channels) +
                                         " " + wav + " synth 0.3 sine 440 sine 660"));
                ASSERT_TRUE(test::runSox(wav + " -t raw " + raw));
                const std::string image = test::readBytes(wav);
                const std::string samples = test::readBytes(raw);
                const std::optional<WavLayout> layout = parse(image);
                ASSERT_TRUE(layout);
                EXPECT_EQ(layout->format.nChannels, channels);
                EXPECT_EQ(layout->format.nSamplesPerSec, static_cast<std::uint32_t>(rate));
                EXPECT_EQ(layout->format.wBitsPerSample, bits);
                EXPECT_NEAR(layout->lengthSeconds, 0.3, 1e-9);
                ASSERT_EQ(layout->dataLength, samples.size());
                EXPECT_EQ(image.substr(layout->dataOffset, layout->dataLength), samples);
            }
        }
    }
    // sox writes 24-bit and floating-point files in the extensible and float formats.
    const std::string deep = (folder.path() / "deep.wav").string();
    ASSERT_TRUE(test::runSox("-D -n -r 48000 -b 24 -c 2 " + deep + " synth 0.1 sine 440"));
    EXPECT_FALSE(parse(test::readBytes(deep)));
    const std::string real = (folder.path() / "float.wav").string();
    ASSERT_TRUE(
        test::runSox("-D -n -r 48000 -e floating-point -b 32 " + real + " synth 0.1 sine 440"));
    EXPECT_FALSE(parse(test::readBytes(real)));
}

}  // namespace
}  // namespace tsuzuri
