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

// The value the request log shows in place of a password.
inline constexpr const char* kMaskedValue = "***";

// A decoded query key that names a password: up to an "=" inside it (an
// encoded one), and trimmed of blanks and controls, "password" in any case.
// Servers differ in how they read a key; any of them might take these for the
// password.
bool IsPasswordKey(const std::string& key);

// A decoded query pair as the request log shows it: for a password key, the
// key up to an "=" inside it, and kMaskedValue.
std::pair<std::string, std::string> MaskedPair(const std::string& key, const std::string& value);

// `text` with the value of every query piece whose key is a password key
// replaced by kMaskedValue; the query is what follows the first "?" up to a
// "#". Everything else is kept byte for byte.
std::string MaskPasswords(const std::string& text);

// The value of header `name` as the request log shows it: kMaskedValue for
// the headers that carry credentials (a name, trimmed, that holds
// "authorization", "cookie" or "password", in any case: Proxy-Authorization,
// Cookie2, X-Password), else `value` with MaskPasswords applied, since it may
// hold a URL.
std::string MaskHeaderValue(const std::string& name, const std::string& value);

// Percent-decodes `text`; "+" becomes a blank when `plusIsBlank`. A "%" not
// followed by two hex digits is kept as it is.
std::string PercentDecode(const std::string& text, bool plusIsBlank);

}  // namespace proofd
