// The player archive starts under the JDK's launcher at all: every later
// player test runs through it.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

TEST(PlayerArchive, PrintsItsUsageAndRefusesAnUnknownOption) {
  std::string command = std::string("'") + ZQ48_JAVA + "' -Djava.awt.headless=true -jar '" + ZQ48_PLAYER_JAR +
                        "' --no-such-option >/dev/null 2>&1";
  int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_NE(WEXITSTATUS(status), 0);
}
