// A forward-only scanner over the tags of an XML file, with the byte offsets
// of each tag. The server only ever needs the root start tag (to rewrite its
// attributes while streaming the rest of the file untouched) and the
// attributes of a few elements, so a DOM of a 30 MB project list would be
// waste. It is not a validating parser: text content is skipped, and comments,
// processing instructions, CDATA and declarations come back as kOther.
//
// Threading: one scanner per thread; the helpers are pure functions.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <utility>
#include <vector>

namespace proofd {

using XmlAttributes = std::vector<std::pair<std::string, std::string>>;

struct XmlTag {
  enum class Kind { kStart, kEnd, kEmpty, kOther };
  Kind kind = Kind::kOther;
  std::string name;
  XmlAttributes attributes;  // values with entities decoded
  uint64_t begin = 0;        // offset of "<"
  uint64_t end = 0;          // offset just past ">"
};

class XmlTagScanner {
 public:
  // Tags longer than this are refused, so a file without ">" cannot make us
  // buffer all of it.
  static constexpr size_t kMaxTagBytes = 1 << 20;

  explicit XmlTagScanner(std::istream& in) : in_(*in.rdbuf()) {}

  // The next tag; false at the end of the input or on an error, which
  // Error() then describes.
  bool Next(XmlTag& tag);
  const std::string& Error() const { return error_; }

 private:
  std::streambuf& in_;
  uint64_t offset_ = 0;
  std::string error_;
};

// The value of attribute `name`, or nullptr.
const std::string* FindAttribute(const XmlAttributes& attributes,
                                 const std::string& name);

std::string DecodeXmlEntities(const std::string& text);
// Escapes &, <, > and both quotes: safe in XML attributes and HTML text alike.
std::string EscapeMarkup(const std::string& text);

}  // namespace proofd
