// The options dialogs of TeamFortress, Head Hunters and Varimix, driven through the dialog
// interface the game types use.

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <tuple>
#include <vector>

#include "fixtures/FindControl.h"
#include "fixtures/ModalDialog.h"
#include "plugins/HHOptionsDlg.h"
#include "plugins/QtPluginDialogs.h"
#include "plugins/TFSettingsDlg.h"
#include "plugins/VarimixOptionsDlg.h"

namespace fx {
namespace {

using test::Control;

// Clicks a button where its box or label starts: a check box takes clicks on those only.
void Click(QDialog& dialog, const char* name) {
  auto& button = Control<QAbstractButton>(dialog, name);
  QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(8, button.height() / 2));
}

bool Checked(QDialog& dialog, const char* name) {
  return Control<QAbstractButton>(dialog, name).isChecked();
}

void ExpectFixedAtLeast(const QDialog& dialog, int width, int height) {
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << "a fixed dialog border";
  EXPECT_GE(dialog.width(), width);
  EXPECT_GE(dialog.height(), height);
  EXPECT_TRUE(Control<QPushButton>(dialog, "OKBtn").isDefault());
}

TEST(TFSettingsDlg, EveryBoxCarriesItsBitAsTagOnThePanelItCounts) {
  TTFSettingsDlg dialog;
  ExpectFixedAtLeast(dialog, 342, 214);
  const std::vector<std::tuple<const char*, int, const char*>> boxes = {
      {"cbClassPersistance", 1, "Temp1Panel"}, {"cbRespawnDelay", 4, "Temp1Panel"},
      {"cbAutoteam", 64, "Temp1Panel"},        {"cbTeamFrags", 128, "Temp1Panel"},
      {"cbSpyInvis", 512, "Temp1Panel"},       {"cbGrapple", 1024, "Temp1Panel"},
      {"cbTeamEqMembers", 32, "TeamEqGroup"},  {"cbTeamEqLowScore", 64, "TeamEqGroup"}};
  for (const auto& [name, tag, parent] : boxes) {
    const auto& box = Control<QCheckBox>(dialog, name);
    EXPECT_EQ(box.property("Tag").toInt(), tag) << name;
    EXPECT_EQ(box.parentWidget()->objectName(), parent) << name;
  }
}

TEST(TFSettingsDlg, OkRebuildsBothRuleSetsWithoutTheTeamplayBit) {
  TQtPluginDialogs dialogs;
  TTFFlags flags{kTFClassPersistance | kTFGrapple, kTFTeamplayOn | kTFDirectFireHalf |
                                                       kTFDirectFireNone | kTFAreaAffectHalf |
                                                       kTFTeamEqLowScore};
  test::WhenModal<TTFSettingsDlg>([](TTFSettingsDlg& dialog) {
    EXPECT_TRUE(Checked(dialog, "cbClassPersistance"));
    EXPECT_TRUE(Checked(dialog, "cbGrapple"));
    EXPECT_FALSE(Checked(dialog, "cbAutoteam"));
    EXPECT_FALSE(Checked(dialog, "cbTeamEqMembers"));
    EXPECT_TRUE(Checked(dialog, "cbTeamEqLowScore"));
    EXPECT_EQ(Control<QComboBox>(dialog, "cbDirectFire").currentIndex(), 2);
    EXPECT_EQ(Control<QComboBox>(dialog, "cbAreaAffect").currentIndex(), 1);
    Click(dialog, "cbAutoteam");
    Click(dialog, "cbGrapple");
    Control<QComboBox>(dialog, "cbDirectFire").setCurrentIndex(0);
    Click(dialog, "OKBtn");
  });
  ASSERT_TRUE(dialogs.ShowTFSettings(flags));
  EXPECT_EQ(flags,
            (TTFFlags{kTFClassPersistance | kTFAutoteam, kTFAreaAffectHalf | kTFTeamEqLowScore}));

  test::WhenModal<TTFSettingsDlg>([](TTFSettingsDlg& dialog) {
    Click(dialog, "cbTeamEqMembers");
    Click(dialog, "CancelBtn");
  });
  EXPECT_FALSE(dialogs.ShowTFSettings(flags));
  EXPECT_EQ(flags.Team, kTFAreaAffectHalf | kTFTeamEqLowScore);
}

TEST(HHOptionsDlg, TheDefaultsShownAndEverythingOnPacked) {
  TQtPluginDialogs dialogs;
  std::int32_t options = 7169;
  test::WhenModal<THHOptionsDlg>([](THHOptionsDlg& dialog) {
    ExpectFixedAtLeast(dialog, 347, 229);
    auto& heads = Control<QSlider>(dialog, "tbMaxHeads");
    EXPECT_EQ(heads.minimum(), 1);
    EXPECT_EQ(heads.maximum(), 15);
    EXPECT_EQ(heads.value(), 14);
    EXPECT_EQ(Control<QLabel>(dialog, "VisHeadLabel").text(), "14 visible heads");
    for (const char* on : {"cbCustom", "cbGrapple", "cbLevelVoting", "cbSumScoring", "cbDeathMsgs",
                           "cbHeadPickupMsgs", "cbAltarMsgs", "rbMaximumLag"})
      EXPECT_TRUE(Checked(dialog, on)) << on;
    EXPECT_FALSE(Checked(dialog, "cbFragsForKills"));

    Click(dialog, "cbFragsForKills");
    heads.setFocus();
    QTest::keyClick(&heads, Qt::Key_End);
    EXPECT_EQ(Control<QLabel>(dialog, "VisHeadLabel").text(), "15 visible heads");
    QTest::keyClick(&heads, Qt::Key_Home);
    EXPECT_EQ(Control<QLabel>(dialog, "VisHeadLabel").text(), "1 visible head");
    QTest::keyClick(&heads, Qt::Key_End);
    Click(dialog, "rbLeastLag");
    Click(dialog, "OKBtn");
  });
  ASSERT_TRUE(dialogs.ShowHHOptions(options));
  EXPECT_EQ(options, 32265);

  // Inverted switches off, no heads stored: the bar shows its least.
  options = 2 | 4 | 16 | 32 | 64 | 128 | 2 * 8192;
  test::WhenModal<THHOptionsDlg>([](THHOptionsDlg& dialog) {
    for (const char* off : {"cbCustom", "cbGrapple", "cbLevelVoting", "cbSumScoring", "cbDeathMsgs",
                            "cbHeadPickupMsgs", "cbAltarMsgs"})
      EXPECT_FALSE(Checked(dialog, off)) << off;
    EXPECT_TRUE(Checked(dialog, "rbLowerLag"));
    EXPECT_EQ(Control<QLabel>(dialog, "VisHeadLabel").text(), "1 visible head");
    Click(dialog, "OKBtn");
  });
  ASSERT_TRUE(dialogs.ShowHHOptions(options));
  EXPECT_EQ(options, 2 | 4 | 16 | 32 | 64 | 128 | 512 | 2 * 8192);
}

TEST(VarimixOptionsDlg, UncheckedFeaturesAndDebugModePacked) {
  TQtPluginDialogs dialogs;
  std::int32_t options = 0;
  test::WhenModal<TVarimixOptionsDlg>([](TVarimixOptionsDlg& dialog) {
    ExpectFixedAtLeast(dialog, 224, 186);
    auto& list = Control<QListWidget>(dialog, "clbFeatures");
    ASSERT_EQ(list.count(), 7);
    for (int i = 0; i < list.count(); ++i)
      EXPECT_EQ(list.item(i)->checkState(), Qt::Checked) << i;
    EXPECT_FALSE(Checked(dialog, "cbDebugMode"));
    // The keyboard toggles an item.
    list.setFocus();
    for (int row : {1, 6}) {
      list.setCurrentRow(row);
      QTest::keyClick(&list, Qt::Key_Space);
    }
    Click(dialog, "cbDebugMode");
    Click(dialog, "OKBtn");
  });
  ASSERT_TRUE(dialogs.ShowVarimixOptions(options));
  EXPECT_EQ(options, 2114);

  test::WhenModal<TVarimixOptionsDlg>([](TVarimixOptionsDlg& dialog) {
    EXPECT_EQ(Control<QListWidget>(dialog, "clbFeatures").item(6)->checkState(), Qt::Unchecked);
    Click(dialog, "cbDebugMode");
    Click(dialog, "CancelBtn");
  });
  EXPECT_FALSE(dialogs.ShowVarimixOptions(options));
  EXPECT_EQ(options, 2114);
}

}  // namespace
}  // namespace fx
