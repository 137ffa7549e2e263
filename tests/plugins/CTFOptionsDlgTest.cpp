// The two Capture the Flag option dialogs on the offscreen platform, reached as a game type
// reaches them.

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>

#include <string>
#include <vector>

#include "fixtures/FindControl.h"
#include "fixtures/ModalDialog.h"
#include "plugins/CTFBotOptionsDlg.h"
#include "plugins/CTFBotsQuakePlugIn.h"
#include "plugins/CTFOptionsDlg.h"
#include "plugins/CTFRuleFlags.h"
#include "plugins/QtPluginDialogs.h"
#include "tests/plugins/RecordingStarter.h"

namespace fx {
namespace {

using test::Control;

// The names of the checked boxes among `names`.
std::vector<std::string> Checked(const QDialog& dialog, const std::vector<std::string>& names) {
  std::vector<std::string> checked;
  for (const std::string& name : names)
    if (Control<QCheckBox>(dialog, name.c_str()).isChecked()) checked.push_back(name);
  return checked;
}

std::vector<std::string> BoxNames(bool bots) {
  std::vector<std::string> names;
  for (const TCTFRuleBox& box : CTFRuleBoxes(bots))
    names.push_back(box.Control);
  return names;
}

void Click(QDialog& dialog, const char* name) {
  QTest::mouseClick(&Control<QAbstractButton>(dialog, name), Qt::LeftButton);
}

TEST(CTFOptionsDlg, TheFormsAsDesigned) {
  TCTFOptionsDlg plain;
  EXPECT_EQ(plain.windowTitle(), "Additional Options");
  EXPECT_EQ(plain.minimumSize(), plain.maximumSize()) << "a fixed dialog border";
  EXPECT_GE(plain.width(), 321);
  EXPECT_GE(plain.height(), 222);
  const QCheckBox& attacker = Control<QCheckBox>(plain, "cbAttackerDmg");
  EXPECT_EQ(attacker.toolTip(),
            "&A player who attacks his teammate will receive the same damage the teammate would "
            "have received, had he not been protected.");
  EXPECT_EQ(qobject_cast<const QGroupBox*>(attacker.parentWidget())->title(), "Penalties");

  TCTFBotOptionsDlg bots;
  bots.show();
  EXPECT_GE(bots.height(), 273);
  EXPECT_TRUE(Control<QCheckBox>(bots, "cbDisableGrapple").isHidden());
  const QCheckBox& tossing = Control<QCheckBox>(bots, "cbFlagTossing");
  EXPECT_TRUE(tossing.isVisible());
  EXPECT_EQ(qobject_cast<const QGroupBox*>(tossing.parentWidget())->title(), "Bot Options");
  // The bot boxes stand between the groups and the buttons.
  EXPECT_LT(tossing.mapTo(&bots, QPoint()).y(), Control<QPushButton>(bots, "OKBtn").y());
  EXPECT_GT(tossing.mapTo(&bots, QPoint()).y(),
            Control<QCheckBox>(bots, "cbDeathPenalty").mapTo(&bots, QPoint()).y());
}

TEST(CTFOptionsDlg, TheBotDialogShowsTheInvertedRulesAndOkRebuildsTheFlags) {
  TQtPluginDialogs dialogs;
  std::int32_t flags = 4072 | kCTFArmorProtect | kCTFNoFlagTossing | (1 << 20);
  std::vector<std::string> shown;
  test::WhenModal<TCTFBotOptionsDlg>([&](TCTFBotOptionsDlg& dialog) {
    shown = Checked(dialog, BoxNames(true));
    Click(dialog, "cbArmor");
    Click(dialog, "cbBotFlagPickups");  // bots stop taking flags: the bit goes on
    Click(dialog, "OKBtn");
  });
  ASSERT_TRUE(dialogs.ShowCTFBotOptions(flags));
  EXPECT_EQ(shown, (std::vector<std::string>{"cbArmor", "cbFragPenalty", "cbTeamColorLock",
                                             "cbStaticTeams", "cbDropItems", "cbCTF", "cbCustomCTF",
                                             "cbTeamSelect", "cbTotalFreedom", "cbPlayerRuneDrop",
                                             "cbBotFlagPickups"}));
  EXPECT_EQ(flags, 4072 | kCTFNoFlagTossing | kCTFNoBotFlagPickups);
}

TEST(CTFOptionsDlg, CancelKeepsTheFlags) {
  TQtPluginDialogs dialogs;
  std::int32_t flags = kCTFDisableGrapple | kCTFHealthProtect;
  std::vector<std::string> shown;
  test::WhenModal<TCTFOptionsDlg>([&](TCTFOptionsDlg& dialog) {
    shown = Checked(dialog, BoxNames(false));
    Click(dialog, "cbCTF");
    Click(dialog, "CancelBtn");
  });
  EXPECT_FALSE(dialogs.ShowCTFOptions(flags));
  EXPECT_EQ(shown, (std::vector<std::string>{"cbHealth", "cbDisableGrapple"}));
  EXPECT_EQ(flags, kCTFDisableGrapple | kCTFHealthProtect);
}

TEST(CTFOptionsDlg, TheBotGameTypeEditsItsRulesThroughTheRealDialog) {
  auto starter = MakeIntf<test::TRecordingStarter>();
  starter->Server = true;
  TQtPluginDialogs dialogs;
  auto plugin = MakeIntf<TCTFBotsQuakePlugIn>(*starter, dialogs);
  plugin->SetRuleFlags(4072);
  test::WhenModal<TCTFBotOptionsDlg>([&](TCTFBotOptionsDlg& dialog) {
    Click(dialog, "cbTotalFreedom");
    Click(dialog, "OKBtn");
  });
  EXPECT_TRUE(plugin->ShowServerOptions());
  TLongText line;
  plugin->GetScriptLine(0, line);
  EXPECT_EQ(line.Str(), "teamplay 2024");
}

}  // namespace
}  // namespace fx
