#include "tests/servers/FakeServers.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

namespace fx::test {

namespace {

using Clock = std::chrono::steady_clock;
const std::string kHeader("\xff\xff\xff\xff", 4);

std::string Le32(std::uint32_t value) {
  std::string bytes;
  for (int i = 0; i < 4; ++i)
    bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

std::string Control(const std::string& payload) {
  const std::uint32_t word = 0x80000000u | static_cast<std::uint32_t>(payload.size() + 4);
  std::string bytes;
  for (int shift = 24; shift >= 0; shift -= 8)
    bytes += static_cast<char>((word >> shift) & 0xFF);
  return bytes + payload;
}

std::string Z(const std::string& text) {
  return text + std::string(1, '\0');
}

std::string NetQuakeReply(const TFakeServer& s, const std::string& request) {
  if (request.size() < 5 || static_cast<unsigned char>(request[0]) != 0x80) return "";
  switch (request[4]) {
    case 0x02:
      // quakespasm (net_dgrm.c, _Datagram_CheckNewConnections) reports net_activeconnections,
      // which counts connections still connecting.
      return Control("\x83" + Z("127.0.0.1:26000") + Z(s.Name) + Z(s.Map) +
                     char(s.Players.size() + s.Connecting) + char(s.MaxPlayers) + char(3));
    case 0x03: {
      const std::size_t index = request.size() > 5 ? static_cast<unsigned char>(request[5]) : 0;
      // Counted among the active clients only; past them, no answer (quakespasm and
      // DarkPlaces alike).
      if (index >= s.Players.size()) return "";
      const TServerPlayer& p = s.Players[index];
      return Control("\x84" + std::string(1, char(index)) + Z(p.Name) +
                     Le32(static_cast<std::uint32_t>(p.Top << 4 | p.Bottom)) +
                     Le32(static_cast<std::uint32_t>(p.Frags)) +
                     Le32(static_cast<std::uint32_t>(p.Seconds)) + Z("127.0.0.1:1234"));
    }
    case 0x04: {
      const std::string previous = request.substr(5, request.find('\0', 5) - 5);
      auto next = s.Rules.begin();
      if (!previous.empty()) {
        next = std::find_if(s.Rules.begin(), s.Rules.end(),
                            [&](const auto& rule) { return rule.first == previous; });
        if (next != s.Rules.end()) ++next;
      }
      if (next == s.Rules.end()) return Control("\x85");
      return Control("\x85" + Z(next->first) + Z(next->second));
    }
  }
  return "";
}

std::string InfoPairs(const std::vector<std::pair<std::string, std::string>>& pairs) {
  std::string text;
  for (const auto& [key, value] : pairs)
    text += "\\" + key + "\\" + value;
  return text;
}

std::string QuakeWorldReply(const TFakeServer& s, const std::string& command) {
  if (command.starts_with("k")) return "l";
  if (!command.starts_with("status")) return "";
  std::string reply = kHeader + "n" +
                      InfoPairs({{"hostname", s.Name},
                                 {"map", s.Map},
                                 {"maxclients", std::to_string(s.MaxPlayers)},
                                 {"*gamedir", s.Game}}) +
                      // FTE's *version is version_string() (engine/common/common.c): its
                      // DISTRIBUTION "FTE", a space, the build.
                      (s.DdosGuard ? InfoPairs({{"*version", "FTE SVN 6303"}}) : "") +
                      InfoPairs(s.Rules) + "\n";
  int userid = 1;
  for (const TServerPlayer& p : s.Players)
    reply += std::to_string(userid++) + " " + (p.Spectator ? "-9999" : std::to_string(p.Frags)) +
             " " + std::to_string(p.Seconds / 60) + " " +
             std::to_string(p.Spectator ? -p.Ping : p.Ping) + " \"" + (p.Spectator ? "\\s\\" : "") +
             p.Name + "\" \"base\" " + std::to_string(p.Top) + " " + std::to_string(p.Bottom) +
             " \"" + p.Team + "\"\n";
  return reply + std::string(1, '\0');
}

std::string DarkPlacesReply(const TFakeServer& s, const std::string& command) {
  const bool status = command.starts_with("getstatus");
  if (!status && !command.starts_with("getinfo")) return "";
  const std::size_t blank = command.find(' ');
  const std::string challenge = blank == std::string::npos ? "" : command.substr(blank + 1);
  const std::string clients = std::to_string(s.Players.size());
  const std::string maximum = std::to_string(s.MaxPlayers);
  std::string reply = kHeader + (status ? "statusResponse\n" : "infoResponse\n");
  std::string lines;
  switch (s.Dialect) {
    case TFakeDialect::DarkPlaces:
      reply += InfoPairs({{"gamename", "DarkPlaces-Quake"},
                          {"modname", s.Game},
                          {"sv_maxclients", maximum},
                          {"clients", clients},
                          {"mapname", s.Map},
                          {"hostname", s.Name},
                          {"protocol", "3"},
                          {"challenge", challenge}});
      for (const TServerPlayer& p : s.Players)
        lines +=
            "\n" + std::to_string(p.Frags) + " " + std::to_string(p.Ping) + " \"" + p.Name + "\"";
      return reply + InfoPairs(s.Rules) + (status ? lines + "\n" : "");
    case TFakeDialect::Spiked:
      reply += InfoPairs({{"gamename", "FTE-Quake"},
                          {"protocol", "3"},
                          {"modname", s.Game},
                          {"mapname", s.Map},
                          {"hostname", s.Name},
                          {"clients", clients},
                          {"sv_maxclients", maximum},
                          {"challenge", challenge}});
      for (const TServerPlayer& p : s.Players)
        lines += "\n" + std::to_string(p.Frags) + " " + std::to_string(p.Ping) + " " +
                 std::to_string(p.Bottom) + "_" + std::to_string(p.Top) + " \"" + p.Name + "\"";
      return reply + InfoPairs(s.Rules) + (status ? lines : "");
    case TFakeDialect::Fte:
      // fteqw engine/server/sv_main.c, SV_GeneratePublicServerinfo: these six keys, then the
      // server info with the host name first; "challenge" is among the keys left out, so
      // the request's challenge never comes back. SVC_GetInfo puts a line per player after
      // a line break ("%d %d \"%s\" \"%s\"\n": frags, ping, team, name) and ends with a zero.
      reply += InfoPairs({{"gamename", "FTE-Quake"},
                          {"protocol", "3"},
                          {"modname", s.Game},
                          {"clients", clients},
                          {"sv_maxclients", maximum},
                          {"mapname", s.Map},
                          {"hostname", s.Name}});
      for (const TServerPlayer& p : s.Players)
        lines += std::to_string(p.Frags) + " " + std::to_string(p.Ping) + " \"" + p.Team + "\" \"" +
                 p.Name + "\"\n";
      return reply + InfoPairs(s.Rules) + (status ? "\n" + lines : "") + std::string(1, '\0');
  }
  return "";
}

// The list in packets of at most 1400 bytes; only the last ends with the end mark.
std::vector<std::string> DpMasterReplies(const TFakeServer& s, const std::string& command) {
  const bool extended = command.starts_with("getserversExt ");
  if (!extended && !command.starts_with("getservers ")) return {};
  const std::string head = kHeader + (extended ? "getserversExtResponse" : "getserversResponse");
  std::vector<std::string> packets{head};
  const bool ours = command.find(" DarkPlaces-Quake ") != std::string::npos;
  for (const TServerAddress& a : ours ? s.Listed : std::vector<TServerAddress>{}) {
    if (a.IsV6 && !extended) continue;
    std::string entry(a.IsV6 ? "/" : "\\");
    entry.append(reinterpret_cast<const char*>(a.Bytes.data()), a.IsV6 ? 16 : 4);
    entry += static_cast<char>(a.Port >> 8);
    entry += static_cast<char>(a.Port & 0xFF);
    if (packets.back().size() + entry.size() > 1400 - 7) packets.push_back(head);
    packets.back() += entry;
  }
  packets.back() += std::string("\\EOT\0\0\0", 7);
  return packets;
}

// 100 servers a packet, so a long list takes several.
std::vector<std::string> QuakeWorldMasterReplies(const TFakeServer& s) {
  std::vector<std::string> packets;
  for (std::size_t i = 0; i < s.Listed.size(); ++i) {
    if (i % 100 == 0) packets.push_back(kHeader + "d\n");
    const TServerAddress& a = s.Listed[i];
    packets.back().append(reinterpret_cast<const char*>(a.Bytes.data()), 4);
    packets.back() += static_cast<char>(a.Port >> 8);
    packets.back() += static_cast<char>(a.Port & 0xFF);
  }
  return packets;
}

bool StartsWord(const std::string& command, std::string_view word) {
  return command.starts_with(word) && (command.size() == word.size() ||
                                       command[word.size()] == ' ' || command[word.size()] == '\n');
}

}  // namespace

// darkplaces netconn.c, NetConn_PreventFlood, called for CCREQ_SERVER_INFO,
// CCREQ_PLAYER_INFO, "getinfo" and "getstatus" with net_getstatusfloodblockingtimeout 1: a
// query within a second of the last one accepted from the querier's address is dropped, and
// a dropped one does not renew the block. Rule queries are not checked.
bool TFakeGate::Flooded(const TFakeServer& server, const std::string& request, TTimePoint at) {
  if (!server.FloodGuard) return false;
  const std::string command = request.starts_with(kHeader) ? request.substr(4) : std::string();
  const bool netQuake = request.size() > 4 && static_cast<unsigned char>(request[0]) == 0x80 &&
                        (request[4] == 0x02 || request[4] == 0x03);
  if (!netQuake && !StartsWord(command, "getstatus") && !StartsWord(command, "getinfo"))
    return false;
  const auto last = FLastAccepted.find(server.Address);
  if (last != FLastAccepted.end() && at < last->second + std::chrono::seconds(1)) return true;
  FLastAccepted[server.Address] = at;
  return false;
}

// fteqw engine/server/sv_main.c, SV_DetectAmplificationDDOS, called for "status",
// "getstatus" and "getinfo": per querier address and server process, a window opens with
// the first query (which is not counted) and lasts 30 s; a query after it opens a new one
// (counted). The 15th counted query gets one print ('n') "Probable ddos amplification
// attack" and a block of 24 hours; every later one is dropped.
std::optional<std::string> TFakeGate::Ddos(const TFakeServer& server, const std::string& request,
                                           TTimePoint at) {
  const std::string command = request.starts_with(kHeader) ? request.substr(4) : std::string();
  if (!server.DdosGuard || (!StartsWord(command, "status") && !StartsWord(command, "getstatus") &&
                            !StartsWord(command, "getinfo")))
    return std::nullopt;
  using seconds = std::chrono::duration<double>;
  TDdos& entry = FDdos[server.Process];
  if (!entry.Known) {
    entry = {at + std::chrono::duration_cast<Clock::duration>(seconds(30)), 0, true};
    return std::nullopt;
  }
  if (at > entry.Timeout) {
    entry.Count = 0;
    entry.Timeout = at + std::chrono::duration_cast<Clock::duration>(seconds(30));
  }
  if (++entry.Count < 15) return std::nullopt;
  if (entry.Count == 15) {
    entry.Timeout = at + std::chrono::hours(24);
    return kHeader + "nProbable ddos amplification attack\n";
  }
  entry.Timeout += std::chrono::duration_cast<Clock::duration>(seconds(30.0 / 15));
  return "";
}

std::vector<std::string> TFakeGate::Answer(const TFakeServer& server, const std::string& request,
                                           TTimePoint at) {
  if (const auto blocked = Ddos(server, request, at)) {
    ++FDropped[server.Address];
    if (blocked->empty()) return {};
    return {*blocked};
  }
  if (Flooded(server, request, at)) {
    ++FDropped[server.Address];
    return {};
  }
  return FakeReplies(server, request);
}

int TFakeGate::Dropped(const TServerAddress& server) const {
  const auto found = FDropped.find(server);
  return found == FDropped.end() ? 0 : found->second;
}

void TFakeGate::Reset() {
  FLastAccepted.clear();
  FDdos.clear();
  FDropped.clear();
}

TFakeNetwork::TFakeNetwork(std::vector<TFakeServer> servers, unsigned seed) : FRandom(seed) {
  FEpoll = ::epoll_create1(EPOLL_CLOEXEC);
  FWakeUp = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  epoll_event wake{EPOLLIN, {.u64 = ~0ull}};
  ::epoll_ctl(FEpoll, EPOLL_CTL_ADD, FWakeUp, &wake);
  FServers.resize(servers.size());
  for (std::size_t i = 0; i < servers.size(); ++i) {
    TSlot& slot = FServers[i];
    slot.Server = std::move(servers[i]);
    TUdpOptions options;
    options.Local = {slot.Server.Address.Bytes, slot.Server.Address.IsV6, slot.Server.Address.Port};
    options.ReceiveBuffer = 1 << 16;
    options.SendStamps = true;
    slot.Socket = std::make_unique<TUdpSocket>(options);
    slot.Server.Address.Port = slot.Socket->Local().Port;
    epoll_event ready{EPOLLIN, {.u64 = i}};
    ::epoll_ctl(FEpoll, EPOLL_CTL_ADD, slot.Socket->Handle(), &ready);
  }
  FThread = std::thread([this] { Run(); });
}

TFakeNetwork::~TFakeNetwork() {
  FStop = true;
  const std::uint64_t one = 1;
  [[maybe_unused]] const auto written = ::write(FWakeUp, &one, sizeof one);
  FThread.join();
  ::close(FWakeUp);
  ::close(FEpoll);
}

TServerAddress TFakeNetwork::Address(std::size_t index) const {
  return FServers[index].Server.Address;
}

std::vector<TFakeNetwork::TTimePoint> TFakeNetwork::Requests(std::size_t index) const {
  std::lock_guard lock(FLock);
  return FServers[index].Requests;
}

std::vector<TFakeNetwork::TAnswer> TFakeNetwork::Answers(std::size_t index) const {
  std::lock_guard lock(FLock);
  return FServers[index].Answers;
}

void TFakeNetwork::Reset() {
  std::lock_guard lock(FLock);
  for (TSlot& slot : FServers) {
    slot.Requests.clear();
    slot.Answers.clear();
  }
  FGate.Reset();
}

void TFakeNetwork::Run() {
  std::vector<epoll_event> events(256);
  std::vector<TUdpPacket> packets;
  while (!FStop) {
    const int ready = ::epoll_wait(FEpoll, events.data(), static_cast<int>(events.size()), -1);
    for (int i = 0; i < ready; ++i) {
      if (events[i].data.u64 == ~0ull) continue;
      TSlot& slot = FServers[events[i].data.u64];
      packets.clear();
      while (slot.Socket->Receive(packets, 32) > 0) {
      }
      std::lock_guard lock(FLock);
      for (const TUdpPacket& packet : packets)
        Serve(slot, packet);
    }
  }
}

void TFakeNetwork::Serve(TSlot& slot, const TUdpPacket& request) {
  slot.Requests.push_back(request.At);
  if (slot.Server.Loss > 0 && std::uniform_real_distribution<>(0, 1)(FRandom) < slot.Server.Loss)
    return;
  std::vector<TUdpPacket> replies;
  for (std::string& bytes : FGate.Answer(slot.Server, request.Bytes, request.At))
    if (!bytes.empty()) replies.push_back({request.Peer, std::move(bytes), {}});
  if (replies.empty()) return;
  std::vector<TUdpError> failed;
  std::vector<TUdpStamp> departed;
  slot.Socket->Send(replies, failed);
  slot.Socket->TakeErrors(&departed);
  slot.Answers.push_back({request.At, departed.empty() ? Clock::now() : departed.back().At});
}

std::vector<std::string> FakeReplies(const TFakeServer& s, const std::string& request) {
  if (s.Garbage) return {kHeader + "xyzzy"};
  const std::string command = request.starts_with(kHeader) ? request.substr(4) : request;
  switch (s.Role) {
    case TFakeRole::DpMaster:
      return DpMasterReplies(s, command);
    case TFakeRole::QuakeWorldMaster:
      return command == std::string("c\n\0", 3) ? QuakeWorldMasterReplies(s)
                                                : std::vector<std::string>{};
    case TFakeRole::Server:
      break;
  }
  switch (s.Family) {
    case TServerFamily::NetQuake:
      // DarkPlaces reads connectionless packets and NetQuake control packets on one port
      // (netconn.c, NetConn_ServerParsePacket), whatever protocol it plays.
      if (s.AnswersStatus && request.starts_with(kHeader)) {
        TFakeServer dp = s;
        dp.Dialect = TFakeDialect::DarkPlaces;
        return {DarkPlacesReply(dp, command)};
      }
      return {NetQuakeReply(s, request)};
    case TServerFamily::QuakeWorld:
      return {QuakeWorldReply(s, command)};
    case TServerFamily::DarkPlaces:
      return {DarkPlacesReply(s, command)};
  }
  return {};
}

std::vector<TFakeServer> LoopbackFarm(int count, double loss, bool oneAddress) {
  std::vector<TFakeServer> servers;
  for (int i = 0; i < count; ++i) {
    TFakeServer& s = servers.emplace_back();
    s.Address = oneAddress ? TServerAddress::V4(127, 1, 0, 1, 0)
                           : TServerAddress::V4(127, 1, static_cast<std::uint8_t>(i / 250),
                                                static_cast<std::uint8_t>(i % 250 + 1), 0);
    s.Family = static_cast<TServerFamily>(i % 3);
    s.Dialect = static_cast<TFakeDialect>(i / 3 % 3);
    s.FloodGuard = s.Family == TServerFamily::DarkPlaces && s.Dialect != TFakeDialect::Fte;
    s.DdosGuard = s.Family == TServerFamily::DarkPlaces && s.Dialect == TFakeDialect::Fte;
    s.Process = i;
    s.Name = "Fake " + std::to_string(i);
    s.Loss = loss;
  }
  return servers;
}

}  // namespace fx::test
