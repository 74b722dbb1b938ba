// Makes the pictures, sounds and scripts of the bundled demo game: pictures drawn from
// gradients and shapes, sounds synthesised from tones and noise, scripts converted from their
// UTF-8 sources to Shift-JIS with CR LF line ends.
//
//   make_demo_assets STORY_SOURCE_DIR DEMO_DIR
#include <iconv.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/jpeg_file.h"

namespace {

namespace fs = std::filesystem;
constexpr double kPi = 3.14159265358979323846;

// ---------------------------------------------------------------------------------------------
// Pictures

struct Rgb {
    double r = 0, g = 0, b = 0;
};

Rgb mix(Rgb a, Rgb b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb hex(std::uint32_t value) {
    return {double((value >> 16) & 0xFF), double((value >> 8) & 0xFF), double(value & 0xFF)};
}

struct Picture {
    int width, height;
    std::vector<Rgb> pixels;
    Picture(int w, int h, Rgb fill = {}) : width(w), height(h), pixels(size_t(w) * h, fill) {}
    Rgb& at(int x, int y) { return pixels[size_t(y) * width + x]; }
    void blend(int x, int y, Rgb color, double alpha) {
        if (x >= 0 && y >= 0 && x < width && y < height) {
            at(x, y) = mix(at(x, y), color, alpha);
        }
    }
    void fillRect(int x0, int y0, int x1, int y1, Rgb color, double alpha = 1.0) {
        for (int y = std::max(0, y0); y < std::min(height, y1); ++y) {
            for (int x = std::max(0, x0); x < std::min(width, x1); ++x) {
                at(x, y) = mix(at(x, y), color, alpha);
            }
        }
    }
    // A soft disc: full inside `radius`, fading out over `feather` pixels.
    void disc(double cx, double cy, double radius, double feather, Rgb color, double alpha = 1.0) {
        const int reach = int(radius + feather) + 1;
        for (int y = int(cy) - reach; y <= int(cy) + reach; ++y) {
            for (int x = int(cx) - reach; x <= int(cx) + reach; ++x) {
                const double d = std::hypot(x - cx, y - cy);
                const double t = feather > 0 ? 1.0 - (d - radius) / feather : (d <= radius ? 1 : 0);
                if (t > 0) {
                    blend(x, y, color, alpha * std::min(1.0, t));
                }
            }
        }
    }
    std::uint8_t channel(double v) const {
        return std::uint8_t(std::clamp(std::lround(v), 0L, 255L));
    }
    std::vector<std::uint8_t> rgbBytes() const {
        std::vector<std::uint8_t> out;
        out.reserve(pixels.size() * 3);
        for (const Rgb& p : pixels) {
            out.push_back(channel(p.r));
            out.push_back(channel(p.g));
            out.push_back(channel(p.b));
        }
        return out;
    }
};

void writeFile(const fs::path& file, const std::vector<std::uint8_t>& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    std::printf("  %-28s %7zu bytes\n", file.filename().c_str(), bytes.size());
}

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void writePng(const fs::path& file, const Picture& picture) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(picture.width);
    image.height = png_uint_32(picture.height);
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb = picture.rgbBytes();
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr);
    std::vector<std::uint8_t> bytes(size);
    png_image_write_to_memory(&image, bytes.data(), &size, 0, rgb.data(), 0, nullptr);
    bytes.resize(size);
    writeFile(file, bytes);
}

