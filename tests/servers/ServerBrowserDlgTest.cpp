// The server table and "Find Servers", driven as a user would: alone over a scripted
// source, and from the main window through to the launched game.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "exes/FXExes.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/FindControl.h"
#include "fixtures/ModalDialog.h"
#include "fixtures/ScriptedDialogs.h"
#include "fixtures/StandInEngine.h"
#include "launcher/FXLaunchForm.h"
#include "launcher/LaunchInput.h"
#include "platform/Registry.h"
#include "servers/ServerBrowserDlg.h"
#include "servers/ServerTableModel.h"
#include "settings/FXSettings.h"
#include "tests/servers/ScriptedServerSource.h"
#include "tests/settings/RegistrySandbox.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using test::AnsweredServer;
using test::Control;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

std::vector<std::string> ShownNames(const QAbstractItemModel& model) {
  std::vector<std::string> names;
  for (int row = 0; row < model.rowCount(); ++row)
    names.push_back(model.index(row, 0).data().toString().toStdString());
  return names;
}

void Drain(const TServerBrowserDlg& dialog) {
  do
    QCoreApplication::processEvents();
  while (dialog.HasPendingRows());
}

TServerInfo WithPlayers(TServerInfo server, int players, int maximum) {
  server.Players = players;
  server.MaxPlayers = maximum;
  return server;
}

TServerInfo WithPing(TServerInfo server, int ping) {
  server.PingMs = ping;
  return server;
}

TEST(ServerTable, SortsEachColumnByItsValue) {
  struct TSortCase {
    TServerColumn Column;
    std::vector<TServerInfo> Servers;
    std::vector<std::string> Ascending;
  };
  const std::vector<TSortCase> cases = {
      {TServerColumn::Ping,
       {WithPing(AnsweredServer(1, "a"), 50), WithPing(AnsweredServer(2, "b"), -1),
        WithPing(AnsweredServer(3, "c"), 5), WithPing(AnsweredServer(4, "d"), 120)},
       {"c", "a", "d", "b"}},  // an unmeasured ping last
      {TServerColumn::Players,
       {WithPlayers(AnsweredServer(1, "ten"), 10, 16),
        WithPlayers(AnsweredServer(2, "nine"), 9, 16),
        WithPlayers(AnsweredServer(3, "small"), 9, 12)},
       {"small", "nine", "ten"}},
      {TServerColumn::Name,
       {AnsweredServer(1, "beta"), AnsweredServer(2, "Alpha"), AnsweredServer(3, "\xC3harlie")},
       {"Alpha", "beta", "Charlie"}},
      {TServerColumn::Address,
       {AnsweredServer(26000, "port 26000"), AnsweredServer(9, "port 9"),
        AnsweredServer(700, "port 700")},
       {"port 9", "port 700", "port 26000"}},
  };
  for (const TSortCase& c : cases) {
    TServerTableModel table;
    TServerFilterProxy proxy;
    proxy.setSourceModel(&table);
    table.Apply(c.Servers);
    proxy.sort(static_cast<int>(c.Column), Qt::AscendingOrder);
    EXPECT_EQ(ShownNames(proxy), c.Ascending) << static_cast<int>(c.Column);
  }
}

TEST(ServerTable, UpdatesKeepTheirRowAndAnAnswerIsNotForgottenWhileAskedAgain) {
  TServerTableModel table;
  TServerInfo first = AnsweredServer(1, "first");
  table.Apply(std::vector{first, AnsweredServer(2, "second")});
  first.Name = "renamed";
  TServerInfo again = AnsweredServer(2, "");
  again.State = TServerState::Waiting;
  TServerInfo lost = AnsweredServer(3, "lost");
  lost.State = TServerState::TimedOut;
  table.Apply(std::vector{first, again, lost});

  EXPECT_EQ(ShownNames(table), (std::vector<std::string>{"renamed", "second", "lost"}));
  EXPECT_EQ(table.CountOf(TServerState::Answered), 2);
  EXPECT_EQ(table.CountOf(TServerState::TimedOut), 1);
  EXPECT_EQ(table.CountOf(TServerState::Waiting), 0);
}

