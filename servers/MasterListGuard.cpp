#include "servers/MasterListGuard.h"

#include <ifaddrs.h>
#include <netinet/in.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

namespace fx {

namespace {

using TBytes = std::array<std::uint8_t, 16>;

// Whether the first `bits` bits of `bytes` equal those of `prefix`.
bool InPrefix(const TBytes& bytes, std::span<const std::uint8_t> prefix, int bits) {
  for (int i = 0; i < bits; ++i) {
    const int byte = i / 8, shift = 7 - i % 8;
    if (((bytes[byte] >> shift) & 1) != ((prefix[byte] >> shift) & 1)) return false;
  }
  return true;
}

struct TRange {
  std::array<std::uint8_t, 4> Prefix;
  int Bits;
  TAddressClass Class;
};

// In order: the first match decides (255.255.255.255 lies inside 240.0.0.0/4).
constexpr std::array<TRange, 16> kV4Ranges = {{
    {{0, 0, 0, 0}, 8, TAddressClass::Unspecified},
    {{10, 0, 0, 0}, 8, TAddressClass::Private},
    {{100, 64, 0, 0}, 10, TAddressClass::Private},
    {{127, 0, 0, 0}, 8, TAddressClass::Loopback},
    {{169, 254, 0, 0}, 16, TAddressClass::LinkLocal},
    {{172, 16, 0, 0}, 12, TAddressClass::Private},
    {{192, 0, 0, 0}, 24, TAddressClass::Reserved},
    {{192, 0, 2, 0}, 24, TAddressClass::Documentation},
    {{192, 168, 0, 0}, 16, TAddressClass::Private},
    {{198, 18, 0, 0}, 15, TAddressClass::Reserved},
    {{198, 51, 100, 0}, 24, TAddressClass::Documentation},
    {{203, 0, 113, 0}, 24, TAddressClass::Documentation},
    {{224, 0, 0, 0}, 4, TAddressClass::Multicast},
    {{255, 255, 255, 255}, 32, TAddressClass::Broadcast},
    {{240, 0, 0, 0}, 4, TAddressClass::Reserved},
    {{0, 0, 0, 0}, 0, TAddressClass::Public},
}};

const TRange* V4Range(const TBytes& bytes) {
  for (const TRange& range : kV4Ranges)
    if (InPrefix(bytes, range.Prefix, range.Bits)) return &range;
  return nullptr;
}

// The IPv4 address an IPv6 one carries where a datagram to it reaches that IPv4 address:
// mapped (::ffff:0:0/96), NAT64 (64:ff9b::/96) and 6to4 (2002::/16).
std::optional<TServerAddress> EmbeddedV4(const TServerAddress& address) {
  const TBytes& b = address.Bytes;
  static constexpr std::array<std::uint8_t, 12> kMapped = {0, 0, 0, 0, 0,    0,
                                                           0, 0, 0, 0, 0xff, 0xff};
  static constexpr std::array<std::uint8_t, 12> kNat64 = {0, 0x64, 0xff, 0x9b};
  std::size_t at = 0;
  if (std::equal(kMapped.begin(), kMapped.end(), b.begin()) ||
      std::equal(kNat64.begin(), kNat64.end(), b.begin()))
    at = 12;
  else if (b[0] == 0x20 && b[1] == 0x02)
    at = 2;
  else
    return std::nullopt;
  return TServerAddress::V4(b[at], b[at + 1], b[at + 2], b[at + 3], address.Port);
}

TAddressClass ClassifyV6(const TBytes& b) {
  static constexpr TBytes kLoopback = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  if (b == TBytes{}) return TAddressClass::Unspecified;
  if (b == kLoopback) return TAddressClass::Loopback;
  if (b[0] == 0xff) return TAddressClass::Multicast;
  if (b[0] == 0xfe && (b[1] & 0xc0) == 0x80) return TAddressClass::LinkLocal;
  if ((b[0] & 0xfe) == 0xfc) return TAddressClass::Private;
  if (b[0] == 0x20 && b[1] == 0x01 && b[2] == 0x0d && b[3] == 0xb8)
    return TAddressClass::Documentation;
  if (b[0] == 0x3f && b[1] == 0xff && (b[2] & 0xf0) == 0) return TAddressClass::Documentation;
  // Only 2000::/3 is handed out as global unicast; the rest is reserved or special.
  if ((b[0] & 0xe0) != 0x20) return TAddressClass::Reserved;
  return TAddressClass::Public;
}

bool IsDirectedBroadcast(const TServerAddress& address, std::span<const TLocalNetwork> local) {
  for (const TLocalNetwork& network : local) {
    if (network.Address.IsV6 || network.Prefix < 1 || network.Prefix > 30) continue;
    if (!InPrefix(address.Bytes, network.Address.Bytes, network.Prefix)) continue;
    bool allOnes = true;
    for (int i = network.Prefix; i < 32 && allOnes; ++i)
      allOnes = (address.Bytes[i / 8] >> (7 - i % 8)) & 1;
    if (allOnes) return true;
  }
  return false;
}

// The private block an address lies in (its range), so a master on a private network may
// list the servers of that network and no other.
std::optional<std::pair<TBytes, int>> PrivateBlock(const TServerAddress& address) {
  if (const auto v4 = address.IsV6 ? EmbeddedV4(address) : std::optional(address)) {
    const TRange* range = V4Range(v4->Bytes);
    if (range == nullptr || range->Class != TAddressClass::Private) return std::nullopt;
    TBytes prefix{};
    std::copy(range->Prefix.begin(), range->Prefix.end(), prefix.begin());
    return std::pair{prefix, range->Bits};
  }
  if ((address.Bytes[0] & 0xfe) == 0xfc) return std::pair{TBytes{0xfc}, 7};
  return std::nullopt;
}

}  // namespace

TAddressClass ClassifyAddress(const TServerAddress& address, std::span<const TLocalNetwork> local) {
  if (address.IsV6) {
    if (const auto v4 = EmbeddedV4(address)) return ClassifyAddress(*v4, local);
    return ClassifyV6(address.Bytes);
  }
  const TAddressClass found = V4Range(address.Bytes)->Class;
  if (found == TAddressClass::Public && IsDirectedBroadcast(address, local))
    return TAddressClass::Broadcast;
  return found;
}

std::vector<TLocalNetwork> ThisMachinesNetworks() {
  std::vector<TLocalNetwork> networks;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return networks;
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_netmask == nullptr ||
        entry->ifa_addr->sa_family != AF_INET)
      continue;
    TLocalNetwork network;
    std::memcpy(network.Address.Bytes.data(),
                &reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr, 4);
    std::uint32_t mask = 0;
    std::memcpy(&mask, &reinterpret_cast<const sockaddr_in*>(entry->ifa_netmask)->sin_addr, 4);
    network.Prefix = __builtin_popcount(mask);
    networks.push_back(network);
  }
  ::freeifaddrs(list);
  return networks;
}