void writeJpeg(const fs::path& file, const Picture& picture, int quality) {
    const std::string bytes =
        tsuzuri::test::encodeJpeg(picture.rgbBytes(), picture.width, picture.height, 3,
                                  {.quality = quality, .progressive = true});
    writeFile(file, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

// Targa, 24-bit true colour, run-length encoded, origin at the top left.
void writeTga(const fs::path& file, const Picture& picture) {
    std::vector<std::uint8_t> out = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    put16(out, std::uint32_t(picture.width));
    put16(out, std::uint32_t(picture.height));
    out.push_back(24);
    out.push_back(0x20);
    const std::vector<std::uint8_t> rgb = picture.rgbBytes();
    for (int y = 0; y < picture.height; ++y) {
        int x = 0;
        auto pixelAt = [&](int px) { return rgb.data() + (size_t(y) * picture.width + px) * 3; };
        while (x < picture.width) {
            int run = 1;
            while (x + run < picture.width && run < 128 &&
                   std::equal(pixelAt(x), pixelAt(x) + 3, pixelAt(x + run))) {
                ++run;
            }
            if (run > 1) {
                out.push_back(std::uint8_t(0x80 | (run - 1)));
                out.insert(out.end(), {pixelAt(x)[2], pixelAt(x)[1], pixelAt(x)[0]});
                x += run;
                continue;
            }
            int raw = 1;
            while (x + raw < picture.width && raw < 128 &&
                   !(x + raw + 1 < picture.width &&
                     std::equal(pixelAt(x + raw), pixelAt(x + raw) + 3, pixelAt(x + raw + 1)))) {
                ++raw;
            }
            out.push_back(std::uint8_t(raw - 1));
            for (int i = 0; i < raw; ++i) {
                out.insert(out.end(), {pixelAt(x + i)[2], pixelAt(x + i)[1], pixelAt(x + i)[0]});
            }
            x += raw;
        }
    }
    writeFile(file, out);
}

// Windows bitmap, 8 bits per pixel with the given palette, run-length encoded (RLE8). The
// picture's colours must all be in the palette.
void writeBmpRle8(const fs::path& file, const std::vector<std::uint8_t>& indexes, int width,
                  int height, const std::vector<Rgb>& palette) {
    std::vector<std::uint8_t> data;
    for (int y = height - 1; y >= 0; --y) {  // bottom-up rows
        const std::uint8_t* row = indexes.data() + size_t(y) * width;
        int x = 0;
        while (x < width) {
            int run = 1;
            while (x + run < width && run < 255 && row[x + run] == row[x]) {
                ++run;
            }
            data.push_back(std::uint8_t(run));
            data.push_back(row[x]);
            x += run;
        }
        data.push_back(0);
        data.push_back(y == 0 ? 1 : 0);  // end of line, or end of bitmap
    }
    const std::uint32_t paletteBytes = std::uint32_t(palette.size()) * 4;
    const std::uint32_t offset = 14 + 40 + paletteBytes;
    std::vector<std::uint8_t> out = {'B', 'M'};
    put32(out, offset + std::uint32_t(data.size()));
    put32(out, 0);
    put32(out, offset);
    put32(out, 40);
    put32(out, std::uint32_t(width));
    put32(out, std::uint32_t(height));
    put16(out, 1);
    put16(out, 8);
    put32(out, 1);  // RLE8
    put32(out, std::uint32_t(data.size()));
    put32(out, 2835);
    put32(out, 2835);
    put32(out, std::uint32_t(palette.size()));
    put32(out, 0);
    for (const Rgb& c : palette) {
        out.insert(out.end(), {std::uint8_t(c.b), std::uint8_t(c.g), std::uint8_t(c.r), 0});
    }
    out.insert(out.end(), data.begin(), data.end());
    writeFile(file, out);
}

// --- The pictures of the story ---

Picture skyAtDusk() {
    Picture p(800, 600);
    std::mt19937 random(1);
    for (int y = 0; y < 600; ++y) {
        const double t = y / 599.0;
        const Rgb top = hex(0x141a3c), middle = hex(0x5a3a6e), horizon = hex(0xf0a060);
        const Rgb c = t < 0.6 ? mix(top, middle, t / 0.6) : mix(middle, horizon, (t - 0.6) / 0.4);
        for (int x = 0; x < 800; ++x) {
            p.at(x, y) = c;
        }
    }
    for (int i = 0; i < 140; ++i) {
        const double x = random() % 800, y = random() % 330;
        const double size = 0.6 + (random() % 100) / 80.0;
        p.disc(x, y, size * 0.4, size, hex(0xfff8e0), 0.55 + (random() % 40) / 100.0);
    }
    p.disc(640, 120, 34, 3, hex(0xfff4d6));  // the moon
    p.disc(652, 112, 30, 2, mix(hex(0x141a3c), hex(0x5a3a6e), 0.31));
    // Roofs of the town, and the library's silhouette with lit windows.
    for (int x = 0; x < 800; ++x) {
        const double roof = 470 + 22 * std::sin(x / 37.0) + 14 * std::sin(x / 11.0 + 1.3);
        for (int y = int(roof); y < 600; ++y) {
            p.at(x, y) = hex(0x1a1424);
        }
    }
    p.fillRect(300, 380, 520, 600, hex(0x221a2e));
    p.fillRect(290, 370, 530, 384, hex(0x2c2238));
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 5; ++col) {
            p.fillRect(318 + col * 42, 400 + row * 56, 340 + col * 42, 432 + row * 56,
                       hex(0xf2c46a), (row + col) % 3 ? 0.95 : 0.35);
        }
    }
    return p;
}

