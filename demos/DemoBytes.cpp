#include "demos/DemoBytes.h"

#include <algorithm>

namespace fx {

namespace {

// What one pull asks the source for: large enough that a file's reads cost little beyond
// the bytes, small enough that memory stays bounded whatever the file holds.
constexpr std::size_t kChunk = 1 << 20;

}  // namespace

bool TDemoBuffer::Have(std::size_t count) {
  while (FData.size() - FAt < count && !FEnded) {
    // Keep the unread rest, then append one chunk (or what the request needs beyond it).
    FData.erase(FData.begin(), FData.begin() + static_cast<std::ptrdiff_t>(FAt));
    FAt = 0;
    const std::size_t kept = FData.size();
    const std::size_t wanted = std::max(kChunk, count - kept);
    FData.resize(kept + wanted);
    const std::size_t got = FSource.Read(FData.data() + kept, wanted);
    FData.resize(kept + got);
    if (got < wanted) FEnded = true;
  }
  return FData.size() - FAt >= count;
}

bool TDemoBuffer::SkipAll(std::size_t count) {
  while (count > 0) {
    if (!Have(1)) return false;
    const std::size_t step = std::min(count, FData.size() - FAt);
    Skip(step);
    count -= step;
  }
  return true;
}

}  // namespace fx
