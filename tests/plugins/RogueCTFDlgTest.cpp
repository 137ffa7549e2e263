#include <gtest/gtest.h>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>

#include "fixtures/ModalDialog.h"
#include "plugins/FXStdPlgIn.h"
#include "plugins/QtPluginDialogs.h"
#include "plugins/RogueCTFDlg.h"
#include "tests/plugins/RecordingStarter.h"

namespace fx {
namespace {

QCheckBox* Box(QDialog& dialog, const char* name) {
  auto* box = dialog.findChild<QCheckBox*>(name);
  EXPECT_NE(box, nullptr) << name;
  return box;
}

// The five boxes in the order cbHealth, cbArmor, cbRunes, cbUseColor, cbAllowChange.
std::vector<bool> Boxes(QDialog& dialog) {
  std::vector<bool> checked;
  for (const char* name : {"cbHealth", "cbArmor", "cbRunes", "cbUseColor", "cbAllowChange"}) {
    QCheckBox* box = Box(dialog, name);
    checked.push_back(box != nullptr && box->isChecked());
  }
  return checked;
}

TEST(RogueCTFDlg, TheFormAsDesigned) {
  TRogueCTFDlg dialog;
  EXPECT_EQ(dialog.windowTitle(), "Additional Options");
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << "a fixed dialog border";
  EXPECT_GE(dialog.width(), 220);
  EXPECT_GE(dialog.height(), 148);
  auto* protect = dialog.findChild<QGroupBox*>();
  ASSERT_NE(protect, nullptr);
  EXPECT_EQ(protect->title(), "Protect");
  EXPECT_EQ(Box(dialog, "cbHealth")->parentWidget(), protect);
  EXPECT_EQ(Box(dialog, "cbArmor")->parentWidget(), protect);
  EXPECT_EQ(Box(dialog, "cbHealth")->text(), "Health Protect");
  EXPECT_EQ(Box(dialog, "cbHealth")->toolTip(),
            "Players receive no health damage from teammates' attacks.");
  EXPECT_EQ(Box(dialog, "cbArmor")->text(), "Armor Protect");
  EXPECT_EQ(Box(dialog, "cbArmor")->toolTip(),
            "Players receive no armor damage from teammates' attacks.");
  EXPECT_EQ(Box(dialog, "cbRunes")->text(), "Enable Runes");
  EXPECT_EQ(Box(dialog, "cbUseColor")->text(), "Use player colors to build the teams");
  EXPECT_EQ(Box(dialog, "cbAllowChange")->text(), "Allow team change");
  EXPECT_EQ(Boxes(dialog), (std::vector<bool>{true, true, false, false, false}));
  auto* ok = dialog.findChild<QPushButton*>("OKBtn");
  auto* cancel = dialog.findChild<QPushButton*>("CancelBtn");
  ASSERT_NE(ok, nullptr);
  ASSERT_NE(cancel, nullptr);
  EXPECT_EQ(ok->text(), "OK");
  EXPECT_TRUE(ok->isDefault());
  EXPECT_EQ(cancel->text(), "Cancel");
}

TEST(RogueCTFDlg, ChoiceGoesInAndOutOfTheBoxes) {
  TRogueCTFDlg dialog;
  const TRogueCTFChoice choice{false, true, true, false, true};
  dialog.SetChoice(choice);
  EXPECT_EQ(Boxes(dialog), (std::vector<bool>{false, true, true, false, true}));
  EXPECT_EQ(dialog.Choice(), choice);
}

TEST(QtPluginDialogs, OkRebuildsTheFlagsFromTheBoxes) {
  TQtPluginDialogs dialogs;
  std::int32_t flags = 4 | 1 | 64;  // no health protection, runes, a bit the dialog lacks
  std::vector<bool> shown;
  test::WhenModal<TRogueCTFDlg>([&](TRogueCTFDlg& dialog) {
    shown = Boxes(dialog);
    QTest::mouseClick(Box(dialog, "cbArmor"), Qt::LeftButton);        // armor protection off
    QTest::mouseClick(Box(dialog, "cbAllowChange"), Qt::LeftButton);  // team change on
    QTest::mouseClick(dialog.findChild<QPushButton*>("OKBtn"), Qt::LeftButton);
  });
  EXPECT_TRUE(dialogs.ShowRogueCTF(flags));
  EXPECT_EQ(shown, (std::vector<bool>{false, true, true, false, false}));
  EXPECT_EQ(flags, 4 | 2 | 1 | 16);
}

TEST(QtPluginDialogs, CancelKeepsTheFlags) {
  TQtPluginDialogs dialogs;
  std::int32_t flags = 8;
  test::WhenModal<TRogueCTFDlg>([&](TRogueCTFDlg& dialog) {
    EXPECT_EQ(Boxes(dialog), (std::vector<bool>{true, true, false, true, false}));
    QTest::mouseClick(Box(dialog, "cbRunes"), Qt::LeftButton);
    QTest::mouseClick(dialog.findChild<QPushButton*>("CancelBtn"), Qt::LeftButton);
  });
  EXPECT_FALSE(dialogs.ShowRogueCTF(flags));
  EXPECT_EQ(flags, 8);
}

TEST(QtPluginDialogs, TheMissionPackEditsItsFlagsThroughTheRealDialog) {
  auto starter = MakeIntf<test::TRecordingStarter>();
  starter->Teamplay = 4;
  starter->Server = true;
  TQtPluginDialogs dialogs;
  auto plugin = MakeIntf<TStandardQuakePluginM2>(*starter, dialogs);
  test::WhenModal<TRogueCTFDlg>([&](TRogueCTFDlg& dialog) {
    QTest::mouseClick(Box(dialog, "cbUseColor"), Qt::LeftButton);
    QTest::mouseClick(dialog.findChild<QPushButton*>("OKBtn"), Qt::LeftButton);
  });
  EXPECT_TRUE(plugin->ShowServerOptions());
  EXPECT_EQ(plugin->GameFlags(), 8);
  TLongText line;
  plugin->GetScriptLine(0, line);
  EXPECT_EQ(line.Str(), "gamecfg 8");
}

}  // namespace
}  // namespace fx