class ServerBrowser : public ::testing::Test {
 protected:
  std::unique_ptr<TServerBrowserDlg> Open() {
    TServerBrowserOptions options;
    options.Dialogs = &Dialogs;
    options.ProgramFile = "quakespasm";
    options.GameFolder = Sandbox.Temp();
    options.DetailsDelayMs = 0;
    auto dialog = std::make_unique<TServerBrowserDlg>(Source, options);
    dialog->show();
    QApplication::setActiveWindow(dialog.get());
    QCoreApplication::processEvents();
    return dialog;
  }

  test::TRegistrySandbox Sandbox;
  test::TScriptedDialogs Dialogs;
  test::TScriptedServerSource Source;
};

TEST_F(ServerBrowser, ListsWhatArrivesCountsWhatDidNotAndKeepsFavourites) {
  {
    TServerListStore store;
    TServerLists lists = store.Load();
    lists.ToggleFavourite({TServerAddress::V4(127, 0, 0, 1, 5), TServerFamily::QuakeWorld});
    store.Save(lists);
  }
  auto dialog = Open();
  // Opening asks: the masters, and the favourite by itself.
  ASSERT_EQ(Source.Refreshes.size(), 1u);
  EXPECT_EQ(Source.Refreshes[0].Masters, BuiltInMasters());
  ASSERT_EQ(Source.Refreshes[0].Servers.size(), 1u);
  EXPECT_EQ(Source.Refreshes[0].Servers[0].Address, TServerAddress::V4(127, 0, 0, 1, 5));

  TServerInfo spectated = WithPlayers(AnsweredServer(1, "Duel \"Pit\""), 2, 4);
  spectated.PlayerList.resize(2);
  spectated.PlayerList[0].Name = "Ranger";
  spectated.PlayerList[0].Frags = 12;
  spectated.PlayerList[1].Name = "\xD7\xE1\xF4\xE3\xE8";  // a coloured "Watch"
  spectated.PlayerList[1].Spectator = true;
  spectated.Rules = {{"timelimit", "10"}};
  TServerInfo refused = AnsweredServer(3, "gone");
  refused.State = TServerState::Refused;
  Source.Send({spectated, AnsweredServer(2, "Coop"), refused});
  Source.Finish();
  Drain(*dialog);

  QTableView& table = Control<QTableView>(*dialog, "tvServers");
  QLabel& status = Control<QLabel>(*dialog, "lblStatus");
  EXPECT_EQ(status.text().toStdString(),
            "4 servers: 2 answered, 0 timed out, 1 refused, 0 bad replies, 0 asked to slow down, "
            "1 waiting; 3 shown");
  Control<QCheckBox>(*dialog, "cbShowSilent").click();
  EXPECT_EQ(table.model()->rowCount(), 4);
  // A filter that matches nothing still shows the favourite.
  Control<QLineEdit>(*dialog, "edFilterText").setText("duel");
  EXPECT_EQ(ShownNames(*table.model()), (std::vector<std::string>{"Duel \"Pit\"", ""}));

  // Down in the search box goes on to the first server; its players, spectators as such,
  // and its rules are shown, then it is asked again.
  QTest::keyClick(&Control<QLineEdit>(*dialog, "edFilterText"), Qt::Key_Down);
  EXPECT_TRUE(table.hasFocus());
  EXPECT_EQ(table.currentIndex().row(), 0);
  QCoreApplication::processEvents();
  const QTreeWidget& players = Control<QTreeWidget>(*dialog, "lvPlayers");
  ASSERT_EQ(players.topLevelItemCount(), 2);
  EXPECT_EQ(players.topLevelItem(1)->text(0).toStdString(), "Watch");
  EXPECT_EQ(players.topLevelItem(1)->text(1).toStdString(), "spectator");
  EXPECT_EQ(Control<QTreeWidget>(*dialog, "lvRules").topLevelItem(0)->text(1).toStdString(), "10");
  ASSERT_EQ(Source.DetailQueries.size(), 1u);
  EXPECT_EQ(Source.DetailQueries[0].Address, spectated.Address);

  // Keys: copy the address, refresh; Del takes out a favourite, and only a favourite.
  QTest::keySequence(&table, QKeySequence::Copy);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "127.0.0.1:1");
  QTest::keyClick(&table, Qt::Key_F5);
  EXPECT_EQ(Source.Refreshes.size(), 2u);
  QTest::keyClick(&table, Qt::Key_Delete);
  EXPECT_EQ(Dialogs.Beeps, 1);
  table.setCurrentIndex(table.model()->index(1, 0));
  QTest::keyClick(&table, Qt::Key_Delete);
  EXPECT_TRUE(dialog->Lists().Favourites.empty());
  EXPECT_EQ(ShownNames(*table.model()), (std::vector<std::string>{"Duel \"Pit\""}));
  Sandbox.Reopen();
  TServerListStore stored;
  EXPECT_TRUE(stored.Load().Favourites.empty());
}

