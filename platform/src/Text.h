// Small text helpers shared by the platform sources; not part of the public API.
// Threading: pure functions.
#pragma once

#include <string>
#include <string_view>

namespace tsplatform::detail {

// Removes blanks, tabs and line breaks at both ends.
std::string_view Trim(std::string_view text);

// Text read from the system with every control character turned into a blank,
// cut at a NUL, and trimmed.
std::string CleanSystemText(std::string_view text);

}  // namespace tsplatform::detail
