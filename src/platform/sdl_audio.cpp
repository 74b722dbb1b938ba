// Sound output over SDL's audio device, and the conversion of a sound's sample format and
// channels with SDL's converter.
#include <SDL.h>

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <future>
#include <new>
#include <thread>

#include "platform/audio.h"
#include "platform/backend.h"

namespace tsuzuri::platform {
namespace {

struct OutputState {
    SDL_AudioDeviceID device = 0;
    // Read on the device's thread; cleared before a close that may be left behind.
    std::atomic<AudioFill> fill = nullptr;
};

OutputState& output() {
    static OutputState instance;
    return instance;
}

void SDLCALL feedDevice(void* userdata, Uint8* stream, int length) {
    const auto* state = static_cast<const OutputState*>(userdata);
    constexpr int kFrameBytes = kOutputChannels * static_cast<int>(sizeof(std::int16_t));
    if (const AudioFill fill = state->fill.load()) {
        fill(reinterpret_cast<std::int16_t*>(stream), length / kFrameBytes);
    } else {
        std::memset(stream, 0, static_cast<std::size_t>(length));
    }
}

// How long the sound server may take to answer before the story plays without sound, and how
// long the process waits for the output to close at the end.
constexpr int kServerAnswerMs = 3000;
constexpr auto kCloseWait = std::chrono::seconds(1);

// Whether a PulseAudio server that is running answers within `timeoutMs`. A stopped (frozen)
// server still accepts the connection but never replies, and SDL's driver would wait on it for
// half a minute; when no server runs at all the connection fails at once, which counts as an
// answer (the driver then fails as quickly).
bool pulseServerAnswers(int timeoutMs) {
    pa_mainloop* loop = pa_mainloop_new();
    if (loop == nullptr) {
        return true;
    }
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "tsuzuri");
    bool answered = true;
    if (context != nullptr &&
        pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        answered = false;
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context);
            if (state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state)) {
                answered = true;
                break;
            }
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 ||
                pa_mainloop_prepare(loop, static_cast<int>(left.count())) < 0 ||
                pa_mainloop_poll(loop) < 0 || pa_mainloop_dispatch(loop) < 0) {
                break;
            }
        }
        pa_context_disconnect(context);
    }
    if (context != nullptr) {
        pa_context_unref(context);
    }
    pa_mainloop_free(loop);
    return answered;
}