Picture libraryAtNight() {
    Picture p(800, 600, hex(0x3a2418));
    std::mt19937 random(2);
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            p.at(x, y) = mix(hex(0x2a1a12), hex(0x4a3020), 1.0 - std::abs(x - 400) / 500.0);
        }
    }
    // A tall window with moonlight in the middle.
    p.fillRect(330, 40, 470, 330, hex(0x203050));
    p.fillRect(330, 40, 470, 330, hex(0x8090c0), 0.25);
    p.fillRect(396, 40, 404, 330, hex(0x2a1a12));
    p.fillRect(330, 182, 470, 190, hex(0x2a1a12));
    p.disc(430, 90, 16, 2, hex(0xf8f4e0));
    // Shelves left and right, full of books.
    const Rgb bookColours[] = {hex(0x8c2f2f), hex(0x2f5c8c), hex(0x3c7a4a), hex(0xb08a3c),
                               hex(0x6a3c7a), hex(0x9a6040), hex(0x2e4e5e)};
    for (int side = 0; side < 2; ++side) {
        const int x0 = side == 0 ? 20 : 500, x1 = side == 0 ? 300 : 780;
        for (int shelf = 0; shelf < 5; ++shelf) {
            const int base = 120 + shelf * 95;
            p.fillRect(x0 - 8, base, x1 + 8, base + 10, hex(0x5a3a24));
            int x = x0;
            while (x < x1 - 10) {
                const int w = 10 + int(random() % 14);
                const int h = 50 + int(random() % 30);
                const Rgb c = bookColours[random() % 7];
                p.fillRect(x, base - h, std::min(x + w, x1), base, c);
                p.fillRect(x + 2, base - h + 8, std::min(x + w, x1) - 2, base - h + 11,
                           hex(0xe0c080), 0.5);
                x += w + 1;
            }
        }
    }
    // The floor and a warm lamp glow.
    p.fillRect(0, 560, 800, 600, hex(0x22160e));
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            const double d = std::hypot(x - 400, y - 520) / 420.0;
            p.blend(x, y, hex(0xffc070), std::max(0.0, 0.35 * (1 - d)));
        }
    }
    return p;
}

// A painted look: wood in flat bands and light in rings, which keeps the run-length encoded
// Targa file small.
Picture deskMemory() {
    Picture p(640, 480, hex(0x5a3a24));
    for (int y = 0; y < 480; ++y) {
        const double grain = 0.5 + 0.5 * std::sin(y / 9.0 + std::sin(y / 31.0) * 2);
        const Rgb wood = mix(hex(0x4a2e1c), hex(0x6e4a30), std::round(grain * 4) / 4 * 0.7);
        for (int x = 0; x < 640; ++x) {
            p.at(x, y) = wood;
        }
    }
    // An open book, pages and a red ribbon.
    p.fillRect(150, 150, 510, 382, hex(0x2a1a12), 0.5);
    p.fillRect(140, 140, 318, 370, hex(0xf4ead0));
    p.fillRect(322, 140, 500, 370, hex(0xf0e4c6));
    for (int line = 0; line < 9; ++line) {
        p.fillRect(160, 170 + line * 22, 300, 173 + line * 22, hex(0x8a7a60));
        p.fillRect(340, 170 + line * 22, 480 - (line % 3) * 30, 173 + line * 22, hex(0x8a7a60));
    }
    p.fillRect(316, 120, 324, 400, hex(0xb02030));
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const double d = std::hypot(x - 560, y - 40) / 520.0;
            const double ring = std::floor(std::max(0.0, 1 - d) * 6) / 6;
            p.blend(x, y, hex(0xfff0c0), 0.4 * ring);
        }
    }
    return p;
}

// A corridor of flat colours in perspective, larger than the screen.
void corridor(const fs::path& file) {
    const int w = 1024, h = 768;
    const std::vector<Rgb> palette = {hex(0x1c1420), hex(0x2e2230), hex(0x3e2e3c), hex(0x4e3a46),
                                      hex(0x6a4c50), hex(0xd8b070), hex(0xf4d8a0), hex(0x241a28)};
    std::vector<std::uint8_t> idx(size_t(w) * h, 0);
    const double cx = 512, cy = 360;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double dx = (x - cx) / 512.0, dy = (y - cy) / 384.0;
            const double m = std::max(std::abs(dx), std::abs(dy));
            const int band = int(m * 8);
            std::uint8_t c = std::uint8_t(1 + std::min(3, band / 2));
            if (m < 0.12) {
                c = 6;  // light at the far end
            } else if (dy > std::abs(dx)) {
                c = (band % 2) ? 2 : 1;  // floor boards
            } else if (std::abs(dx) >= std::abs(dy) && band % 3 == 1 &&
                       std::abs(dy) < 0.55 * std::abs(dx)) {
                c = 5;  // lit doors along the walls
            } else if (-dy > std::abs(dx)) {
                c = 7;  // ceiling
            }
            idx[size_t(y) * w + x] = c;
        }
    }
    writeBmpRle8(file, idx, w, h, palette);
}

