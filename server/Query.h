// Request query strings as the proofing protocol uses them: ordered key/value
// pairs, percent-decoded, with "+" read as a blank the way httplib reads it.
// We parse the raw target ourselves because httplib's parameter map forgets
// arrival order and cuts a value at a second "=".
//
// Threading: pure functions, callable from any thread.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace proofd {

using QueryPairs = std::vector<std::pair<std::string, std::string>>;

// Splits the part of `target` after the first "?" (a "#" ends it) into
// decoded pairs in arrival order. A piece without "=" becomes a key with an
// empty value; empty pieces are skipped.
QueryPairs ParseQuery(const std::string& target);

// The value of the first pair named `key`, or `fallback` when there is none.
std::string QueryValue(const QueryPairs& query, const std::string& key,
                       const std::string& fallback = std::string());

bool HasQueryKey(const QueryPairs& query, const std::string& key);

// Percent-decodes `text`; "+" becomes a blank when `plusIsBlank`. A "%" not
// followed by two hex digits is kept as it is.
std::string PercentDecode(const std::string& text, bool plusIsBlank);

}  // namespace proofd
