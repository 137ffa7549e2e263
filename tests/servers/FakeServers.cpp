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
      return Control("\x83" + Z("127.0.0.1:26000") + Z(s.Name) + Z(s.Map) + char(s.Players.size()) +
                     char(s.MaxPlayers) + char(3));
    case 0x03: {
      const std::size_t index = request.size() > 5 ? static_cast<unsigned char>(request[5]) : 0;
      if (index >= s.Players.size()) return "";  // as the engines do: no answer
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
      reply += InfoPairs({{"challenge", challenge},
                          {"gamename", "FTE-Quake"},
                          {"protocol", "3"},
                          {"modname", s.Game},
                          {"clients", clients},
                          {"sv_maxclients", maximum},
                          {"mapname", s.Map},
                          {"hostname", s.Name}});
      for (const TServerPlayer& p : s.Players)
        lines += "\n" + std::to_string(p.Frags) + " " + std::to_string(p.Ping) + " \"" + p.Team +
                 "\" \"" + p.Name + "\"";
      return reply + InfoPairs(s.Rules) + (status ? lines + "\n" : "") + std::string(1, '\0');
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

}  // namespace

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
    slot.Guard.clear();
  }
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
  if (slot.Server.FloodGuard) {
    TUdpEndpoint host = request.Peer;
    host.Port = 0;
    auto& guard = slot.Guard;
    const auto known = std::find_if(guard.begin(), guard.end(),
                                    [&](const auto& entry) { return entry.first == host; });
    if (known != guard.end() && request.At - known->second < std::chrono::seconds(1)) return;
    if (known != guard.end()) guard.erase(known);
    guard.emplace_back(host, request.At);
  }
  std::vector<TUdpPacket> replies;
  for (std::string& bytes : FakeReplies(slot.Server, request.Bytes))
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
      return {NetQuakeReply(s, request)};
    case TServerFamily::QuakeWorld:
      return {QuakeWorldReply(s, command)};
    case TServerFamily::DarkPlaces:
      return {DarkPlacesReply(s, command)};
  }
  return {};
}

std::vector<TFakeServer> LoopbackFarm(int count, double loss) {
  std::vector<TFakeServer> servers;
  for (int i = 0; i < count; ++i) {
    TFakeServer& s = servers.emplace_back();
    s.Address = TServerAddress::V4(127, 1, static_cast<std::uint8_t>(i / 250),
                                   static_cast<std::uint8_t>(i % 250 + 1), 0);
    s.Family = static_cast<TServerFamily>(i % 3);
    s.Dialect = static_cast<TFakeDialect>(i / 3 % 3);
    s.FloodGuard = s.Family == TServerFamily::DarkPlaces;
    s.Name = "Fake " + std::to_string(i);
    s.Loss = loss;
  }
  return servers;
}

}  // namespace fx::test
