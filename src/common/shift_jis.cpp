#include "common/shift_jis.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <mutex>

namespace tsuzuri {
namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

constexpr bool isTrailByte(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// One converter per direction for the process; iconv descriptors carry state, so calls are
// serialised.
struct Converter {
    iconv_t handle = reinterpret_cast<iconv_t>(-1);
    std::mutex mutex;

    Converter(const char* to, const char* from) { handle = iconv_open(to, from); }
    ~Converter() {
        if (handle != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(handle);
        }
    }
};

Converter& converter() {
    static Converter instance("UTF-8", "CP932");
    return instance;
}

Converter& toSjisConverter() {
    static Converter instance("CP932", "UTF-8");
    return instance;
}

// Bytes in a UTF-8 sequence that starts with `lead`; 1 for a byte that starts none.
size_t utf8SequenceLength(unsigned char lead) {
    return (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 1;
}

// Converts `sjis`; on an invalid or incomplete sequence either gives up (strict) or emits
// U+FFFD and skips one byte, or both bytes of a two-byte character whose trail is invalid.
std::optional<std::string> convert(std::string_view sjis, bool strict) {
    // Plain ASCII reads the same in both encodings; most names and many pages are just that.
    if (std::all_of(sjis.begin(), sjis.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return std::string(sjis);
    }
    Converter& conv = converter();
    std::lock_guard lock(conv.mutex);
    if (conv.handle == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    iconv(conv.handle, nullptr, nullptr, nullptr, nullptr);

    std::string out;
    out.reserve(sjis.size() * 3 / 2 + 4);
    char chunk[256];
    char* in = const_cast<char*>(sjis.data());
    size_t inLeft = sjis.size();
    while (inLeft > 0) {
        char* outPtr = chunk;
        size_t outLeft = sizeof chunk;
        size_t result = iconv(conv.handle, &in, &inLeft, &outPtr, &outLeft);
        out.append(chunk, static_cast<size_t>(outPtr - chunk));
        if (result != static_cast<size_t>(-1)) {
            continue;
        }
        if (errno == E2BIG) {
            continue;
        }
        // EILSEQ or EINVAL: an invalid or cut-off sequence at `in`.
        if (strict) {
            return std::nullopt;
        }
        out.append(kReplacementCharacter);
        unsigned char first = static_cast<unsigned char>(*in);
        size_t skip = 1;
        if (isLeadByte(first) && inLeft >= 2 && isTrailByte(static_cast<unsigned char>(in[1]))) {
            skip = 2;
        }
        in += skip;
        inLeft -= skip;
        iconv(conv.handle, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

}  // namespace

std::string sjisToUtf8ForDisplay(std::string_view sjis) {
    std::optional<std::string> text = convert(sjis, false);
    if (!text) {
        // No converter at all: keep ASCII, replace everything else.
        std::string fallback;
        for (char c : sjis) {
            if (static_cast<unsigned char>(c) < 0x80) {
                fallback += c;
            } else {
                fallback.append(kReplacementCharacter);
            }
        }
        return fallback;
    }
    return *text;
}

std::optional<std::string> sjisToUtf8Strict(std::string_view sjis) {
    return convert(sjis, true);
}

bool isValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        const size_t length = utf8SequenceLength(lead);
        if (length == 1 || i + length > text.size()) {
            return false;
        }
        char32_t code = lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            const auto byte = static_cast<unsigned char>(text[i + k]);
            if ((byte & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (byte & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
        constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string utf8ToSjisForDisplay(std::string_view utf8) {
    Converter& conv = toSjisConverter();
    std::lock_guard lock(conv.mutex);
    std::string out;
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    if (conv.handle == reinterpret_cast<iconv_t>(-1)) {
        inLeft = 0;
    } else {
        iconv(conv.handle, nullptr, nullptr, nullptr, nullptr);
    }
    char chunk[256];
    while (inLeft > 0) {
        char* outPtr = chunk;
        size_t outLeft = sizeof chunk;
        const size_t result = iconv(conv.handle, &in, &inLeft, &outPtr, &outLeft);
        out.append(chunk, static_cast<size_t>(outPtr - chunk));
        if (result != static_cast<size_t>(-1) || errno == E2BIG) {
            continue;
        }
        // A character Shift-JIS lacks, or a broken sequence: one '?' for it.
        out += '?';
        const size_t skip = std::min(inLeft, utf8SequenceLength(static_cast<unsigned char>(*in)));
        in += skip;
        inLeft -= skip;
        iconv(conv.handle, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

std::string fileNameToSjis(std::string_view name) {
    return isValidUtf8(name) ? utf8ToSjisForDisplay(name) : std::string(name);
}

std::optional<char32_t> sjisCharToCodePoint(std::string_view character) {
    std::optional<std::string> utf8 = convert(character, true);
    if (!utf8 || utf8->empty()) {
        return std::nullopt;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8->data());
    const size_t size = utf8->size();
    if (bytes[0] < 0x80) {
        return size == 1 ? std::optional<char32_t>(bytes[0]) : std::nullopt;
    }
    const size_t length = (bytes[0] & 0xE0) == 0xC0 ? 2 : (bytes[0] & 0xF0) == 0xE0 ? 3 : 4;
    if (size != length) {
        return std::nullopt;  // more than one character: not a single code
    }
    char32_t code = bytes[0] & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        code = (code << 6) | (bytes[i] & 0x3F);
    }
    return code;
}

}  // namespace tsuzuri
