#include "support/spectrum.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <utility>

namespace tsuzuri::test {
namespace {

using Complex = std::complex<double>;

// In place, radix 2; the size must be a power of two.
void fft(std::vector<Complex>& x) {
    const std::size_t n = x.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j |= bit;
        if (i < j) {
            std::swap(x[i], x[j]);
        }
    }
    std::vector<Complex> twiddle(n / 2);
    for (std::size_t k = 0; k < n / 2; ++k) {
        twiddle[k] = std::polar(
            1.0, -2.0 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(n));
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::size_t stride = n / len;
        for (std::size_t start = 0; start < n; start += len) {
            for (std::size_t k = 0; k < len / 2; ++k) {
                const Complex odd = x[start + k + len / 2] * twiddle[k * stride];
                x[start + k + len / 2] = x[start + k] - odd;
                x[start + k] += odd;
            }
        }
    }
}

constexpr double kWindow[] = {0.27105140069342, 0.43329793923448, 0.21812299954311,
                              0.06592544638803, 0.01081174209837, 0.00077658482522,
                              0.00001388721735};
constexpr int kLobe = 8;  // bins either side of a component that its main lobe spans

}  // namespace

ToneMeasure measureTone(const std::vector<double>& samples, double rate, double toneHz) {
    const std::size_t n = samples.size();
    std::vector<Complex> x(n);
    double windowPower = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        double w = 0.0;
        for (int k = 0; k < 7; ++k) {
            w += (k % 2 ? -1 : 1) * kWindow[k] *
                 std::cos(2.0 * std::numbers::pi * k * static_cast<double>(i) /
                          static_cast<double>(n));
        }
        x[i] = samples[i] * w;
        windowPower += w * w;
    }
    fft(x);
    // A sinusoid of amplitude A puts A^2 n windowPower / 4 into its positive-frequency lobe.
    const auto amplitude = [&](double power) { return std::sqrt(4.0 * power / (n * windowPower)); };
    const double binHz = rate / static_cast<double>(n);
    const long toneBin = toneHz > 0 ? std::lround(toneHz / binHz) : -10 * kLobe;
    std::vector<double> other(n / 2 + 1);
    double tonePower = 0.0;
    double otherPower = 0.0;
    for (std::size_t k = 0; k <= n / 2; ++k) {
        const double power = std::norm(x[k]);
        if (std::labs(static_cast<long>(k) - toneBin) <= kLobe) {
            tonePower += power;
        } else {
            other[k] = power;
            otherPower += power;
        }
    }
    ToneMeasure measure;
    measure.tone = amplitude(tonePower);
    measure.others = amplitude(otherPower);
    for (std::size_t k = 0; k <= n / 2; ++k) {
        double lobe = 0.0;
        for (std::size_t j = k > kLobe ? k - kLobe : 0; j <= std::min(n / 2, k + kLobe); ++j) {
            lobe += other[j];
        }
        if (amplitude(lobe) > measure.spur) {
            measure.spur = amplitude(lobe);
            measure.spurHz = static_cast<double>(k) * binHz;
        }
    }
    return measure;
}

double decibels(double ratio) {
    return 20.0 * std::log10(ratio);
}

}  // namespace tsuzuri::test
