#include "script_engine/check/media_check.h"

#include <memory>
#include <optional>

#include "common/file_buffer.h"
#include "graphics/image_decoder.h"
#include "graphics/texture_loader.h"
#include "script_engine/check/picture_size.h"
#include "script_engine/check/sequence_check.h"
#include "script_engine/wao_sequence.h"
#include "sound/sound_layer.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

const char* formatName(std::uint32_t format) {
    switch (format) {
        case ImageFormatBmp:
            return "a bitmap";
        case ImageFormatJpg:
            return "a JPEG file";
        case ImageFormatTga:
            return "a Targa file";
        case ImageFormatPng:
            return "a PNG file";
        case ImageFormatDds:
            return "a DirectDraw surface";
        case ImageFormatPpm:
            return "a portable any-map";
        case ImageFormatDib:
            return "a bitmap without file header";
        case ImageFormatHdr:
            return "a Radiance picture";
        case ImageFormatPfm:
            return "a portable float map";
    }
    return "a picture";
}

// Why the decoders refuse a picture file.
std::string pictureRefusal(const GamePath& path) {
    FileBuffer bytes;
    if (!loadWholeFile(bytes, path)) {
        return "it cannot be read";
    }
    ImageInfo info;
    if (failed(readImageInfo(bytes.data.get(), static_cast<std::uint32_t>(bytes.size), info))) {
        if (const std::optional<DeclaredSize> declared =
                declaredPictureSize(bytes.data.get(), static_cast<std::size_t>(bytes.size));
            declared && !isTextureSizeAllowed(declared->width, declared->height)) {
            return "it is a picture of " + std::to_string(declared->width) + "x" +
                   std::to_string(declared->height) + " pixels, more than the " +
                   pictureSizeLimit() + " a picture may have";
        }
        return "no picture reader identifies it, and the second-chance decoder cannot read it";
    }
    std::string reason = std::string("it is ") + formatName(info.fileFormat);
    if (!isTextureSizeAllowed(info.width, info.height)) {
        return reason + " of " + std::to_string(info.width) + "x" + std::to_string(info.height) +
               " pixels, more than the " + pictureSizeLimit() + " a picture may have";
    }
    return reason + " whose data cannot be decoded";
}

// The file a name refers to, noting a forgiven name; nothing when it is missing.
std::optional<fs::path> findNamed(CheckRun& run, std::string_view subfolder, std::string_view name,
                                  const std::string& file, std::int32_t line) {
    std::optional<fs::path> found = resolveGameFile(run.gamePath(subfolder, name));
    if (found) {
        run.noteForgivenName(subfolder, name, *found, file, line);
    }
    return found;
}

// True the first time a file is met.
bool firstLook(CheckRun& run, const fs::path& found) {
    return run.mediaChecked.emplace(found, true).second;
}

// What the decoders made of a picture, and why they refused it.
struct PictureVerdict {
    PictureFault fault = PictureFault::None;
    std::string refusal;
};

// Why the sound file `found` (named as `path`) is refused: left by the workers, which read the
// file the first time it is asked about.
std::shared_ptr<std::optional<std::string>> soundRefusal(CheckRun& run, const fs::path& found,
                                                         const GamePath& path) {
    auto [entry, added] = run.soundRefusals.try_emplace(found);
    if (added) {
        entry->second = std::make_shared<std::optional<std::string>>();
        run.onWorkers([refusal = entry->second, path] { *refusal = SoundRefusal(path); });
    }
    return entry->second;
}

}  // namespace

