#include "script_engine/check/keyword_form.h"

#include <utf8proc.h>

#include <cstdlib>
#include <memory>

#include "common/shift_jis.h"

namespace tsuzuri {

std::string keywordForm(std::string_view sjis) {
    const std::string utf8 = sjisToUtf8ForDisplay(sjis);
    utf8proc_uint8_t* folded = nullptr;
    const utf8proc_ssize_t length =
        utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(utf8.data()),
                     static_cast<utf8proc_ssize_t>(utf8.size()), &folded,
                     static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE |
                                                    UTF8PROC_COMPAT | UTF8PROC_CASEFOLD));
    if (length < 0) {
        return utf8;
    }
    const std::unique_ptr<utf8proc_uint8_t, decltype(&std::free)> owned(folded, &std::free);
    const std::string_view mapped(reinterpret_cast<const char*>(folded),
                                  static_cast<std::size_t>(length));
    std::string form;
    form.reserve(mapped.size());
    for (std::size_t i = 0; i < mapped.size(); ++i) {
        if (mapped.substr(i, 2) == "\xC2\xA5") {  // U+00A5, which the full-width yen folds to
            form += '\\';
            ++i;
        } else {
            form += mapped[i];
        }
    }
    return form;
}

}  // namespace tsuzuri
