// Sound output: one output device, fed on its own thread by a fill function, and the
// conversion of a sound's PCM samples into the format the device is fed in. Engine code
// includes this header, never SDL's. Works with either backend: sound needs no display.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tsuzuri::platform {

// The output format: signed 16-bit samples in native byte order, two channels interleaved
// (left, right), 48000 frames a second. Every sound is converted into its sample format and
// channels once, at load; its rate is converted while it plays.
constexpr int kOutputRate = 48000;
constexpr int kOutputChannels = 2;
// Frames the device asks for at a time: 10 ms. A buffer whose length is a whole number of
// milliseconds also keeps SDL's file-writing test driver in step with the clock.
constexpr int kOutputBufferFrames = 480;
// How much sound a sound server holds for the player ahead of the speaker, in milliseconds.
// The device still asks a buffer at a time, so starts are placed finely, but the server has
// this much in hand when the player's thread is held up on a busy desktop. Asked of
// PulseAudio (and PipeWire's PulseAudio service) unless PULSE_LATENCY_MSEC says otherwise.
constexpr int kOutputStreamLatencyMs = 45;

// Fills `frameCount` frames of the output format. Called on the device's thread; it must not
// wait on anything that can be held for long.
using AudioFill = void (*)(std::int16_t* frames, int frameCount);

// Opens the output and starts calling `fill`. When the environment names a driver
// (SDL_AUDIODRIVER) only that one is tried; otherwise the desktop's sound servers first and
// then the sound hardware directly, where the machine has any. Answers false, with `reason`
// saying why in a few words, when no output could be opened.
bool openAudioOutput(AudioFill fill, std::string& reason);

// Stops the calls to `fill` (waiting for a call in progress to return) and closes the output.
// Harmless when nothing is open. Never call it while holding a lock that `fill` takes.
void closeAudioOutput();

// A PCM format as a WAV file states it.
struct PcmFormat {
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
};

// Whether sounds of this format can be converted for the output: 1 to 8 channels; 8-bit
// (unsigned), 16-, 24- or 32-bit (signed) samples; 100 to 200000 frames a second, the range
// common sound devices accept; a block alignment of exactly one frame.
bool isPcmFormatPlayable(const PcmFormat& format);

// The number of output frames `frames` frames of `format` last at the output rate.
std::uint64_t convertedFrameCount(const PcmFormat& format, std::uint64_t frames);

// Converts the whole frames in `bytes` bytes of little-endian PCM (a trailing partial frame is
// dropped) into the output's sample format and channels at the sound's own rate, replacing
// what `out` held. Answers false, with `out` empty, when the format is not playable or memory
// runs out.
bool convertPcm(const PcmFormat& format, const std::uint8_t* data, std::size_t bytes,
                std::vector<std::int16_t>& out);

}  // namespace tsuzuri::platform
