#include "platform/UdpSocket.h"

#include <arpa/inet.h>
#include <linux/errqueue.h>
#include <linux/net_tstamp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <optional>

namespace fx {

namespace {

constexpr std::size_t kBatch = 32;
constexpr std::size_t kLargest = 65536;  // a UDP datagram's payload fits
constexpr std::size_t kControl = 256;

[[noreturn]] void Fail(const std::string& what) {
  throw EUdpError(what + ": " + std::strerror(errno));
}

bool IsV4Mapped(const in6_addr& address) {
  static constexpr std::uint8_t kPrefix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
  return std::memcmp(address.s6_addr, kPrefix, 12) == 0;
}

bool IsAny(const TUdpEndpoint& endpoint) {
  return std::all_of(endpoint.Bytes.begin(), endpoint.Bytes.end(), [](auto b) { return b == 0; });
}

// An IPv4 address goes to an IPv6 socket as ::ffff:a.b.c.d (0.0.0.0 as ::). An IPv6 address
// stays one on an IPv4 socket, which the kernel then refuses (EAFNOSUPPORT) instead of
// sending it to the IPv4 address of its first four bytes.
socklen_t ToSockaddr(const TUdpEndpoint& endpoint, bool v6Socket, sockaddr_storage& storage) {
  std::memset(&storage, 0, sizeof storage);
  if (!v6Socket && !endpoint.IsV6) {
    auto& v4 = reinterpret_cast<sockaddr_in&>(storage);
    v4.sin_family = AF_INET;
    v4.sin_port = htons(endpoint.Port);
    std::memcpy(&v4.sin_addr, endpoint.Bytes.data(), 4);
    return sizeof v4;
  }
  auto& v6 = reinterpret_cast<sockaddr_in6&>(storage);
  v6.sin6_family = AF_INET6;
  v6.sin6_port = htons(endpoint.Port);
  if (endpoint.IsV6) {
    std::memcpy(&v6.sin6_addr, endpoint.Bytes.data(), 16);
  } else if (!IsAny(endpoint)) {
    v6.sin6_addr.s6_addr[10] = v6.sin6_addr.s6_addr[11] = 0xFF;
    std::memcpy(&v6.sin6_addr.s6_addr[12], endpoint.Bytes.data(), 4);
  }
  return sizeof v6;
}

TUdpEndpoint FromSockaddr(const sockaddr_storage& storage) {
  TUdpEndpoint endpoint;
  if (storage.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(storage);
    std::memcpy(endpoint.Bytes.data(), &v4.sin_addr, 4);
    endpoint.Port = ntohs(v4.sin_port);
  } else if (storage.ss_family == AF_INET6) {
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(storage);
    endpoint.Port = ntohs(v6.sin6_port);
    if (IsV4Mapped(v6.sin6_addr)) {
      std::memcpy(endpoint.Bytes.data(), &v6.sin6_addr.s6_addr[12], 4);
    } else {
      endpoint.IsV6 = true;
      std::memcpy(endpoint.Bytes.data(), &v6.sin6_addr, 16);
    }
  }
  return endpoint;
}

void Enable(int handle, int level, int option) {
  const int on = 1;
  ::setsockopt(handle, level, option, &on, sizeof on);
}

// The real-time clock minus the steady one. It is read with the two clocks' readings as
// close together as five tries give, and kept for a second, so every stamp converted within
// that second moves by the same amount and a round trip between two stamps stays exact even
// when the thread is interrupted between two readings.
std::chrono::nanoseconds RealMinusSteady() {
  using namespace std::chrono;
  thread_local steady_clock::time_point measured{};
  thread_local nanoseconds offset{};
  const auto now = steady_clock::now();
  if (measured != steady_clock::time_point{} && now - measured < seconds(1)) return offset;
  nanoseconds narrowest = nanoseconds::max();
  for (int i = 0; i < 5; ++i) {
    timespec real{};
    const auto before = steady_clock::now();
    ::clock_gettime(CLOCK_REALTIME, &real);
    const auto after = steady_clock::now();
    if (after - before >= narrowest) continue;
    narrowest = after - before;
    const auto middle = before + (after - before) / 2;
    offset = seconds(real.tv_sec) + nanoseconds(real.tv_nsec) -
             duration_cast<nanoseconds>(middle.time_since_epoch());
  }
  measured = now;
  return offset;
}

// The kernel stamps on the real-time clock; the program measures on the steady one.
std::chrono::steady_clock::time_point SteadyFromReal(const timespec& stamp) {
  using namespace std::chrono;
  const nanoseconds real = seconds(stamp.tv_sec) + nanoseconds(stamp.tv_nsec);
  return steady_clock::time_point(duration_cast<steady_clock::duration>(real - RealMinusSteady()));
}

bool IsNetworkError(int code) {
  return code == ECONNREFUSED || code == EHOSTUNREACH || code == ENETUNREACH || code == EHOSTDOWN ||
         code == ENETDOWN || code == EPROTO;
}

}  // namespace

std::string NetworkErrorText(int code) {
  switch (code) {
    case ECONNREFUSED:
      return "refused";
    case ENETUNREACH:
    case EHOSTUNREACH:
    case EHOSTDOWN:
    case ENETDOWN:
    case EADDRNOTAVAIL:
    case EAFNOSUPPORT:
      return "no route";
    case EPERM:
    case EACCES:
      return "not permitted";
    case EMSGSIZE:
      return "too long";
    default:
      return std::strerror(code);
  }
}

TUdpSocket::TUdpSocket(const TUdpOptions& options) {
  FV6 = options.Local.IsV6 || options.DualStack;
  FHandle = ::socket(FV6 ? AF_INET6 : AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (FHandle < 0) Fail("cannot open a UDP socket");
  if (FV6) {
    const int only = options.DualStack ? 0 : 1;
    ::setsockopt(FHandle, IPPROTO_IPV6, IPV6_V6ONLY, &only, sizeof only);
    Enable(FHandle, IPPROTO_IPV6, IPV6_RECVERR);
  }
  if (!FV6 || options.DualStack) Enable(FHandle, IPPROTO_IP, IP_RECVERR);
  Enable(FHandle, SOL_SOCKET, SO_TIMESTAMPNS);
  if (options.Broadcast) Enable(FHandle, SOL_SOCKET, SO_BROADCAST);
  if (options.SendStamps) {
    const int flags = SOF_TIMESTAMPING_TX_SOFTWARE | SOF_TIMESTAMPING_SOFTWARE |
                      SOF_TIMESTAMPING_OPT_ID | SOF_TIMESTAMPING_OPT_TSONLY;
    ::setsockopt(FHandle, SOL_SOCKET, SO_TIMESTAMPING, &flags, sizeof flags);
  }
  ::setsockopt(FHandle, SOL_SOCKET, SO_RCVBUF, &options.ReceiveBuffer,
               sizeof options.ReceiveBuffer);
  sockaddr_storage local{};
  const socklen_t size = ToSockaddr(options.Local, FV6, local);
  if (::bind(FHandle, reinterpret_cast<sockaddr*>(&local), size) != 0) {
    const int code = errno;
    ::close(FHandle);
    errno = code;
    Fail("cannot bind a UDP socket");
  }
}

TUdpSocket::~TUdpSocket() {
  if (FHandle >= 0) ::close(FHandle);
}

TUdpEndpoint TUdpSocket::Local() const {
  sockaddr_storage local{};
  socklen_t size = sizeof local;
  ::getsockname(FHandle, reinterpret_cast<sockaddr*>(&local), &size);
  return FromSockaddr(local);
}

std::size_t TUdpSocket::Send(std::span<const TUdpPacket> packets, std::vector<TUdpError>& failed) {
  std::array<mmsghdr, kBatch> messages{};
  std::array<iovec, kBatch> parts{};
  std::array<sockaddr_storage, kBatch> peers{};
  std::size_t done = 0;
  bool retried = false;
  while (done < packets.size()) {
    const std::size_t count = std::min(kBatch, packets.size() - done);
    for (std::size_t i = 0; i < count; ++i) {
      const TUdpPacket& packet = packets[done + i];
      parts[i] = {const_cast<char*>(packet.Bytes.data()), packet.Bytes.size()};
      messages[i] = {};
      messages[i].msg_hdr.msg_name = &peers[i];
      messages[i].msg_hdr.msg_namelen = ToSockaddr(packet.Peer, FV6, peers[i]);
      messages[i].msg_hdr.msg_iov = &parts[i];
      messages[i].msg_hdr.msg_iovlen = 1;
    }
    const int sent = ::sendmmsg(FHandle, messages.data(), static_cast<unsigned>(count), 0);
    if (sent > 0) {
      done += static_cast<std::size_t>(sent);
      FNextId += static_cast<std::uint32_t>(sent);
      retried = false;
      continue;
    }
    const int code = errno;
    if (code == EINTR) continue;
    if (code == EAGAIN || code == EWOULDBLOCK || code == ENOBUFS) break;
    // An ICMP error that arrived for an earlier datagram fails the next send once; the
    // error queue tells whom it was about. A second failure is this datagram's own.
    if (IsNetworkError(code) && !retried) {
      retried = true;
      continue;
    }
    failed.push_back({packets[done].Peer, code});
    ++done;
    retried = false;
  }
  return done;
}

std::size_t TUdpSocket::Receive(std::vector<TUdpPacket>& out, std::size_t most) {
  thread_local std::vector<char> buffers(kBatch * kLargest);
  std::array<mmsghdr, kBatch> messages{};
  std::array<iovec, kBatch> parts{};
  std::array<sockaddr_storage, kBatch> peers{};
  std::array<std::array<char, kControl>, kBatch> controls{};
  const std::size_t count = std::min(kBatch, most);
  for (std::size_t i = 0; i < count; ++i) {
    parts[i] = {buffers.data() + i * kLargest, kLargest};
    messages[i].msg_hdr.msg_name = &peers[i];
    messages[i].msg_hdr.msg_namelen = sizeof peers[i];
    messages[i].msg_hdr.msg_iov = &parts[i];
    messages[i].msg_hdr.msg_iovlen = 1;
    messages[i].msg_hdr.msg_control = controls[i].data();
    messages[i].msg_hdr.msg_controllen = kControl;
  }
  int received = -1;
  for (int tries = 0; received < 0 && tries < 4; ++tries) {
    received =
        ::recvmmsg(FHandle, messages.data(), static_cast<unsigned>(count), MSG_DONTWAIT, nullptr);
    // A pending ICMP error is reported once in place of data; the error queue keeps it.
    if (received < 0 && errno != EINTR && !IsNetworkError(errno)) return 0;
  }
  if (received <= 0) return 0;
  for (int i = 0; i < received; ++i) {
    const msghdr& header = messages[i].msg_hdr;
    if (header.msg_flags & MSG_TRUNC) continue;
    TUdpPacket& packet = out.emplace_back();
    packet.Peer = FromSockaddr(peers[i]);
    packet.Bytes.assign(buffers.data() + i * kLargest, messages[i].msg_len);
    packet.At = std::chrono::steady_clock::now();
    for (cmsghdr* c = CMSG_FIRSTHDR(&header); c; c = CMSG_NXTHDR(const_cast<msghdr*>(&header), c))
      if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS) {
        timespec stamp{};
        std::memcpy(&stamp, CMSG_DATA(c), sizeof stamp);
        packet.At = SteadyFromReal(stamp);
      }
  }
  return static_cast<std::size_t>(received);
}

std::vector<TUdpError> TUdpSocket::TakeErrors(std::vector<TUdpStamp>* stamps) {
  std::vector<TUdpError> errors;
  for (;;) {
    sockaddr_storage peer{};
    std::array<char, 512> control{};
    char data[64];
    iovec part{data, sizeof data};
    msghdr header{};
    header.msg_name = &peer;
    header.msg_namelen = sizeof peer;
    header.msg_iov = &part;
    header.msg_iovlen = 1;
    header.msg_control = control.data();
    header.msg_controllen = control.size();
    if (::recvmsg(FHandle, &header, MSG_ERRQUEUE | MSG_DONTWAIT) < 0) break;
    std::optional<timespec> departed;
    std::optional<sock_extended_err> report;
    for (cmsghdr* c = CMSG_FIRSTHDR(&header); c; c = CMSG_NXTHDR(&header, c)) {
      if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPING) {
        scm_timestamping stamp{};
        std::memcpy(&stamp, CMSG_DATA(c), sizeof stamp);
        departed = stamp.ts[0];
      } else if ((c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_RECVERR) ||
                 (c->cmsg_level == IPPROTO_IPV6 && c->cmsg_type == IPV6_RECVERR)) {
        std::memcpy(&report.emplace(), CMSG_DATA(c), sizeof *report);
      }
    }
    if (!report) continue;
    if (report->ee_origin == SO_EE_ORIGIN_ICMP || report->ee_origin == SO_EE_ORIGIN_ICMP6)
      errors.push_back({FromSockaddr(peer), static_cast<int>(report->ee_errno)});
    else if (report->ee_origin == SO_EE_ORIGIN_TIMESTAMPING && departed && stamps)
      stamps->push_back({report->ee_data, SteadyFromReal(*departed)});
  }
  return errors;
}

}  // namespace fx
