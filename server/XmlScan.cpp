#include "XmlScan.h"

#include <algorithm>
#include <cstdlib>

namespace proofd {
namespace {

enum class Mode { kPending, kElement, kComment, kCdata, kInstruction, kDeclaration };

// True while `text` could still grow into `opening`, or already starts with it.
bool Agrees(const std::string& text, const std::string& opening) {
  const size_t n = std::min(text.size(), opening.size());
  return text.compare(0, n, opening, 0, n) == 0;
}

Mode Classify(const std::string& text) {
  if (text.empty()) return Mode::kPending;
  if (text[0] == '?') return Mode::kInstruction;
  if (text[0] != '!') return Mode::kElement;
  const std::string comment = "!--";
  const std::string cdata = "![CDATA[";
  if (Agrees(text, comment)) return text.size() >= comment.size() ? Mode::kComment : Mode::kPending;
  if (Agrees(text, cdata)) return text.size() >= cdata.size() ? Mode::kCdata : Mode::kPending;
  return Mode::kDeclaration;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

void AppendUtf8(std::string& out, unsigned long cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Splits the inside of an element tag into its kind, name and attributes.
bool ParseElement(const std::string& text, XmlTag& tag) {
  size_t i = 0;
  size_t last = text.size();
  if (!text.empty() && text[0] == '/') {
    tag.kind = XmlTag::Kind::kEnd;
    i = 1;
  } else if (!text.empty() && text.back() == '/') {
    tag.kind = XmlTag::Kind::kEmpty;
    --last;
  } else {
    tag.kind = XmlTag::Kind::kStart;
  }
  const size_t nameBegin = i;
  while (i < last && !IsSpace(text[i])) ++i;
  tag.name = text.substr(nameBegin, i - nameBegin);
  if (tag.name.empty()) return false;
  if (tag.kind == XmlTag::Kind::kEnd) return true;

  while (true) {
    while (i < last && IsSpace(text[i])) ++i;
    if (i >= last) return true;
    const size_t keyBegin = i;
    while (i < last && !IsSpace(text[i]) && text[i] != '=') ++i;
    const std::string key = text.substr(keyBegin, i - keyBegin);
    while (i < last && IsSpace(text[i])) ++i;
    if (key.empty() || i >= last || text[i] != '=') return false;
    ++i;
    while (i < last && IsSpace(text[i])) ++i;
    if (i >= last || (text[i] != '"' && text[i] != '\'')) return false;
    const char quote = text[i++];
    const size_t close = text.find(quote, i);
    if (close == std::string::npos || close >= last) return false;
    tag.attributes.emplace_back(key, DecodeXmlEntities(text.substr(i, close - i)));
    i = close + 1;
  }
}

}  // namespace

bool XmlTagScanner::Next(XmlTag& tag) {
  tag = XmlTag();
  int c;
  while ((c = in_.sbumpc()) != std::char_traits<char>::eof()) {
    ++offset_;
    if (c != '<') continue;

    tag.begin = offset_ - 1;
    std::string text;
    Mode mode = Mode::kPending;
    char quote = 0;
    int brackets = 0;
    while (true) {
      c = in_.sbumpc();
      if (c == std::char_traits<char>::eof()) {
        error_ = "unterminated tag at offset " + std::to_string(tag.begin);
        return false;
      }
      ++offset_;
      const char ch = static_cast<char>(c);
      if (ch == '>') {
        bool closes = false;
        switch (mode) {
          case Mode::kComment: closes = text.size() >= 5 && text.compare(text.size() - 2, 2, "--") == 0; break;
          case Mode::kCdata: closes = text.size() >= 10 && text.compare(text.size() - 2, 2, "]]") == 0; break;
          case Mode::kInstruction: closes = text.size() >= 2 && text.back() == '?'; break;
          case Mode::kDeclaration: closes = quote == 0 && brackets <= 0; break;
          case Mode::kElement:
          case Mode::kPending: closes = quote == 0; break;
        }
        if (closes) break;
      }
      if (mode == Mode::kElement || mode == Mode::kDeclaration || mode == Mode::kPending) {
        if (quote != 0) {
          if (ch == quote) quote = 0;
        } else if (ch == '"' || ch == '\'') {
          quote = ch;
        } else if (ch == '[') {
          ++brackets;
        } else if (ch == ']') {
          --brackets;
        }
      }
      text.push_back(ch);
      if (mode == Mode::kPending) mode = Classify(text);
      // Comment and CDATA bodies are never looked at: keep their opening and a
      // short tail so that their end can still be recognised.
      if ((mode == Mode::kComment || mode == Mode::kCdata || mode == Mode::kInstruction) &&
          text.size() > 64) {
        text.erase(9, text.size() - 11);
      }
      if (text.size() > kMaxTagBytes) {
        error_ = "tag longer than " + std::to_string(kMaxTagBytes) + " bytes at offset " +
                 std::to_string(tag.begin);
        return false;
      }
    }
    tag.end = offset_;
    if (mode != Mode::kElement) {
      tag.kind = XmlTag::Kind::kOther;
      return true;
    }
    if (!ParseElement(text, tag)) {
      error_ = "malformed tag at offset " + std::to_string(tag.begin);
      return false;
    }
    return true;
  }
  return false;
}

const std::string* FindAttribute(const XmlAttributes& attributes, const std::string& name) {
  for (const auto& [key, value] : attributes) {
    if (key == name) return &value;
  }
  return nullptr;
}

std::string DecodeXmlEntities(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      out.push_back(text[i]);
      continue;
    }
    const size_t semi = text.find(';', i);
    if (semi == std::string::npos || semi - i > 12) {
      out.push_back('&');
      continue;
    }
    const std::string name = text.substr(i + 1, semi - i - 1);
    if (name == "lt") out.push_back('<');
    else if (name == "gt") out.push_back('>');
    else if (name == "amp") out.push_back('&');
    else if (name == "quot") out.push_back('"');
    else if (name == "apos") out.push_back('\'');
    else if (name.size() > 1 && name[0] == '#') {
      const bool hex = name[1] == 'x' || name[1] == 'X';
      const std::string digits = name.substr(hex ? 2 : 1);
      char* stop = nullptr;
      const unsigned long cp = std::strtoul(digits.c_str(), &stop, hex ? 16 : 10);
      if (digits.empty() || *stop != '\0' || cp == 0 || cp > 0x10FFFF) {
        out.push_back('&');
        continue;
      }
      AppendUtf8(out, cp);
    } else {
      out.push_back('&');
      continue;
    }
    i = semi;
  }
  return out;
}

std::string EscapeMarkup(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

}  // namespace proofd