TMasterListGuard::TMasterListGuard(TMasterListLimits limits, std::vector<TLocalNetwork> local)
    : FLimits(limits), FLocal(std::move(local)) {}

bool TMasterListGuard::MayList(const TServerAddress& from, const TServerAddress& entry,
                               bool extended) const {
  if (entry.Port < FLimits.LowestPort) return false;
  if (entry.IsV6 && !extended) return false;
  switch (ClassifyAddress(entry, FLocal)) {
    case TAddressClass::Public:
      return true;
    case TAddressClass::Loopback:
      return ClassifyAddress(from, FLocal) == TAddressClass::Loopback;
    case TAddressClass::Private: {
      // A master on this machine (a test's, a LAN party's) may list the user's own
      // networks; one on a private network only that network.
      if (ClassifyAddress(from, FLocal) == TAddressClass::Loopback) return true;
      const auto master = PrivateBlock(from);
      return master && master == PrivateBlock(entry);
    }
    default:
      return false;
  }
}

TAdmission TMasterListGuard::Admit(std::size_t master, const TServerAddress& from,
                                   const TServerAddress& entry, bool extended) {
  auto& listed = FByMaster[master];
  if (listed.contains(entry)) return TAdmission::Duplicate;
  const auto ignore = [&] {
    ++FIgnored[master];
    return TAdmission::Ignored;
  };
  if (!MayList(from, entry, extended) || listed.size() >= FLimits.PerMaster) return ignore();
  // A server another master listed costs nothing more.
  if (!FAdmitted.contains(entry)) {
    if (FAdmitted.size() >= FLimits.Total) return ignore();
    std::size_t& ports = FPortsOf[HostOf(entry)];
    if (ports >= FLimits.PortsPerAddress) return ignore();
    ++ports;
    FAdmitted.insert(entry);
  }
  listed.insert(entry);
  return TAdmission::Admitted;
}

int TMasterListGuard::Ignored(std::size_t master) const {
  const auto found = FIgnored.find(master);
  return found == FIgnored.end() ? 0 : found->second;
}

std::string IgnoredAddressesText(int count, const std::string& master) {
  if (count <= 0) return {};
  return std::to_string(count) + (count == 1 ? " address from " : " addresses from ") + master +
         " ignored";
}

}  // namespace fx
