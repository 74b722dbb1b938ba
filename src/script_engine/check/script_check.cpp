#include "script_engine/check/script_check.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "common/file_buffer.h"
#include "common/shift_jis.h"
#include "graphics/text_layout.h"
#include "script_engine/check/byte_check.h"
#include "script_engine/check/flow_check.h"
#include "script_engine/check/keyword_form.h"
#include "script_engine/check/media_check.h"
#include "script_engine/check/near_names.h"
#include "script_engine/choices.h"
#include "script_engine/script_file.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

struct Line {
    ScriptLine line;
    std::string_view raw;  // its bytes in the file, before the cut, without the line end
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
        line.raw = std::string_view(reinterpret_cast<const char*>(data) + start,
                                    static_cast<std::size_t>(end - start - (pair ? 2 : 0)));
        lines.push_back(std::move(line));
    }
    return lines;
}

// The names of a script's labels, and those its jumps and menu entries lead to, with width and
// case folded away.
struct FoldedNames {
    std::set<std::string> labels;
    std::set<std::string> targets;
};

FoldedNames foldedNames(const std::vector<Line>& lines) {
    FoldedNames names;
    for (const Line& entry : lines) {
        const ScriptLine& line = entry.line;
        if (line.kind == Label) {
            names.labels.insert(keywordForm(std::string_view(line.text).substr(2)));
        } else if (line.kind == Jump) {
            names.targets.insert(keywordForm(std::string_view(line.text).substr(1)));
        } else if (line.kind == Choices) {
            const ChoiceMenu menu = parseChoiceLine(line.text);
            for (std::int32_t j = 0; j < menu.count; ++j) {
                if (menu.label[j]) {
                    names.targets.insert(keywordForm(*menu.label[j]));
                }
            }
        }
    }
    return names;
}

// The command a page of text is in its plain form (width and case folded away): a keyword, a
// menu, or a label or jump the player would take if written in half-width letters. A label is
// taken for one only when something leads to its name, a jump only when the label is there (a
// page may well begin with a yen sign).
std::optional<std::string> commandMeant(const std::string& form, const FoldedNames& names) {
    static constexpr std::string_view kKeywords[] = {"flash", "StopBGM", "StopLoopSE",
                                                     "StopLoopWao"};
    for (const std::string_view keyword : kKeywords) {
        std::string folded(keyword);
        std::transform(folded.begin(), folded.end(), folded.begin(), [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        });
        if (form == folded) {
            return std::string(keyword);
        }
    }
    if (form.starts_with("choices") && form.find("||") != std::string::npos) {
        return "choices";
    }
    if (form.starts_with("\\\\") && names.targets.count(form.substr(2)) != 0) {
        return form;
    }
    if (form.starts_with("\\") && !form.starts_with("\\\\") &&
        names.labels.count(form.substr(1)) != 0) {
        return form;
    }
    return std::nullopt;
}

