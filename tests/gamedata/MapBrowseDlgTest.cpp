#include "gamedata/MapBrowseDlg.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "fixtures/BspBuilder.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/FindControl.h"
#include "fixtures/ModalDialog.h"
#include "fixtures/PakBuilder.h"
#include "fixtures/RecordingOpener.h"
#include "fixtures/ScriptedDialogs.h"
#include "fixtures/TempDir.h"
#include "gamedata/Stream.h"
#include "platform/FormatSettings.h"
#include "platform/Shell.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using test::TScriptedDialogs;
using test::WhenModal;
using test::WriteFileBytes;
using Names = std::vector<std::string>;

using test::Control;

std::string MapTitled(std::string_view title) {
  return test::TBspBuilder(test::Entity({{"classname", "worldspawn"}, {"message", title}})).Build();
}

Names Column(const QTreeWidget& list, int column) {
  Names texts;
  for (int i = 0; i < list.topLevelItemCount(); ++i)
    texts.push_back(list.topLevelItem(i)->text(column).toStdString());
  return texts;
}

using test::TRecordingOpener;

class MapBrowseDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FormatSettings().ThousandSeparator = ",";
    WriteFileBytes(FGame / "id1" / "maps" / "e1m1.bsp", MapTitled("The Slipgate Complex"));
    WriteFileBytes(FGame / "id1" / "maps" / "e1m2.bsp",
                   test::TBspBuilder(test::Entity({{"classname", "worldspawn"}})).Build());
    WriteFileBytes(FGame / "id1" / "maps" / "b_batt0.bsp", MapTitled("brush"));
    WriteFileBytes(FGame / "ctf" / "pak0.pak", test::TPakBuilder()
                                                   .Add("maps/ctf1.bsp", MapTitled("Capture"))
                                                   .Add("maps/ctf1.txt", "inside the archive")
                                                   .Add("maps/ctf2.bsp", MapTitled("Second"))
                                                   .Build());
    FDlg = std::make_unique<TMapBrowseDlg>(FGame.Path().string(), FDialogs);
  }

  std::string Maps() const { return (FGame / "id1" / "maps").string(); }
  std::string Pak() const { return (FGame / "ctf" / "pak0.pak").string(); }

  QComboBox& Folder() { return Control<QComboBox>(*FDlg, "cbFolder"); }
  QTreeWidget& List() { return Control<QTreeWidget>(*FDlg, "lvMap"); }
  QPushButton& Open() { return Control<QPushButton>(*FDlg, "OpenBtn"); }
  QPushButton& ViewDoc() { return Control<QPushButton>(*FDlg, "ViewDocBtn"); }

  void FillAndWait(const std::string& source) {
    FDlg->Fill(source);
    FDlg->WaitForFill();
  }
  void Select(int row) { List().setCurrentItem(List().topLevelItem(row)); }
  void ExpectOneError(const std::string& text) {
    ASSERT_EQ(FDialogs.Messages.size(), 1u);
    EXPECT_EQ(FDialogs.Messages[0].Text, text);
    EXPECT_EQ(FDialogs.Messages[0].Caption, "");
    EXPECT_EQ(FDialogs.Messages[0].Icon, TMsgIcon::Error);
  }

  test::TTempDir FGame;
  TScriptedDialogs FDialogs;
  std::unique_ptr<TMapBrowseDlg> FDlg;
};

