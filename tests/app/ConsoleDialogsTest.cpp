// What `--launch` prints, and when it may show a box at all.

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "app/ConsoleDialogs.h"
#include "fixtures/ScriptedDialogs.h"

namespace fx {
namespace {

TEST(ConsoleDialogsTest, AWindowNeedsADisplayVariableAndAPlatformWithAScreen) {
  struct TCase {
    std::map<std::string, std::string, std::less<>> Environment;
    bool Display;
  };
  const TCase cases[] = {
      {{}, false},
      {{{"DISPLAY", ":0"}}, true},
      {{{"WAYLAND_DISPLAY", "wayland-0"}}, true},
      {{{"DISPLAY", ""}}, false},
      {{{"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "offscreen"}}, false},
      {{{"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "minimal:enable_fonts"}}, false},
      {{{"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "xcb"}}, true},
  };
  for (const TCase& c : cases) {
    const bool display = DisplayAvailable([&](std::string_view name) -> std::optional<std::string> {
      const auto found = c.Environment.find(name);
      return found != c.Environment.end() ? std::optional(found->second) : std::nullopt;
    });
    EXPECT_EQ(display, c.Display) << c.Environment.size();
  }
}

TEST(ConsoleDialogsTest, EveryMessageIsPrintedAndWithoutADisplayNothingIsConfirmed) {
  TMessage question{"Launch anyway?\n", "Warning", TMsgIcon::Warning, TMsgButtons::YesNo,
                    TMsgResult::Yes};
  std::ostringstream out;
  TConsoleDialogs alone(out, nullptr);
  EXPECT_EQ(alone.ShowMessage(question), TMsgResult::No);
  question.Buttons = TMsgButtons::OkCancel;
  question.DefaultButton = TMsgResult::Ok;
  EXPECT_EQ(alone.ShowMessage(question), TMsgResult::Cancel);
  EXPECT_EQ(alone.ShowMessage({"It failed.", "Error"}), TMsgResult::Ok);
  EXPECT_FALSE(alone.ChooseFolder("Folder", "/"));
  EXPECT_EQ(out.str(),
            "fraxinel: Warning: Launch anyway?\nfraxinel: answered No\n"
            "fraxinel: Warning: Launch anyway?\nfraxinel: answered Cancel\n"
            "fraxinel: Error: It failed.\n");

  std::ostringstream shownOut;
  test::TScriptedDialogs boxes;
  boxes.MessageAnswers.push_back(TMsgResult::Yes);
  TConsoleDialogs shown(shownOut, &boxes);
  question.Buttons = TMsgButtons::YesNo;
  EXPECT_EQ(shown.ShowMessage(question), TMsgResult::Yes);
  ASSERT_EQ(boxes.Messages.size(), 1U);
  EXPECT_EQ(shownOut.str(), "fraxinel: Warning: Launch anyway?\nfraxinel: answered Yes\n");
}

}  // namespace
}  // namespace fx
