#pragma once

// What a master lists is unauthenticated UDP: anyone can send or spoof it. Before a listed
// address becomes a server to ask, the guard checks it: no address that is not a game server
// on the Internet (broadcast, multicast, link-local, reserved, documentation ranges, low
// ports), no loopback or private address unless the master itself lies there, and no more
// servers than the bounds allow, so a hostile list can neither aim the browser at the
// user's own network nor make it hold a million queries.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "servers/ServerAddressHash.h"
#include "servers/ServerInfo.h"

namespace fx {

struct TMasterListLimits {
  std::size_t PerMaster = 10000;     // servers taken from one master
  std::size_t Total = 20000;         // servers taken from all masters of a refresh
  std::size_t PortsPerAddress = 64;  // servers on one IP address
  std::uint16_t LowestPort = 1024;   // ports below are system services, never game servers
};

// A network the machine is on: its address and prefix length (for its directed broadcast).
struct TLocalNetwork {
  TServerAddress Address;
  int Prefix = 0;
};

// The networks of this machine's interfaces (getifaddrs); empty when they cannot be read.
std::vector<TLocalNetwork> ThisMachinesNetworks();

enum class TAddressClass : std::uint8_t {
  Public,
  Unspecified,    // 0.0.0.0/8, ::
  Broadcast,      // 255.255.255.255, or the directed broadcast of a network of this machine
  Multicast,      // 224.0.0.0/4, ff00::/8
  LinkLocal,      // 169.254.0.0/16, fe80::/10
  Reserved,       // 240.0.0.0/4, 192.0.0.0/24, 198.18.0.0/15, IPv6 outside 2000::/3
  Documentation,  // 192.0.2.0/24, 198.51.100.0/24, 203.0.113.0/24, 2001:db8::/32, 3fff::/20
  Loopback,       // 127.0.0.0/8, ::1
  Private,        // 10/8, 172.16/12, 192.168/16, 100.64/10 (carrier-grade NAT), fc00::/7
};

// The class of an address; an IPv4 address inside IPv6 (mapped, NAT64, 6to4) counts as the
// IPv4 address it carries, since that is where a datagram to it may end up.
TAddressClass ClassifyAddress(const TServerAddress& address,
                              std::span<const TLocalNetwork> local = {});

enum class TAdmission : std::uint8_t {
  Admitted,
  Duplicate,  // this master listed it before: not counted
  Ignored,    // counted in Ignored()
};

// One refresh's view of what its masters listed.
class TMasterListGuard {
 public:
  explicit TMasterListGuard(TMasterListLimits limits = {}, std::vector<TLocalNetwork> local = {});

  // `master` numbers the master within the refresh, `from` is the address its reply came
  // from, `extended` says whether it was asked with getserversExt (the only request an IPv6
  // entry may answer).
  TAdmission Admit(std::size_t master, const TServerAddress& from, const TServerAddress& entry,
                   bool extended);
  int Ignored(std::size_t master) const;
  std::size_t AdmittedCount() const { return FAdmitted.size(); }

 private:
  bool MayList(const TServerAddress& from, const TServerAddress& entry, bool extended) const;

  TMasterListLimits FLimits;
  std::vector<TLocalNetwork> FLocal;
  std::unordered_map<std::size_t, std::unordered_set<TServerAddress, TServerAddressHash>> FByMaster;
  std::unordered_set<TServerAddress, TServerAddressHash> FAdmitted;
  std::unordered_map<TServerAddress, std::size_t, TServerAddressHash> FPortsOf;
  std::unordered_map<std::size_t, int> FIgnored;
};

// "12 addresses from dpmaster.example ignored"; empty when none was.
std::string IgnoredAddressesText(int count, const std::string& master);

}  // namespace fx
