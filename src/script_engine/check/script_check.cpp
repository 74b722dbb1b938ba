#include "script_engine/check/script_check.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "common/file_buffer.h"
#include "common/shift_jis.h"
#include "graphics/text_layout.h"
#include "script_engine/check/media_check.h"
#include "script_engine/check/near_names.h"
#include "script_engine/choices.h"
#include "script_engine/script_file.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

struct Line {
    ScriptLine line;
    std::int32_t bytes = 0;  // its length in the file, before the cut
};

// The lines of a script as the player stores them (classified by the files of the game in
// `gameFolder`), with their file lines and full lengths.
std::vector<Line> readLines(const fs::path& gameFolder, FileBuffer& buffer) {
    std::vector<Line> lines;
    FileLineCounter fileLines;
    while (buffer.readPos < buffer.size) {
        const std::int32_t start = buffer.readPos;
        char text[kMaxLineBytes + 1] = {};
        if (readScriptLine(buffer, text) == 0) {
            continue;
        }
        Line line;
        line.line.text = text;
        line.line.kind = classifyLine(gameFolder, line.line.text);
        line.line.fileLine = fileLines.lineAt(buffer, start);
        // What the line end (a CR LF or LF CR pair) took, when one ended it.
        const std::uint8_t* data = buffer.data.get();
        const std::int32_t end = buffer.readPos;
        const bool pair = end - start >= 2 && ((data[end - 2] == 0x0D && data[end - 1] == 0x0A) ||
                                               (data[end - 2] == 0x0A && data[end - 1] == 0x0D));
        line.bytes = end - start - (pair ? 2 : 0);
        lines.push_back(std::move(line));
    }
    return lines;
}

// Line ends the reader does not take, and text that is not Shift-JIS, for the whole file.
// Answers whether the file is UTF-8 (then its lines are not judged one by one).
bool checkBytes(CheckRun& run, const std::string& file, const FileBuffer& buffer) {
    const std::string_view bytes(reinterpret_cast<const char*>(buffer.data.get()),
                                 static_cast<std::size_t>(buffer.size));
    bool pair = false;
    bool lone = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') {
            continue;
        }
        if (i + 1 < bytes.size() && (bytes[i + 1] == '\r' || bytes[i + 1] == '\n') &&
            bytes[i + 1] != bytes[i]) {
            pair = true;
            ++i;
        } else {
            lone = true;
        }
    }
    if (lone && !pair) {
        run.report(file, 1, "line-ends",
                   "the file's lines end in a lone LF or CR, not CR LF: the player reads the "
                   "whole file as one line");
    }
    const bool bom = bytes.substr(0, 3) == "\xEF\xBB\xBF";
    const bool multiByte = std::any_of(
        bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (bom || (multiByte && isValidUtf8(bytes))) {
        run.report(file, 1, "encoding",
                   "the file is UTF-8; the player reads scripts as Shift-JIS, so its text is "
                   "garbled");
        return true;
    }
    return false;
}

// Keywords, file names and layout of a page of text.
void checkText(CheckRun& run, const std::string& file, const ScriptLine& line) {
    const std::string_view text = line.text.c_str();
    if (const char* keyword = nearKeyword(text)) {
        run.report(
            file, line.fileLine, "unknown-keyword",
            quotedText(text) + " is shown as a page of text; did you mean '" + keyword + "'?");
    } else if (!text.empty()) {
        // Lines that look like a file reference: a prefix, or the ending of a file the player uses.
        std::string lower(text.substr(text.size() - std::min<std::size_t>(text.size(), 5)));
        std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        });
        auto endsIn = [&lower](std::initializer_list<std::string_view> endings) {
            return std::any_of(endings.begin(), endings.end(),
                               [&lower](std::string_view e) { return lower.ends_with(e); });
        };
        const bool prefixed =
            text.size() > 1 && (text[0] == '#' || text[0] == '*' || text[0] == '$');
        const char* folder = nullptr;
        if (prefixed || endsIn({".wav", ".wao"})) {
            folder = "wave";
        } else if (endsIn({".bmp", ".png", ".jpg", ".jpeg", ".tga", ".dds", ".ppm", ".pgm", ".pbm",
                           ".pnm", ".pfm", ".hdr", ".gif"})) {
            folder = "cg";
        } else if (endsIn({".txt"})) {
            folder = "script";
        }
        if (folder != nullptr) {
            const std::string_view name = prefixed ? text.substr(1) : text;
            std::string why;
            if (text.size() <= 4) {
                why = "a line of 4 bytes or fewer never names a file";
            } else if (gameFileExists(run.gamePath(folder, name))) {
                why = std::string(folder) +
                      "/ has it, but only names ending in \".wav\" or "
                      "\".wao\" (in small letters) are played";
            } else {
                why = "no such file in " + std::string(folder) + "/" + run.suggestion(folder, name);
            }
            run.report(file, line.fileLine, "unknown-file",
                       quotedText(text) + " is shown as a page of text: " + why);
        }
    }
    const std::size_t shown = layoutTextPage(text, [](const PlacedGlyph&) {});
    if (shown < text.size()) {
        run.report(
            file, line.fileLine, "page-overflow",
            "the page needs more than three lines; not shown: " + quotedText(text.substr(shown)));
    }
}

struct Labels {
    std::map<std::string, std::int32_t> first;  // name -> file line of its first Label line
    std::set<std::string> used;
    // The names of `first` as UTF-8, indexed when the first missing label is looked up (all
    // labels are known by then).
    std::optional<NameIndex> near;
};

