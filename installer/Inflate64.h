#pragma once

// A Deflate and Deflate64 decoder (RFC 1951, and Deflate64's changes: a 64 KiB window,
// length code 285 = 3 + 16 extra bits, distance codes 30 and 31 = 32769 and 49153 with 14
// extra bits each). It takes the compressed bytes in pieces and hands the output on in
// pieces; it never reads past what it is given and stops at `maxOutput` bytes.

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string_view>

namespace fx {

class EInflate : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TInflater {
 public:
  using TSink = std::function<void(std::string_view)>;

  // `deflate64` false decodes plain Deflate (32 KiB window, code 285 = 258).
  TInflater(bool deflate64, std::uint64_t maxOutput, TSink sink);
  ~TInflater();

  // Feeds the next compressed bytes; throws EInflate for bad data or output past maxOutput.
  void Feed(std::string_view bytes);
  // Whether the final block has ended. Bytes after it are ignored.
  bool Finished() const;
  std::uint64_t Produced() const;

 private:
  struct TState;
  std::unique_ptr<TState> S_;
};

}  // namespace fx