// The moon seen through a round window, and its round mask.
void moonWithMask(const fs::path& picture, const fs::path& mask) {
    Picture p(800, 600, hex(0x101838));
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            p.at(x, y) = mix(hex(0x0c1230), hex(0x2a3a70), y / 600.0);
        }
    }
    p.disc(400, 260, 120, 40, hex(0x8090c0), 0.25);
    p.disc(400, 260, 96, 2, hex(0xf6f0dc));
    p.disc(370, 230, 18, 6, hex(0xd8d0bc), 0.8);
    p.disc(430, 290, 26, 8, hex(0xd8d0bc), 0.7);
    p.disc(420, 220, 10, 4, hex(0xd8d0bc), 0.8);
    writePng(picture, p);
    Picture m(800, 600);
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            const double d = std::hypot(x - 400, y - 270);
            const double v = std::clamp((300 - d) / 60.0, 0.0, 1.0) * 255;
            m.at(x, y) = {v, v, v};
        }
    }
    writePng(mask, m);
}

// The message window: a dark blue panel with a light border across the lower part of the
// screen; the mask makes everything above it transparent and the panel half see-through.
void messageWindow(const fs::path& picture, const fs::path& mask) {
    const int w = 800, h = 600;
    const std::vector<Rgb> palette = {hex(0x000000), hex(0x18204a), hex(0xc8d0f0), hex(0x6070b0)};
    const std::vector<Rgb> greys = {hex(0x000000), hex(0xa8a8a8), hex(0xffffff), hex(0xd8d8d8)};
    std::vector<std::uint8_t> idx(size_t(w) * h, 0);
    for (int y = 464; y < 596; ++y) {
        for (int x = 6; x < 794; ++x) {
            const bool border = y < 467 || y >= 593 || x < 9 || x >= 791;
            const bool inner = y == 469 || y == 590 || x == 11 || x == 788;
            idx[size_t(y) * w + x] = border ? 2 : inner ? 3 : 1;
        }
    }
    writeBmpRle8(picture, idx, w, h, palette);
    writeBmpRle8(mask, idx, w, h, greys);
}

// ---------------------------------------------------------------------------------------------
// Sounds: 22050 Hz, 16-bit, mono

constexpr int kRate = 22050;

void writeWav(const fs::path& file, const std::vector<double>& samples) {
    std::vector<std::uint8_t> out = {'R', 'I', 'F', 'F'};
    const std::uint32_t dataBytes = std::uint32_t(samples.size() * 2);
    put32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(out, 16);
    put16(out, 1);
    put16(out, 1);
    put32(out, kRate);
    put32(out, kRate * 2);
    put16(out, 2);
    put16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put32(out, dataBytes);
    for (double s : samples) {
        put16(out, std::uint32_t(
                       std::uint16_t(std::int16_t(std::lround(std::clamp(s, -1.0, 1.0) * 32000)))));
    }
    writeFile(file, out);
}

std::vector<double> bell(double frequency, double seconds) {
    std::vector<double> s(size_t(seconds * kRate));
    const double partials[][2] = {{1.0, 1.0}, {2.76, 0.45}, {5.4, 0.25}, {8.93, 0.12}};
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) / kRate;
        double v = 0;
        for (const auto& p : partials) {
            v += p[1] * std::sin(2 * kPi * frequency * p[0] * t) * std::exp(-t * (2.2 + p[0]));
        }
        s[i] = 0.35 * v * std::min(1.0, t * 400);
    }
    return s;
}

std::vector<double> click(double frequency, double seconds, unsigned seed) {
    std::vector<double> s(size_t(seconds * kRate));
    std::mt19937 random(seed);
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) / kRate;
        const double noise = (random() % 2001) / 1000.0 - 1.0;
        s[i] = (0.5 * std::sin(2 * kPi * frequency * t) + 0.3 * noise) * std::exp(-t * 70);
    }
    return s;
}

