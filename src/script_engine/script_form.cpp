#include "script_engine/script_form.h"

#include "common/shift_jis.h"

namespace tsuzuri {
namespace {

const char* lineEndsName(ScriptForm::LineEnds ends) {
    switch (ends) {
        case ScriptForm::LineEnds::CrLf:
            return "CR LF";
        case ScriptForm::LineEnds::Lf:
            return "LF alone";
        case ScriptForm::LineEnds::Cr:
            return "CR alone";
        default:
            return "nothing";
    }
}

const char* encodingName(ScriptForm::Encoding encoding) {
    switch (encoding) {
        case ScriptForm::Encoding::Utf8:
            return "UTF-8";
        case ScriptForm::Encoding::Utf16:
            return "UTF-16";
        default:
            return "Shift-JIS";
    }
}

}  // namespace

ScriptForm scriptFormOf(std::string_view bytes) {
    ScriptForm form;
    const std::size_t end = bytes.find_first_of("\r\n");
    if (end != std::string_view::npos) {
        form.lineEnds = bytes[end] == '\n' ? ScriptForm::LineEnds::Lf
                        : end + 1 < bytes.size() && bytes[end + 1] == '\n'
                            ? ScriptForm::LineEnds::CrLf
                            : ScriptForm::LineEnds::Cr;
    }
    const auto starts = [bytes](std::string_view mark) {
        return bytes.substr(0, mark.size()) == mark;
    };
    bool nonAscii = false;
    for (const char c : bytes) {
        nonAscii = nonAscii || static_cast<unsigned char>(c) >= 0x80;
    }
    if (starts("\xFF\xFE") || starts("\xFE\xFF") ||
        (bytes.size() >= 2 && (bytes[0] == '\0' || bytes[1] == '\0'))) {
        form.encoding = ScriptForm::Encoding::Utf16;
    } else if (starts("\xEF\xBB\xBF") || (nonAscii && isValidUtf8(bytes))) {
        form.encoding = ScriptForm::Encoding::Utf8;
    }
    return form;
}

std::string formChange(const ScriptForm& was, const ScriptForm& now) {
    if (now.encoding != was.encoding) {
        return std::string("it is saved as ") + encodingName(now.encoding) + ", not " +
               encodingName(was.encoding);
    }
    if (now.lineEnds != was.lineEnds && now.lineEnds != ScriptForm::LineEnds::None &&
        was.lineEnds != ScriptForm::LineEnds::None) {
        return std::string("its lines end in ") + lineEndsName(now.lineEnds) + ", not " +
               lineEndsName(was.lineEnds);
    }
    return {};
}

}  // namespace tsuzuri
