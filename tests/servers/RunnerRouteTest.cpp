// The server source where the network cannot help: a resolver that never answers, and IPv6
// servers and masters when the socket carries IPv4 only. Everything stays on 127.0.0.1.

#include <gtest/gtest.h>
#include <poll.h>

#include <QHostInfo>

#include <cerrno>
#include <chrono>
#include <vector>

#include "platform/UdpSocket.h"
#include "servers/NetQuakeCodec.h"
#include "tests/servers/QueryRunnerRig.h"

namespace fx {
namespace {

using namespace std::chrono_literals;

TUdpOptions Loopback() {
  TUdpOptions options;
  options.Local.Bytes[0] = 127;
  options.Local.Bytes[3] = 1;
  return options;
}

// What reached `socket` within `wait`.
std::size_t Arrived(TUdpSocket& socket, std::chrono::milliseconds wait) {
  std::vector<TUdpPacket> packets;
  pollfd ready{socket.Handle(), POLLIN, 0};
  if (::poll(&ready, 1, static_cast<int>(wait.count())) > 0) socket.Receive(packets, 64);
  return packets.size();
}

TEST(ServerSourceRoutes, AMasterWhoseNameNeverResolvesCostsItsTimeOut) {
  TServerQueryRunnerOptions options = test::LoopbackRunnerOptions();
  options.Tuning.MasterRetries = {0ms, 100ms};
  options.Tuning.MasterGiveUpAfter = 200ms;
  std::vector<int> aborted;
  options.LookUp = [](const QString&, QObject*, std::function<void(const QHostInfo&)>) {
    return 41;  // a resolver that never answers
  };
  options.AbortLookUp = [&aborted](int id) { aborted.push_back(id); };
  test::TRunnerRig rig(options);
  TRefreshRequest request;
  request.Lan = false;
  request.Masters = {{"master.invalid", 27950, TMasterKind::DpMaster}};
  const auto start = std::chrono::steady_clock::now();
  rig.Runner.Refresh(request);
  ASSERT_TRUE(rig.Wait(3s));
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, 300ms);
  EXPECT_LT(took, 1500ms);
  ASSERT_EQ(rig.Masters.size(), 1u);
  EXPECT_EQ(rig.Masters[0].Error, "name lookup timed out");
  EXPECT_EQ(aborted, std::vector<int>{41});
}

TEST(ServerSourceRoutes, AnIpv4SocketSendsNoIpv6DestinationAnywhere) {
  TUdpSocket listener(Loopback());
  const std::uint16_t port = listener.Local().Port;
  // 7f00:1::1 begins with the bytes of 127.0.0.1.
  TServerAddress v6 = *TServerAddress::Parse("[7f00:1::1]", port);

  // The socket itself: the kernel refuses the address instead of sending it on.
  TUdpSocket v4(Loopback());
  std::vector<TUdpError> failed;
  v4.Send(std::vector<TUdpPacket>{{{v6.Bytes, true, port}, NetQuakeInfoRequest(), {}}}, failed);
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(failed[0].Code, EAFNOSUPPORT);
  EXPECT_EQ(Arrived(listener, 100ms), 0u);

  // The source: the server is listed as having no route, the master fails so.
  test::TRunnerRig rig;  // bound to 127.0.0.1: IPv4 only
  TRefreshRequest request;
  request.Lan = false;
  request.Servers = {{v6, TServerFamily::NetQuake}};
  request.Masters = {{"7f00:1::1", static_cast<std::uint16_t>(port + 1), TMasterKind::DpMaster}};
  rig.Runner.Refresh(request);
  ASSERT_TRUE(rig.Wait(3s));
  EXPECT_EQ(rig.Listed[v6].State, TServerState::NoIpv6Route);
  ASSERT_EQ(rig.Masters.size(), 1u);
  EXPECT_EQ(rig.Masters[0].Error, "no IPv6 route");
  EXPECT_EQ(Arrived(listener, 100ms), 0u);
}

}  // namespace
}  // namespace fx
