#include "platform/HfsPath.h"

#include <cstring>
#include <vector>

namespace tsplatform {

namespace {

constexpr std::string_view kVolumesFolder = "Volumes";

std::string g_bootVolume(kDefaultBootVolumeName);

// A name in one form is the name in the other with "/" and ":" swapped: each is
// the separator on one side and an ordinary character on the other.
void AppendSwapped(std::string& out, std::string_view name) {
  for (char c : name) out.push_back(c == '/' ? ':' : c == ':' ? '/' : c);
}

std::string Swapped(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  AppendSwapped(out, name);
  return out;
}

bool IsDotName(std::string_view name) { return name == "." || name == ".."; }

// Splits a run of names joined by sep; false when any name is empty or a dot name.
bool SplitNames(std::string_view run, char sep, std::vector<std::string_view>& names) {
  names.clear();
  if (run.empty()) return true;
  for (;;) {
    const auto end = run.find(sep);
    const std::string_view name = run.substr(0, end);
    if (name.empty() || IsDotName(name)) return false;
    names.push_back(name);
    if (end == std::string_view::npos) return true;
    run.remove_prefix(end + 1);
  }
}

void AppendJoined(std::string& out, const std::vector<std::string_view>& names, std::size_t first, char sep) {
  for (std::size_t i = first; i < names.size(); ++i) {
    if (i > first) out.push_back(sep);
    AppendSwapped(out, names[i]);
  }
}

bool HasNul(std::string_view text) { return text.find('\0') != std::string_view::npos; }

bool BoundedCopy(bool ok, const std::string& result, char* out, std::size_t outSize) {
  if (!ok || result.size() >= outSize) {
    out[0] = '\0';
    return false;
  }
  std::memcpy(out, result.c_str(), result.size() + 1);
  return true;
}

}  // namespace

bool SetBootVolumeName(std::string_view name) {
  if (name.empty() || name.find(':') != std::string_view::npos || HasNul(name)) return false;
  g_bootVolume = std::string(name);
  return true;
}

std::string BootVolumeName() { return g_bootVolume; }

bool HfsToPosix(std::string_view hfs, std::string& posix) {
  posix.clear();
  if (hfs.empty()) return true;
  if (HasNul(hfs)) return false;

  const auto colon = hfs.find(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  const std::string_view volume = hfs.substr(0, colon);
  std::string_view rest = hfs.substr(colon + 1);

  const bool folderMark = !rest.empty() && rest.back() == ':';
  if (folderMark) {
    rest.remove_suffix(1);
    if (rest.empty()) return false;  // "Volume::"
  }
  std::vector<std::string_view> names;
  if (!SplitNames(rest, ':', names)) return false;

  std::string result;
  result.reserve(hfs.size() + kVolumesFolder.size() + 2);
  if (volume == g_bootVolume) {
    // "/Volumes/X" already belongs to volume X.
    if (names.size() >= 2 && names[0] == kVolumesFolder) return false;
    result.push_back('/');
  } else {
    if (IsDotName(volume)) return false;
    result.push_back('/');
    result.append(kVolumesFolder);
    result.push_back('/');
    AppendSwapped(result, volume);
    if (!names.empty()) result.push_back('/');
  }
  AppendJoined(result, names, 0, '/');
  if (folderMark) result.push_back('/');
  posix = std::move(result);
  return true;
}

bool PosixToHfs(std::string_view posix, std::string& hfs) {
  hfs.clear();
  if (posix.empty()) return true;
  if (HasNul(posix) || posix.front() != '/') return false;

  std::string_view rest = posix.substr(1);
  const bool folderMark = !rest.empty() && rest.back() == '/';
  if (folderMark) {
    rest.remove_suffix(1);
    if (rest.empty()) return false;  // "//"
  }
  std::vector<std::string_view> names;
  if (!SplitNames(rest, '/', names)) return false;

  std::string result;
  result.reserve(posix.size() + g_bootVolume.size() + 1);
  std::size_t first = 0;
  if (names.size() >= 2 && names[0] == kVolumesFolder) {
    std::string volume = Swapped(names[1]);
    // The boot volume's entry in /Volumes is a link to "/", which has its own HFS form.
    if (volume == g_bootVolume) return false;
    // "NAME:" is already the form of "/Volumes/NAME".
    if (names.size() == 2 && folderMark) return false;
    result = std::move(volume);
    first = 2;
  } else {
    result = g_bootVolume;
  }
  result.push_back(':');
  AppendJoined(result, names, first, ':');
  if (folderMark) result.push_back(':');
  hfs = std::move(result);
  return true;
}

bool HfsToPosix(const char* hfs, char* out, std::size_t outSize) {
  if (!hfs || !out || outSize == 0) return false;
  std::string result;
  const bool ok = HfsToPosix(std::string_view(hfs), result);
  return BoundedCopy(ok, result, out, outSize);
}

bool PosixToHfs(const char* posix, char* out, std::size_t outSize) {
  if (!posix || !out || outSize == 0) return false;
  std::string result;
  const bool ok = PosixToHfs(std::string_view(posix), result);
  return BoundedCopy(ok, result, out, outSize);
}

std::string StripHfsFolderMark(std::string_view hfs) {
  const auto colon = hfs.find(':');
  const bool hasName = colon != std::string_view::npos && colon + 1 < hfs.size();
  if (hasName && hfs.back() == ':') hfs.remove_suffix(1);
  return std::string(hfs);
}

}  // namespace tsplatform
