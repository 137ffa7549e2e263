// Real servers on 127.0.0.1: quakespasm's dedicated server answers the NetQuake queries,
// darkplaces-server answers getstatus and, started in NetQuake mode, the NetQuake queries
// too (one query a second). What the program lists is compared with quakestat's reading.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "fixtures/FileBuilder.h"
#include "fixtures/QuakeEngine.h"
#include "fixtures/TempDir.h"
#include "platform/UdpSocket.h"
#include "servers/NetQuakeCodec.h"
#include "servers/QuakeWorldCodec.h"
#include "servers/ServerJoin.h"
#include "tests/servers/QueryRunnerRig.h"

extern char** environ;

namespace fx {
namespace {

using namespace std::chrono_literals;

constexpr const char* kDarkPlaces = "/usr/games/darkplaces-server";
constexpr const char* kMvdsv = "/usr/games/mvdsv";

// Whether `program` can be started; a missing one fails the test where the engines are
// required and skips it elsewhere.
bool Present(const std::string& program) {
  if (std::system(("command -v " + program + " >/dev/null").c_str()) == 0) return true;
  if (std::getenv("FX_REQUIRE_ENGINE") != nullptr) ADD_FAILURE() << program << " is missing";
  return false;
}

std::uint16_t FreePort() {
  TUdpOptions options;
  options.Local.Bytes[0] = 127;
  options.Local.Bytes[3] = 1;
  return TUdpSocket(options).Local().Port;
}

// The processes below `root`, parents before their children.
std::vector<pid_t> Descendants(pid_t root) {
  std::multimap<pid_t, pid_t> children;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t after = line.rfind(") ");
    if (after == std::string::npos) continue;
    std::istringstream fields(line.substr(after + 2));
    std::string state;
    pid_t parent = 0;
    fields >> state >> parent;
    children.emplace(parent, std::stoi(name));
  }
  std::vector<pid_t> found{root};
  for (std::size_t i = 0; i < found.size(); ++i) {
    const auto [first, last] = children.equal_range(found[i]);
    for (auto child = first; child != last; ++child)
      found.push_back(child->second);
  }
  found.erase(found.begin());
  return found;
}

// An engine run by the shared runner script, ended with its process group.
class TEngineServer {
 public:
  // `runner`: the script's own options; `engine`: the engine's, before the common ones.
  TEngineServer(const std::filesystem::path& game, const std::vector<std::string>& runner,
                const std::vector<std::string>& engine)
      : Port(FreePort()) {
    std::vector<std::string> args{(test::EngineFolder() / "run-engine.sh").string(), "-t", "60"};
    args.insert(args.end(), runner.begin(), runner.end());
    args.push_back(game.string());
    args.insert(args.end(), engine.begin(), engine.end());
    for (const std::string& arg :
         {std::string("-port"), std::to_string(Port), std::string("+scratch1"), std::string("1"),
          std::string("+hostname"), std::string("Loopback"), std::string("+map"),
          std::string("e1m1")})
      args.push_back(arg);
    Spawn(game, std::move(args));
  }
  // A server the runner script does not know: `command(port)` is its whole command line.
  TEngineServer(const std::filesystem::path& game,
                const std::function<std::vector<std::string>(std::uint16_t)>& command)
      : Port(FreePort()) {
    Spawn(game, command(Port));
  }
  // The runner script waits out its time limit after a TERM, so its whole tree is ended,
  // the engine first.
  ~TEngineServer() {
    if (FPid <= 0) return;
    std::vector<pid_t> tree = Descendants(FPid);
    for (auto pid = tree.rbegin(); pid != tree.rend(); ++pid)
      ::kill(*pid, SIGTERM);
    ::kill(FPid, SIGTERM);
    ::waitpid(FPid, nullptr, 0);
  }
  TServerAddress Address() const { return TServerAddress::V4(127, 0, 0, 1, Port); }

  // Asks with `probe` every 200 ms until the server answers (it does once its map runs), at
  // most 20 s. Refusals come while its port is still closed.
  bool Up(const std::string& probe) const {
    TUdpOptions options;
    options.Local.Bytes[0] = 127;
    options.Local.Bytes[3] = 1;
    TUdpSocket socket(options);
    const TUdpEndpoint to{Address().Bytes, false, Port};
    std::vector<TUdpError> failed;
    std::vector<TUdpPacket> replies;
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (replies.empty() && std::chrono::steady_clock::now() < deadline) {
      socket.Send(std::vector<TUdpPacket>{{to, probe, {}}}, failed);
      const auto next = std::chrono::steady_clock::now() + 200ms;
      for (auto left = 200ms; replies.empty() && left > 0ms;) {
        pollfd ready{socket.Handle(), POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(left.count())) > 0) socket.Receive(replies, 1);
        socket.TakeErrors();
        left = std::chrono::duration_cast<std::chrono::milliseconds>(
            next - std::chrono::steady_clock::now());
      }
    }
    return !replies.empty();
  }

