#include "platform/SystemInfo.h"

#include <gtest/gtest.h>

namespace tsplatform {
namespace {

bool HasControlCharacter(const std::string& text) {
  for (unsigned char c : text)
    if (c < 0x20 || c == 0x7f) return true;
  return false;
}

TEST(SystemInfoTest, SystemAnswersAreSingleLineTexts) {
  const std::string user = UserFullName();
  EXPECT_EQ(user.find(','), std::string::npos) << user;
  EXPECT_FALSE(HasControlCharacter(user)) << user;

  const std::string machine = MachineName();
  EXPECT_FALSE(machine.empty());
  EXPECT_FALSE(HasControlCharacter(machine)) << machine;
}

}  // namespace
}  // namespace tsplatform
