#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include <string>
#include <vector>

#include "fixtures/FindControl.h"
#include "fixtures/ModalDialog.h"
#include "fixtures/ScriptedDialogs.h"
#include "launcher/FXLaunchForm.h"
#include "settings/FXSettings.h"
#include "settings/RegistrySandbox.h"
#include "tools/ConfigureToolDlg.h"
#include "tools/EditToolsDlg.h"
#include "tools/FXTools.h"

namespace fx {
namespace {

using test::Control;
using test::TRegistrySandbox;
using test::TScriptedDialogs;
using test::WhenModal;
using ::testing::ElementsAre;

constexpr const char* kToolsSection = "[HKEY_CURRENT_USER\\Software\\Bolsk\\Fraxinel\\Tools]";

TTool Tool(const std::string& title, const std::string& path) {
  TTool tool;
  tool.Title = title;
  tool.Path = path;
  tool.WorkDir = "/w/" + title;
  tool.Param = "-" + title;
  return tool;
}

std::vector<std::string> Lines(QListWidget& list) {
  std::vector<std::string> lines;
  for (int i = 0; i < list.count(); ++i)
    lines.push_back(list.item(i)->text().toStdString());
  return lines;
}

TEST(EditTools, DeletingTheMiddleToolWritesTheRenumberedListAtOnce) {
  TRegistrySandbox sandbox;
  TScriptedDialogs dialogs;
  TToolList tools;
  tools.Items = {Tool("A", "/a"), Tool("B", "/b"), Tool("C", "/c")};
  WhenModal<TEditToolsDlg>([](TEditToolsDlg& dlg) {
    auto& list = Control<QListWidget>(dlg, "lbTools");
    EXPECT_FALSE(Control<QPushButton>(dlg, "DeleteBtn").isEnabled());
    list.setCurrentRow(1);
    Control<QPushButton>(dlg, "DeleteBtn").click();
    EXPECT_THAT(Lines(list), ElementsAre("A", "C"));
    EXPECT_FALSE(Control<QPushButton>(dlg, "DeleteBtn").isEnabled());
    Control<QPushButton>(dlg, "CloseBtn").click();
  });
  TRegistry registry;
  EditTools(tools, registry, "/games/quake", nullptr, dialogs);

  // In the file the moment the dialog is gone, without waiting for the program's end.
  EXPECT_THAT(TRegistrySandbox::Section(sandbox.UserReg(), kToolsSection),
              ::testing::Optional(
                  ElementsAre("\"Count\"=dword:00000002", "\"Title0\"=\"A\"", "\"Path0\"=\"/a\"",
                              "\"WorkDir0\"=\"/w/A\"", "\"Param0\"=\"-A\"", "\"Title1\"=\"C\"",
                              "\"Path1\"=\"/c\"", "\"WorkDir1\"=\"/w/C\"", "\"Param1\"=\"-C\"")));
  sandbox.Reopen();
  TToolList next;
  TRegistry fresh;
  next.Load(fresh);
  EXPECT_EQ(next.Items, tools.Items);
}

TEST(EditTools, MoveButtonsFollowTheSelectedLine) {
  TScriptedDialogs dialogs;
  TEditToolsDlg dlg(nullptr, {Tool("A", ""), Tool("B", ""), Tool("C", "")}, "", dialogs);
  auto& list = Control<QListWidget>(dlg, "lbTools");
  auto& up = Control<QToolButton>(dlg, "MoveUpBtn");
  auto& down = Control<QToolButton>(dlg, "MoveDownBtn");
  EXPECT_EQ(up.toolTip(), "Move Tool Up");
  EXPECT_FALSE(up.isEnabled());
  EXPECT_FALSE(down.isEnabled());
  list.setCurrentRow(0);
  EXPECT_FALSE(up.isEnabled());
  EXPECT_TRUE(down.isEnabled());
  down.click();
  down.click();
  EXPECT_THAT(Lines(list), ElementsAre("B", "C", "A"));
  EXPECT_EQ(list.currentRow(), 2);
  EXPECT_TRUE(up.isEnabled());
  EXPECT_FALSE(down.isEnabled());
  up.click();
  const std::vector<TTool> tools = dlg.TakeTools();
  ASSERT_EQ(tools.size(), 3u);
  EXPECT_EQ(tools[1].Title, "A");
}

TEST(EditTools, AddKeepsOnlyAConfirmedTool) {
  TScriptedDialogs dialogs;
  TEditToolsDlg dlg(nullptr, {}, "", dialogs);
  for (const bool confirm : {false, true}) {
    WhenModal<TConfigureToolDlg>([confirm](TConfigureToolDlg& tool) {
      EXPECT_EQ(Control<QLineEdit>(tool, "TitleEdit").text(), "New Tool");
      Control<QLineEdit>(tool, "TitleEdit").setText("Light");
      Control<QPushButton>(tool, confirm ? "OKBtn" : "CancelBtn").click();
    });
    Control<QPushButton>(dlg, "AddBtn").click();
  }
  EXPECT_THAT(Lines(Control<QListWidget>(dlg, "lbTools")), ElementsAre("Light"));
}

TEST(ConfigureTool, BrowseNamesANewToolAfterItsProgramOnly) {
  struct TCase {
    const char* Title;
    const char* Path;
    const char* Start;  // where the chooser opens
    const char* After;
  };
  for (const TCase& c : {TCase{"New Tool", "", "/games/quake", "qbsp"},
                         TCase{"My compiler", "/old/qbsp", "/old/qbsp", "My compiler"}}) {
    TScriptedDialogs dialogs;
    dialogs.ChooserAnswers = {"/opt/tools/qbsp.sh"};
    TConfigureToolDlg dlg(nullptr, "/games/quake", dialogs);
    dlg.SetFields({c.Title, c.Path, "", "-v"});
    Control<QPushButton>(dlg, "BrowseBtn").click();
    ASSERT_EQ(dialogs.ChooserCalls.size(), 1u);
    // Any file first: Linux tools seldom end in .exe or .bat.
    EXPECT_EQ(dialogs.ChooserCalls[0].Filter, "All Files|*|Executables|*.exe;*.bat");
    EXPECT_EQ(dialogs.ChooserCalls[0].Start, c.Start);
    const TToolFields fields = dlg.Fields();
    EXPECT_EQ(fields.Title, c.After);
    EXPECT_EQ(fields.Path, "/opt/tools/qbsp.sh");
    EXPECT_EQ(fields.WorkDir, "/opt/tools");
    EXPECT_EQ(fields.Param, "-v");
  }
}

class ToolsMenu : public ::testing::Test {
 protected:
  TRegistrySandbox FSandbox;
  TProgramSettings FSettings;
  TScriptedDialogs FDialogs;
  TToolList FTools;

