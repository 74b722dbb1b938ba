// Spectral measures of sound for tests: how strong a tone is, and what else is there.
#pragma once

#include <vector>

namespace tsuzuri::test {

// Amplitudes (peak values, in sample units) read from a spectrum.
struct ToneMeasure {
    double tone = 0.0;    // the tone's amplitude
    double spur = 0.0;    // the strongest other component's amplitude
    double spurHz = 0.0;  // where that component lies
    double others = 0.0;  // the amplitude of a sinusoid as strong as everything besides the tone
};

// Measures the tone of `toneHz` in `samples` taken at `rate` Hz (a power-of-two count), under a
// 7-term Blackman-Harris window, whose leakage lies below -160 dB and so never passes for a
// component. Each reading sums the power of a main lobe (8 bins either side), so it does not
// depend on where a frequency falls between bins. With `toneHz` 0 there is no tone: every
// component counts as another.
ToneMeasure measureTone(const std::vector<double>& samples, double rate, double toneHz);

// 20 log10(ratio).
double decibels(double ratio);

}  // namespace tsuzuri::test