void checkPicture(CheckRun& run, std::string_view name, const std::string& file,
                  std::int32_t line) {
    const std::optional<fs::path> found = findNamed(run, "cg", name, file, line);
    if (!found || !firstLook(run, *found)) {
        return;
    }
    const GamePath path = run.gamePath("cg", name);
    auto verdict = std::make_shared<PictureVerdict>();
    run.onWorkers([verdict, path] {
        TextureSlot picture;
        verdict->fault = decodeMaskedTexture(path, picture);
        if (verdict->fault == PictureFault::Mask) {
            verdict->refusal = pictureRefusal(*maskPathFor(path));
        } else if (verdict->fault != PictureFault::None) {
            verdict->refusal = pictureRefusal(path);
        }
    });
    run.later([&run, verdict, path, found = *found, file, line] {
        switch (verdict->fault) {
            case PictureFault::None:
                return;
            case PictureFault::Unreadable:
            case PictureFault::Picture:
                run.report(file, line, "bad-picture",
                           "picture '" + run.displayName(found) + "' cannot be shown: " +
                               verdict->refusal + "; the line is shown as a page of text");
                return;
            case PictureFault::Mask: {
                const GamePath mask = *maskPathFor(path);
                const std::optional<fs::path> maskFile = resolveGameFile(mask);
                run.report(file, line, "bad-mask",
                           "mask " +
                               (maskFile ? "'" + run.displayName(*maskFile) + "'"
                                         : quotedText(mask.name)) +
                               " of picture '" + run.displayName(found) + "' cannot be used: " +
                               verdict->refusal + "; the line is shown as a page of text");
                return;
            }
        }
    });
}

void checkSound(CheckRun& run, std::string_view name, const std::string& file, std::int32_t line) {
    const std::optional<fs::path> found = findNamed(run, "wave", name, file, line);
    if (!found || !firstLook(run, *found)) {
        return;
    }
    run.later([&run, refusal = soundRefusal(run, *found, run.gamePath("wave", name)),
               found = *found, file, line] {
        if (*refusal) {
            run.report(file, line, "bad-sound",
                       "sound '" + run.displayName(found) + "' cannot be played: " + **refusal +
                           "; the line is shown as a page of text");
        }
    });
}

void checkSequence(CheckRun& run, std::string_view name, const std::string& file,
                   std::int32_t line) {
    const std::optional<fs::path> found = findNamed(run, "wave", name, file, line);
    if (!found || !firstLook(run, *found)) {
        return;
    }
    FileBuffer bytes;
    if (!loadWholeFile(bytes, *found, kMaxTextFileBytes)) {
        run.report(file, line, "bad-sequence",
                   "sequence '" + run.displayName(*found) +
                       "' cannot be read; the line is shown as a page of text");
        return;
    }
    const std::string sequence = run.displayName(*found);
    checkSequenceLines(run, bytes, sequence);
    for (const WaoStep& step : parseWaoSequence(bytes)) {
        if (step.isWait) {
            if (!step.seconds) {
                run.report(sequence, step.fileLine, "bad-sequence",
                           "the number of seconds of this wait cannot be read; it waits 0 seconds");
            }
            continue;
        }
        const std::optional<fs::path> sound =
            findNamed(run, "wave", step.sound, sequence, step.fileLine);
        if (!sound) {
            run.report(sequence, step.fileLine, "bad-sequence",
                       "no sound " + quotedText(step.sound) + " in wave/" +
                           run.suggestion("wave", step.sound) + "; the sequence leaves it out");
        } else {
            run.later([&run, refusal = soundRefusal(run, *sound, run.gamePath("wave", step.sound)),
                       sound = *sound, sequence, at = step.fileLine] {
                if (*refusal) {
                    run.report(sequence, at, "bad-sequence",
                               "sound '" + run.displayName(sound) + "' cannot be played: " +
                                   **refusal + "; the sequence leaves it out");
                }
            });
        }
    }
}

void checkWindowPicture(CheckRun& run) {
    const GamePath path = run.gamePath("cg", "playwindow.bmp");
    TextureSlot picture;
    const PictureFault fault = decodeMaskedTexture(path, picture);
    if (fault == PictureFault::Unreadable) {
        run.report("cg/playwindow.bmp", 1, "no-window-picture",
                   "the message window picture cg/playwindow.bmp is missing: pages are drawn "
                   "without a window behind them");
    } else if (fault != PictureFault::None) {
        const GamePath broken = fault == PictureFault::Mask ? *maskPathFor(path) : path;
        run.report("cg/playwindow.bmp", 1, "no-window-picture",
                   "the message window picture cannot be used (" + pictureRefusal(broken) +
                       "): pages are drawn without a window behind them");
    }
}

}  // namespace tsuzuri
