#include "Query.h"

#include <cctype>

namespace proofd {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Blanks and controls, which a reader of the key may well drop.
bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7f; }

std::string TrimBlanksAndControls(const std::string& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && IsBlankOrControl(text[first])) ++first;
  while (last > first && IsBlankOrControl(text[last - 1])) --last;
  return text.substr(first, last - first);
}

// The key of a decoded query piece or key: up to its first "=", which may have
// been encoded, trimmed.
std::string KeyName(const std::string& decoded) { return TrimBlanksAndControls(decoded.substr(0, decoded.find('='))); }

// Where the value of a raw query piece starts: after its first "=", raw or
// percent-encoded; npos without one.
size_t ValueStart(const std::string& piece) {
  for (size_t i = 0; i < piece.size(); ++i) {
    if (piece[i] == '=') return i + 1;
    if (piece[i] == '%' && i + 2 < piece.size() && HexValue(piece[i + 1]) >= 0 && HexValue(piece[i + 2]) >= 0) {
      if (HexValue(piece[i + 1]) * 16 + HexValue(piece[i + 2]) == '=') return i + 3;
      i += 2;
    }
  }
  return std::string::npos;
}

}  // namespace

bool IsPasswordKey(const std::string& key) { return Lower(KeyName(key)) == "password"; }

std::pair<std::string, std::string> MaskedPair(const std::string& key, const std::string& value) {
  if (!IsPasswordKey(key)) return {key, value};
  return {key.substr(0, key.find('=')), kMaskedValue};
}

std::string MaskHeaderValue(const std::string& name, const std::string& value) {
  const std::string lower = Lower(TrimBlanksAndControls(name));
  const bool credentials = lower.find("authorization") != std::string::npos ||
                           lower.find("cookie") != std::string::npos || lower.find("password") != std::string::npos;
  return credentials ? std::string(kMaskedValue) : MaskPasswords(value);
}

std::string PercentDecode(const std::string& text, bool plusIsBlank) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '%' && i + 2 < text.size()) {
      const int hi = HexValue(text[i + 1]);
      const int lo = HexValue(text[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
        continue;
      }
    }
    out.push_back(plusIsBlank && c == '+' ? ' ' : c);
  }
  return out;
}

std::string MaskPasswords(const std::string& text) {
  const size_t mark = text.find('?');
  if (mark == std::string::npos) return text;
  const size_t fragment = text.find('#', mark);
  const size_t queryEnd = fragment == std::string::npos ? text.size() : fragment;
  std::string masked = text.substr(0, mark + 1);
  size_t start = mark + 1;
  while (start <= queryEnd) {
    size_t end = text.find('&', start);
    if (end == std::string::npos || end > queryEnd) end = queryEnd;
    const std::string piece = text.substr(start, end - start);
    const size_t value = ValueStart(piece);
    if (value != std::string::npos && IsPasswordKey(PercentDecode(piece.substr(0, value), true))) {
      masked += piece.substr(0, value) + kMaskedValue;
    } else {
      masked += piece;
    }
    if (end < queryEnd) masked += '&';
    start = end + 1;
  }
  masked += text.substr(queryEnd);
  return masked;
}

QueryPairs ParseQuery(const std::string& target) {
  QueryPairs pairs;
  const size_t mark = target.find('?');
  if (mark == std::string::npos) return pairs;
  std::string query = target.substr(mark + 1);
  const size_t fragment = query.find('#');
  if (fragment != std::string::npos) query.resize(fragment);

  size_t start = 0;
  while (start <= query.size()) {
    size_t end = query.find('&', start);
    if (end == std::string::npos) end = query.size();
    const std::string piece = query.substr(start, end - start);
    if (!piece.empty()) {
      const size_t eq = piece.find('=');
      if (eq == std::string::npos) {
        pairs.emplace_back(PercentDecode(piece, true), std::string());
      } else {
        pairs.emplace_back(PercentDecode(piece.substr(0, eq), true),
                           PercentDecode(piece.substr(eq + 1), true));
      }
    }
    start = end + 1;
  }
  return pairs;
}

std::string QueryValue(const QueryPairs& query, const std::string& key,
                       const std::string& fallback) {
  for (const auto& [k, v] : query) {
    if (k == key) return v;
  }
  return fallback;
}

bool HasQueryKey(const QueryPairs& query, const std::string& key) {
  for (const auto& pair : query) {
    if (pair.first == key) return true;
  }
  return false;
}

}  // namespace proofd