// " (did you mean 'x'?)" for the labels of the script near a missing one, or nothing.
std::string labelSuggestion(Labels& labels, const std::string& name) {
    if (!labels.near) {
        std::vector<std::string> names;
        for (const auto& entry : labels.first) {
            names.push_back(sjisToUtf8ForDisplay(entry.first));
        }
        labels.near.emplace(std::move(names));
    }
    const std::vector<std::string> near = labels.near->nearest(sjisToUtf8ForDisplay(name));
    return near.empty() ? std::string() : " (did you mean '" + near.front() + "'?)";
}

// Whether the label exists; marks it used.
bool useLabel(Labels& labels, const std::string& name) {
    if (labels.first.count(name) == 0) {
        return false;
    }
    labels.used.insert(name);
    return true;
}

void checkMenu(CheckRun& run, const std::string& file, const ScriptLine& line, Labels& labels) {
    const ChoiceMenu menu = parseChoiceLine(line.text.c_str());
    const std::int32_t at = line.fileLine;
    if (menu.count == 0) {
        run.report(file, at, "menu", "the menu has no entries (\"||\"): the story cannot go on");
    }
    if (menu.dropped > 0) {
        run.report(file, at, "menu",
                   "the menu has " + std::to_string(menu.count + menu.dropped) +
                       " entries; only the first three are offered");
    }
    std::size_t menuBytes = 0;
    for (std::int32_t j = 0; j < menu.count; ++j) {
        const std::string entry =
            "entry " + std::to_string(j + 1) + " " + quotedText(menu.shown[j]);
        menuBytes += menu.shown[j].size() + 2;
        if (!menu.label[j]) {
            run.report(file, at, "menu",
                       entry + " names no label: picking it goes on with the next line");
        } else if (!useLabel(labels, *menu.label[j])) {
            run.report(file, at, "missing-label",
                       entry + " leads to label " + quotedText(*menu.label[j]) +
                           ", which this script does not have" +
                           labelSuggestion(labels, *menu.label[j]) +
                           ": picking it goes on with the next line");
        }
        bool wraps = false;
        layoutTextPage(menu.shown[j], [&wraps](const PlacedGlyph& glyph) {
            wraps = wraps || glyph.y != kTextOriginY;
        });
        if (wraps) {
            run.report(file, at, "menu", entry + " is wider than one text line");
        }
    }
    if (menuBytes > kMenuTextBytes - 1) {
        run.report(file, at, "menu",
                   "the menu text is " + std::to_string(menuBytes) + " bytes; only " +
                       std::to_string(kMenuTextBytes - 1) + " are shown");
    }
}

}  // namespace

std::vector<fs::path> checkScript(CheckRun& run, const fs::path& path) {
    std::vector<fs::path> next;
    const std::string file = run.displayName(path);
    FileBuffer buffer;
    if (!loadWholeFile(buffer, path, kMaxTextFileBytes)) {
        run.report(file, 1, "settings", "the script cannot be read");
        return next;
    }
    const bool utf8 = checkBytes(run, file, buffer);
    std::vector<Line> lines = readLines(run.gameFolder, buffer);

    Labels labels;
    for (const Line& entry : lines) {
        const ScriptLine& line = entry.line;
        if (entry.bytes > kMaxLineBytes) {
            run.report(file, line.fileLine, "long-line",
                       "the line is " + std::to_string(entry.bytes) + " bytes; the player reads " +
                           std::to_string(kMaxLineBytes) + " and drops the rest");
        }
        if (!utf8 && !sjisToUtf8Strict(line.text.c_str())) {
            run.report(file, line.fileLine, "encoding",
                       "the line holds bytes that are not Shift-JIS");
        }
        if (line.kind != Label) {
            continue;
        }
        const std::string name = line.text.c_str() + 2;
        if (auto [found, added] = labels.first.emplace(name, line.fileLine); !added) {
            run.report(file, line.fileLine, "duplicate-label",
                       "label " + quotedText(name) + " is already on line " +
                           std::to_string(found->second) + ", which every jump to it takes");
        }
    }

    for (const Line& entry : lines) {
        const ScriptLine& line = entry.line;
        const std::string_view text = line.text.c_str();
        switch (line.kind) {
            case Text:
                checkText(run, file, line);
                break;
            case Choices:
                checkMenu(run, file, line, labels);
                break;
            case Jump:
                if (!useLabel(labels, std::string(text.substr(1)))) {
                    run.report(file, line.fileLine, "missing-label",
                               "no label " + quotedText(text.substr(1)) + " in this script" +
                                   labelSuggestion(labels, std::string(text.substr(1))) +
                                   ": the jump goes on with the next line");
                }
                break;
            case Image:
                checkPicture(run, text, file, line.fileLine);
                break;
            case SE:
                checkSound(run, text, file, line.fileLine);
                break;
            case LoopSE:
            case BGM:
                checkSound(run, text.substr(1), file, line.fileLine);
                break;
            case Wao:
                checkSequence(run, text, file, line.fileLine);
                break;
            case LoopWao:
                checkSequence(run, text.substr(1), file, line.fileLine);
                break;
            case NextScript:
                if (std::optional<fs::path> script =
                        resolveGameFile(run.gamePath("script", text))) {
                    run.noteForgivenName("script", text, *script, file, line.fileLine);
                    next.push_back(*script);
                }
                break;
            default:
                break;
        }
    }
    for (const auto& [name, fileLine] : labels.first) {
        if (labels.used.count(name) == 0) {
            run.report(file, fileLine, "unused-label",
                       "no jump or menu of this script leads to label " + quotedText(name));
        }
    }
    return next;
}

}  // namespace tsuzuri
