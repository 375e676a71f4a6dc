#include "ProjectsFile.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <map>

namespace proofd {
namespace {

constexpr const char* kXmlType = "text/xml; charset=UTF-8";

bool ParseNumber(const std::string& text, long long& value) {
  if (text.empty()) return false;
  char* stop = nullptr;
  errno = 0;
  value = std::strtoll(text.c_str(), &stop, 10);
  return errno == 0 && stop != nullptr && *stop == '\0';
}

bool OpenStream(const std::string& path, std::ifstream& in, std::string& error) {
  in.open(path, std::ios::binary);
  if (!in) {
    error = "cannot open projects file '" + path + "'";
    return false;
  }
  return true;
}

bool ScanForRoot(XmlTagScanner& scanner, RootTag& root, const std::string& path,
                 std::string& error) {
  XmlTag tag;
  while (scanner.Next(tag)) {
    if (tag.kind == XmlTag::Kind::kOther) continue;
    if (tag.kind == XmlTag::Kind::kEnd) break;
    root.name = tag.name;
    root.attributes = tag.attributes;
    root.begin = tag.begin;
    root.end = tag.end;
    root.empty = tag.kind == XmlTag::Kind::kEmpty;
    return true;
  }
  error = "projects file '" + path + "' has no root element" +
          (scanner.Error().empty() ? std::string() : ": " + scanner.Error());
  return false;
}

std::string RootTagText(const RootTag& root, int authenticated, const std::string& type) {
  std::string text = "<" + root.name;
  for (const auto& [key, value] : root.attributes) {
    if (key == "authenticated" || key == "type") continue;
    text += " " + key + "=\"" + EscapeMarkup(value) + "\"";
  }
  text += " authenticated=\"" + std::to_string(authenticated) + "\"";
  text += " type=\"" + EscapeMarkup(type) + "\"";
  text += root.empty ? "/>" : ">";
  return text;
}

}  // namespace

bool CheckProjectsFile(const std::string& path, RootTag& root, std::string& error) {
  std::ifstream in;
  if (!OpenStream(path, in, error)) return false;
  XmlTagScanner scanner(in);
  if (!ScanForRoot(scanner, root, path, error)) return false;
  XmlTag tag;
  while (scanner.Next(tag)) {
  }
  if (!scanner.Error().empty()) {
    error = "projects file '" + path + "': " + scanner.Error();
    return false;
  }
  return true;
}

std::shared_ptr<Body> UpdateAnswer(const std::string& path, int authenticated,
                                   const std::string& type, std::string& error) {
  // Scan and serve through the same descriptor, so a file replaced meanwhile
  // cannot pair one file's offsets with another's bytes.
  auto file = FileHandle::Open(path, error);
  if (!file) return nullptr;
  std::ifstream in;
  if (!OpenStream("/proc/self/fd/" + std::to_string(file->fd()), in, error)) return nullptr;
  XmlTagScanner scanner(in);
  RootTag root;
  if (!ScanForRoot(scanner, root, path, error)) return nullptr;

  auto body = std::make_shared<Body>(kXmlType);
  body->AddFileRange(file, 0, root.begin);
  body->AddText(RootTagText(root, authenticated, type));
  body->AddFileRange(file, root.end, file->Size());
  return body;
}

std::shared_ptr<Body> VerdictAnswer(int authenticated) {
  auto body = std::make_shared<Body>(kXmlType);
  body->AddText("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tessaron authenticated=\"" +
                std::to_string(authenticated) + "\"/>\n");
  return body;
}

bool FindProject(const std::string& path, const std::string& id, ProjectInfo& info,
                 std::string& error) {
  error.clear();
  long long wanted = 0;
  if (!ParseNumber(id, wanted)) return false;
  std::ifstream in;
  if (!OpenStream(path, in, error)) return false;

  std::map<long long, std::string> groups;
  bool found = false;
  XmlTagScanner scanner(in);
  XmlTag tag;
  while (scanner.Next(tag)) {
    if (tag.kind != XmlTag::Kind::kStart && tag.kind != XmlTag::Kind::kEmpty) continue;
    const std::string* idText = FindAttribute(tag.attributes, "id");
    long long number = 0;
    if (idText == nullptr || !ParseNumber(*idText, number)) continue;
    if (tag.name == "projectgroup") {
      const std::string* name = FindAttribute(tag.attributes, "name");
      if (name != nullptr && !name->empty() && number != -1) groups.emplace(number, *name);
    } else if (tag.name == "project" && number == wanted && !found) {
      found = true;
      info.id = *idText;
      auto text = [&](const char* key) {
        const std::string* value = FindAttribute(tag.attributes, key);
        return value ? *value : std::string();
      };
      info.name = text("name");
      info.code = text("filename_text");
      info.groupId = text("project_group_id");
    }
  }
  if (!scanner.Error().empty()) {
    error = "projects file '" + path + "': " + scanner.Error();
    return false;
  }
  if (!found) return false;
  long long groupId = 0;
  if (ParseNumber(info.groupId, groupId)) {
    const auto it = groups.find(groupId);
    if (it != groups.end()) info.groupName = it->second;
  }
  return true;
}

}  // namespace proofd
