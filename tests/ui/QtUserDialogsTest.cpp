#include "ui/QtUserDialogs.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <string>

#include "fixtures/FileBuilder.h"
#include "fixtures/ModalDialog.h"
#include "fixtures/TempDir.h"

namespace fx {
namespace {

using ::testing::ElementsAre;

using test::WhenModal;

// --- filters -----------------------------------------------------------------------------

TEST(QtFileFilterTest, PairsBecomeQtFilters) {
  EXPECT_EQ(QtFileFilter("Demo Files|*.dem|All Files|*.*").toStdString(),
            "Demo Files (*.dem);;All Files (*)");
}

TEST(QtFileFilterTest, SeveralPatternsAreSeparatedByBlanks) {
  EXPECT_EQ(QtFileFilter("Executables|*.exe; *.bat|All Files|*.*").toStdString(),
            "Executables (*.exe *.bat);;All Files (*)");
}

TEST(QtFileFilterTest, IncompleteAndEmptyPartsAreDropped) {
  EXPECT_EQ(QtFileFilter("").toStdString(), "");
  EXPECT_EQ(QtFileFilter("Maps|*.bsp|").toStdString(), "Maps (*.bsp)");
  EXPECT_EQ(QtFileFilter("Maps|*.bsp|Lonely").toStdString(), "Maps (*.bsp)");
  EXPECT_EQ(QtFileFilter("Maps|*.bsp||").toStdString(), "Maps (*.bsp)");
}

TEST(QtFileFilterTest, MissingDescriptionOrPatternStillGivesAUsableFilter) {
  EXPECT_EQ(QtFileFilter("|*.pak").toStdString(), "(*.pak)");
  EXPECT_EQ(QtFileFilter("Anything|").toStdString(), "Anything (*)");
}

// --- message boxes -----------------------------------------------------------------------

TEST(MessageBoxMappingTest, Icons) {
  EXPECT_EQ(MessageBoxIcon(TMsgIcon::None), QMessageBox::NoIcon);
  EXPECT_EQ(MessageBoxIcon(TMsgIcon::Information), QMessageBox::Information);
  EXPECT_EQ(MessageBoxIcon(TMsgIcon::Warning), QMessageBox::Warning);
  EXPECT_EQ(MessageBoxIcon(TMsgIcon::Error), QMessageBox::Critical);
  EXPECT_EQ(MessageBoxIcon(TMsgIcon::Stop), QMessageBox::Critical);
  EXPECT_EQ(MessageBoxIcon(TMsgIcon::Question), QMessageBox::Question);
}

TEST(MessageBoxMappingTest, Buttons) {
  EXPECT_EQ(MessageBoxButtons(TMsgButtons::Ok), QMessageBox::Ok);
  EXPECT_EQ(MessageBoxButtons(TMsgButtons::OkCancel), QMessageBox::Ok | QMessageBox::Cancel);
  EXPECT_EQ(MessageBoxButtons(TMsgButtons::YesNo), QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(MessageBoxButtons(TMsgButtons::YesNoCancel),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
}

TEST(MessageBoxMappingTest, ClickedButtonsAreTheAnswers) {
  EXPECT_EQ(MessageResult(QMessageBox::Yes, TMsgButtons::YesNo), TMsgResult::Yes);
  EXPECT_EQ(MessageResult(QMessageBox::No, TMsgButtons::YesNoCancel), TMsgResult::No);
  EXPECT_EQ(MessageResult(QMessageBox::Cancel, TMsgButtons::OkCancel), TMsgResult::Cancel);
  EXPECT_EQ(MessageResult(QMessageBox::Ok, TMsgButtons::Ok), TMsgResult::Ok);
}

TEST(MessageBoxMappingTest, ClosedWithoutAButtonGivesTheSafestAnswer) {
  EXPECT_EQ(MessageResult(QMessageBox::NoButton, TMsgButtons::YesNoCancel), TMsgResult::Cancel);
  EXPECT_EQ(MessageResult(QMessageBox::NoButton, TMsgButtons::OkCancel), TMsgResult::Cancel);
  EXPECT_EQ(MessageResult(QMessageBox::NoButton, TMsgButtons::YesNo), TMsgResult::No);
  EXPECT_EQ(MessageResult(QMessageBox::NoButton, TMsgButtons::Ok), TMsgResult::Ok);
  // A button the box did not offer cannot be the answer either.
  EXPECT_EQ(MessageResult(QMessageBox::Yes, TMsgButtons::OkCancel), TMsgResult::Cancel);
}

TEST(CreateMessageBoxTest, ShowsTextCaptionIconAndButtons) {
  const auto box = CreateMessageBox({"Overwrite \"a.cfg\"?\n\nSure?", "Warning", TMsgIcon::Warning,
                                     TMsgButtons::YesNo, TMsgResult::No},
                                    nullptr);
  EXPECT_EQ(box->text().toStdString(), "Overwrite \"a.cfg\"?\n\nSure?");
  EXPECT_EQ(box->windowTitle().toStdString(), "Warning");
  EXPECT_EQ(box->icon(), QMessageBox::Warning);
  EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), box->button(QMessageBox::No));
}

TEST(CreateMessageBoxTest, TextFromOutsideIsNeverMarkup) {
  const auto box = CreateMessageBox({"<b>map</b> & <i>title</i>", "x"}, nullptr);
  EXPECT_EQ(box->textFormat(), Qt::PlainText);
}

TEST(CreateMessageBoxTest, EmptyCaptionIsTheApplicationsName) {
  const QString old = QApplication::applicationDisplayName();
  QApplication::setApplicationDisplayName("Fraxinel Test");
  const auto box = CreateMessageBox({"Hello", ""}, nullptr);
  EXPECT_EQ(box->windowTitle().toStdString(), "Fraxinel Test");
  QApplication::setApplicationDisplayName(old);
}

TEST(ShowMessageTest, ReturnsTheButtonTheUserPressed) {
  TQtUserDialogs dialogs;
  WhenModal<QMessageBox>([](QMessageBox& box) {
    EXPECT_EQ(box.text().toStdString(), "Really?");
    box.button(QMessageBox::Yes)->click();
  });
  EXPECT_EQ(dialogs.ShowMessage(
                {"Really?", "Warning", TMsgIcon::Warning, TMsgButtons::YesNo, TMsgResult::No}),
            TMsgResult::Yes);
}

TEST(ShowMessageTest, EnterTakesTheDefaultButton) {
  TQtUserDialogs dialogs;
  WhenModal<QMessageBox>([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); });
  EXPECT_EQ(dialogs.ShowMessage(
                {"Really?", "Warning", TMsgIcon::Warning, TMsgButtons::YesNo, TMsgResult::No}),
            TMsgResult::No);
}

TEST(ShowMessageTest, EscapeOnYesNoCancelIsCancel) {
  TQtUserDialogs dialogs;
  WhenModal<QMessageBox>([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
  EXPECT_EQ(dialogs.ShowMessage(
                {"Save?", "x", TMsgIcon::Question, TMsgButtons::YesNoCancel, TMsgResult::Yes}),
            TMsgResult::Cancel);
}

// --- file and folder choosers ------------------------------------------------------------

class ChooserTest : public ::testing::Test {
 protected:
  ChooserTest() { test::WriteFileBytes(FTemp / "demos" / "one.dem", "x"); }

  std::string Demos() const { return (FTemp / "demos").string(); }

  test::TTempDir FTemp;
  TQtUserDialogs FDialogs;
};

TEST_F(ChooserTest, OpenFileShowsTitleFilterAndStartFolder) {
  const std::string file = (FTemp / "demos" / "one.dem").string();
  WhenModal<QFileDialog>([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Play Demo");
    EXPECT_THAT(dialog.nameFilters(), ElementsAre("Demo Files (*.dem)", "All Files (*)"));
    EXPECT_EQ(dialog.directory().absolutePath().toStdString(), Demos());
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
    dialog.selectFile(QString::fromStdString(file));
    static_cast<QDialog&>(dialog).accept();  // protected in QFileDialog
  });
  EXPECT_EQ(FDialogs.ChooseOpenFile("Play Demo", "Demo Files|*.dem|All Files|*.*", Demos()), file);
}

TEST_F(ChooserTest, CancelledChooserGivesNothing) {
  WhenModal<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
  EXPECT_EQ(FDialogs.ChooseOpenFile("Play Demo", "Demo Files|*.dem", Demos()), std::nullopt);
}

TEST_F(ChooserTest, SaveFileAsksBeforeOverwriting) {
  const std::string file = (FTemp / "demos" / "new.dem").string();
  WhenModal<QFileDialog>([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    dialog.selectFile(QString::fromStdString(file));
    static_cast<QDialog&>(dialog).accept();  // protected in QFileDialog
  });
  EXPECT_EQ(FDialogs.ChooseSaveFile("Record Demo", "Demo Files|*.dem", Demos()), file);
}

TEST_F(ChooserTest, FolderChooserShowsFoldersOnlyAndStartsAtHomeWhenNotTold) {
  WhenModal<QFileDialog>([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Locate");
    EXPECT_EQ(dialog.fileMode(), QFileDialog::Directory);
    EXPECT_EQ(dialog.directory().absolutePath(), QDir::homePath());
    dialog.reject();
  });
  EXPECT_EQ(FDialogs.ChooseFolder("Locate", ""), std::nullopt);

  WhenModal<QFileDialog>([&](QFileDialog& dialog) {
    dialog.selectFile(QString::fromStdString(Demos()));
    static_cast<QDialog&>(dialog).accept();  // protected in QFileDialog
  });
  EXPECT_EQ(FDialogs.ChooseFolder("Locate", FTemp.Path().string()), Demos());
}

}  // namespace
}  // namespace fx