bool hasEnv(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

// Drivers that talk to the sound hardware themselves rather than to a sound server.
bool drivesHardware(const std::string& driver) {
    return driver == "alsa" || driver == "dsp" || driver == "sndio";
}

bool machineHasSoundHardware() {
    std::error_code error;
    return std::filesystem::exists("/dev/snd", error) || std::filesystem::exists("/dev/dsp", error);
}

// The drivers to try, best first; an empty name lets SDL take the one the environment names.
// On a machine without sound hardware the hardware drivers are left out: SDL would pick ALSA
// there, fail to open it anyway, and the ALSA library would print pages of complaints first.
std::vector<std::string> candidateDrivers() {
    if (hasEnv("SDL_AUDIODRIVER")) {
        return {""};
    }
    const bool hardware = machineHasSoundHardware();
    std::vector<std::string> servers;
    std::vector<std::string> devices;
    for (int i = 0; i < SDL_GetNumAudioDrivers(); ++i) {
        const std::string name = SDL_GetAudioDriver(i);
        if (name == "disk" || name == "dummy") {
            continue;  // a file and a sink; never what a player wants unless asked for
        }
        if (drivesHardware(name)) {
            if (hardware) {
                devices.push_back(name);
            }
        } else {
            servers.push_back(name);
        }
    }
    servers.insert(servers.end(), devices.begin(), devices.end());
    return servers;
}

bool tryOpen(const std::string& driver, std::string& error) {
    OutputState& state = output();
    if (!driver.empty()) {
        SDL_SetHint(SDL_HINT_AUDIODRIVER, driver.c_str());
    }
    const bool up = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (!driver.empty()) {
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    }
    if (!up) {
        error = SDL_GetError();
        return false;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = kOutputRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = kOutputChannels;
    wanted.samples = kOutputBufferFrames;
    wanted.callback = feedDevice;
    wanted.userdata = &state;
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts to whatever the hardware wants behind the callback.
    state.device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (state.device == 0) {
        error = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_PauseAudioDevice(state.device, 0);
    return true;
}

}  // namespace

bool openSdlAudioOutput(AudioFill fill, std::string& reason) {
    OutputState& state = output();
    if (state.device != 0) {
        reason = "the sound output is open already";
        return false;
    }
    state.fill = fill;
    reason.clear();
    // SDL asks PulseAudio for a stream that holds one buffer, which runs dry whenever the
    // device's thread waits a little longer than that. The library behind SDL's driver reads
    // the stream's length from this variable when the stream is made, and nothing else sets
    // it. Set once, before any thread of the output exists; a user's own value stands.
    if (!hasEnv("PULSE_LATENCY_MSEC")) {
        setenv("PULSE_LATENCY_MSEC", std::to_string(kOutputStreamLatencyMs).c_str(), 0);
    }
    const std::vector<std::string> drivers = candidateDrivers();
    if (drivers.empty()) {
        reason = "no sound server is running and the machine has no sound hardware";
        return false;
    }
    for (const std::string& driver : drivers) {
        std::string error;
        const std::string named =
            driver.empty() ? std::string(std::getenv("SDL_AUDIODRIVER")) : driver;
        if (named == "pulseaudio" && !pulseServerAnswers(kServerAnswerMs)) {
            // Every other way to the sound goes through the same server on such a desktop.
            reason = "the sound server did not answer within " +
                     std::to_string(kServerAnswerMs / 1000) + " s";
            return false;
        }
        if (tryOpen(driver, error)) {
            reason.clear();
            // A process may end by exit() with the output open (a library's fatal error, such
            // as Xlib's when the display goes away). The device's thread is stopped first, before
            // the records its fills read are destroyed: registered now, after those records are
            // made, the handler runs before they go.
            static const bool closedAtExit = std::atexit(closeSdlAudioOutput) == 0;
            (void)closedAtExit;
            return true;
        }
        if (!reason.empty()) {
            reason += "; ";
        }
        reason +=
            (driver.empty() ? std::string(std::getenv("SDL_AUDIODRIVER")) : driver) + ": " + error;
    }
    return false;
}

void closeSdlAudioOutput() {
    OutputState& state = output();
    if (state.device == 0) {
        return;
    }
    const SDL_AudioDeviceID device = state.device;
    state.device = 0;
    // Pausing waits for a fill in progress; closing ends the device's thread. A frozen sound
    // server holds the close for as long as it stays frozen: it is left to finish on its own
    // thread, and the audio part of SDL stays up so that nothing closes it twice.
    auto closed = std::make_shared<std::promise<void>>();
    std::future<void> done = closed->get_future();
    std::thread closer([device, closed] {
        SDL_PauseAudioDevice(device, 1);
        SDL_CloseAudioDevice(device);
        closed->set_value();
    });
    if (done.wait_for(kCloseWait) != std::future_status::ready) {
        state.fill = nullptr;  // whatever the device's thread still does, it no longer mixes
        closer.detach();
        std::fprintf(stderr, "tsuzuri: the sound server does not answer; not waiting for it\n");
        return;
    }
    closer.join();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) {
        SDL_Quit();
    }
}

// ---------------------------------------------------------------------------------------------
// Conversion

namespace {

constexpr std::uint32_t kMinRate = 100;
constexpr std::uint32_t kMaxRate = 200000;
constexpr int kOutputFrameBytes = kOutputChannels * static_cast<int>(sizeof(std::int16_t));

SDL_AudioFormat sdlFormatOf(std::uint16_t bitsPerSample) {
    switch (bitsPerSample) {
        case 8:
            return AUDIO_U8;
        case 16:
            return AUDIO_S16LSB;
        default:
            return AUDIO_S32LSB;  // 32-bit, and 24-bit once widened
    }
}

// Copies `frames` frames for SDL, widening 24-bit samples to 32 bits (SDL has no 24-bit
// format): the three bytes become the top three of the 32-bit sample, so the value scales by
// 256 and keeps its sign.
void copyForSdl(const PcmFormat& format, const std::uint8_t* source, std::size_t frames,
                std::uint8_t* target) {
    if (format.bitsPerSample != 24) {
        std::memcpy(target, source, frames * format.blockAlign);
        return;
    }
    const std::size_t samples = frames * format.channels;
    for (std::size_t i = 0; i < samples; ++i) {
        target[4 * i] = 0;
        std::memcpy(target + 4 * i + 1, source + 3 * i, 3);
    }
}

}  // namespace

bool isPcmFormatPlayable(const PcmFormat& format) {
    const std::uint16_t bits = format.bitsPerSample;
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return false;
    }
    if (format.channels < 1 || format.channels > 8) {
        return false;
    }
    if (format.samplesPerSec < kMinRate || format.samplesPerSec > kMaxRate) {
        return false;
    }
    return format.blockAlign == format.channels * (bits / 8);
}

