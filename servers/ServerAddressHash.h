#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

#include "servers/ServerInfo.h"

namespace fx {

struct TServerAddressHash {
  std::size_t operator()(const TServerAddress& address) const {
    const std::string_view bytes(reinterpret_cast<const char*>(address.Bytes.data()),
                                 address.IsV6 ? 16 : 4);
    return std::hash<std::string_view>()(bytes) ^ (std::size_t{address.Port} << 1) ^
           (address.IsV6 ? 0x9e3779b9u : 0u);
  }
};

// The host of an address: the same address with port 0.
inline TServerAddress HostOf(TServerAddress address) {
  address.Port = 0;
  return address;
}

}  // namespace fx