TEST_F(MapBrowseDlgTest, FormHoldsTheControlsInTabOrder) {
  EXPECT_EQ(FDlg->windowTitle().toStdString(), "Select Map");
  auto& label = Control<QLabel>(*FDlg, "Label1");
  EXPECT_EQ(label.text().toStdString(), "Map &Folder:");
  EXPECT_EQ(label.buddy(), &Folder());
  EXPECT_TRUE(Folder().isEditable());
  auto& dirBtn = Control<QToolButton>(*FDlg, "DirBrowseBtn");
  auto& pakBtn = Control<QToolButton>(*FDlg, "PakBrowseBtn");
  EXPECT_EQ(dirBtn.toolTip().toStdString(), "Browse for folder");
  EXPECT_EQ(pakBtn.toolTip().toStdString(), "Browse for Pack file");
  ASSERT_EQ(List().columnCount(), 3);
  EXPECT_EQ(Column(List(), 0), Names{});
  EXPECT_EQ(List().headerItem()->text(0).toStdString(), "Name");
  EXPECT_EQ(List().headerItem()->text(1).toStdString(), "Size");
  EXPECT_EQ(List().headerItem()->text(2).toStdString(), "Title");
  EXPECT_EQ(List().headerItem()->textAlignment(1) & Qt::AlignRight, Qt::AlignRight);
  EXPECT_EQ(Open().text().toStdString(), "Open");
  EXPECT_TRUE(Open().isDefault());
  EXPECT_FALSE(Open().isEnabled());
  auto& cancel = Control<QPushButton>(*FDlg, "CancelBtn");
  EXPECT_EQ(cancel.text().toStdString(), "Cancel");
  EXPECT_EQ(ViewDoc().text().toStdString(), "View &Doc");

  // Tab visits the controls in the order they stand; the box's line edit stands for the box.
  // A map with a document, picked, so that no button is disabled.
  WriteFileBytes(FGame / "id1" / "maps" / "e1m1.txt", "notes");
  FillAndWait(Maps());
  Select(0);
  FDlg->show();
  FDlg->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(FDlg.get()));
  Folder().setFocus();
  std::vector<QWidget*> order;
  for (int i = 0; i < 7; ++i) {
    QWidget* focus = QApplication::focusWidget();
    order.push_back(Folder().isAncestorOf(focus) ? &Folder() : focus);
    QTest::keyClick(focus, Qt::Key_Tab);
  }
  const std::vector<QWidget*> expected = {&Folder(), &dirBtn, &pakBtn,   &List(),
                                          &Open(),   &cancel, &ViewDoc()};
  EXPECT_EQ(order, expected);
}

TEST_F(MapBrowseDlgTest, FolderFillShowsSortedRowsLikeTheBlockingFill) {
  FillAndWait(Maps());
  EXPECT_EQ(Column(List(), 0), (Names{"E1M1", "E1M2"}));
  EXPECT_EQ(Column(List(), 1), (Names{"1 KB", "1 KB"}));
  EXPECT_EQ(Column(List(), 2), (Names{"The Slipgate Complex", "(Untitled)"}));
  EXPECT_EQ(List().topLevelItem(0)->textAlignment(1) & Qt::AlignRight, Qt::AlignRight);
  EXPECT_FALSE(List().topLevelItem(0)->icon(0).isNull());
  EXPECT_TRUE(List().isEnabled());
  EXPECT_FALSE(Control<QProgressBar>(*FDlg, "pbFill").isVisible());
  EXPECT_FALSE(Open().isEnabled());
}

TEST_F(MapBrowseDlgTest, ChosenMapIsNameAndTitleOrNameAlone) {
  FillAndWait(Maps());
  EXPECT_EQ(FDlg->ChosenMap(), "");
  Select(0);
  EXPECT_TRUE(Open().isEnabled());
  EXPECT_EQ(FDlg->ChosenMap(), "E1M1: The Slipgate Complex");
  Select(1);
  EXPECT_EQ(FDlg->ChosenMap(), "E1M2");
  List().clearSelection();
  EXPECT_FALSE(Open().isEnabled());
}