  const std::uint16_t Port;

 private:
  void Spawn(const std::filesystem::path& game, std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& arg : args)
      argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addchdir_np(&files, game.c_str());
    posix_spawn_file_actions_addopen(&files, 1, (game / "server.log").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    if (::posix_spawn(&FPid, argv[0], &files, &attributes, argv.data(), environ) != 0) FPid = -1;
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
  }

  pid_t FPid = -1;
};

// Everything `server` tells the source when asked alone, after checking what every row
// starts it with (named "Loopback", on e1m1, 4 players at most).
TServerInfo AskedAlone(const TEngineServer& server, TServerFamily family) {
  test::TRunnerRig rig;
  rig.Runner.QueryDetails({server.Address(), family}, {});
  EXPECT_TRUE(rig.Wait());
  const TServerInfo& info = rig.Listed[server.Address()];
  EXPECT_EQ(info.State, TServerState::Answered);
  EXPECT_EQ(info.Name, "Loopback");
  EXPECT_EQ(info.Map, "e1m1");
  EXPECT_EQ(info.MaxPlayers, 4);
  EXPECT_GE(info.PingMs, 0);
  return info;
}

class RealServer : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string missing = test::EngineMissing();
    if (missing.empty() && !test::HaveQuakestat()) missing = "quakestat is not installed";
    if (!missing.empty()) {
      if (std::getenv("FX_REQUIRE_ENGINE") != nullptr) FAIL() << missing;
      GTEST_SKIP() << missing;
    }
    test::MakeEngineGameFolder(
        Game.Path(), {{"e1m1", test::SharedFixture("bsp/ericw-tools/q1_cube.bsp")}}, false);
  }
  test::TTempDir Game;
};

TEST_F(RealServer, QuakespasmAnswersWhatQuakestatReads) {
  TEngineServer server(Game.Path(), {}, {"-dedicated", "4"});
  ASSERT_TRUE(server.Up(NetQuakeInfoRequest())) << test::ReadFileBytes(Game / "server.log");
  const TServerInfo info = AskedAlone(server, TServerFamily::NetQuake);
  ASSERT_FALSE(info.Rules.empty());
  // quakestat -R aborts on a rule name of 19 characters or more; quakespasm has none.
  for (const auto& [name, value] : info.Rules)
    ASSERT_LT(name.size(), 19u) << name;
  const auto lines = test::Quakestat("-R -P -qs " + server.Address().ToString());
  ASSERT_GE(lines.size(), 2u);
  ASSERT_GE(lines[0].size(), 8u);
  EXPECT_EQ(lines[0][2], info.Name);
  EXPECT_EQ(lines[0][5], info.Map);
  EXPECT_EQ(lines[0][6], std::to_string(info.MaxPlayers));
  EXPECT_EQ(lines[0][7], std::to_string(info.Players));
  std::vector<std::string> rules;
  for (const auto& [name, value] : info.Rules)
    rules.push_back(name + "=" + value);
  EXPECT_EQ(lines[1], rules);
}

