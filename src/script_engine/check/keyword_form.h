// Text as a typing hand may have meant it: width and case folded away, so that a keyword typed
// with an input method ("ｆｌａｓｈ", "￥￥top", "choices｜｜") is compared as its plain form.
#pragma once

#include <string>
#include <string_view>

namespace tsuzuri {

// The Shift-JIS text in UTF-8, NFKC-normalised and case-folded, with the yen signs that stand
// for a backslash on Japanese keyboards (half- and full-width) written as one.
std::string keywordForm(std::string_view sjis);

}  // namespace tsuzuri