TEST_F(MapBrowseDlgTest, AGlyphTitleShowsReadableAndIsHandedBackByteExact) {
  // What the title reader leaves of the game's glyphs: a red blank, rule pieces, a dot.
  const std::string title =
      "Red\xA0"
      "Base \x9D\x9E\x9F \x05";
  WriteFileBytes(FGame / "id1" / "maps" / "e1m1.bsp", MapTitled(title));
  FillAndWait(Maps());
  EXPECT_EQ(Column(List(), 2)[0], "Red Base --- \u2022");
  Select(0);
  EXPECT_EQ(FDlg->ChosenMap(), "E1M1: " + title);
}

TEST_F(MapBrowseDlgTest, EmptySourceShowsTheDisabledNoMapsRow) {
  fs::create_directories(FGame / "empty");
  FDlg->show();
  FillAndWait((FGame / "empty").string());
  EXPECT_EQ(Column(List(), 0), (Names{"No Maps found..."}));
  const QModelIndex row = List().model()->index(0, 0);
  EXPECT_GE(List().visualRect(row).width(), List().sizeHintForIndex(row).width()) << "cut";
  EXPECT_FALSE(List().isEnabled());
  EXPECT_FALSE(List().topLevelItem(0)->flags() & Qt::ItemIsSelectable);
  Select(0);
  EXPECT_FALSE(Open().isEnabled());
  EXPECT_EQ(FDlg->ChosenMap(), "");

  FillAndWait(Maps());  // rows again: the list comes back to life
  EXPECT_TRUE(List().isEnabled());
  EXPECT_EQ(List().topLevelItemCount(), 2);
}

TEST_F(MapBrowseDlgTest, PakBrowseListsTheArchiveAndItsDocumentLiesBesideIt) {
  TRecordingOpener opener;
  FDialogs.ChooserAnswers = {Pak()};
  QTest::mouseClick(&Control<QToolButton>(*FDlg, "PakBrowseBtn"), Qt::LeftButton);
  FDlg->WaitForFill();
  ASSERT_EQ(FDialogs.ChooserCalls.size(), 1u);
  EXPECT_EQ(FDialogs.ChooserCalls[0].Kind, "open");
  EXPECT_EQ(FDialogs.ChooserCalls[0].Filter, "Pack Files|*.pak|All Files|*.*");
  EXPECT_EQ(FDialogs.ChooserCalls[0].Start, FGame.Path().string());
  EXPECT_EQ(Folder().currentText().toStdString(), Pak());
  EXPECT_EQ(Column(List(), 0), (Names{"CTF1", "CTF2"}));

  Select(0);  // ctf1.txt is inside the archive only
  EXPECT_FALSE(ViewDoc().isEnabled());
  WriteFileBytes(FGame / "ctf" / "CTF1.TXT", "beside");
  Select(1);
  Select(0);
  EXPECT_TRUE(ViewDoc().isEnabled());
  QTest::mouseClick(&ViewDoc(), Qt::LeftButton);
  EXPECT_EQ(opener.Opened, (Names{(FGame / "ctf" / "CTF1.TXT").string()}));

  fs::remove(FGame / "ctf" / "CTF1.TXT");  // gone since the row was picked
  FDialogs.MessageAnswers = {TMsgResult::Ok};
  QTest::mouseClick(&ViewDoc(), Qt::LeftButton);
  ExpectOneError("No documents could be found.");
}

TEST_F(MapBrowseDlgTest, DirBrowseFillsFromTheChosenFolder) {
  FDialogs.ChooserAnswers = {std::nullopt, Maps()};
  auto& button = Control<QToolButton>(*FDlg, "DirBrowseBtn");
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(List().topLevelItemCount(), 0);
  QTest::mouseClick(&button, Qt::LeftButton);
  FDlg->WaitForFill();
  ASSERT_EQ(FDialogs.ChooserCalls.size(), 2u);
  EXPECT_EQ(FDialogs.ChooserCalls[1].Kind, "folder");
  EXPECT_EQ(FDialogs.ChooserCalls[1].Title, "Select a Map Folder");
  EXPECT_EQ(FDialogs.ChooserCalls[1].Start, FGame.Path().string());
  EXPECT_EQ(Column(List(), 0), (Names{"E1M1", "E1M2"}));
}

