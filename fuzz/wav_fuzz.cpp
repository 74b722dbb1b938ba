// WAV files: the header check, and the conversion of an accepted file's samples for output.
#include "platform/audio.h"
#include "sound/wav_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<tsuzuri::WavLayout> layout =
        tsuzuri::ParseWav(data, static_cast<std::int32_t>(size));
    if (!layout) {
        return 0;
    }
    if (std::uint64_t{layout->dataOffset} + layout->dataLength > size) {
        __builtin_trap();  // an accepted layout must lie inside the file
    }
    const tsuzuri::platform::PcmFormat format{
        layout->format.nChannels, layout->format.nSamplesPerSec, layout->format.nBlockAlign,
        layout->format.wBitsPerSample};
    // Conversion multiplies the size; keep a single input from asking for gigabytes.
    if (tsuzuri::platform::isPcmFormatPlayable(format) &&
        tsuzuri::platform::convertedFrameCount(format, layout->dataLength / format.blockAlign) <
            (1u << 22)) {
        std::vector<std::int16_t> out;
        tsuzuri::platform::convertPcm(format, data + layout->dataOffset, layout->dataLength, out);
    }
    return 0;
}
