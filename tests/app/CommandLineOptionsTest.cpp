// The program's own options, and the shortcut that passes one.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLineOptions.h"
#include "launcher/ConfigShortcut.h"

namespace fx {
namespace {

struct TOptionsCase {
  std::vector<std::string> Arguments;
  TProgramAction Action;
  std::string LaunchName;
  std::string Error;
};

class ProgramOptionsTest : public ::testing::TestWithParam<TOptionsCase> {};

TEST_P(ProgramOptionsTest, ReadsTheArguments) {
  const TProgramOptions options = ParseProgramOptions(GetParam().Arguments);
  EXPECT_EQ(options.Action, GetParam().Action);
  EXPECT_EQ(options.LaunchName, GetParam().LaunchName);
  EXPECT_EQ(options.Error, GetParam().Error);
}

using enum TProgramAction;
INSTANTIATE_TEST_SUITE_P(
    Cases, ProgramOptionsTest,
    ::testing::Values(
        TOptionsCase{{}, Run, "", ""}, TOptionsCase{{"--help"}, Help, "", ""},
        TOptionsCase{{"-h", "--bogus"}, Help, "", ""}, TOptionsCase{{"--version"}, Version, "", ""},
        TOptionsCase{{"--launch", "Duel on dm4"}, Launch, "Duel on dm4", ""},
        TOptionsCase{{"--launch=-odd name"}, Launch, "-odd name", ""},
        TOptionsCase{{"--launch", "--help"}, Launch, "--help", ""},  // a name, as it stands
        TOptionsCase{{"-style", "fusion", "-reverse", "-platform=offscreen"}, Run, "", ""},
        TOptionsCase{{"--launch"}, Refuse, "", "--launch needs the name of a configuration"},
        TOptionsCase{
            {"--launch", "a", "--launch", "b"}, Refuse, "", "--launch may be given only once"},
        TOptionsCase{{"--fullscreen"}, Refuse, "", "unknown option --fullscreen"},
        TOptionsCase{{"-style"}, Refuse, "", "-style needs a value"},
        TOptionsCase{{"e1m1"}, Refuse, "", "unexpected argument e1m1"}));

TEST(ProgramOptionsTextTest, HelpNamesTheOptionsAndVersionTheNumbers) {
  const std::string usage = UsageText("fraxinel");
  EXPECT_EQ(usage.rfind("Usage: fraxinel [--launch NAME]\n", 0), 0u);
  EXPECT_NE(usage.find("--version"), std::string::npos);
  EXPECT_EQ(VersionText().rfind("fraxinel ", 0), 0u);
  EXPECT_EQ(VersionText().back(), '\n');
}

TEST(ConfigShortcutTest, StartsTheProgramWithTheConfigurationsName) {
  const TShortcut shortcut = ConfigShortcut("/opt/fraxinel/fraxinel", "Duel on dm4", "fraxinel");
  const std::string text = DesktopEntryText(shortcut, ConfigShortcutArguments("Duel on dm4"));
  EXPECT_NE(text.find("\nName=Duel on dm4\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nExec=/opt/fraxinel/fraxinel --launch \"Duel on dm4\"\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(ConfigShortcutFile("/home/me/Desktop", "CTF/2fort\n5"),
            "/home/me/Desktop/Fraxinel - CTF_2fort_5.desktop");
}

}  // namespace
}  // namespace fx