TEST_F(RealServer, DarkPlacesAnswersGetstatusAndNetQuakeOnceASecond) {
  if (::access(kDarkPlaces, X_OK) != 0) {
    if (std::getenv("FX_REQUIRE_ENGINE") != nullptr) FAIL() << kDarkPlaces << " is missing";
    GTEST_SKIP() << kDarkPlaces << " is missing";
  }
  TEngineServer server(
      Game.Path(), {"-e", "darkplaces"},
      {"-dedicated", "4", "+net_address_ipv6", "::1", "+sv_protocolname", "QUAKE"});
  // "ping" is not counted by its flood guard, so waiting for it costs no query.
  ASSERT_TRUE(server.Up("\xff\xff\xff\xffping")) << test::ReadFileBytes(Game / "server.log");
  test::TRunnerRig rig;
  TRefreshRequest request;
  request.Lan = false;
  request.Servers = {{server.Address(), TServerFamily::DarkPlaces}};
  rig.Runner.Refresh(request);
  ASSERT_TRUE(rig.Wait());
  const TServerInfo status = rig.Listed[server.Address()];
  EXPECT_EQ(status.State, TServerState::Answered);
  EXPECT_EQ(status.Name, "Loopback");
  EXPECT_EQ(status.Map, "e1m1");
  EXPECT_EQ(status.Game, "id1");
  EXPECT_EQ(status.Protocol, "DarkPlaces-Quake");
  EXPECT_EQ(status.MaxPlayers, 4);
  // The same server asked in NetQuake: the second query waits out the guard's second.
  const auto before = std::chrono::steady_clock::now();
  rig.Runner.QueryDetails({server.Address(), TServerFamily::NetQuake}, {});
  ASSERT_TRUE(rig.Wait());
  const TServerInfo& netQuake = rig.Listed[server.Address()];
  EXPECT_EQ(netQuake.State, TServerState::Answered);
  EXPECT_EQ(netQuake.Name, status.Name);
  EXPECT_EQ(netQuake.Map, status.Map);
  EXPECT_EQ(netQuake.MaxPlayers, status.MaxPlayers);
  EXPECT_GE(netQuake.Rules.size(), 10u);
  EXPECT_LT(std::chrono::steady_clock::now() - before, 3s);
  const auto lines = test::Quakestat("-P -qs " + server.Address().ToString());
  ASSERT_GE(lines.size(), 1u);
  ASSERT_GE(lines[0].size(), 8u);
  EXPECT_EQ(lines[0][2], netQuake.Name);
  EXPECT_EQ(lines[0][5], netQuake.Map);
  EXPECT_EQ(lines[0][6], std::to_string(netQuake.MaxPlayers));
}

// mvdsv keeps a map running only with QuakeWorld gamecode: a qwprogs.dat whose header CRC
// is QuakeWorld's 54730 (pr_edict.c, PR1_LoadProgs; Debian's 0.35 takes no NetQuake
// progs.dat and says "You must have the qwprogs.dat from QuakeWorld installed"). Ours is
// built here from tests/servers/qwgame with Debian's fteqcc.
TEST_F(RealServer, MvdsvAnswersStatusAsQuakestatReadsIt) {
  if (!Present(kMvdsv) || !Present("fteqcc")) GTEST_SKIP() << "mvdsv or fteqcc is missing";
  const std::filesystem::path source = Game / "qwsrc", qw = Game / "qw";
  std::filesystem::copy(FX_QWGAME_DIR, source);
  std::filesystem::create_directories(qw);
  ASSERT_EQ(std::system(("cd '" + source.string() + "' && fteqcc >fteqcc.out 2>&1").c_str()), 0)
      << test::ReadFileBytes(source / "fteqcc.out");
  std::filesystem::copy_file(source / "qwprogs.dat", qw / "qwprogs.dat");
  TEngineServer server(Game.Path(), [&](std::uint16_t port) {
    return std::vector<std::string>{"/usr/bin/timeout",
                                    "60",
                                    kMvdsv,
                                    "-basedir",
                                    Game.Path().string(),
                                    "-ip",
                                    "127.0.0.1",
                                    "-port",
                                    std::to_string(port),
                                    "+hostname",
                                    "Loopback",
                                    "+maxclients",
                                    "4",
                                    "+map",
                                    "e1m1"};
  });
  ASSERT_TRUE(server.Up(QuakeWorldStatusRequest())) << test::ReadFileBytes(Game / "server.log");
  const TServerInfo info = AskedAlone(server, TServerFamily::QuakeWorld);
  const auto lines = test::Quakestat("-R -P -qws " + server.Address().ToString());
  ASSERT_GE(lines.size(), 2u);
  ASSERT_GE(lines[0].size(), 6u);
  EXPECT_EQ(lines[0][2], info.Name);
  EXPECT_EQ(lines[0][3], info.Map);
  EXPECT_EQ(lines[0][4], std::to_string(info.MaxPlayers));
  EXPECT_EQ(lines[0][5], std::to_string(info.Players));
  ASSERT_FALSE(lines[1].empty());
  for (const std::string& rule : lines[1]) {
    const std::size_t equals = rule.find('=');
    const std::pair<std::string, std::string> pair{rule.substr(0, equals), rule.substr(equals + 1)};
    EXPECT_NE(std::find(info.Rules.begin(), info.Rules.end(), pair), info.Rules.end()) << rule;
  }
  // A QuakeWorld client joins it, a NetQuake one is refused.
  EXPECT_EQ(CheckJoin(info, "/usr/games/ezquake", Game.Path()).Verdict, TJoinVerdict::Go);
  EXPECT_EQ(CheckJoin(info, "/usr/games/quakespasm", Game.Path()).Verdict, TJoinVerdict::Refuse);
}

}  // namespace
}  // namespace fx
