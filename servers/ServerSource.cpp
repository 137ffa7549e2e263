#include "servers/ServerSource.h"

namespace fx {

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
