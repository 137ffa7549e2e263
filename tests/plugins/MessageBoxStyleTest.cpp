#include <gtest/gtest.h>

#include "plugins/MessageBoxStyle.h"

namespace fx {
namespace {

TEST(MessageBoxStyle, InformationBoxOfTheSecondMissionPack) {
  const TMessage message = MessageFromStyle("text", "Information", 64);
  EXPECT_EQ(message.Text, "text");
  EXPECT_EQ(message.Caption, "Information");
  EXPECT_EQ(message.Icon, TMsgIcon::Information);
  EXPECT_EQ(message.Buttons, TMsgButtons::Ok);
  EXPECT_EQ(message.DefaultButton, TMsgResult::Ok);
}

TEST(MessageBoxStyle, ButtonsIconsAndDefaults) {
  const TMessage question = MessageFromStyle("", "", kMbYesNo | kMbIconWarning | kMbDefButton2);
  EXPECT_EQ(question.Buttons, TMsgButtons::YesNo);
  EXPECT_EQ(question.Icon, TMsgIcon::Warning);
  EXPECT_EQ(question.DefaultButton, TMsgResult::No);

  const TMessage three = MessageFromStyle("", "", kMbYesNoCancel | kMbDefButton3);
  EXPECT_EQ(three.Buttons, TMsgButtons::YesNoCancel);
  EXPECT_EQ(three.DefaultButton, TMsgResult::Cancel);
  EXPECT_EQ(three.Icon, TMsgIcon::None);

  EXPECT_EQ(MessageFromStyle("", "", kMbOkCancel | kMbIconError).Icon, TMsgIcon::Error);
  EXPECT_EQ(MessageFromStyle("", "", kMbIconQuestion).Icon, TMsgIcon::Question);
  // Retry/Cancel has no dialog of its own; the user must still be able to refuse.
  EXPECT_EQ(MessageFromStyle("", "", 0x0005).Buttons, TMsgButtons::OkCancel);
}

TEST(MessageBoxStyle, WindowsButtonCodes) {
  EXPECT_EQ(ButtonCode(TMsgResult::Ok), 1);
  EXPECT_EQ(ButtonCode(TMsgResult::Cancel), 2);
  EXPECT_EQ(ButtonCode(TMsgResult::Yes), 6);
  EXPECT_EQ(ButtonCode(TMsgResult::No), 7);
}

}  // namespace
}  // namespace fx
