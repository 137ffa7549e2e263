#pragma once

#include <cstdint>

namespace fx {

// Bytes of physical memory the machine has in all; 0 when the system will not say.
std::uint64_t TotalPhysicalMemory();

}  // namespace fx
