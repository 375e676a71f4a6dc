// The host's page-range notation, by page name: ranges of pages that follow each other in
// the document as "first-last", single pages by name, joined by ", " ("1-3, 5"). The parser
// reads the same notation back: comma-separated items, each a page name or two names joined
// by "-" (blanks around either allowed), the first not after the second. It refuses empty
// text, empty items, unknown names and backward ranges. Pages named in several items count
// once; the result is in page order.
// Safe on any thread: nothing here keeps state.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tshost {

// `pageNames` are the document's pages in page order; `pages` are indices into it (any order,
// repeats and out-of-range indices ignored).
std::string FormatPageRange(const std::vector<std::string>& pageNames, const std::vector<int>& pages);
// The indices of the pages `text` names, in page order; empty optional when it does not parse.
std::optional<std::vector<int>> ParsePageRange(const std::vector<std::string>& pageNames, std::string_view text);

}  // namespace tshost
