// A demo recorded by the real engine (Debian's quakespasm) in a listen game, read back.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

#include "demos/DemoScan.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/PakBuilder.h"
#include "fixtures/QuakeEngine.h"
#include "fixtures/TempDir.h"

namespace fx {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTitle = "Cube of Recording";
constexpr int kFrames = 100;
constexpr float kFrameTime = 0.05f;

// The fixture cube with a title: its entity lump rewritten at the end of the file with a
// "message" key (a BSP's lumps may lie anywhere; the header's first lump names them).
std::string TitledCube() {
  std::string bsp = test::ReadFileBytes(test::SharedFixture("bsp/ericw-tools/q1_cube.bsp"));
  const auto at = [&](std::size_t offset) {
    std::int32_t value = 0;
    for (int i = 3; i >= 0; --i)
      value = (value << 8) | static_cast<unsigned char>(bsp[offset + static_cast<std::size_t>(i)]);
    return static_cast<std::size_t>(value);
  };
  std::string entities = bsp.substr(at(4), at(8));
  entities = entities.substr(0, entities.find('\0'));
  entities.insert(entities.find('{') + 1, "\n\"message\" \"" + std::string(kTitle) + "\"");
  entities.push_back('\0');
  const std::size_t offset = bsp.size();
  bsp += entities;
  bsp.replace(4, 8,
              test::LE32(static_cast<std::int32_t>(offset)) +
                  test::LE32(static_cast<std::int32_t>(entities.size())));
  return bsp;
}

// A UDP port free on loopback now, so the listen game binds nothing else.
int FreeLoopbackPort() {
  const int handle = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  const bool bound = ::bind(handle, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
                     ::getsockname(handle, reinterpret_cast<sockaddr*>(&address), &size) == 0;
  ::close(handle);
  return bound ? ntohs(address.sin_port) : 26999;
}

std::string Quoted(const fs::path& path) {
  return "'" + path.string() + "'";
}

TEST(DemoEngine, ReadsMapTitleAndLengthOfARealRecording) {
  if (const std::string missing = test::EngineMissing(); !missing.empty()) {
    if (std::getenv("FX_REQUIRE_ENGINE") != nullptr) FAIL() << missing;
    GTEST_SKIP() << missing;
  }
  // quakespasm writes demos into ~/.quakespasm/id1, its home from the password database;
  // a private mount puts a folder of the test's there (root only, as in CI).
  if (::geteuid() != 0 ||
      std::system("unshare --mount --propagation private true 2>/dev/null") != 0)
    GTEST_SKIP() << "needs root and unshare to give the engine a per-user folder of the test's";
  const test::TTempDir temp;
  const fs::path game = temp / "game";
  const fs::path user = temp / "user";
  fs::create_directories(user);
  test::WriteFileBytes(temp / "titled.bsp", TitledCube());
  test::MakeEngineGameFolder(game, {{"e1m1", temp / "titled.bsp"}}, true);
  // host_framerate makes each frame advance the game by exactly that time (quakespasm
  // Host_FilterTime), and each "wait" is one frame, so the recording lasts about
  // kFrames * kFrameTime of game time, whatever the machine's speed.
  std::string waits;
  for (int i = 0; i < kFrames; ++i)
    waits += "wait;";
  test::WriteFileBytes(game / "id1/rec.cfg",
                       "scratch1 1\r\nhost_framerate " + std::to_string(kFrameTime) +
                           "\r\nrecord demo1 e1m1\r\n" + waits + "\r\nstop\r\nquit\r\n");
  const std::string home = "/root/.quakespasm";
  const std::string command =
      "mkdir -p " + home + " && cd " + Quoted(game) +
      " && unshare --mount --propagation private sh -c 'mount --bind \"$1\" \"$2\" && shift 2 && "
      "exec \"$@\"' sh " +
      Quoted(user) + " " + home +
      " xvfb-run -a -s '-screen 0 640x480x24 -nolisten tcp' env LIBGL_ALWAYS_SOFTWARE=1 "
      "timeout 30 /usr/games/quakespasm -ip 127.0.0.1 -port " +
      std::to_string(FreeLoopbackPort()) +
      " -nosound -window -width 640 "
      "-height 480 +exec rec.cfg > " +
      Quoted(temp / "engine.log") + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << test::ReadFileBytes(temp / "engine.log");
  const fs::path demo = user / "id1/demo1.dem";
  ASSERT_TRUE(fs::exists(demo)) << test::ReadFileBytes(temp / "engine.log");

  TDemoPlace place;
  place.File = demo;
  const TDemoInfo info = ReadDemoAt(place);
  EXPECT_EQ(info.Problem, "");
  EXPECT_EQ(info.Protocol, 666);  // quakespasm's default sv_protocol
  ASSERT_EQ(info.Levels.size(), 1u);
  EXPECT_EQ(info.Levels[0].Map, "e1m1");
  EXPECT_EQ(info.Levels[0].Title, kTitle);
  EXPECT_NEAR(info.Seconds, kFrames * kFrameTime, 0.2);
  EXPECT_EQ(info.GameKind, TGameKind::SinglePlayer);
  EXPECT_EQ(info.Players, std::vector<std::string>{"player"});
}

}  // namespace
}  // namespace fx
