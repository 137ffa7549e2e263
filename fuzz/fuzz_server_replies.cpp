// Every reply parser of the server browser on arbitrary datagrams, and the scheduler fed
// them as the answers of a server, a master's two addresses, a LAN server and any source. The first
// byte picks the parser; the rest is copied into a buffer of exactly its size, so a read past the
// datagram is caught by AddressSanitizer.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "servers/DarkPlacesCodec.h"
#include "servers/MasterCodec.h"
#include "servers/NetQuakeCodec.h"
#include "servers/QuakeWorldCodec.h"
#include "servers/QueryScheduler.h"

namespace {

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

void CheckMasterReply(const std::optional<fx::TMasterReply>& reply) {
  if (!reply) return;
  for (const fx::TServerAddress& address : reply->Servers)
    Check(address.Port != 0);
}

// The address a datagram of the input claims to come from: its first six bytes, so any
// source can answer, a server's, a master's, the LAN's or a stranger's.
fx::TServerAddress Source(std::string_view& datagram) {
  fx::TServerAddress from = fx::TServerAddress::V4(127, 0, 0, 3, 27950);
  if (datagram.size() < 6) return from;
  for (int i = 0; i < 4; ++i)
    from.Bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(datagram[i]);
  from.Port = static_cast<std::uint16_t>(static_cast<std::uint8_t>(datagram[4]) << 8 |
                                         static_cast<std::uint8_t>(datagram[5]));
  datagram.remove_prefix(6);
  return from;
}

// A refresh of one server of the chosen family, a master with two addresses and the LAN,
// where every party, and a source the input names, answers with the same bytes. The
// challenges are fixed, so the fuzzer can learn to echo them.
void Schedule(std::uint8_t selector, std::string_view datagram) {
  using namespace std::chrono_literals;
  const auto family = static_cast<fx::TServerFamily>((selector & 3) % 3);
  const fx::TServerAddress server = fx::TServerAddress::V4(127, 0, 0, 1, 26000);
  const fx::TServerAddress lan = fx::TServerAddress::V4(127, 0, 0, 2, 26001);
  const fx::TServerAddress master = fx::TServerAddress::V4(127, 0, 0, 3, 27950);
  const fx::TServerAddress second = fx::TServerAddress::V4(127, 0, 0, 4, 27950);
  const fx::TServerAddress stranger = (selector & 4) ? Source(datagram) : master;
  fx::TRefreshRequest request;
  request.Servers = {{server, family}};
  request.Masters = {{"master.fuzz", 27950,
                      selector & 8 ? fx::TMasterKind::QuakeWorld : fx::TMasterKind::DpMaster}};
  fx::TQueryTuning tuning;
  tuning.Random = [] { return std::uint64_t{0x0123456789abcdef}; };
  fx::TQueryScheduler scheduler(tuning);
  auto now = std::chrono::steady_clock::time_point{};
  scheduler.Start(request, {{fx::TServerAddress::V4(127, 0, 0, 255, 26000), family}}, now);
  for (const fx::TNameToResolve& name : scheduler.TakeNamesToResolve())
    scheduler.Resolved(name.Master, {master, second}, "", now);
  if (selector & 16) scheduler.QueryDetails({server, family}, {}, now);
  for (int round = 0; round < 4 && scheduler.Running(); ++round) {
    for (const fx::TDatagram& sent : scheduler.Send(now))
      Check(!sent.Bytes.empty() && sent.Bytes.size() <= 1400);
    now += 30ms;
    for (const fx::TServerAddress& from : {server, master, second, lan, stranger})
      scheduler.Receive(from, datagram, now);
    for (const fx::TServerInfo& info : scheduler.TakeChanged())
      Check(info.Players >= 0 && info.PlayerList.size() < 4096);
    if (selector & 32) scheduler.Refused(server, now);
  }
  for (const fx::TMasterResult& result : scheduler.TakeMasterResults())
    Check(result.Servers == static_cast<int>(result.List.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::vector<char> bytes(data + 1, data + size);
  const std::string_view datagram(bytes.data(), bytes.size());
  switch (data[0] % 7) {
    case 0:
      (void)fx::ParseNetQuakeReply(datagram);
      break;
    case 1:
      if (const auto info = fx::ParseQuakeWorldStatus(datagram))
        Check(info->Players <= static_cast<int>(info->PlayerList.size()));
      break;
    case 2:
      (void)fx::IsQuakeWorldPingReply(datagram);
      break;
    case 3:
      (void)fx::ParseDarkPlacesReply(datagram);
      break;
    case 4:
      CheckMasterReply(fx::ParseDpMasterReply(datagram));
      break;
    case 5:
      CheckMasterReply(fx::ParseQuakeWorldMasterReply(datagram));
      break;
    default:
      Schedule(data[0] / 7, datagram);
      break;
  }
  return 0;
}
