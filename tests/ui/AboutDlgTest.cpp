#include <gtest/gtest.h>
#include <QLabel>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "fixtures/FindControl.h"
#include "fixtures/ScriptedDialogs.h"
#include "platform/Timer.h"
#include "ui/FXAboutDlg.h"
#include "ui/ScrollText.h"

namespace fx {
namespace {

using test::Control;
using test::TScriptedDialogs;

// The about box on timers the test fires: [0] is Timer1, [1] the scrolling text's.
class AboutDlg : public ::testing::Test {
 protected:
  TScriptedDialogs FDialogs;
  std::vector<TManualTimer*> FTimers;
  std::function<std::string(int)> FPictures;

  std::unique_ptr<TFXAboutDlg> Make() {
    TAboutOptions options;
    options.Dialogs = &FDialogs;
    options.MakeTimer = [this] {
      auto timer = std::make_unique<TManualTimer>();
      FTimers.push_back(timer.get());
      return timer;
    };
    if (FPictures) options.PictureData = FPictures;
    return std::make_unique<TFXAboutDlg>(nullptr, options);
  }
  static void Type(QWidget& dlg, const char* word) {
    for (const char* c = word; *c != '\0'; ++c)
      QTest::keyClick(&dlg, static_cast<Qt::Key>(Qt::Key_A + (*c - 'A')), Qt::AltModifier);
  }
};

TEST_F(AboutDlg, ShowsTheProgramAndHidesItsScrollingText) {
  auto dlg = Make();
  EXPECT_EQ(dlg->windowTitle(), "About Fraxinel");
  EXPECT_EQ(Control<QLabel>(*dlg, "VersionLabel").text().toStdString(),
            AboutVersionText(ProgramVersion()));
  EXPECT_TRUE(Control<QLabel>(*dlg, "MemLabel").text().endsWith(" KB"));
  EXPECT_EQ(Control<QLabel>(*dlg, "CreditsHint").text(),
            "Hold down ALT and type CREDITS to view credits.");
  auto& scroll = Control<TScrollText>(*dlg, "ScrollText1");
  EXPECT_FALSE(scroll.isVisibleTo(dlg.get()));
  EXPECT_FALSE(scroll.Core().Timer().Running());
  EXPECT_EQ(scroll.Core().Steps(), 1000);
  EXPECT_EQ(scroll.Core().TextStyle(), TTextStyle::tsShaddow);
  EXPECT_EQ(scroll.Core().ScrollDirection(), TScrollDirection::sdBottomToTop);
  EXPECT_FALSE(scroll.Core().Continuous());
}

TEST_F(AboutDlg, CreditsShowThePictureThenRollAndCloseTheWindow) {
  auto dlg = Make();
  dlg->show();
  Type(*dlg, "CRX");  // cleared at the X
  EXPECT_FALSE(dlg->ShowsCredits());
  Type(*dlg, "CREDITS");
  ASSERT_TRUE(dlg->ShowsCredits());
  EXPECT_FALSE(Control<QWidget>(*dlg, "AboutPanel").isVisible());
  auto& image = Control<QLabel>(*dlg, "CreditImage");
  EXPECT_TRUE(image.isVisible());
  EXPECT_EQ(image.pixmap().size(), QSize(1024, 768));
  EXPECT_EQ(image.geometry(), dlg->rect());
  ASSERT_EQ(FTimers.size(), 2u);
  EXPECT_TRUE(FTimers[0]->Running());
  EXPECT_EQ(FTimers[0]->Interval().count(), 10000);

  FTimers[0]->Fire();
  EXPECT_FALSE(FTimers[0]->Running());
  auto& scroll = Control<TScrollText>(*dlg, "ScrollText1");
  EXPECT_TRUE(scroll.isVisible());
  EXPECT_EQ(scroll.size(), QSize(640, 461));
  EXPECT_EQ(scroll.geometry().center(), dlg->rect().center());
  ASSERT_TRUE(FTimers[1]->Running());
  for (int i = 0; i <= 1000; ++i)
    FTimers[1]->Fire();
  EXPECT_FALSE(dlg->isVisible());
  EXPECT_TRUE(FDialogs.Messages.empty());
}

TEST_F(AboutDlg, ABrokenPictureIsReportedAndTheWindowStays) {
  FPictures = [](int) { return std::string("\xff\xd8\xff broken"); };
  auto dlg = Make();
  dlg->show();
  FDialogs.MessageAnswers = {TMsgResult::Ok};
  Type(*dlg, "ASHTREE");
  ASSERT_EQ(FDialogs.Messages.size(), 1u);
  EXPECT_EQ(FDialogs.Messages[0].Text.rfind("The credit picture 1003 could not be shown.\n", 0), 0u)
      << FDialogs.Messages[0].Text;
  EXPECT_EQ(FDialogs.Messages[0].Icon, TMsgIcon::Error);
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_FALSE(FTimers[0]->Running());  // only CREDITS rolls on
  QTest::keyClick(dlg.get(), Qt::Key_Escape);
  EXPECT_FALSE(dlg->isVisible());
}

}  // namespace
}  // namespace fx
