#include "ui/HintText.h"

#include <gtest/gtest.h>

#include <optional>

namespace fx {
namespace {

// The main window's hint settings.
THintCommands MainWindowCommands() {
  THintCommands commands;
  commands.SetFixedWitdh(160);
  commands.SetLineCmd('+');
  return commands;
}

THint Hint(std::string text, std::optional<int> width = std::nullopt,
           std::optional<std::int32_t> color = std::nullopt) {
  return THint{std::move(text), width, color};
}

TEST(HintCommandsTest, Defaults) {
  const THintCommands commands;
  EXPECT_TRUE(commands.CmdsEnabled());
  EXPECT_EQ(commands.ColorCmd(), '#');
  EXPECT_EQ(commands.FixedCmd(), '&');
  EXPECT_EQ(commands.LineCmd(), '@');
  EXPECT_EQ(commands.FixedWitdh(), 150);
}

TEST(HintCommandsTest, FixedWitdhBelow100OrBeyond16BitsKeepsTheOldWidth) {
  THintCommands commands;
  commands.SetFixedWitdh(160);
  commands.SetFixedWitdh(99);
  EXPECT_EQ(commands.FixedWitdh(), 160);
  commands.SetFixedWitdh(-5);
  EXPECT_EQ(commands.FixedWitdh(), 160);
  commands.SetFixedWitdh(65536);
  EXPECT_EQ(commands.FixedWitdh(), 160);
  commands.SetFixedWitdh(100);
  EXPECT_EQ(commands.FixedWitdh(), 100);
  commands.SetFixedWitdh(65535);
  EXPECT_EQ(commands.FixedWitdh(), 65535);
}

TEST(HintCommandsTest, CommandCharactersOutsideAsciiAreRefused) {
  THintCommands commands;
  commands.SetLineCmd('\xE9');
  commands.SetColorCmd('\xC3');
  commands.SetFixedCmd('\x80');
  EXPECT_EQ(commands.LineCmd(), '@');
  EXPECT_EQ(commands.ColorCmd(), '#');
  EXPECT_EQ(commands.FixedCmd(), '&');
  commands.SetFixedCmd('!');
  EXPECT_EQ(commands.FixedCmd(), '!');
}

TEST(ShortHintTest, EverythingBeforeTheFirstBar) {
  EXPECT_EQ(ShortHint("Launch|Starts the game"), "Launch");
  EXPECT_EQ(ShortHint("Launch"), "Launch");
  EXPECT_EQ(ShortHint("a|b|c"), "a");
  EXPECT_EQ(ShortHint("|only long"), "");
  EXPECT_EQ(ShortHint(""), "");
}

TEST(ProcessHintTextTest, LineCommandBreaksTheHintIntoLines) {
  const THintCommands commands = MainWindowCommands();
  EXPECT_EQ(ProcessHintText("Frag+limit", commands, 0), Hint("Frag\nlimit"));
  EXPECT_EQ(ProcessHintText("a+b++c+", commands, 0), Hint("a\nb\n\nc\n"));
  // "@" is no command under the main window's settings.
  EXPECT_EQ(ProcessHintText("me@host", commands, 0), Hint("me@host"));
  EXPECT_EQ(ProcessHintText("me@host", THintCommands(), 0), Hint("me\nhost"));
}

TEST(ProcessHintTextTest, FixedCommandAsksForTheFixedWidth) {
  EXPECT_EQ(ProcessHintText("&A long explanation", MainWindowCommands(), 0),
            Hint("A long explanation", 160));
  EXPECT_EQ(ProcessHintText("A long explanation&", THintCommands(), 0),
            Hint("A long explanation", 150));
  EXPECT_EQ(ProcessHintText("Plain", MainWindowCommands(), 0), Hint("Plain"));
}

TEST(ProcessHintTextTest, OnlyTheFirstCommandCharacterIsDeleted) {
  const THintCommands commands = MainWindowCommands();
  EXPECT_EQ(ProcessHintText("Salt & pepper & more", commands, 0), Hint("Salt  pepper & more", 160));
  EXPECT_EQ(ProcessHintText("#1 of #2", commands, 7), Hint("1 of #2", std::nullopt, 7));
  EXPECT_EQ(ProcessHintText("&&#&#", commands, 3), Hint("&&#", 160, 3));
}

TEST(ProcessHintTextTest, TheLongPartIsIgnored) {
  const THintCommands commands = MainWindowCommands();
  EXPECT_EQ(ProcessHintText("Launch|Start & go #now + later", commands, 99), Hint("Launch"));
  EXPECT_EQ(ProcessHintText("Frag+limit|The & # + are not seen", commands, 99),
            Hint("Frag\nlimit"));
  EXPECT_EQ(ProcessHintText("|Long only & #", commands, 99), Hint(""));
}

TEST(ProcessHintTextTest, ColorCommandTakesTheControlsTag) {
  const THintCommands commands;
  EXPECT_EQ(ProcessHintText("#Red", commands, 0x0000FF), Hint("Red", std::nullopt, 0x0000FF));
  EXPECT_EQ(ProcessHintText("Default #", commands, 0), Hint("Default ", std::nullopt, 0));
  EXPECT_EQ(ProcessHintText("No colour", commands, 0x00FF00), Hint("No colour"));
}

TEST(ProcessHintTextTest, LineBreaksStandWhereTheLineCommandsStood) {
  // The deleted commands before it must not shift the break onto a neighbour.
  EXPECT_EQ(ProcessHintText("&#ab@cd@ef", THintCommands(), 5), Hint("ab\ncd\nef", 150, 5));
  EXPECT_EQ(ProcessHintText("ab@#cd&", THintCommands(), 5), Hint("ab\ncd", 150, 5));
}

TEST(ProcessHintTextTest, CommandsOffLeaveTheTextAlone) {
  THintCommands commands = MainWindowCommands();
  commands.SetCmdsEnabled(false);
  EXPECT_EQ(ProcessHintText("Salt & pepper #1 + more @x", commands, 5),
            Hint("Salt & pepper #1 + more @x"));
  // The long part is still not the hint's.
  EXPECT_EQ(ProcessHintText("Short & sweet|long", commands, 5), Hint("Short & sweet"));
}

TEST(ProcessHintTextTest, EightBitTextPassesThrough) {
  EXPECT_EQ(ProcessHintText("Gr\u00F6\u00DFe@Gr\u00FC\u00DFe", THintCommands(), 0),
            Hint("Gr\u00F6\u00DFe\nGr\u00FC\u00DFe"));
}

TEST(RgbFromColorValueTest, BgrValuesBecomeRgbAndSystemColoursNothing) {
  EXPECT_EQ(RgbFromColorValue(0x000000FF), 0xFF0000u);
  EXPECT_EQ(RgbFromColorValue(0x00FF8040), 0x4080FFu);
  EXPECT_EQ(RgbFromColorValue(0), 0u);
  EXPECT_EQ(RgbFromColorValue(0x00FFFFFF), 0xFFFFFFu);
  EXPECT_EQ(RgbFromColorValue(static_cast<std::int32_t>(0x80000018u)), std::nullopt);
  EXPECT_EQ(RgbFromColorValue(0x02000000), std::nullopt);
  EXPECT_EQ(RgbFromColorValue(-1), std::nullopt);
}

TEST(HintPositionTest, TheHintGoesToTheCursorsXAndBelowTheCursor) {
  const THintPoint cursor{100, 200};
  // Above the cursor's bottom (200 + 32): moved to the bottom less an eighth (4).
  EXPECT_EQ(HintPosition({5, 190}, cursor, 32), (THintPoint{100, 228}));
  EXPECT_EQ(HintPosition({5, 200}, cursor, 32), (THintPoint{100, 228}));
  EXPECT_EQ(HintPosition({5, 231}, cursor, 32), (THintPoint{100, 228}));
  // At or below the bottom it stays.
  EXPECT_EQ(HintPosition({5, 232}, cursor, 32), (THintPoint{100, 232}));
  EXPECT_EQ(HintPosition({500, 300}, cursor, 32), (THintPoint{100, 300}));
  // An eighth is rounded down, as whole pixels are.
  EXPECT_EQ(HintPosition({0, 0}, cursor, 20), (THintPoint{100, 218}));
  EXPECT_EQ(HintPosition({0, 0}, cursor, 0), (THintPoint{100, 200}));
}

}  // namespace
}  // namespace fx
