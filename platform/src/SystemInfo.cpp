#include "platform/SystemInfo.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "Text.h"
#include "platform/Overrides.h"

namespace tsplatform {

namespace {

// getpwuid_r reports ERANGE until the buffer holds the whole entry; no sane entry needs more than this.
constexpr std::size_t kPasswdBufferLimit = 1 << 20;

}  // namespace

std::string UserFullName() {
  const Overrides& overrides = CurrentOverrides();
  if (overrides.userFullName) return *overrides.userFullName;

  const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 1024);
  struct passwd entry {};
  struct passwd* found = nullptr;
  for (;;) {
    const int error = getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found);
    if (error != ERANGE) break;
    if (buffer.size() >= kPasswdBufferLimit) return {};
    buffer.resize(buffer.size() * 2);
  }
  if (!found || !found->pw_gecos) return {};
  const std::string_view gecos(found->pw_gecos);
  return detail::CleanSystemText(gecos.substr(0, gecos.find(',')));
}

std::string MachineName() {
  const Overrides& overrides = CurrentOverrides();
  if (overrides.machineName) return *overrides.machineName;

  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return detail::CleanSystemText(std::string_view(name, strnlen(name, sizeof name)));
}

}  // namespace tsplatform