TEST_F(MapBrowseDlgTest, ArchiveThatCannotBeOpenedIsReportedAndLeavesTheListCleared) {
  FillAndWait(Maps());
  FDialogs.ChooserAnswers = {(FGame / "missing.pak").string()};
  FDialogs.MessageAnswers = {TMsgResult::Ok};
  QTest::mouseClick(&Control<QToolButton>(*FDlg, "PakBrowseBtn"), Qt::LeftButton);
  ASSERT_EQ(FDialogs.Messages.size(), 1u);
  EXPECT_NE(FDialogs.Messages[0].Text.find("missing.pak"), std::string::npos);
  EXPECT_EQ(FDialogs.Messages[0].Icon, TMsgIcon::Error);
  EXPECT_EQ(List().topLevelItemCount(), 0);
  EXPECT_FALSE(FDlg->Filling());
  EXPECT_THROW(FDlg->Fill((FGame / "missing.pak").string()), EFOpenError);
}

TEST_F(MapBrowseDlgTest, EnterWithMissingFolderReportsAndKeepsTheList) {
  FDlg->SetSources({Maps(), Pak()}, Maps());
  FillAndWait(Maps());
  FDlg->show();
  FDlg->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(FDlg.get()));
  Folder().setFocus();
  EXPECT_FALSE(Open().isDefault());  // Enter in the box is the box's
  Folder().setEditText(QString::fromStdString((FGame / "nowhere").string()));
  FDialogs.MessageAnswers = {TMsgResult::Ok};
  QTest::keyClick(&Folder(), Qt::Key_Return);
  ExpectOneError("The path does not exist.");
  EXPECT_EQ(Column(List(), 0), (Names{"E1M1", "E1M2"}));
  EXPECT_TRUE(FDlg->isVisible());
  EXPECT_FALSE(FDlg->Filling());

  List().setFocus();
  EXPECT_TRUE(Open().isDefault());
}

TEST_F(MapBrowseDlgTest, EnterWithAnExistingSourceRefillsInsteadOfClosing) {
  FDlg->SetSources({Maps(), Pak()}, Maps());
  FillAndWait(Maps());
  FDlg->show();
  Select(0);
  Folder().setFocus();
  Folder().setEditText(QString::fromStdString(Pak()));
  QTest::keyClick(&Folder(), Qt::Key_Return);
  FDlg->WaitForFill();
  EXPECT_TRUE(FDlg->isVisible());
  EXPECT_EQ(FDlg->result(), QDialog::Rejected);
  EXPECT_EQ(Column(List(), 0), (Names{"CTF1", "CTF2"}));
  EXPECT_TRUE(FDialogs.Messages.empty());
}

TEST_F(MapBrowseDlgTest, TypingReportsAMissingPathOnceUntilAnItemIsPicked) {
  FDlg->SetSources({Maps(), Pak()}, Maps());
  FillAndWait(Maps());
  FDlg->show();
  Folder().setFocus();
  Folder().lineEdit()->selectAll();
  FDialogs.MessageAnswers = {TMsgResult::Ok, TMsgResult::Ok};
  QTest::keyClicks(Folder().lineEdit(), "no-such-folder");
  ExpectOneError("The path does not exist.");
  EXPECT_EQ(Column(List(), 0), (Names{"E1M1", "E1M2"}));

  // Picking an item fills from it; the next typing may report again.
  const int pakIndex = Folder().findText(QString::fromStdString(Pak()));
  Folder().setCurrentIndex(pakIndex);
  emit Folder().activated(pakIndex);
  FDlg->WaitForFill();
  EXPECT_EQ(Column(List(), 0), (Names{"CTF1", "CTF2"}));
  Folder().lineEdit()->selectAll();
  QTest::keyClicks(Folder().lineEdit(), "nowhere");
  EXPECT_EQ(FDialogs.Messages.size(), 2u);
}

