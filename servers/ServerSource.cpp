#include "servers/ServerSource.h"

#include <algorithm>
#include <set>

namespace fx {

std::vector<TKnownServer> ServersToRefresh(std::vector<TKnownServer> known,
                                           std::span<const TServerInfo> listed,
                                           std::span<const TMasterResult> lastResults,
                                           std::span<const TMasterServer> masters, bool lan) {
  const auto switchedOn = [&](const TMasterServer& master) {
    return std::any_of(masters.begin(), masters.end(), [&](const TMasterServer& m) {
      return m.Enabled && m.Host == master.Host && m.Port == master.Port && m.Kind == master.Kind;
    });
  };
  std::set<TServerAddress> fromMasters, fromSwitchedOn;
  for (const TMasterResult& result : lastResults)
    for (const TKnownServer& server : result.List) {
      fromMasters.insert(server.Address);
      if (switchedOn(result.Master)) fromSwitchedOn.insert(server.Address);
    }
  std::set<TServerAddress> seen;
  std::erase_if(known,
                [&](const TKnownServer& server) { return !seen.insert(server.Address).second; });
  for (const TServerInfo& server : listed) {
    const bool fromLan = !fromMasters.contains(server.Address);
    if ((fromLan ? lan : fromSwitchedOn.contains(server.Address)) &&
        seen.insert(server.Address).second)
      known.push_back({server.Address, server.Family});
  }
  return known;
}

std::vector<TMasterServer> BuiltInMasters() {
  const auto master = [](const char* host, std::uint16_t port, TMasterKind kind) {
    return TMasterServer{host, port, kind, true, true};
  };
  return {
      master("dpmaster.deathmask.net", 27950, TMasterKind::DpMaster),
      master("dpmaster.tchr.no", 27950, TMasterKind::DpMaster),
      master("master.frag-net.com", 27950, TMasterKind::DpMaster),
      master("dpm.dpmaster.org", 27777, TMasterKind::DpMaster),
      master("master.quakeworld.nu", 27000, TMasterKind::QuakeWorld),
      master("master.quakeservers.net", 27000, TMasterKind::QuakeWorld),
      master("qwmaster.fodquake.net", 27000, TMasterKind::QuakeWorld),
  };
}

}  // namespace fx
