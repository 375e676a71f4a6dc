#include "platform/Folders.h"

#include <cstdlib>
#include <string_view>

#include "platform/Overrides.h"

namespace tsplatform {

namespace {

// An absolute path with repeated and trailing "/" removed; "" for a relative
// path. The root itself comes back as "".
std::string CleanAbsolute(std::string_view path) {
  if (path.empty() || path.front() != '/') return {};
  std::string clean;
  clean.reserve(path.size());
  for (char c : path) {
    if (c == '/' && !clean.empty() && clean.back() == '/') continue;
    clean.push_back(c);
  }
  while (!clean.empty() && clean.back() == '/') clean.pop_back();
  return clean;
}

std::string_view Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string_view(value) : std::string_view();
}

}  // namespace

std::string ApplicationSupportFolder() {
  const Overrides& overrides = CurrentOverrides();
  if (overrides.failApplicationSupport) return {};
  if (overrides.applicationSupportRoot) return CleanAbsolute(*overrides.applicationSupportRoot);

  // XDG says a relative XDG_DATA_HOME is to be ignored; "/" alone is no one's data folder.
  std::string xdg = CleanAbsolute(Env("XDG_DATA_HOME"));
  if (!xdg.empty()) return xdg;

  const std::string_view home = Env("HOME");
  if (home.empty() || home.front() != '/') return {};
  return CleanAbsolute(home) + "/.local/share";
}

}  // namespace tsplatform