TEST_F(ServerBrowser, RefreshAsksOnlyWhatTheSourcesSwitchedOnListedAndMarksTheHistory) {
  const auto at = [](std::uint16_t port) { return TServerAddress::V4(127, 0, 0, 1, port); };
  {
    TServerListStore store;
    TServerLists lists = store.Load();
    lists.AddToHistory({at(7), TServerFamily::NetQuake}, "Old game");
    store.Save(lists);
  }
  // The user's font, large: the Ping column's words must still fit.
  const QFont usual = QApplication::font();
  QFont large = usual;
  large.setPointSizeF(22);
  QApplication::setFont(large);
  auto dialog = Open();
  const std::vector<TMasterServer> masters = BuiltInMasters();
  Source.OnMaster({masters[0], true, 1, "", {{at(10), TServerFamily::DarkPlaces}}, 0});
  Source.OnMaster({masters[1], true, 1, "", {{at(11), TServerFamily::DarkPlaces}}, 12});
  Source.Send({AnsweredServer(10, "on", TServerFamily::DarkPlaces),
               AnsweredServer(11, "off", TServerFamily::DarkPlaces), AnsweredServer(12, "lan")});
  Source.Finish();
  Drain(*dialog);
  EXPECT_THAT(Control<QLabel>(*dialog, "lblStatus").text().toStdString(),
              HasSubstr("; 12 addresses from dpmaster.tchr.no ignored"));

  const auto refresh = [&] {
    QTest::keyClick(&Control<QTableView>(*dialog, "tvServers"), Qt::Key_F5);
    std::vector<TServerAddress> asked;
    for (const TKnownServer& server : Source.Refreshes.back().Servers)
      asked.push_back(server.Address);
    return asked;
  };
  Control<QTreeWidget>(*dialog, "lvMasters").topLevelItem(1)->setCheckState(0, Qt::Unchecked);
  EXPECT_THAT(refresh(), ElementsAre(at(7), at(10), at(12)));
  Control<QCheckBox>(*dialog, "cbSearchLan").setChecked(false);
  EXPECT_THAT(refresh(), ElementsAre(at(7), at(10)));
  EXPECT_THAT(Control<QLabel>(*dialog, "lblStatus").text().toStdString(),
              Not(HasSubstr("ignored")));

  QTableView& table = Control<QTableView>(*dialog, "tvServers");
  Control<QCheckBox>(*dialog, "cbShowSilent").click();
  const QAbstractItemModel& rows = *table.model();
  int history = -1;
  for (int row = 0; row < rows.rowCount(); ++row)
    if (rows.index(row, static_cast<int>(TServerColumn::Address)).data() == "127.0.0.1:7")
      history = row;
  ASSERT_GE(history, 0);
  EXPECT_EQ(rows.index(history, 0).data(Qt::ToolTipRole).toString(), "Joined before (history)");
  EXPECT_TRUE(rows.index(history, 0).data(Qt::FontRole).value<QFont>().italic());
  EXPECT_FALSE(rows.index(0, 0).data(Qt::FontRole).value<QFont>().italic());

  QFont bold = table.font();
  bold.setBold(true);
  const int width = table.columnWidth(static_cast<int>(TServerColumn::Ping));
  for (const char* word : {"timed out", "bad reply", "refused", "no IPv6 route"})
    EXPECT_GE(width, QFontMetrics(bold).horizontalAdvance(QString::fromLatin1(word)) + 4) << word;
  dialog.reset();
  QApplication::setFont(usual);
}