TEST_F(MapBrowseDlgTest, PickingTheFirstItemFillsFromIt) {
  // The initial text is not the first item; picking the first must not be taken as no change.
  FDlg->SetSources({Pak(), Maps()}, Maps());
  FillAndWait(Maps());
  const int pakIndex = Folder().findText(QString::fromStdString(Pak()));
  ASSERT_EQ(pakIndex, 0);
  Folder().setCurrentIndex(pakIndex);
  emit Folder().activated(pakIndex);
  FDlg->WaitForFill();
  EXPECT_EQ(Column(List(), 0), (Names{"CTF1", "CTF2"}));
}

// Many maps, in an order unlike their names, so that the rows arrive in several batches.
class MapBrowseBulkTest : public MapBrowseDlgTest {
 protected:
  void SetUp() override {
    MapBrowseDlgTest::SetUp();
    test::TPakBuilder pak;
    for (int i = 0; i < 300; ++i) {
      const std::string name = "m" + std::to_string((i * 7919) % 300);
      pak.Add("maps/" + name + ".bsp", MapTitled("Map " + name));
      WriteFileBytes(FGame / "bulk" / (name + ".bsp"), MapTitled("Map " + name));
    }
    WriteFileBytes(FGame / "bulk.pak", pak.Build());
  }
  std::string BulkPak() const { return (FGame / "bulk.pak").string(); }
  std::string BulkFolder() const { return (FGame / "bulk").string(); }
};

TEST_F(MapBrowseBulkTest, FinalRowsEqualTheBlockingFill) {
  for (const std::string& source : {BulkPak(), BulkFolder()}) {
    FillAndWait(source);
    const std::vector<TMapRow> expected = ReadMapRows(source);
    ASSERT_EQ(static_cast<std::size_t>(List().topLevelItemCount()), expected.size()) << source;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const QTreeWidgetItem* item = List().topLevelItem(static_cast<int>(i));
      EXPECT_EQ(item->text(0).toStdString(), expected[i].Caption);
      EXPECT_EQ(item->text(1).toStdString(), expected[i].SizeText);
      EXPECT_EQ(item->text(2).toStdString(), expected[i].Title);
    }
  }
}

TEST_F(MapBrowseBulkTest, ProgressShowsWhileFillingAndANewFillReplacesARunningOne) {
  FDlg->show();
  FDlg->Fill(BulkPak());
  EXPECT_TRUE(FDlg->Filling());
  EXPECT_TRUE(Control<QProgressBar>(*FDlg, "pbFill").isVisible());
  EXPECT_EQ(Control<QProgressBar>(*FDlg, "pbFill").maximum(), 300);
  QCoreApplication::processEvents();  // let some batches of the first fill arrive
  FDlg->Fill(Maps());
  FDlg->WaitForFill();
  EXPECT_EQ(Column(List(), 0), (Names{"E1M1", "E1M2"}));
  EXPECT_FALSE(Control<QProgressBar>(*FDlg, "pbFill").isVisible());
  // Nothing of the first fill is still on its way.
  QCoreApplication::processEvents();
  EXPECT_EQ(List().topLevelItemCount(), 2);
}

TEST_F(MapBrowseBulkTest, FailedFillAfterARunningOneLeavesNothingBehind) {
  FDlg->show();
  FDlg->Fill(BulkPak());
  EXPECT_THROW(FDlg->Fill((FGame / "missing.pak").string()), EFOpenError);
  EXPECT_FALSE(FDlg->Filling());
  EXPECT_FALSE(Control<QProgressBar>(*FDlg, "pbFill").isVisible());
  QCoreApplication::processEvents();  // batches of the stopped fill are dropped
  EXPECT_EQ(List().topLevelItemCount(), 0);
}