std::uint64_t convertedFrameCount(const PcmFormat& format, std::uint64_t frames) {
    if (format.samplesPerSec == 0) {
        return 0;
    }
    return frames * kOutputRate / format.samplesPerSec;
}

// SDL's converter works on a whole buffer at once and needs a working area of up to len_mult
// times its input, so a long piece of music is converted a second at a time. Only the sample
// format and the channels change, so the pieces join exactly.
bool convertPcm(const PcmFormat& format, const std::uint8_t* data, std::size_t bytes,
                std::vector<std::int16_t>& out) {
    out.clear();
    if (!isPcmFormatPlayable(format)) {
        return false;
    }
    const std::uint64_t frames = bytes / format.blockAlign;
    const auto rate = static_cast<int>(format.samplesPerSec);
    const int sdlSampleBytes = format.bitsPerSample == 24 ? 4 : format.bitsPerSample / 8;
    const std::size_t sdlFrameBytes = static_cast<std::size_t>(format.channels) * sdlSampleBytes;
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, sdlFormatOf(format.bitsPerSample), format.channels, rate,
                          AUDIO_S16SYS, kOutputChannels, rate) < 0) {
        return false;
    }
    try {
        out.resize(static_cast<std::size_t>(frames * kOutputChannels));
        std::vector<std::uint8_t> work;
        const std::uint64_t piece = format.samplesPerSec;  // one second
        for (std::uint64_t start = 0; start < frames; start += piece) {
            const std::uint64_t count = std::min(piece, frames - start);
            const std::size_t inBytes = static_cast<std::size_t>(count) * sdlFrameBytes;
            work.resize(inBytes * static_cast<std::size_t>(std::max(cvt.len_mult, 1)));
            copyForSdl(format, data + start * format.blockAlign, static_cast<std::size_t>(count),
                       work.data());
            if (cvt.needed) {
                cvt.buf = work.data();
                cvt.len = static_cast<int>(inBytes);
                if (SDL_ConvertAudio(&cvt) != 0 ||
                    static_cast<std::uint64_t>(cvt.len_cvt) != count * kOutputFrameBytes) {
                    out.clear();
                    return false;
                }
            }
            std::memcpy(out.data() + start * kOutputChannels, work.data(),
                        static_cast<std::size_t>(count) * kOutputFrameBytes);
        }
    } catch (const std::bad_alloc&) {
        out.clear();
        out.shrink_to_fit();
        return false;
    }
    return true;
}

}  // namespace tsuzuri::platform
