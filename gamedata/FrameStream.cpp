#include "gamedata/FrameStream.h"

#include <algorithm>

namespace fx {

TFrameStream::TFrameStream(TStream& parent, std::int64_t start, std::int64_t size)
    : FParent(parent), FSize(size), FStart(start) {
  if (FStart == kCurrentPosition) FStart = FParent.Position();
}

std::int64_t TFrameStream::Read(void* buffer, std::int64_t count) {
  std::int64_t parentPos = FParent.Position();
  if (parentPos < FStart) parentPos = FParent.Seek(FStart, TSeekOrigin::Beginning);
  const std::int64_t left = FStart + std::max<std::int64_t>(FSize, 0) - parentPos;
  const std::int64_t wanted = std::min(count, left);
  if (wanted <= 0) return 0;
  const std::int64_t done = FParent.Read(buffer, wanted);
  // Counting what was read, not what was asked for, keeps the window's
  // position equal to the parent's after a short read.
  FPosition += done;
  return done;
}

std::int64_t TFrameStream::Write(const void* buffer, std::int64_t count) {
  const std::int64_t done = FParent.Write(buffer, count);
  if (count > 0) FPosition += count;
  return done;
}

std::int64_t TFrameStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  switch (origin) {
    case TSeekOrigin::Beginning:
      FParent.Seek(FStart + offset, TSeekOrigin::Beginning);
      FPosition = offset;
      break;
    case TSeekOrigin::Current:
      FParent.Seek(offset, TSeekOrigin::Current);
      FPosition += offset;
      break;
    case TSeekOrigin::End:
      FParent.Seek(FStart + FSize - offset, TSeekOrigin::Beginning);
      FPosition = FSize - offset;
      break;
  }
  return FPosition;
}

}  // namespace fx
