#include "demos/DemoBytes.h"

#include <algorithm>
#include <cstring>

namespace fx {

namespace {

// What one pull asks the source for: from a small first read (most of a short file, little
// to clear for a tiny one) doubling up to a size whose reads cost little beyond the bytes,
// so memory stays bounded whatever the file holds.
constexpr std::size_t kFirstChunk = 1 << 16;
constexpr std::size_t kLargestChunk = 1 << 20;

// The buffer of the last reader on a thread, kept for the next: a scan reads demo after
// demo, and fresh memory for each would cost a page fault every 4 KiB of every file.
struct TSpare {
  std::unique_ptr<char[]> Store;
  std::size_t Capacity = 0;
};
thread_local TSpare tSpare;

}  // namespace

TDemoBuffer::TDemoBuffer(TDemoSource& source)
    : FSource(source), FStore(std::move(tSpare.Store)), FCapacity(tSpare.Capacity) {
  tSpare.Capacity = 0;
}

TDemoBuffer::~TDemoBuffer() {
  if (FCapacity >= tSpare.Capacity) {
    tSpare.Store = std::move(FStore);
    tSpare.Capacity = FCapacity;
  }
}

bool TDemoBuffer::Refill(std::size_t count) {
  while (FSize - FAt < count && !FEnded) {
    // Keep the unread rest at the front, then read one chunk (or what the request needs).
    const std::size_t kept = FSize - FAt;
    FChunk = std::clamp(FChunk * 2, kFirstChunk, kLargestChunk);
    // A kept buffer is filled as far as it goes (up to the largest chunk).
    const std::size_t room = std::min(FCapacity > kept ? FCapacity - kept : 0, kLargestChunk);
    const std::size_t wanted = std::max({FChunk, count - kept, room});
    if (kept + wanted > FCapacity) {
      auto larger = std::make_unique_for_overwrite<char[]>(kept + wanted);
      if (kept > 0) std::memcpy(larger.get(), FStore.get() + FAt, kept);
      FStore = std::move(larger);
      FCapacity = kept + wanted;
    } else {
      if (kept > 0) std::memmove(FStore.get(), FStore.get() + FAt, kept);
    }
    FAt = 0;
    const std::size_t got = FSource.Read(FStore.get() + kept, wanted);
    FSize = kept + got;
    if (got < wanted) FEnded = true;
  }
  return FSize - FAt >= count;
}

bool TDemoBuffer::SkipAll(std::size_t count) {
  while (count > 0) {
    if (!Have(1)) return false;
    const std::size_t step = std::min(count, FSize - FAt);
    Skip(step);
    count -= step;
  }
  return true;
}

}  // namespace fx