// Answers whether the page is taken for a keyword.
bool checkKeyword(CheckRun& run, const std::string& file, const ScriptLine& line,
                  const FoldedNames& names) {
    const std::string_view text = line.text;
    const std::string form = keywordForm(text);
    if (const std::optional<std::string> meant = commandMeant(form, names)) {
        const bool wide = std::any_of(text.begin(), text.end(),
                                      [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        run.report(file, line.fileLine, "unknown-keyword",
                   quotedText(text) + " is shown as a page of text; did you mean '" + *meant +
                       "'? (" +
                       (wide ? "written in full-width characters" : "written in other case") +
                       ", it is not taken)");
        return true;
    }
    if (const char* keyword = nearKeyword(form)) {
        run.reportAt(
            file, line.fileLine, 1, "unknown-keyword",
            quotedText(text) + " is shown as a page of text; did you mean '" + keyword + "'?",
            Severity::Warning);
        return true;
    }
    return false;
}

// A page of text that looks like a file reference: a prefix, or the ending of a file the
// player uses.
void checkFileLike(CheckRun& run, const std::string& file, const ScriptLine& line) {
    const std::string_view text = line.text;
    std::string_view trimmed = text;
    while (!trimmed.empty() && trimmed.back() == ' ') {
        trimmed.remove_suffix(1);
    }
    std::string lower(trimmed.substr(trimmed.size() - std::min<std::size_t>(trimmed.size(), 5)));
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    auto endsIn = [&lower](std::initializer_list<std::string_view> endings) {
        return std::any_of(endings.begin(), endings.end(),
                           [&lower](std::string_view e) { return lower.ends_with(e); });
    };
    const bool prefixed = text.size() > 1 && (text[0] == '#' || text[0] == '*' || text[0] == '$');
    const char* folder = nullptr;
    if (prefixed || endsIn({".wav", ".wao"})) {
        folder = "wave";
    } else if (endsIn({".bmp", ".png", ".jpg", ".jpeg", ".tga", ".dds", ".ppm", ".pgm", ".pbm",
                       ".pnm", ".pfm", ".hdr", ".gif"})) {
        folder = "cg";
    } else if (endsIn({".txt"})) {
        folder = "script";
    }
    if (folder == nullptr) {
        return;
    }
    const std::string_view name = prefixed ? trimmed.substr(1) : trimmed;
    const bool exists = gameFileExists(run.gamePath(folder, name));
    if (!prefixed && exists && trimmed.size() < text.size() &&
        (trimmed.ends_with(".wav") || trimmed.ends_with(".wao"))) {
        run.reportAt(file, line.fileLine, columnAt(text, trimmed.size()), "unknown-file",
                     quotedText(text) +
                         " is shown as a page of text: the blank after the name keeps it from "
                         "being played (after a picture's name a blank is forgiven)");
        return;
    }
    std::string why;
    if (text.size() <= 4) {
        why = "a line of 4 bytes or fewer never names a file";
    } else if (exists) {
        why = std::string(folder) +
              "/ has it, but only names ending in \".wav\" or \".wao\" (in small letters) are "
              "played";
    } else {
        why = "no such file in " + std::string(folder) + "/" + run.suggestion(folder, name);
    }
    run.report(file, line.fileLine, "unknown-file",
               quotedText(text) + " is shown as a page of text: " + why);
}

// Keywords, file names and layout of a page of text.
void checkText(CheckRun& run, const std::string& file, const ScriptLine& line,
               const FoldedNames& names) {
    const std::string_view text = line.text;
    if (namesFileOutsideGame(text)) {
        run.report(file, line.fileLine, "outside-game",
                   quotedText(text) +
                       " is shown as a page of text: it names a file outside the game folder, "
                       "which the player never reads");
    } else if (!checkKeyword(run, file, line, names) && !text.empty()) {
        checkFileLike(run, file, line);
    }
    const std::size_t shown = layoutTextPage(text, [](const PlacedGlyph&) {});
    if (shown < text.size()) {
        run.reportAt(
            file, line.fileLine, columnAt(text, shown), "page-overflow",
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
        const bool wideBars = keywordForm(line.text).find("||") != std::string::npos;
        run.reportAt(file, at, 1, "menu",
                     std::string("the menu has no entries (\"||\")") +
                         (wideBars ? "; its bars are full-width" : "") + ": the story cannot go on",
                     Severity::Error);
    }
    if (menu.dropped > 0) {
        run.reportAt(file, at, 1, "menu",
                     "the menu has " + std::to_string(menu.count + menu.dropped) +
                         " entries; only the first three are offered",
                     Severity::Error);
    }
    std::size_t menuBytes = 0;
    for (std::int32_t j = 0; j < menu.count; ++j) {
        const std::string entry =
            "entry " + std::to_string(j + 1) + " " + quotedText(menu.shown[j]);
        menuBytes += menu.shown[j].size() + 2;
        if (!menu.label[j]) {
            // A full-width yen sign or backslash where the label's backslash belongs.
            const bool wideBackslash = keywordForm(menu.shown[j]).find('\\') != std::string::npos;
            run.reportAt(file, at, 1, "menu",
                         entry + " names no label" +
                             (wideBackslash ? " (its backslash is full-width)" : "") +
                             ": picking it goes on with the next line",
                         wideBackslash ? Severity::Error : Severity::Warning);
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
        run.reportAt(file, at, 1, "menu",
                     "the menu text is " + std::to_string(menuBytes) + " bytes; only " +
                         std::to_string(kMenuTextBytes - 1) + " are shown",
                     Severity::Error);
    }
}

// `// check: ignore CODE[,CODE]` leaves those codes out at the next line.
void noteSuppressions(CheckRun& run, const std::string& file, const std::vector<Line>& lines) {
    constexpr std::string_view kMark = "// check: ignore ";
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        const std::string_view text = lines[i].line.text;
        if (!text.starts_with(kMark)) {
            continue;
        }
        std::vector<std::string>& codes = run.suppressed[file][lines[i + 1].line.fileLine];
        std::string_view rest = text.substr(kMark.size());
        while (!rest.empty()) {
            const std::size_t comma = std::min(rest.find(','), rest.size());
            std::string_view code = rest.substr(0, comma);
            code.remove_prefix(std::min(code.find_first_not_of(' '), code.size()));
            code = code.substr(0, code.find(' '));
            if (!code.empty()) {
                codes.emplace_back(code);
            }
            rest.remove_prefix(std::min(comma + 1, rest.size()));
        }
    }
}

// The line's length, what the player cuts of it and whether its bytes are Shift-JIS (all of
// them: a cut inside a character is not a fault of the text).
void checkLineBytes(CheckRun& run, const std::string& file, const Line& entry, bool otherEncoding) {
    const ScriptLine& line = entry.line;
    if (entry.raw.size() > static_cast<std::size_t>(kMaxLineBytes)) {
        run.reportAt(file, line.fileLine, columnAt(entry.raw, kMaxLineBytes), "long-line",
                     "the line is " + std::to_string(entry.raw.size()) +
                         " bytes; the player reads " + std::to_string(kMaxLineBytes) +
                         " and drops the rest from here");
    }
    const std::string_view text = entry.raw.substr(0, entry.raw.find('\0'));
    if (!otherEncoding && !sjisToUtf8Strict(text)) {
        // The first character that is not Shift-JIS (the encoding keeps no state between
        // characters, so each is judged alone).
        std::size_t at = 0;
        for (std::size_t length = 1; at < text.size(); at += length) {
            length =
                isLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
            if (!sjisToUtf8Strict(text.substr(at, length))) {
                break;
            }
        }
        run.reportAt(file, line.fileLine, columnAt(text, at), "encoding",
                     "the line holds bytes that are not Shift-JIS");
    }
}

}  // namespace

ScriptOutcome checkScript(CheckRun& run, const fs::path& path) {
    ScriptOutcome outcome;
    const std::string file = run.displayName(path);
    FileBuffer buffer;
    if (!loadWholeFile(buffer, path, kMaxTextFileBytes)) {
        run.report(file, 1, "settings", "the script cannot be read");
        return outcome;
    }
    std::vector<Line> lines = readLines(run.gameFolder, buffer);
    noteSuppressions(run, file, lines);
    const bool otherEncoding =
        checkBytes(run, file,
                   std::string_view(reinterpret_cast<const char*>(buffer.data.get()),
                                    static_cast<std::size_t>(buffer.size)));
    outcome.empty = std::all_of(lines.begin(), lines.end(),
                                [](const Line& entry) { return entry.line.kind == Comment; });

    Labels labels;
    const FoldedNames names = foldedNames(lines);
    for (const Line& entry : lines) {
        const ScriptLine& line = entry.line;
        checkLineBytes(run, file, entry, otherEncoding);
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

    std::vector<const ScriptLine*> flow;
    std::vector<std::optional<fs::path>> targets;  // each line's NextScript file
    for (const Line& entry : lines) {
        const ScriptLine& line = entry.line;
        const std::string_view text = line.text.c_str();
        flow.push_back(&line);
        targets.emplace_back();
        switch (line.kind) {
            case Text:
                checkText(run, file, line, names);
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
                    outcome.links.push_back({*script, line.fileLine});
                    targets.back() = *script;
                } else {
                    run.report(file, line.fileLine, "outside-game",
                               quotedText(text) +
                                   " leads outside the game folder through a symbolic link, "
                                   "which the player never reads: the line is shown as a page "
                                   "of text");
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
    if (const std::optional<std::size_t> straight = checkJumpCycles(run, file, flow);
        straight && targets[*straight]) {
        outcome.straightOn = ScriptLink{*targets[*straight], flow[*straight]->fileLine};
    }
    return outcome;
}

}  // namespace tsuzuri
