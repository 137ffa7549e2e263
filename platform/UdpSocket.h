#pragma once

// A non-blocking UDP socket for many small queries at once. It sends and receives in batches
// (sendmmsg, recvmmsg), stamps each datagram with the kernel's arrival time and, when asked,
// each sent one with the kernel's departure time, so a round trip is measured without the
// time the program took to get to the system call. It reports the ICMP errors that later
// come back for a datagram sent earlier (IP_RECVERR), which is how "nothing listens on that
// port" is told apart from "no answer". An IPv6 socket that is not IPv6-only also carries
// IPv4, with IPv4 addresses in and out.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace fx {

class EUdpError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TUdpEndpoint {
  std::array<std::uint8_t, 16> Bytes{};  // network order; IPv4 in the first four
  bool IsV6 = false;
  std::uint16_t Port = 0;
  friend bool operator==(const TUdpEndpoint&, const TUdpEndpoint&) = default;
};

struct TUdpPacket {
  TUdpEndpoint Peer;
  std::string Bytes;
  std::chrono::steady_clock::time_point At{};  // arrival (received packets only)
};

// An error the network reported for a datagram sent to `Peer`.
struct TUdpError {
  TUdpEndpoint Peer;
  int Code = 0;  // errno value: ECONNREFUSED, EHOSTUNREACH, ...
};

// When the datagram numbered `Id` left (datagrams are numbered from 0 in the order sent).
struct TUdpStamp {
  std::uint32_t Id = 0;
  std::chrono::steady_clock::time_point At{};
};

struct TUdpOptions {
  TUdpEndpoint Local;           // the address bound; port 0 picks a free one
  bool DualStack = false;       // an IPv6 socket that carries IPv4 too
  bool Broadcast = false;       // may send to broadcast addresses
  int ReceiveBuffer = 1 << 22;  // asked for; the kernel may give less
  bool SendStamps = false;      // the kernel reports each datagram's departure
};

// What an error of the network means to a user: "refused" (nothing listens there),
// "no route", "not permitted" (a firewall, or broadcast not allowed), "too long", or the
// system's own words.
std::string NetworkErrorText(int code);

class TUdpSocket {
 public:
  explicit TUdpSocket(const TUdpOptions& options);
  ~TUdpSocket();
  TUdpSocket(const TUdpSocket&) = delete;
  TUdpSocket& operator=(const TUdpSocket&) = delete;

  int Handle() const { return FHandle; }
  TUdpEndpoint Local() const;

  // Sends as many of `packets` as the kernel takes now, in order; returns how many left.
  // A packet the network refused at once goes to `failed` and counts as sent, but gets no
  // number.
  std::size_t Send(std::span<const TUdpPacket> packets, std::vector<TUdpError>& failed);
  // The number the next datagram that leaves gets.
  std::uint32_t NextId() const { return FNextId; }
  // Appends at most `most` waiting datagrams to `out`; returns how many came (0: none waits).
  std::size_t Receive(std::vector<TUdpPacket>& out, std::size_t most);
  // The errors reported since the last call (from the socket's error queue), and the
  // departure stamps into `stamps` when given.
  std::vector<TUdpError> TakeErrors(std::vector<TUdpStamp>* stamps = nullptr);

 private:
  int FHandle = -1;
  bool FV6 = false;
  std::uint32_t FNextId = 0;
};

}  // namespace fx
