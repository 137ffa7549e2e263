#include "demos/DemoBytes.h"

#include <algorithm>

namespace fx {

namespace {

// What one pull asks the source for: from a small first read (most of a short file, little
// to clear for a tiny one) doubling up to a size whose reads cost little beyond the bytes,
// so memory stays bounded whatever the file holds.
constexpr std::size_t kFirstChunk = 1 << 16;
constexpr std::size_t kLargestChunk = 1 << 20;

}  // namespace

bool TDemoBuffer::Have(std::size_t count) {
  while (FData.size() - FAt < count && !FEnded) {
    // Keep the unread rest, then append one chunk (or what the request needs beyond it).
    FData.erase(FData.begin(), FData.begin() + static_cast<std::ptrdiff_t>(FAt));
    FAt = 0;
    const std::size_t kept = FData.size();
    FChunk = std::clamp(FChunk * 2, kFirstChunk, kLargestChunk);
    const std::size_t wanted = std::max(FChunk, count - kept);
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
