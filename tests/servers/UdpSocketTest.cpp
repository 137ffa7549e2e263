// The UDP port on loopback: batches both ways with arrival and departure stamps, the ICMP
// refusal of a closed port read from the error queue (and the next send unharmed by it), and
// IPv4 carried by a dual-stack socket with plain IPv4 addresses on both sides.

#include <gtest/gtest.h>
#include <poll.h>

#include <cerrno>
#include <chrono>
#include <optional>

#include "platform/UdpSocket.h"

namespace fx {
namespace {

using Clock = std::chrono::steady_clock;

TUdpEndpoint Loopback(std::uint16_t port = 0) {
  TUdpEndpoint endpoint;
  endpoint.Bytes[0] = 127;
  endpoint.Bytes[3] = 1;
  endpoint.Port = port;
  return endpoint;
}

TUdpSocket Open(bool dualStack = false) {
  TUdpOptions options;
  options.Local = Loopback();
  options.SendStamps = true;
  if (dualStack) {
    options.Local = {};
    options.Local.IsV6 = true;
    options.DualStack = true;
  }
  return TUdpSocket(options);
}

// Waits (on the socket, not a clock) until something arrives, at most a second.
std::vector<TUdpPacket> ReceiveAll(TUdpSocket& socket, std::size_t count) {
  std::vector<TUdpPacket> packets;
  while (packets.size() < count) {
    pollfd ready{socket.Handle(), POLLIN, 0};
    if (::poll(&ready, 1, 1000) <= 0) break;
    socket.Receive(packets, count - packets.size());
  }
  return packets;
}

TEST(UdpSocket, SendsAndReceivesInBatchesWithArrivalStamps) {
  TUdpSocket from = Open(), to = Open();
  std::vector<TUdpPacket> packets;
  for (int i = 0; i < 100; ++i)
    packets.push_back({to.Local(), "packet " + std::to_string(i), {}});
  std::vector<TUdpError> failed;
  const auto before = Clock::now();
  ASSERT_EQ(from.Send(packets, failed), 100u);
  EXPECT_TRUE(failed.empty());
  std::vector<TUdpStamp> departed;
  EXPECT_TRUE(from.TakeErrors(&departed).empty());
  ASSERT_EQ(departed.size(), 100u);
  EXPECT_EQ(departed.back().Id, 99u);
  EXPECT_GE(departed.front().At, before - std::chrono::milliseconds(1));
  const std::vector<TUdpPacket> got = ReceiveAll(to, 100);
  const auto after = Clock::now();
  ASSERT_EQ(got.size(), 100u);
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].Bytes, packets[i].Bytes);
    EXPECT_EQ(got[i].Peer, from.Local());
    EXPECT_GE(got[i].At, before - std::chrono::milliseconds(1));
    EXPECT_LE(got[i].At, after);
  }
}

TEST(UdpSocket, ReportsARefusalAndKeepsSending) {
  TUdpEndpoint closed;
  {
    TUdpSocket gone = Open();
    closed = gone.Local();
  }
  TUdpSocket from = Open(), to = Open();
  std::vector<TUdpError> failed;
  from.Send(std::vector<TUdpPacket>{{closed, "anyone?", {}}}, failed);
  pollfd ready{from.Handle(), POLLERR, 0};
  ASSERT_EQ(::poll(&ready, 1, 1000), 1);
  const std::vector<TUdpError> errors = from.TakeErrors();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].Peer, closed);
  EXPECT_EQ(errors[0].Code, ECONNREFUSED);
  EXPECT_EQ(from.Send(std::vector<TUdpPacket>{{to.Local(), "still here", {}}}, failed), 1u);
  EXPECT_EQ(ReceiveAll(to, 1).size(), 1u);
}

TEST(UdpSocket, DualStackSocketSpeaksPlainIPv4) {
  TUdpSocket dual = Open(true), plain = Open();
  EXPECT_TRUE(dual.Local().IsV6);
  std::vector<TUdpError> failed;
  ASSERT_EQ(dual.Send(std::vector<TUdpPacket>{{plain.Local(), "ping", {}}}, failed), 1u);
  const std::vector<TUdpPacket> request = ReceiveAll(plain, 1);
  ASSERT_EQ(request.size(), 1u);
  ASSERT_EQ(plain.Send(std::vector<TUdpPacket>{{request[0].Peer, "pong", {}}}, failed), 1u);
  const std::vector<TUdpPacket> reply = ReceiveAll(dual, 1);
  ASSERT_EQ(reply.size(), 1u);
  EXPECT_EQ(reply[0].Peer, plain.Local());  // 127.0.0.1, not ::ffff:127.0.0.1
  EXPECT_EQ(reply[0].Bytes, "pong");
}

// A datagram the system will not send is reported with its own cause, named for the user.
TEST(UdpSocket, NamesASendErrorByItsCause) {
  TUdpSocket from = Open(), to = Open();
  std::vector<TUdpError> failed;
  const std::vector<TUdpPacket> huge{{to.Local(), std::string(70000, 'x'), {}}};
  EXPECT_EQ(from.Send(huge, failed), 1u);
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(NetworkErrorText(failed[0].Code), "too long");
  for (const auto& [code, text] : {std::pair{ECONNREFUSED, "refused"},
                                   {ENETUNREACH, "no route"},
                                   {EHOSTUNREACH, "no route"},
                                   {EPERM, "not permitted"},
                                   {EACCES, "not permitted"}})
    EXPECT_EQ(NetworkErrorText(code), text);
}

}  // namespace
}  // namespace fx
