#pragma once

#include <cstdint>

#include "gamedata/Stream.h"

namespace fx {

// A window onto part of another stream: a map inside a PACK archive, the
// entity lump inside a map. Positions of the window are relative to its
// start; the parent is positioned through its own Seek, so windows nest.
//
// Reads stop at the window's end. A damaged lump without its closing zero
// byte therefore ends there instead of running on into the next entry of
// the archive.
class TFrameStream : public TStream {
 public:
  // start == kCurrentPosition takes the parent's current position.
  static constexpr std::int64_t kCurrentPosition = -1;

  TFrameStream(TStream& parent, std::int64_t start, std::int64_t size);

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  // From the end, the offset counts backwards from the window's end.
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;

  std::int64_t Start() const { return FStart; }
  std::int64_t FrameSize() const { return FSize; }

 private:
  TStream& FParent;
  std::int64_t FPosition = 0;
  std::int64_t FSize = 0;
  std::int64_t FStart = 0;
};

}  // namespace fx