class ServerJoin : public ::testing::Test {
 protected:
  ServerJoin() {
    fs::create_directories(Game / "id1");
    fs::create_directories(Game / "Arcane");
    test::WriteFileBytes(Game / "id1" / "pak1.pak", "");  // the registered game: mods allowed
    FXSettings().SetQPath(Game.string());
    FXSettings().SetCfgFileName("Frax.cfg");
    FXSettings().SetCloseOnExec(false);
    FXUserSettings().SetLastConfig("");
    FXUserSettings().SetInGameCmds(false);
    FXUserSettings().SetAddParms({});
    test::WriteStandInEngine(Game / "quake.sh", Report);
    TRegistry registry;
    TQuakeExe exe("Stand-in");
    exe.ExeName = "quake.sh";
    exe.ExeType = TExeType::OpenGLQuake;
    SaveExeList(registry, {exe});
  }

  test::TRegistrySandbox Sandbox;
  TProgramSettings Settings;
  fs::path Game = Sandbox.Temp() / "quake";
  fs::path Report = Sandbox.Temp() / "report";
  test::TScriptedDialogs Dialogs;
};

TEST_F(ServerJoin, EnterFillsTheServerBoxAndLaunchesTheClient) {
  test::TScriptedServerSource* source = nullptr;
  TLaunchFormOptions options;
  options.Dialogs = &Dialogs;
  options.PictureLibrary = Sandbox.Temp() / "no-pictures.rcc";
  options.ServerSource = [&] {
    auto made = std::make_unique<test::TScriptedServerSource>();
    source = made.get();
    return made;
  };
  TFXLaunchForm form(nullptr, options);
  EXPECT_EQ(source, nullptr);  // nothing is made, so nothing is sent, before the user asks
  form.show();

  TServerInfo quakeWorld = AnsweredServer(27500, "QW", TServerFamily::QuakeWorld);
  quakeWorld.PingMs = 1;
  TServerInfo arcane = AnsweredServer(26001, "Evil\"; quit");
  arcane.Game = "arcane";
  Dialogs.MessageAnswers = {TMsgResult::Ok};  // the refusal
  test::WhenModal<TServerBrowserDlg>([&](TServerBrowserDlg& dialog) {
    source->Send({quakeWorld, arcane});
    Drain(dialog);
    QTableView& table = Control<QTableView>(dialog, "tvServers");
    table.setFocus();
    table.setCurrentIndex(table.model()->index(0, 0));  // by ping: the QuakeWorld server
    Control<QPushButton>(dialog, "btnJoin").click();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_THAT(Dialogs.Messages[0].Text, HasSubstr("cannot join the QuakeWorld server"));
    EXPECT_TRUE(dialog.isVisible());
    table.setCurrentIndex(table.model()->index(1, 0));
    QTest::keyClick(&table, Qt::Key_Return);
  });
  Control<QPushButton>(form, "FindServersBtn").click();

  EXPECT_EQ(Control<QComboBox>(form, "ConnectComboBox").currentText().toStdString(),
            "127.0.0.1:26001");
  EXPECT_EQ(form.PlayMode(), kPlayClient);
  const auto engine = test::WaitForReport(Report);
  ASSERT_TRUE(engine.has_value()) << "the stand-in engine did not start";
  EXPECT_EQ(engine->Args, (std::vector<std::string>{"-game", "Arcane", "+exec", "Frax.cfg"}));
  // The address reaches the script, quoted; the server's name never does.
  EXPECT_THAT(engine->Script, HasSubstr("\r\nconnect \"127.0.0.1:26001\"\r\n"));
  EXPECT_EQ(engine->Script.find("Evil"), std::string::npos);
  TServerListStore stored;
  const TServerLists lists = stored.Load();
  ASSERT_EQ(lists.History.size(), 1u);
  EXPECT_EQ(lists.History[0].Name, "Evil\"; quit");
}

}  // namespace
}  // namespace fx
