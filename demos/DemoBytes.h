#pragma once

// The two cursors the demo readers use: TDemoBuffer over the file (a bounded window pulled
// from a TDemoSource) and TMessageCursor over one server message. Every read checks what is
// left first; a short read gives false or an empty value, never bytes from past the end.

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "demos/DemoSource.h"

namespace fx {

class TDemoBuffer {
 public:
  explicit TDemoBuffer(TDemoSource& source);
  ~TDemoBuffer();
  TDemoBuffer(const TDemoBuffer&) = delete;
  TDemoBuffer& operator=(const TDemoBuffer&) = delete;

  // Whether `count` bytes are there from the cursor on (pulling more when needed).
  bool Have(std::size_t count) { return FSize - FAt >= count || Refill(count); }
  const char* Data() const { return FStore.get() + FAt; }
  void Skip(std::size_t count) {
    FAt += count;
    FOffset += count;
  }
  // Skips what is there of `count` bytes; false when the data ended first.
  bool SkipAll(std::size_t count);
  std::uint64_t Offset() const { return FOffset; }
  // The bytes there from the cursor on, without pulling more.
  std::size_t Available() const { return FSize - FAt; }
  // The offset the data ends at, once an end was met.
  std::uint64_t End() const { return FOffset + Available(); }

 private:
  bool Refill(std::size_t count);

  TDemoSource& FSource;
  // Not a vector: the bytes are read over at once, so clearing them first would cost a
  // second pass over every byte of every demo.
  std::unique_ptr<char[]> FStore;
  std::size_t FCapacity = 0;
  std::size_t FSize = 0;
  std::size_t FAt = 0;
  std::uint64_t FOffset = 0;
  std::size_t FChunk = 0;
  bool FEnded = false;
};

inline std::int32_t LittleLong(const char* p) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i)
    value = (value << 8) | static_cast<unsigned char>(p[i]);
  return static_cast<std::int32_t>(value);
}

inline float LittleFloat(const char* p) {
  const auto bits = static_cast<std::uint32_t>(LittleLong(p));
  float value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

class TMessageCursor {
 public:
  explicit TMessageCursor(std::string_view message) : FMessage(message) {}

  bool AtEnd() const { return FAt >= FMessage.size(); }
  bool Skip(std::size_t count) {
    if (FMessage.size() - FAt < count) return false;
    FAt += count;
    return true;
  }
  bool Byte(int& value) {
    if (AtEnd()) return false;
    value = static_cast<unsigned char>(FMessage[FAt++]);
    return true;
  }
  bool Short(int& value) {
    if (FMessage.size() - FAt < 2) return false;
    value = static_cast<std::int16_t>(static_cast<unsigned char>(FMessage[FAt]) |
                                      (static_cast<unsigned char>(FMessage[FAt + 1]) << 8));
    FAt += 2;
    return true;
  }
  bool Long(std::int32_t& value) {
    if (FMessage.size() - FAt < 4) return false;
    value = LittleLong(FMessage.data() + FAt);
    FAt += 4;
    return true;
  }
  bool Float(float& value) {
    if (FMessage.size() - FAt < 4) return false;
    value = LittleFloat(FMessage.data() + FAt);
    FAt += 4;
    return true;
  }
  // A zero-terminated string, or the rest of the message when the zero is missing, as
  // MSG_ReadString stops at the end of the message (quakespasm Quake/common.c:912-931).
  std::string String() {
    const std::size_t zero = FMessage.find('\0', FAt);
    const std::size_t end = zero == std::string_view::npos ? FMessage.size() : zero;
    std::string text(FMessage.substr(FAt, end - FAt));
    FAt = zero == std::string_view::npos ? FMessage.size() : zero + 1;
    return text;
  }
  bool SkipString() {
    if (AtEnd()) return false;
    String();
    return true;
  }

 private:
  std::string_view FMessage;
  std::size_t FAt = 0;
};

}  // namespace fx
