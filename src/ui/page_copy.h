// A page's text as the reader copies it: what is drawn of it, its line breaks as written.
#pragma once

#include <string>
#include <string_view>

#include "graphics/render_device.h"
#include "script_engine/scene_state.h"

namespace tsuzuri {

// The drawn part of a page (Shift-JIS, with "\n" breaks) in UTF-8, each "\n" a line end;
// the text's own line wrapping is not in it.
std::string pageTextToCopy(std::string_view sjisPage);

// Puts the text of the page the story shows on the clipboard; false when no page is shown.
bool copyShownPage(const SceneState& scene);

}  // namespace tsuzuri