TEST_F(MapBrowseBulkTest, ClosingDuringAFillStopsItSafely) {
  FDlg->Fill(BulkFolder());
  QCoreApplication::processEvents();
  FDlg.reset();
  QCoreApplication::processEvents();  // posted batches died with the dialog
  SUCCEED();
}

TEST_F(MapBrowseBulkTest, SelectionMadeDuringTheFillSurvivesTheSort) {
  FDlg->Fill(BulkPak());
  while (FDlg->Filling() && List().topLevelItemCount() == 0)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  ASSERT_GT(List().topLevelItemCount(), 0);
  Select(0);
  const std::string chosen = FDlg->ChosenMap();
  FDlg->WaitForFill();
  EXPECT_EQ(FDlg->ChosenMap(), chosen);
}

class BrowseMapTest : public MapBrowseDlgTest {};

TEST_F(BrowseMapTest, OffersTheGameAndPatchSourcesAndHandsBackTheChosenMap) {
  WriteFileBytes(FGame / "ctf" / "maps" / "ctfstart.bsp", MapTitled("(untitled)"));
  Names items;
  std::string text;
  WhenModal<TMapBrowseDlg>([&](TMapBrowseDlg& dlg) {
    dlg.WaitForFill();
    auto& folder = Control<QComboBox>(dlg, "cbFolder");
    for (int i = 0; i < folder.count(); ++i)
      items.push_back(folder.itemText(i).toStdString());
    text = folder.currentText().toStdString();
    auto& list = Control<QTreeWidget>(dlg, "lvMap");
    list.setCurrentItem(list.topLevelItem(0));
    QTest::mouseClick(&Control<QPushButton>(dlg, "OpenBtn"), Qt::LeftButton);
  });
  const std::optional<std::string> chosen = BrowseMap(FGame.Path().string(), "ctf", FDialogs);
  // The drop-down list is sorted.
  EXPECT_EQ(items, (Names{(FGame / "ctf" / "maps").string(), Pak(), Maps()}));
  EXPECT_EQ(text, (FGame / "ctf" / "maps").string());
  EXPECT_EQ(chosen, std::optional<std::string>("CTFSTART"));
}

// A stock install keeps its maps in id1's archive; the browser opens there.
TEST_F(BrowseMapTest, AStockInstallOpensOnTheArchiveAndADoubleClickPicksTheMap) {
  test::TTempDir stock;
  WriteFileBytes(stock / "id1" / "PAK0.PAK",
                 test::TPakBuilder().Add("maps/start.bsp", MapTitled("Intro")).Build());
  fs::create_directories(stock / "id1" / "maps");
  std::string text;
  WhenModal<TMapBrowseDlg>([&](TMapBrowseDlg& dlg) {
    dlg.WaitForFill();
    text = Control<QComboBox>(dlg, "cbFolder").currentText().toStdString();
    auto& list = Control<QTreeWidget>(dlg, "lvMap");
    const QRect row = list.visualItemRect(list.topLevelItem(0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, row.center());
  });
  const std::optional<std::string> chosen = BrowseMap(stock.Path().string(), "(None)", FDialogs);
  EXPECT_EQ(text, (stock / "id1" / "PAK0.PAK").string());
  EXPECT_EQ(chosen, std::optional<std::string>("START: Intro"));
}

TEST_F(BrowseMapTest, CancelHandsBackNothing) {
  WhenModal<TMapBrowseDlg>([](TMapBrowseDlg& dlg) {
    dlg.WaitForFill();
    auto& list = Control<QTreeWidget>(dlg, "lvMap");
    list.setCurrentItem(list.topLevelItem(0));
    QTest::mouseClick(&Control<QPushButton>(dlg, "CancelBtn"), Qt::LeftButton);
  });
  EXPECT_EQ(BrowseMap(FGame.Path().string(), "(None)", FDialogs), std::nullopt);
}

}  // namespace
}  // namespace fx