std::vector<double> rain(double seconds) {
    std::vector<double> s(size_t(seconds * kRate));
    std::mt19937 random(5);
    double low = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double noise = (random() % 2001) / 1000.0 - 1.0;
        low += 0.08 * (noise - low);
        double v = 0.22 * low + 0.05 * noise;
        if (random() % 1500 == 0) {
            v += 0.3;  // a drop
        }
        s[i] = v;
    }
    // Fade the ends into each other so that the loop has no seam.
    const size_t fade = kRate / 4;
    for (size_t i = 0; i < fade; ++i) {
        const double t = double(i) / fade;
        s[i] = s[i] * t + s[s.size() - fade + i] * (1 - t);
    }
    s.resize(s.size() - fade);
    return s;
}

// A slow chord progression with a soft melody: four bars, a loop.
std::vector<double> music() {
    const double bar = 2.0;
    const double chords[4][3] = {{261.63, 329.63, 392.00},
                                 {220.00, 261.63, 329.63},
                                 {174.61, 220.00, 261.63},
                                 {196.00, 246.94, 293.66}};
    const double melody[16] = {659.3, 587.3, 523.3, 587.3, 523.3, 493.9, 440.0, 523.3,
                               440.0, 523.3, 587.3, 523.3, 493.9, 587.3, 659.3, 587.3};
    std::vector<double> s(size_t(4 * bar * kRate));
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) / kRate;
        const int chord = int(t / bar) % 4;
        const double inBar = std::fmod(t, bar);
        double v = 0;
        for (double f : chords[chord]) {
            v += 0.09 * std::sin(2 * kPi * f * t) * std::min(1.0, inBar * 3) *
                 std::min(1.0, (bar - inBar) * 6);
            v += 0.03 * std::sin(2 * kPi * f * 0.5 * t);
        }
        const int note = int(t / 0.5) % 16;
        const double inNote = std::fmod(t, 0.5);
        v += 0.12 * std::sin(2 * kPi * melody[note] * t) * std::exp(-inNote * 5) *
             std::min(1.0, inNote * 200);
        s[i] = v;
    }
    return s;
}

// ---------------------------------------------------------------------------------------------
// Text: UTF-8 sources to Shift-JIS with CR LF

std::string toShiftJis(const std::string& utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    std::string out(utf8.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == size_t(-1)) {
        std::fprintf(stderr, "cannot convert to Shift-JIS near: %.40s\n", in);
        std::exit(1);
    }
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

void convertText(const fs::path& source, const fs::path& target) {
    std::ifstream in(source);
    std::string line, text;
    while (std::getline(in, line)) {
        text += line + "\r\n";
    }
    const std::string sjis = toShiftJis(text);
    writeFile(target, std::vector<std::uint8_t>(sjis.begin(), sjis.end()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_demo_assets STORY_SOURCE_DIR DEMO_DIR\n");
        return 2;
    }
    const fs::path source = argv[1];
    const fs::path demo = argv[2];
    std::printf("pictures:\n");
    writePng(demo / "cg" / "sky.png", skyAtDusk());
    writeJpeg(demo / "cg" / "library.jpg", libraryAtNight(), 85);
    writeTga(demo / "cg" / "desk.tga", deskMemory());
    corridor(demo / "cg" / "corridor.bmp");
    moonWithMask(demo / "cg" / "moon.png", demo / "cg" / "moon-m.png");
    messageWindow(demo / "cg" / "playwindow.bmp", demo / "cg" / "playwindow-m.bmp");
    std::printf("sounds:\n");
    writeWav(demo / "wave" / "page.wav", click(1800, 0.09, 3));
    writeWav(demo / "wave" / "tick.wav", click(2400, 0.06, 4));
    writeWav(demo / "wave" / "tock.wav", click(1500, 0.06, 6));
    writeWav(demo / "wave" / "bell1.wav", bell(523.25, 1.4));
    writeWav(demo / "wave" / "bell2.wav", bell(659.25, 1.4));
    writeWav(demo / "wave" / "bell3.wav", bell(783.99, 1.8));
    writeWav(demo / "wave" / "rain.wav", rain(4.25));
    writeWav(demo / "wave" / "night.wav", music());
    std::printf("scripts:\n");
    convertText(source / "Game.INI", demo / "Game.INI");
    for (const auto& entry : fs::directory_iterator(source / "script")) {
        convertText(entry.path(), demo / "script" / entry.path().filename());
    }
    for (const auto& entry : fs::directory_iterator(source / "wave")) {
        convertText(entry.path(), demo / "wave" / entry.path().filename());
    }
    return 0;
}