  QStringList Visible(QMenu& menu) {
    QStringList texts;
    for (const QAction* action : menu.actions())
      if (action->isVisible()) texts << action->objectName() + "=" + action->text();
    return texts;
  }
};

TEST_F(ToolsMenu, ListsTheToolsOrOnlyThePlaceholderAndRunsThem) {
  TLaunchFormOptions options;
  options.Dialogs = &FDialogs;
  options.Tools = &FTools;
  {
    TFXLaunchForm empty(nullptr, options);
    EXPECT_EQ(Visible(Control<QMenu>(empty, "ToolsMenu")), QStringList({"miToolsEmpty=(Empty)"}));
    EXPECT_TRUE(Control<QAction>(empty, "miConfigureTools").isEnabled());
    EXPECT_TRUE(Control<QAction>(empty, "HelpAboutItem").isEnabled());
  }
  FTools.Items = {Tool("Editor", "/no/such/editor"), Tool("Browser", "/no/such/browser")};
  TFXLaunchForm window(nullptr, options);
  auto& menu = Control<QMenu>(window, "ToolsMenu");
  EXPECT_EQ(Visible(menu), QStringList({"ToolItem0=Editor", "ToolItem1=Browser"}));
  EXPECT_EQ(Control<QAction>(window, "ToolItem1").data().toInt(), 1);

  FDialogs.MessageAnswers = {TMsgResult::Ok};
  Control<QAction>(window, "ToolItem1").trigger();
  ASSERT_EQ(FDialogs.Messages.size(), 1u);
  EXPECT_EQ(FDialogs.Messages[0].Text,
            "The tool could not be executed.\nCheck path and working dir.");
  EXPECT_EQ(FDialogs.Messages[0].Icon, TMsgIcon::Error);

  // Emptied in the editor: the items go, the placeholder comes back.
  WhenModal<TEditToolsDlg>([](TEditToolsDlg& dlg) {
    for (int i = 0; i < 2; ++i) {
      Control<QListWidget>(dlg, "lbTools").setCurrentRow(0);
      Control<QPushButton>(dlg, "DeleteBtn").click();
    }
  });
  Control<QAction>(window, "miConfigureTools").trigger();
  EXPECT_EQ(Visible(menu), QStringList({"miToolsEmpty=(Empty)"}));
  EXPECT_EQ(menu.actions().size(), 1);
  EXPECT_TRUE(FTools.Items.empty());
}

}  // namespace
}  // namespace fx
