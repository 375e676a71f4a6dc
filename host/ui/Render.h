// The console's picture of a widget tree: one line per widget, indented two blanks per
// level, as
//   <kind> <widget ID> "<label>" <value> [hidden] [disabled] [@left,top,right,bottom]
// where the value is the text (text="…"), the entries of a drop-down with the selected one
// starred, a radio's or expander's state (on/off), a progress bar's value=N/min..max, or a
// picture=ID. Labels and texts show translated when still translatable. Widgets a renderer
// is registered for (RegisterWidgetRenderer, for kinds like the tree view) show what it
// returns instead of their children. User-interface thread only.
#pragma once

#include <string>
#include <vector>

class IPMUnknown;

namespace tshost {

struct RenderOptions {
    bool frames = false;
};

// Returns the text after the widget's kind, ID and label, and the extra lines to show below
// it (already without indentation); children are not rendered then.
using WidgetRenderer = std::string (*)(IPMUnknown* widget, std::vector<std::string>& lines);
void RegisterWidgetRenderer(const std::string& kind, WidgetRenderer renderer);

std::vector<std::string> RenderWidgetTree(IPMUnknown* root, const RenderOptions& options = {});

}  // namespace tshost
